#include "questionplayers.h"

#include <algorithm>
#include <vector>

namespace sound {
namespace {

constexpr int ChordMs = 2000;
constexpr int BeatMs = 1000;
constexpr qint16 ClickNote = 15;  // 60 + 15 = key 75 on the percussion channel

bool fits16(int v) { return v >= -32768 && v <= 32767; }

void start(MidiPort& port, int note) {
    if (fits16(note)) port.StartNote(qint16(note));
}
void stop(MidiPort& port, int note) {
    if (fits16(note)) port.StopNote(qint16(note));
}

// The chord tones: on from the first, a wait of two seconds, off in the same order.
void holdChord(MidiPort& port, const std::vector<int>& notes) {
    for (int n : notes) start(port, n);
    port.Wait(ChordMs);
    for (int n : notes) stop(port, n);
}

struct Voicing {
    int a = 0, b = 0, c = 0;
};

Voicing voicing(int position, int kind, int low) {
    struct Row {
        int kind, position, a, b, c;
    };
    static const Row rows[] = {
        {1, 0, 3, 7, 19}, {1, 1, 5, 8, 12}, {1, 2, 4, 9, 16},
        {2, 0, 4, 7, 19}, {2, 1, 5, 9, 12}, {2, 2, 3, 8, 15},
        {5, 0, 3, 6, 10}, {5, 1, 2, 5, 8},  {5, 2, 4, 6, 9},  {5, 3, 3, 7, 9},
    };
    for (const Row& r : rows)
        if (r.kind == kind && r.position == position) return {r.a, r.b, r.c + (low != 0 ? 12 : 0)};
    return {};
}

void triad(MidiPort& port, int t, int third, int inversion, int doubledTop) {
    const int v = ((inversion % 3) + 3) % 3;
    const int root = t + (v >= 1 ? 12 : 0);
    const int mid = t + third + (v == 2 ? 12 : 0);
    const int fifth = t + 7;
    std::vector<int> notes{root, mid, fifth};
    const int lowest[] = {0, third, 7};  // the tone at the bottom of the voicing
    if (doubledTop != 0) notes.push_back(t + 12 + lowest[v]);
    holdChord(port, notes);
}

void seventh(MidiPort& port, int t, int third, int seventhInterval, int inversion) {
    // The raised tones were marked in a table of five entries indexed by the inversion: keep
    // the inversion within the four a seventh chord has.
    const int v = std::clamp(inversion, 0, 3);
    holdChord(port, {t + (v >= 1 ? 12 : 0), t + third + (v >= 2 ? 12 : 0), t + 7 + (v >= 3 ? 12 : 0),
                     t + seventhInterval});
}

} // namespace

void Metronome(MidiPort& port) {
    port.SetChannel(MidiPort::PercussionChannel);
    port.StartNote(ClickNote);
    port.StopNote(ClickNote);
    port.SetChannel(0);
}

void PlayStartChord(MidiPort& port, qint16 n, qint16 position, qint16 kind, qint16 low) {
    const Voicing v = voicing(position, kind, low);
    port.MidiVelocity = 100;
    start(port, n);
    start(port, n - v.a);
    start(port, n - v.b);
    port.MidiVelocity = 127;
    start(port, n - v.c);
    port.MidiVelocity = 75;
}

void PlayStopChord(MidiPort& port, qint16 n, qint16 position, qint16 kind, qint16 low) {
    const Voicing v = voicing(position, kind, low);
    for (int note : {int(n), n - v.a, n - v.b, n - v.c}) stop(port, note);
}

void PlayTonicArpeggio(MidiPort& port, qint16 t) {
    for (int note : {int(t), t + 4, t + 7}) {
        start(port, note);
        Metronome(port);
        port.Wait(BeatMs);
        stop(port, note);
    }
    for (int note : {int(t), t + 4, t + 7}) start(port, note);
    Metronome(port);
    port.Wait(BeatMs);
    Metronome(port);
    port.Wait(BeatMs);
    for (int note : {int(t), t + 4, t + 7}) stop(port, note);
    Metronome(port);
    port.Wait(BeatMs);
}

void PlayMajorTriad(MidiPort& port, qint16 t, qint16 inversion, qint16 doubledTop) {
    triad(port, t, 4, inversion, doubledTop);
}

void PlayMinorTriad(MidiPort& port, qint16 t, qint16 inversion, qint16 doubledTop) {
    triad(port, t, 3, inversion, doubledTop);
}

void PlayDiminishedTriad(MidiPort& port, qint16 t) { holdChord(port, {t, t + 3, t + 6}); }

void PlayAugmentedTriad(MidiPort& port, qint16 t) { holdChord(port, {t, t + 4, t + 8}); }

void PlayDominantSeventh(MidiPort& port, qint16 t, qint16 inversion) { seventh(port, t, 4, 10, inversion); }

void PlayMinorSeventh(MidiPort& port, qint16 t, qint16 inversion) { seventh(port, t, 3, 10, inversion); }

void PlayMajorSeventh(MidiPort& port, qint16 t, qint16 inversion) { seventh(port, t, 4, 11, inversion); }

void PlayDiminishedSeventh(MidiPort& port, qint16 t) { holdChord(port, {t, t + 3, t + 6, t + 9}); }

} // namespace sound
