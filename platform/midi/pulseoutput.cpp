#include "pulseoutput.h"

#include "platform/midi/fluidsynthlib.h"
#include "platform/midi/pulselib.h"

#include <QCoreApplication>
#include <algorithm>

namespace platform {
namespace {
constexpr size_t FrameBytes = 2 * sizeof(float);  // stereo, float samples

void drop(pa_operation* o) {
    if (o) pa_operation_unref(o);
}

void signalLoop(void* loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0); }
} // namespace

std::unique_ptr<PulseOutput> PulseOutput::open(fluid_synth_t* synth, int sampleRate, std::function<bool()> scheduled,
                                               const Buffering& buffering) {
    if (!synth || !loadPulseAudio()) return nullptr;
    std::unique_ptr<PulseOutput> out(new PulseOutput());
    out->synth_ = synth;
    out->rate_ = sampleRate;
    out->buffering_ = buffering;
    out->scheduled_ = std::move(scheduled);
    out->name_ = QCoreApplication::applicationName().toUtf8();
    if (out->name_.isEmpty()) out->name_ = "synthesizer";
    out->loop_ = pa_threaded_mainloop_new();
    if (!out->loop_) return nullptr;
    out->context_ = pa_context_new(pa_threaded_mainloop_get_api(out->loop_), out->name_.constData());
    if (!out->context_) return nullptr;
    pa_context_set_state_callback(out->context_, [](pa_context*, void* loop) { signalLoop(loop); }, out->loop_);
    if (pa_context_connect(out->context_, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0) return nullptr;
    if (pa_threaded_mainloop_start(out->loop_) < 0) {
        pa_threaded_mainloop_free(out->loop_);
        out->loop_ = nullptr;
        return nullptr;
    }
    pa_threaded_mainloop_lock(out->loop_);
    bool ok = true;
    for (pa_context_state_t s; ok && (s = pa_context_get_state(out->context_)) != PA_CONTEXT_READY;) {
        ok = PA_CONTEXT_IS_GOOD(s);
        if (ok) pa_threaded_mainloop_wait(out->loop_);
    }
    ok = ok && out->makeStream(Live) && out->makeStream(Scheduled);
    for (pa_stream* stream : out->streams_) {
        for (pa_stream_state_t s; ok && (s = pa_stream_get_state(stream)) != PA_STREAM_READY;) {
            ok = PA_STREAM_IS_GOOD(s);
            if (ok) pa_threaded_mainloop_wait(out->loop_);
        }
    }
    pa_threaded_mainloop_unlock(out->loop_);
    return ok ? std::move(out) : nullptr;
}

PulseOutput::~PulseOutput() {
    if (!loop_) return;
    pa_threaded_mainloop_lock(loop_);
    for (pa_stream* stream : streams_) {
        if (!stream) continue;
        pa_stream_set_write_callback(stream, nullptr, nullptr);
        pa_stream_set_underflow_callback(stream, nullptr, nullptr);
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
    }
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    pa_threaded_mainloop_unlock(loop_);
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

pa_buffer_attr PulseOutput::attributes(Buffer buffer) const {
    const auto bytes = [this](int ms) { return uint32_t(qint64(ms) * rate_ / 1000 * qint64(FrameBytes)); };
    const bool scheduled = buffer == Scheduled;
    pa_buffer_attr a;
    a.maxlength = uint32_t(-1);
    a.tlength = bytes(scheduled ? buffering_.scheduledMs : buffering_.liveMs);
    a.minreq = bytes(scheduled ? buffering_.scheduledRequestMs : buffering_.liveRequestMs);
    // Playing starts (and starts again after running dry) with the first request's worth:
    // the server's default, the whole buffer, is more than it asks for under adjusted latency.
    a.prebuf = a.minreq;
    a.fragsize = uint32_t(-1);
    return a;
}

bool PulseOutput::makeStream(Buffer buffer) {
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, uint32_t(rate_), 2};
    pa_stream* stream = pa_stream_new(context_, name_.constData(), &spec, nullptr);
    if (!stream) return false;
    streams_[buffer] = stream;
    pa_stream_set_state_callback(stream, [](pa_stream*, void* loop) { signalLoop(loop); }, loop_);
    pa_stream_set_write_callback(stream, onWrite, this);
    pa_stream_set_underflow_callback(
        stream,
        [](pa_stream* s, void* self) {
            auto* out = static_cast<PulseOutput*>(self);
            const int playing = out->playing_.load();
            if (playing != Paused && s == out->streams_[playing]) ++out->underflows_;
        },
        this);
    const pa_buffer_attr a = attributes(buffer);
    // Latency adjusted: the server sets its own buffering so that the stream's buffer is the
    // whole delay from the synth to the loudspeaker.
    const auto flags = pa_stream_flags_t(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY |
                                         PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
    return pa_stream_connect_playback(stream, nullptr, &a, flags, nullptr, nullptr) == 0;
}

void PulseOutput::play(Buffer buffer) {
    if (playing_.load() == buffer) return;
    // A long buffer left for the short one plays out what it holds (it is not fed any more);
    // the short one left for the long one drops its few ms.
    if (playing_.load() == Live) {
        drop(pa_stream_cork(streams_[Live], 1, nullptr, nullptr));
        drop(pa_stream_flush(streams_[Live], nullptr, nullptr));
    }
    // Played from empty: what a long buffer may still hold of its last timed messages goes.
    drop(pa_stream_flush(streams_[buffer], nullptr, nullptr));
    quietFrames_ = 0;
    playing_ = buffer;
    drop(pa_stream_cork(streams_[buffer], 0, nullptr, nullptr));
    // What the server asked for while the stream was not fed (no more than a buffer's worth:
    // a flush may leave an older request counted too).
    const size_t asked = std::min<size_t>(pa_stream_writable_size(streams_[buffer]), attributes(buffer).tlength);
    if (asked != size_t(-1)) write(streams_[buffer], asked);
}

void PulseOutput::pause() {
    for (pa_stream* stream : streams_) {
        drop(pa_stream_cork(stream, 1, nullptr, nullptr));
        // The silence still buffered goes: the next note plays from an empty buffer.
        drop(pa_stream_flush(stream, nullptr, nullptr));
    }
}

void PulseOutput::wake(bool scheduled) {
    // Counted first: an output about to pause sees the count move and goes on, or this sees
    // it paused (see write()).
    ++wakes_;
    const int playing = playing_.load();
    if (playing != Paused && (!scheduled || playing == Scheduled)) return;
    pa_threaded_mainloop_lock(loop_);
    if (scheduled) play(Scheduled);
    else if (playing_.load() == Paused) play(Live);
    pa_threaded_mainloop_unlock(loop_);
}

qint64 PulseOutput::latencyUs() {
    pa_usec_t usec = 0;
    int negative = 0;
    pa_threaded_mainloop_lock(loop_);
    const int playing = playing_.load();
    const bool known = playing != Paused && pa_stream_get_latency(streams_[playing], &usec, &negative) == 0;
    pa_threaded_mainloop_unlock(loop_);
    return !known ? -1 : negative ? 0 : qint64(usec);
}

void PulseOutput::onWrite(pa_stream* s, size_t bytes, void* self) { static_cast<PulseOutput*>(self)->write(s, bytes); }

void PulseOutput::write(pa_stream* stream, size_t bytes) {
    const int playing = playing_.load();
    // Only the stream playing is fed: the synth's sound goes on in one place.
    if (playing == Paused || stream != streams_[playing]) return;
    size_t done = 0;
    while (bytes - done >= FrameBytes) {
        void* data = nullptr;
        size_t n = bytes - done;
        if (pa_stream_begin_write(stream, &data, &n) < 0 || !data) break;
        n = std::min(n, bytes - done) / FrameBytes * FrameBytes;
        if (n == 0) break;
        fluid_synth_write_float(synth_, int(n / FrameBytes), data, 0, 2, data, 1, 2);
        if (pa_stream_write(stream, data, n, nullptr, 0, PA_SEEK_RELATIVE) < 0) break;
        done += n;
    }

    const bool scheduled = scheduled_ && scheduled_();
    // The timed messages are rendered: live notes go on on the short buffer.
    if (!scheduled && playing == Scheduled) {
        play(Live);
        return;
    }
    const quint64 wakes = wakes_.load();
    if (scheduled || wakes != wakesSeen_ || fluid_synth_get_active_voice_count(synth_) > 0) {
        wakesSeen_ = wakes;
        quietFrames_ = 0;
        return;
    }
    quietFrames_ += qint64(done / FrameBytes);
    if (quietFrames_ < qint64(buffering_.idleMs) * rate_ / 1000) return;
    // Pausing. A wake() from here on finds the output paused and plays again; one that came in
    // between is seen here, and the output goes on.
    playing_ = Paused;
    if (wakes_.load() != wakesSeen_) {
        playing_ = playing;
        return;
    }
    quietFrames_ = 0;
    pause();
}

} // namespace platform
