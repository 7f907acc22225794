#include "tunes.h"

#include <cctype>
#include <sstream>

namespace platform {

int pitchKey(const std::string& name) {
    static const int steps[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name.size() < 2) return -1;
    const char letter = char(std::toupper(static_cast<unsigned char>(name[0])));
    if (letter < 'A' || letter > 'G') return -1;
    int pc = steps[letter - 'A'];
    size_t i = 1;
    if (name[i] == '#') { ++pc; ++i; }
    else if (name[i] == 'b') { --pc; ++i; }
    if (i >= name.size()) return -1;
    int octave = 0;
    for (; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return -1;
        octave = octave * 10 + (name[i] - '0');
    }
    const int key = 12 * (octave + 1) + pc;
    return key >= 0 && key <= 127 ? key : -1;
}

bool parseVoice(const std::string& text, uint32_t unitTicks, uint32_t barUnits, std::vector<VoiceNote>* notes,
                std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    std::istringstream in(text);
    std::string token;
    uint32_t tick = 0, barStart = 0;
    int velocity = 80, bar = 1;
    const uint32_t gap = unitTicks / 10;
    size_t lastStart = 0;  // first note of the last onset, which sounds whole
    notes->clear();
    while (in >> token) {
        if (token == "|") {
            if (tick - barStart != barUnits * unitTicks)
                return fail("bar " + std::to_string(bar) + " does not hold a whole bar");
            barStart = tick;
            ++bar;
            continue;
        }
        if (token[0] == 'v') {
            velocity = std::atoi(token.c_str() + 1);
            if (velocity < 1 || velocity > 127) return fail("bad velocity " + token);
            continue;
        }
        const size_t colon = token.find(':');
        if (colon == std::string::npos) return fail("no length in " + token);
        const int units = std::atoi(token.c_str() + colon + 1);
        if (units <= 0) return fail("bad length in " + token);
        const std::string pitches = token.substr(0, colon);
        const uint32_t length = uint32_t(units) * unitTicks;
        if (pitches != "r") {
            lastStart = notes->size();
            std::istringstream chord(pitches);
            std::string p;
            while (std::getline(chord, p, '+')) {
                const int key = pitchKey(p);
                if (key < 0) return fail("bad pitch " + p);
                notes->push_back({tick, length - gap, key, velocity});
            }
        }
        tick += length;
    }
    for (size_t i = lastStart; i < notes->size(); ++i) (*notes)[i].length += gap;
    return true;
}

// Fugue in C minor, three voices, 4/4, a duration unit of an eighth note. Subject in the
// alto (bars 1-2); tonal answer in the soprano at the fifth (bars 3-4) against the
// countersubject; the subject in the bass (5-6) with the soprano's countersubject and a free
// alto; an episode on a circle of fifths with chains of sevenths (7); the cadence
// ii-iv-V7 (8) onto a C major chord (9). 9 bars at 144 beats a minute: 15 seconds.
Tune fugue7Tune() {
    Tune t;
    t.name = "Fugue in C minor";
    t.unitTicks = 240;
    t.barUnits = 8;
    t.beatsPerMinute = 144;
    t.keySharps = -3;
    t.minor = true;
    t.voices = {
        {"Soprano", 0, 0,
         "r:8 | r:8 | "
         "v92 G4:2 C5:2 Eb5:1 D5:1 C5:1 Bb4:1 | A4:1 Bb4:1 C5:1 A4:1 F#4:2 G4:2 | "
         "v78 Eb5:1 D5:1 C5:1 Eb5:1 F5:2 D5:2 | B4:2 C5:2 D5:1 F5:1 Eb5:1 C5:1 | "
         "v84 F5:1 Eb5:1 D5:1 C5:1 Eb5:1 D5:1 C5:1 Bb4:1 | D5:2 C5:2 B4:4 | "
         "v90 C5:8 |"},
        {"Alto", 1, 0,
         "v92 C4:2 G4:2 Ab4:1 G4:1 F4:1 Eb4:1 | D4:1 Eb4:1 F4:1 D4:1 B3:2 C4:2 | "
         "v76 Eb4:1 D4:1 C4:1 Eb4:1 G4:2 Eb4:2 | F#4:2 D4:2 C4:1 A3:1 B3:1 D4:1 | "
         "v70 G4:4 C5:2 Ab4:2 | F4:2 Ab4:2 G4:4 | "
         "Ab4:4 G4:4 | F4:2 Ab4:2 G4:2 F4:2 | "
         "v84 E4:8 |"},
        {"Bass", 2, 0,
         "r:8 | r:8 | r:8 | r:8 | "
         "v96 C3:2 G3:2 Ab3:1 G3:1 F3:1 Eb3:1 | D3:1 Eb3:1 F3:1 D3:1 B2:2 C3:2 | "
         "v86 F3:2 Bb2:2 Eb3:2 Ab2:2 | F2:4 G2:4 | "
         "v92 C2+C3+G3:8 |"},
    };
    return t;
}

// Fanfare in C major for trumpet, horn and trombone, 4/4, a unit of a triplet sixteenth
// (three to the eighth, two to the triplet eighth): a triplet call on the dominant, the
// tonic arpeggio, the high C held. 3.5 seconds at 120 beats a minute.
Tune doneTune() {
    Tune t;
    t.name = "Fanfare";
    t.unitTicks = 80;
    t.barUnits = 24;
    t.beatsPerMinute = 120;
    t.voices = {
        {"Trumpet", 0, 56, "v108 G4:2 G4:2 G4:2 C5:6 E5:3 C5:3 E5:3 G5:3 | v112 C6:18"},
        {"Horn", 1, 60, "v96 B3:2 B3:2 B3:2 E4:6 G4:6 C5:6 | v100 E5:18"},
        {"Trombone", 2, 57, "v100 G2:6 C3:6 C3:6 G2:6 | v104 C3:18"},
    };
    return t;
}

bool buildSmf(const Tune& tune, SmfFile* file, std::string* error) {
    *file = SmfFile(tune.ticksPerQuarter);
    SmfTrack& conductor = file->addTrack();
    conductor.name(0, tune.name);
    conductor.tempo(0, uint32_t(60000000 / tune.beatsPerMinute));
    conductor.timeSignature(0, tune.numerator, tune.denominatorPower);
    conductor.keySignature(0, tune.keySharps, tune.minor);
    for (const TuneVoice& v : tune.voices) {
        std::vector<VoiceNote> notes;
        std::string why;
        if (!parseVoice(v.notes, tune.unitTicks, tune.barUnits, &notes, &why)) {
            if (error) *error = v.name + ": " + why;
            return false;
        }
        SmfTrack& track = file->addTrack();
        track.name(0, v.name);
        track.program(0, v.channel, v.program);
        for (const VoiceNote& n : notes) track.note(n.tick, n.length, v.channel, n.key, n.velocity);
    }
    return true;
}

} // namespace platform
