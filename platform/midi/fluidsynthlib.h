#pragma once
// FluidSynth is found at run time. The program does not link it: the dozens of libraries it
// brings along (audio systems, sound file codecs...) would all be loaded and relocated before
// the first line of main(), on the way to the first window. Instead the functions the program
// uses are defined here as forwarders to the library opened by loadFluidSynth(), which the
// synthesizer's loader thread calls first; any other first call opens it just the same.
#include <fluidsynth.h>

namespace platform {

// Opens the FluidSynth library and finds its functions, once; false when it is not installed
// (then there is no synthesizer: the mapper fails to open as without a sound card).
bool loadFluidSynth();

} // namespace platform
