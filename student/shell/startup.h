#pragma once
// The program's start: the main window, the splash with its tune (the MIDI output closed
// meanwhile), the player dialog, then the lesson list for the chosen player.
#include "mainwindow.h"

#include <memory>

namespace shell {

struct StartupOptions {
    // The splash waits for a key or a click; harnesses that measure start-up leave it out.
    bool showSplash = true;
    // The message hook's socket name; empty: named after the program and its data folder.
    QString hookName;
    // The sound seam of the window (not owned); nullptr: the window's own port.
    SoundSeam* sound = nullptr;
};

// Main: returns the shown main window; the program then lives in the event loop.
std::unique_ptr<FrmTonvale> Main(const StartupOptions& options = StartupOptions());

} // namespace shell
