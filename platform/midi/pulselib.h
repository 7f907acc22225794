#pragma once
// The PulseAudio client library, found at run time like FluidSynth (fluidsynthlib.h): the
// functions the mapper's audio output uses are defined here as forwarders to the library that
// loadPulseAudio() opens. (PipeWire desktops serve the same protocol.)
#include <pulse/context.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

namespace platform {

// Opens the PulseAudio client library and finds its functions, once; false when it is not
// installed (then the output falls back to another audio system).
bool loadPulseAudio();

} // namespace platform
