#pragma once
// The synthesizer's sound on the desktop's PulseAudio server (which a PipeWire desktop serves
// too): the synth renders into a playback stream whenever the server asks for more.
//
// Two streams, each with a buffer of its own, one playing at a time:
//   - live notes (a piano key, a drum tap, the metronome) play on a short buffer, so a tap is
//     heard within `liveMs` (the server's own sink latency included);
//   - messages scheduled ahead (a question, a song) start on a long one, `scheduledMs`, so that
//     a busy machine can hold the synthesizer's thread up that long without a gap. Their timing
//     is the synth's sample clock, so rendering them ahead moves nothing. When they are all
//     rendered, live notes go on on the short buffer while the long one plays out.
//   - after `idleMs` of nothing at all (no voice sounding, nothing scheduled) both are paused
//     (corked, their buffers dropped): nothing is rendered until the next note, which plays at
//     once from an empty buffer. Paused streams stay with the server: a stream that is started
//     or resized is held up by some servers until what they have mixed ahead has played.
// FluidSynth's own PulseAudio driver keeps a one-period buffer that it fills without pause,
// which on a loaded machine (or an idle one) gaps and keeps the sound server busy.
#include <QByteArray>
#include <QtGlobal>
#include <atomic>
#include <functional>
#include <memory>

struct _fluid_synth_t;
struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_buffer_attr;

namespace platform {

class PulseOutput {
public:
    struct Buffering {
        int liveMs = 12;
        int liveRequestMs = 3;       // the server asks for this much at a time
        int scheduledMs = 200;
        int scheduledRequestMs = 25;
        int idleMs = 1500;
    };
    // The streams on the default server (PULSE_SERVER, else the desktop's), rendering `synth`
    // at `sampleRate`; `scheduled` tells whether timed messages wait (called on the streams'
    // thread). Starts paused: the first wake() plays. nullptr when no server takes them.
    static std::unique_ptr<PulseOutput> open(_fluid_synth_t* synth, int sampleRate, std::function<bool()> scheduled,
                                             const Buffering& buffering);
    static std::unique_ptr<PulseOutput> open(_fluid_synth_t* synth, int sampleRate, std::function<bool()> scheduled) {
        return open(synth, sampleRate, std::move(scheduled), Buffering());
    }
    ~PulseOutput();
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // Sound is coming (a message was sent, or `scheduled`: timed messages now wait): a paused
    // output plays, timed messages on the long buffer. Any thread; it does not wait for the
    // server.
    void wake(bool scheduled = false);

    // What the output does now (tests and benchmarks).
    bool running() const { return playing_.load() != Paused; }
    bool scheduledBuffer() const { return playing_.load() == Scheduled; }
    // Times the server ran out of sound to play while the stream ran.
    int underflows() const { return underflows_.load(); }
    // Sound written but not yet heard, in microseconds (the server's estimate); -1 unknown.
    qint64 latencyUs();

private:
    PulseOutput() = default;
    enum Buffer { Paused = -1, Live, Scheduled };
    pa_buffer_attr attributes(Buffer buffer) const;
    bool makeStream(Buffer buffer);   // with the loop locked, as the two below
    void play(Buffer buffer);
    void pause();
    static void onWrite(pa_stream* s, size_t bytes, void* self);
    void write(pa_stream* s, size_t bytes);

    _fluid_synth_t* synth_ = nullptr;
    int rate_ = 44100;
    Buffering buffering_;
    std::function<bool()> scheduled_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* streams_[2] = {nullptr, nullptr};

    QByteArray name_;
    std::atomic<int> playing_{Paused};   // the stream rendered into
    std::atomic<quint64> wakes_{0};
    std::atomic<int> underflows_{0};
    // The stream's thread only:
    quint64 wakesSeen_ = 0;
    qint64 quietFrames_ = 0;
};

} // namespace platform
