#include "smf.h"

#include <algorithm>
#include <fstream>

namespace platform {
namespace {
void putBE(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(uint8_t((v >> (8 * i)) & 0xFF));
}
uint8_t clamp7(int v) { return uint8_t(std::clamp(v, 0, 127)); }
} // namespace

std::vector<uint8_t> smfVarLen(uint32_t value) {
    value &= 0x0FFFFFFF;  // the largest a variable-length quantity may hold
    std::vector<uint8_t> out{uint8_t(value & 0x7F)};
    while (value >>= 7) out.insert(out.begin(), uint8_t(0x80 | (value & 0x7F)));
    return out;
}

void SmfTrack::add(uint32_t tick, int order, std::vector<uint8_t> bytes) {
    events_.push_back({tick, order, events_.size(), std::move(bytes)});
}

void SmfTrack::name(uint32_t tick, const std::string& text) {
    std::vector<uint8_t> b{0xFF, 0x03};
    const std::vector<uint8_t> len = smfVarLen(uint32_t(text.size()));
    b.insert(b.end(), len.begin(), len.end());
    b.insert(b.end(), text.begin(), text.end());
    add(tick, 0, std::move(b));
}

void SmfTrack::tempo(uint32_t tick, uint32_t us) {
    std::vector<uint8_t> b{0xFF, 0x51, 0x03};
    putBE(b, us, 3);
    add(tick, 0, std::move(b));
}

void SmfTrack::timeSignature(uint32_t tick, int numerator, int denominatorPower) {
    add(tick, 0, {0xFF, 0x58, 0x04, uint8_t(numerator), uint8_t(denominatorPower), 24, 8});
}

void SmfTrack::keySignature(uint32_t tick, int sharps, bool minor) {
    add(tick, 0, {0xFF, 0x59, 0x02, uint8_t(int8_t(std::clamp(sharps, -7, 7))), uint8_t(minor ? 1 : 0)});
}

void SmfTrack::program(uint32_t tick, int channel, int program) {
    add(tick, 1, {uint8_t(0xC0 | (channel & 0x0F)), clamp7(program)});
}

void SmfTrack::note(uint32_t tick, uint32_t length, int channel, int key, int velocity) {
    const uint8_t ch = uint8_t(channel & 0x0F);
    add(tick, 3, {uint8_t(0x90 | ch), clamp7(key), uint8_t(std::clamp(velocity, 1, 127))});
    add(tick + length, 2, {uint8_t(0x80 | ch), clamp7(key), 0x40});
}

uint32_t SmfTrack::endTick() const {
    uint32_t end = 0;
    for (const Event& e : events_) end = std::max(end, e.tick);
    return end;
}

std::vector<uint8_t> SmfTrack::encode() const {
    std::vector<const Event*> sorted;
    for (const Event& e : events_) sorted.push_back(&e);
    std::stable_sort(sorted.begin(), sorted.end(), [](const Event* a, const Event* b) {
        if (a->tick != b->tick) return a->tick < b->tick;
        if (a->order != b->order) return a->order < b->order;
        return a->seq < b->seq;
    });
    std::vector<uint8_t> body;
    uint32_t now = 0;
    for (const Event* e : sorted) {
        const std::vector<uint8_t> delta = smfVarLen(e->tick - now);
        body.insert(body.end(), delta.begin(), delta.end());
        body.insert(body.end(), e->bytes.begin(), e->bytes.end());
        now = e->tick;
    }
    const uint8_t end[] = {0x00, 0xFF, 0x2F, 0x00};
    body.insert(body.end(), std::begin(end), std::end(end));

    std::vector<uint8_t> chunk{'M', 'T', 'r', 'k'};
    putBE(chunk, uint32_t(body.size()), 4);
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

SmfTrack& SmfFile::addTrack() {
    tracks_.emplace_back();
    return tracks_.back();
}

uint32_t SmfFile::endTick() const {
    uint32_t end = 0;
    for (const SmfTrack& t : tracks_) end = std::max(end, t.endTick());
    return end;
}

std::vector<uint8_t> SmfFile::encode() const {
    std::vector<uint8_t> out{'M', 'T', 'h', 'd'};
    putBE(out, 6, 4);
    putBE(out, 1, 2);  // format 1: simultaneous tracks
    putBE(out, uint32_t(tracks_.size()), 2);
    putBE(out, uint32_t(division_), 2);
    for (const SmfTrack& t : tracks_) {
        const std::vector<uint8_t> chunk = t.encode();
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

bool SmfFile::write(const std::string& path) const {
    const std::vector<uint8_t> bytes = encode();
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(f);
}

namespace {
uint32_t getBE(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | b[at + size_t(i)];
    return v;
}
} // namespace

namespace {
// The time of `tick` under tempo `t` (the one in force there).
double msFrom(const SmfSong::Tempo& t, uint32_t tick, int ticksPerQuarter) {
    return t.ms + double(tick - t.tick) * t.microsecondsPerQuarter / 1000.0 / ticksPerQuarter;
}

// The one look-up of a tempo map (in time order): the entry in force at a point, the last one
// that `reached` (at or before the point); before the first, the default tempo. A point at or
// past the last entry, as every point is while a file is read in time order, is found there at
// once; any other by halving the map. Each entry looked at is counted in `looked`.
template <class Reached>
SmfSong::Tempo inForce(const std::vector<SmfSong::Tempo>& map, Reached reached, uint64_t& looked) {
    if (map.empty()) return SmfSong::Tempo();
    ++looked;
    if (reached(map.back())) return map.back();
    const auto after = std::partition_point(map.begin(), std::prev(map.end()), [&](const SmfSong::Tempo& x) {
        ++looked;
        return reached(x);
    });
    return after == map.begin() ? SmfSong::Tempo() : *std::prev(after);
}

double msAtTick(const SmfSong& song, uint32_t tick, uint64_t& looked) {
    const SmfSong::Tempo t = inForce(song.tempos, [tick](const SmfSong::Tempo& x) { return x.tick <= tick; }, looked);
    return msFrom(t, tick, song.ticksPerQuarter);
}
} // namespace

double SmfSong::msAt(uint32_t tick) const {
    uint64_t looked = 0;
    return msAtTick(*this, tick, looked);
}

uint32_t SmfSong::tickAt(double ms) const {
    uint64_t looked = 0;
    const Tempo t = inForce(tempos, [ms](const Tempo& x) { return x.ms <= ms; }, looked);
    if (ms <= t.ms) return t.tick;
    return t.tick + uint32_t((ms - t.ms) * 1000.0 * ticksPerQuarter / t.microsecondsPerQuarter);
}

bool readSmf(const std::vector<uint8_t>& b, SmfSong* song, std::string* error, SmfReadCost* cost) {
    auto fail = [error](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    *song = SmfSong();
    if (b.size() < 14 || std::string(b.begin(), b.begin() + 4) != "MThd") return fail("no MThd header");
    const uint32_t headerSize = getBE(b, 4, 4);
    if (headerSize < 6 || 8 + size_t(headerSize) > b.size()) return fail("short header");
    const uint32_t format = getBE(b, 8, 2), division = getBE(b, 12, 2);
    if (format > 1) return fail("format " + std::to_string(format) + " is not played");
    if (division == 0 || (division & 0x8000)) return fail("time-code division is not played");
    song->ticksPerQuarter = int(division);

    struct Raw {
        uint32_t tick;
        size_t track, seq;
        bool tempo;
        uint32_t value;  // tempo: microseconds per quarter; else the message
    };
    std::vector<Raw> raw;
    size_t at = 8 + headerSize, track = 0;
    while (at + 8 <= b.size()) {
        const uint32_t size = getBE(b, at + 4, 4);
        const size_t start = at + 8, end = start + size;
        if (end > b.size()) return fail("track runs past the end of the file");
        if (std::string(b.begin() + long(at), b.begin() + long(at) + 4) != "MTrk") {
            at = end;  // a chunk of another kind
            continue;
        }
        uint32_t tick = 0;
        uint8_t status = 0;
        size_t p = start;
        auto varLen = [&](uint32_t* v) {
            *v = 0;
            for (int i = 0; i < 4; ++i) {
                if (p >= end) return false;
                const uint8_t c = b[p++];
                *v = (*v << 7) | (c & 0x7F);
                if (!(c & 0x80)) return true;
            }
            return false;
        };
        while (p < end) {
            uint32_t delta = 0;
            if (!varLen(&delta)) return fail("bad delta time");
            tick += delta;
            if (p >= end) return fail("event missing");
            uint8_t c = b[p];
            if (c == 0xFF) {
                if (p + 2 > end) return fail("short meta event");
                const uint8_t type = b[p + 1];
                p += 2;
                uint32_t len = 0;
                if (!varLen(&len) || p + len > end) return fail("short meta event");
                if (type == 0x51 && len == 3) raw.push_back({tick, track, raw.size(), true, getBE(b, p, 3)});
                p += len;
                if (type == 0x2F) break;
                continue;
            }
            if (c == 0xF0 || c == 0xF7) {
                ++p;
                uint32_t len = 0;
                if (!varLen(&len) || p + len > end) return fail("short system exclusive event");
                p += len;
                continue;
            }
            if (c & 0x80) {
                status = c;
                ++p;
            } else if (!status) {
                return fail("data without a status");
            }
            const int dataBytes = ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 1 : 2;
            if (p + size_t(dataBytes) > end) return fail("short channel event");
            uint32_t message = status | (uint32_t(b[p] & 0x7F) << 8);
            if (dataBytes == 2) message |= uint32_t(b[p + 1] & 0x7F) << 16;
            p += size_t(dataBytes);
            raw.push_back({tick, track, raw.size(), false, message});
        }
        song->endTick = std::max(song->endTick, tick);
        ++track;
        at = end;
    }
    if (track == 0) return fail("no track");
    std::stable_sort(raw.begin(), raw.end(), [](const Raw& x, const Raw& y) {
        if (x.tick != y.tick) return x.tick < y.tick;
        if (x.tempo != y.tempo) return x.tempo;  // a tempo change first, so its own tick's notes follow it
        return x.track < y.track;
    });
    // One pass in time order: the tempo in force is always the last one met (at one tick the
    // change comes first), so each event and change is timed from it.
    song->tempos.push_back({0, 0.0, 500000});
    uint64_t looked = 0;
    for (const Raw& r : raw) {
        const double ms = msAtTick(*song, r.tick, looked);
        if (!r.tempo) {
            song->events.push_back({r.tick, ms, r.value});
            continue;
        }
        const SmfSong::Tempo t{r.tick, ms, r.value ? r.value : 500000};
        if (song->tempos.back().tick == r.tick) song->tempos.back() = t;
        else song->tempos.push_back(t);
    }
    song->lengthMs = msAtTick(*song, song->endTick, looked);
    if (cost) cost->tempoLookups += looked;
    return true;
}

} // namespace platform
