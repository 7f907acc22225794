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

} // namespace platform
