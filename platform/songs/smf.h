#pragma once
// A small writer of standard MIDI files (format 1): tracks of timed channel and meta events,
// encoded with variable-length delta times. Plain C++, so the build-time song generator
// needs nothing else.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Variable-length quantity of a delta time (7 bits a byte, high bit = more follows).
std::vector<uint8_t> smfVarLen(uint32_t value);

class SmfTrack {
public:
    void name(uint32_t tick, const std::string& text);
    void tempo(uint32_t tick, uint32_t microsecondsPerQuarter);
    void timeSignature(uint32_t tick, int numerator, int denominatorPower);
    void keySignature(uint32_t tick, int sharps, bool minor);  // sharps < 0: flats
    void program(uint32_t tick, int channel, int program);
    void note(uint32_t tick, uint32_t length, int channel, int key, int velocity);

    // The track chunk ("MTrk"): events in time order (at one tick: meta, program change,
    // note-off, note-on), then end of track at the last event.
    std::vector<uint8_t> encode() const;
    uint32_t endTick() const;

private:
    struct Event {
        uint32_t tick;
        int order;   // at equal ticks: meta 0, program 1, note-off 2, note-on 3
        size_t seq;  // insertion order among equals
        std::vector<uint8_t> bytes;
    };
    void add(uint32_t tick, int order, std::vector<uint8_t> bytes);
    std::vector<Event> events_;
};

class SmfFile {
public:
    explicit SmfFile(int ticksPerQuarter = 480) : division_(ticksPerQuarter) {}
    SmfTrack& addTrack();
    std::vector<SmfTrack>& tracks() { return tracks_; }
    const std::vector<SmfTrack>& tracks() const { return tracks_; }
    int ticksPerQuarter() const { return division_; }
    uint32_t endTick() const;

    std::vector<uint8_t> encode() const;  // "MThd" header, then the tracks
    bool write(const std::string& path) const;

private:
    int division_;
    std::vector<SmfTrack> tracks_;
};

} // namespace platform
