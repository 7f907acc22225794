#pragma once
// A small writer and reader of standard MIDI files: tracks of timed channel and meta events,
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

// A standard MIDI file read for playing: its channel messages in time order, with their
// times in milliseconds from the tempo map.
struct SmfSong {
    struct Event {
        uint32_t tick = 0;
        double ms = 0;
        uint32_t message = 0;  // packed short message: status | data1 << 8 | data2 << 16
    };
    struct Tempo {
        uint32_t tick = 0;
        double ms = 0;
        uint32_t microsecondsPerQuarter = 500000;
    };
    int ticksPerQuarter = 480;
    std::vector<Event> events;   // channel messages only, time order (equal ticks: track order)
    std::vector<Tempo> tempos;   // from tick 0
    uint32_t endTick = 0;        // the last track's end
    double lengthMs = 0;         // endTick in ms

    double msAt(uint32_t tick) const;
    uint32_t tickAt(double ms) const;
};

// What reading a file cost: the tempo-map entries looked at to time its events, its tempo
// changes and its end, counted entry by entry in the map's one look-up. (Tests check that it
// grows with the file, not with its events times its changes.)
struct SmfReadCost {
    uint64_t tempoLookups = 0;
};

// Reads format 0 or 1 files with a ticks-per-quarter division (system exclusive and meta
// events other than tempo and end of track are skipped). False with a message when the
// bytes are not such a file.
bool readSmf(const std::vector<uint8_t>& bytes, SmfSong* song, std::string* error = nullptr,
             SmfReadCost* cost = nullptr);

} // namespace platform
