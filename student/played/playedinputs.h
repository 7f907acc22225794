#pragma once
// The played input of the main window: the piano and drum windows' state and capture, kept
// for the window's life while the tool windows come and go, and the seam through which the
// lessons reach them (zero the capture clocks, cancel a pending commit, record the last tap
// at once, the tap table). The main window makes one, hands it to the lesson context and
// registers the two windows with the palette framework.
#include "drumwindow.h"
#include "pianowindow.h"
#include "playedcapture.h"

#include "student/lessons/playedinput.h"

#include <QPointer>

namespace lessons { class PaletteHost; }

namespace played {

class PlayedInputs : public lessons::PlayedInput {
public:
    // `lampPictures` gives the main window's two connection pictures for the beat lamps.
    PlayedInputs(lessons::LessonContext& ctx, std::function<QPixmap(int)> lampPictures);

    // frmKeyboard and frmDrum as tool windows of the palette framework.
    void registerWindows(lessons::PaletteHost& registry);

    void RestartCapture() override;
    void PianoStopMouseDown() override { piano.StopMouseDown(); }
    void CommitPendingTap() override;

    // The windows when they are loaded.
    FrmKeyboard* keyboardWindow() const { return keyboard_; }
    FrmDrum* drumWindow() const { return drumWindow_; }

    PlayedCapture capture;
    KeyboardLogic piano;
    DrumLogic drum;

private:
    lessons::LessonContext& ctx_;
    std::function<QPixmap(int)> lampPictures_;
    QPointer<FrmKeyboard> keyboard_;
    QPointer<FrmDrum> drumWindow_;
};

} // namespace played
