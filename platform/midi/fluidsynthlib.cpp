#include "fluidsynthlib.h"

#include "platform/runtimelibrary.h"

// Each entry: return type, name, parameter list, argument list. A definition that does not
// match the library's header does not compile.
#define TONVALE_FLUID_FUNCTIONS(X)                                                                       \
    X(fluid_settings_t*, new_fluid_settings, (void), ())                                                 \
    X(void, delete_fluid_settings, (fluid_settings_t * s), (s))                                          \
    X(int, fluid_settings_setint, (fluid_settings_t * s, const char* n, int v), (s, n, v))               \
    X(int, fluid_settings_setnum, (fluid_settings_t * s, const char* n, double v), (s, n, v))            \
    X(int, fluid_settings_setstr, (fluid_settings_t * s, const char* n, const char* v), (s, n, v))       \
    X(fluid_log_function_t, fluid_set_log_function, (int l, fluid_log_function_t f, void* d), (l, f, d)) \
    X(fluid_synth_t*, new_fluid_synth, (fluid_settings_t * s), (s))                                      \
    X(void, delete_fluid_synth, (fluid_synth_t * s), (s))                                                \
    X(int, fluid_synth_sfload, (fluid_synth_t * s, const char* f, int r), (s, f, r))                     \
    X(void, fluid_synth_add_sfloader, (fluid_synth_t * s, fluid_sfloader_t* l), (s, l))                  \
    X(fluid_sfloader_t*, new_fluid_defsfloader, (fluid_settings_t * s), (s))                             \
    X(int, fluid_sfloader_set_callbacks,                                                                 \
      (fluid_sfloader_t * l, fluid_sfloader_callback_open_t o, fluid_sfloader_callback_read_t r,         \
       fluid_sfloader_callback_seek_t s, fluid_sfloader_callback_tell_t t,                               \
       fluid_sfloader_callback_close_t c),                                                               \
      (l, o, r, s, t, c))                                                                                \
    X(int, fluid_synth_noteon, (fluid_synth_t * s, int c, int k, int v), (s, c, k, v))                   \
    X(int, fluid_synth_noteoff, (fluid_synth_t * s, int c, int k), (s, c, k))                            \
    X(int, fluid_synth_cc, (fluid_synth_t * s, int c, int n, int v), (s, c, n, v))                       \
    X(int, fluid_synth_get_cc, (fluid_synth_t * s, int c, int n, int* v), (s, c, n, v))                  \
    X(int, fluid_synth_program_change, (fluid_synth_t * s, int c, int p), (s, c, p))                     \
    X(int, fluid_synth_bank_select, (fluid_synth_t * s, int c, int b), (s, c, b))                        \
    X(int, fluid_synth_program_reset, (fluid_synth_t * s), (s))                                          \
    X(int, fluid_synth_pin_preset, (fluid_synth_t * s, int f, int b, int p), (s, f, b, p))               \
    X(int, fluid_synth_get_program, (fluid_synth_t * s, int c, int* f, int* b, int* p), (s, c, f, b, p)) \
    X(int, fluid_synth_pitch_bend, (fluid_synth_t * s, int c, int v), (s, c, v))                         \
    X(int, fluid_synth_get_pitch_bend, (fluid_synth_t * s, int c, int* v), (s, c, v))                    \
    X(int, fluid_synth_key_pressure, (fluid_synth_t * s, int c, int k, int v), (s, c, k, v))             \
    X(int, fluid_synth_channel_pressure, (fluid_synth_t * s, int c, int v), (s, c, v))                   \
    X(int, fluid_synth_all_sounds_off, (fluid_synth_t * s, int c), (s, c))                               \
    X(int, fluid_synth_set_channel_type, (fluid_synth_t * s, int c, int t), (s, c, t))                   \
    X(int, fluid_synth_get_active_voice_count, (fluid_synth_t * s), (s))                                 \
    X(int, fluid_synth_write_float,                                                                      \
      (fluid_synth_t * s, int n, void* l, int lo, int li, void* r, int ro, int ri),                      \
      (s, n, l, lo, li, r, ro, ri))                                                                      \
    X(fluid_audio_driver_t*, new_fluid_audio_driver, (fluid_settings_t * s, fluid_synth_t* y), (s, y))   \
    X(fluid_audio_driver_t*, new_fluid_audio_driver2, (fluid_settings_t * s, fluid_audio_func_t f, void* d), \
      (s, f, d))                                                                                         \
    X(void, delete_fluid_audio_driver, (fluid_audio_driver_t * d), (d))                                  \
    X(fluid_file_renderer_t*, new_fluid_file_renderer, (fluid_synth_t * s), (s))                         \
    X(void, delete_fluid_file_renderer, (fluid_file_renderer_t * r), (r))                                \
    X(int, fluid_file_renderer_process_block, (fluid_file_renderer_t * r), (r))                          \
    X(fluid_sequencer_t*, new_fluid_sequencer2, (int t), (t))                                            \
    X(void, delete_fluid_sequencer, (fluid_sequencer_t * q), (q))                                        \
    X(fluid_seq_id_t, fluid_sequencer_register_fluidsynth, (fluid_sequencer_t * q, fluid_synth_t* s),    \
      (q, s))                                                                                            \
    X(fluid_seq_id_t, fluid_sequencer_register_client,                                                   \
      (fluid_sequencer_t * q, const char* n, fluid_event_callback_t c, void* d), (q, n, c, d))           \
    X(unsigned int, fluid_sequencer_get_tick, (fluid_sequencer_t * q), (q))                              \
    X(int, fluid_sequencer_send_at, (fluid_sequencer_t * q, fluid_event_t* e, unsigned int t, int a),    \
      (q, e, t, a))                                                                                      \
    X(void, fluid_sequencer_remove_events,                                                               \
      (fluid_sequencer_t * q, fluid_seq_id_t s, fluid_seq_id_t d, int t), (q, s, d, t))                  \
    X(fluid_event_t*, new_fluid_event, (void), ())                                                       \
    X(void, delete_fluid_event, (fluid_event_t * e), (e))                                                \
    X(void, fluid_event_set_source, (fluid_event_t * e, fluid_seq_id_t s), (e, s))                       \
    X(void, fluid_event_set_dest, (fluid_event_t * e, fluid_seq_id_t d), (e, d))                         \
    X(void, fluid_event_noteon, (fluid_event_t * e, int c, short k, short v), (e, c, k, v))              \
    X(void, fluid_event_noteoff, (fluid_event_t * e, int c, short k), (e, c, k))                         \
    X(void, fluid_event_control_change, (fluid_event_t * e, int c, short n, int v), (e, c, n, v))        \
    X(void, fluid_event_program_change, (fluid_event_t * e, int c, int p), (e, c, p))                    \
    X(void, fluid_event_pitch_bend, (fluid_event_t * e, int c, int v), (e, c, v))                        \
    X(void, fluid_event_key_pressure, (fluid_event_t * e, int c, short k, int v), (e, c, k, v))          \
    X(void, fluid_event_channel_pressure, (fluid_event_t * e, int c, int v), (e, c, v))

TONVALE_RUNTIME_FUNCTIONS(TONVALE_FLUID_FUNCTIONS, loadFluidSynth, "libfluidsynth.so.3", "libfluidsynth.so")
