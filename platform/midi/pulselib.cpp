#include "pulselib.h"

#include "platform/runtimelibrary.h"

// Each entry: return type, name, parameter list, argument list. A definition that does not
// match the library's header does not compile.
#define TONVALE_PULSE_FUNCTIONS(X)                                                                       \
    X(pa_threaded_mainloop*, pa_threaded_mainloop_new, (void), ())                                       \
    X(void, pa_threaded_mainloop_free, (pa_threaded_mainloop * m), (m))                                  \
    X(int, pa_threaded_mainloop_start, (pa_threaded_mainloop * m), (m))                                  \
    X(void, pa_threaded_mainloop_stop, (pa_threaded_mainloop * m), (m))                                  \
    X(void, pa_threaded_mainloop_lock, (pa_threaded_mainloop * m), (m))                                  \
    X(void, pa_threaded_mainloop_unlock, (pa_threaded_mainloop * m), (m))                                \
    X(void, pa_threaded_mainloop_wait, (pa_threaded_mainloop * m), (m))                                  \
    X(void, pa_threaded_mainloop_signal, (pa_threaded_mainloop * m, int w), (m, w))                      \
    X(pa_mainloop_api*, pa_threaded_mainloop_get_api, (pa_threaded_mainloop * m), (m))                   \
    X(pa_context*, pa_context_new, (pa_mainloop_api * a, const char* n), (a, n))                         \
    X(void, pa_context_unref, (pa_context * c), (c))                                                     \
    X(int, pa_context_connect, (pa_context * c, const char* s, pa_context_flags_t f, const pa_spawn_api* p), \
      (c, s, f, p))                                                                                      \
    X(void, pa_context_disconnect, (pa_context * c), (c))                                                \
    X(pa_context_state_t, pa_context_get_state, (const pa_context* c), (c))                              \
    X(void, pa_context_set_state_callback, (pa_context * c, pa_context_notify_cb_t cb, void* u), (c, cb, u)) \
    X(pa_stream*, pa_stream_new, (pa_context * c, const char* n, const pa_sample_spec* s, const pa_channel_map* m), \
      (c, n, s, m))                                                                                      \
    X(void, pa_stream_unref, (pa_stream * s), (s))                                                       \
    X(int, pa_stream_connect_playback,                                                                   \
      (pa_stream * s, const char* d, const pa_buffer_attr* a, pa_stream_flags_t f, const pa_cvolume* v,  \
       pa_stream* y),                                                                                    \
      (s, d, a, f, v, y))                                                                                \
    X(int, pa_stream_disconnect, (pa_stream * s), (s))                                                   \
    X(pa_stream_state_t, pa_stream_get_state, (const pa_stream* s), (s))                                 \
    X(void, pa_stream_set_state_callback, (pa_stream * s, pa_stream_notify_cb_t cb, void* u), (s, cb, u)) \
    X(void, pa_stream_set_write_callback, (pa_stream * s, pa_stream_request_cb_t cb, void* u), (s, cb, u)) \
    X(void, pa_stream_set_underflow_callback, (pa_stream * s, pa_stream_notify_cb_t cb, void* u), (s, cb, u)) \
    X(int, pa_stream_begin_write, (pa_stream * s, void** d, size_t* n), (s, d, n))                       \
    X(int, pa_stream_write,                                                                              \
      (pa_stream * s, const void* d, size_t n, pa_free_cb_t f, int64_t o, pa_seek_mode_t m),             \
      (s, d, n, f, o, m))                                                                                \
    X(pa_operation*, pa_stream_cork, (pa_stream * s, int b, pa_stream_success_cb_t cb, void* u), (s, b, cb, u)) \
    X(pa_operation*, pa_stream_flush, (pa_stream * s, pa_stream_success_cb_t cb, void* u), (s, cb, u))   \
    X(int, pa_stream_get_latency, (pa_stream * s, pa_usec_t* r, int* n), (s, r, n))                      \
    X(size_t, pa_stream_writable_size, (const pa_stream* s), (s))                                        \
    X(void, pa_operation_unref, (pa_operation * o), (o))

TONVALE_RUNTIME_FUNCTIONS(TONVALE_PULSE_FUNCTIONS, loadPulseAudio, "libpulse.so.0", "libpulse.so")
