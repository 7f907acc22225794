#pragma once
// The program's own two tunes, with their notes written here and turned into standard MIDI
// files at build time: "fugue7.mid", a short three-voice fugue in C minor played while the
// splash window shows, and "done.mid", a brass fanfare for a level gained.
#include "platform/songs/smf.h"

#include <string>
#include <vector>

namespace platform {

// MIDI key of a pitch name: letter, optional '#' or 'b', octave ("C4" = 60, "Ab2" = 44);
// -1 for anything else.
int pitchKey(const std::string& name);

struct VoiceNote {
    uint32_t tick = 0;
    uint32_t length = 0;
    int key = 0;
    int velocity = 0;
};

// Reads one voice written as tokens separated by blanks:
//   Eb4:2      a note lasting 2 units        C2+G3:8   notes sounding together
//   r:4        a rest                         v96       velocity from here on
//   |          bar line: checks that the bar held exactly barUnits
// Each note sounds for its length less a small gap, the last one for its whole length.
// Returns false with a message on any mistake.
bool parseVoice(const std::string& text, uint32_t unitTicks, uint32_t barUnits, std::vector<VoiceNote>* notes,
                std::string* error);

struct TuneVoice {
    std::string name;
    int channel = 0;
    int program = 0;   // General MIDI program, 0 = acoustic grand piano
    std::string notes;
};

struct Tune {
    std::string name;
    int ticksPerQuarter = 480;
    uint32_t unitTicks = 240;         // ticks of one duration unit of the voices
    uint32_t barUnits = 8;
    int beatsPerMinute = 120;
    int numerator = 4, denominatorPower = 2;
    int keySharps = 0;
    bool minor = false;
    std::vector<TuneVoice> voices;
};

Tune fugue7Tune();
Tune doneTune();

// The tune as a format-1 file: a conductor track (name, tempo, metre, key), then one track
// per voice. Returns false with a message when a voice does not parse.
bool buildSmf(const Tune& tune, SmfFile* file, std::string* error);

} // namespace platform
