/* What one process call carries: audio buffers, the transport at its first
 * frame, and the event lists in both directions.
 *
 * Source of the facts: the public CLAP 1.2 headers events.h, audio-buffer.h
 * and process.h. Only the event types this plug-in reads or writes are
 * declared; every other type is recognised by its header and skipped. */
#ifndef QUILLET_CLAP_ABI_PROCESS_H
#define QUILLET_CLAP_ABI_PROCESS_H

#include "clap/interface/clap_base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* First member of every event. size counts the whole event, header
 * included; time is the frame offset within the block. */
typedef struct clap_event_header {
  uint32_t size;
  uint32_t time;
  uint16_t space_id; /* 0: the core event types below */
  uint16_t type;
  uint32_t flags;
} clap_event_header_t;

#define CLAP_CORE_EVENT_SPACE_ID 0

enum clap_event_flags {
  CLAP_EVENT_IS_LIVE = 1 << 0,     /* a live user change */
  CLAP_EVENT_DONT_RECORD = 1 << 1, /* not to be recorded as automation */
};

/* Core event types (numbers fixed by the interface; 0 to 4 are notes and
 * note expressions, 10 to 12 MIDI). */
enum {
  CLAP_EVENT_NOTE_ON = 0,
  CLAP_EVENT_NOTE_OFF = 1,
  CLAP_EVENT_NOTE_CHOKE = 2,
  CLAP_EVENT_NOTE_END = 3,
  CLAP_EVENT_NOTE_EXPRESSION = 4,
  CLAP_EVENT_PARAM_VALUE = 5,
  CLAP_EVENT_PARAM_MOD = 6,
  CLAP_EVENT_PARAM_GESTURE_BEGIN = 7,
  CLAP_EVENT_PARAM_GESTURE_END = 8,
  CLAP_EVENT_TRANSPORT = 9,
  CLAP_EVENT_MIDI = 10,
  CLAP_EVENT_MIDI_SYSEX = 11,
  CLAP_EVENT_MIDI2 = 12,
};

/* A parameter's new plain value. The note, port, channel and key fields
 * address one voice; -1 means all, the only case a global effect meets.
 * cookie is the one given in the parameter's info, or null. */
typedef struct clap_event_param_value {
  clap_event_header_t header;
  clap_id param_id;
  void* cookie;
  int32_t note_id;
  int16_t port_index;
  int16_t channel;
  int16_t key;
  double value;
} clap_event_param_value_t;

/* Begin and end of a user's gesture on one parameter; the values in
 * between come as PARAM_VALUE events. */
typedef struct clap_event_param_gesture {
  clap_event_header_t header;
  clap_id param_id;
} clap_event_param_gesture_t;

enum clap_transport_flags {
  CLAP_TRANSPORT_HAS_TEMPO = 1 << 0,
  CLAP_TRANSPORT_HAS_BEATS_TIMELINE = 1 << 1,
  CLAP_TRANSPORT_HAS_SECONDS_TIMELINE = 1 << 2,
  CLAP_TRANSPORT_HAS_TIME_SIGNATURE = 1 << 3,
  CLAP_TRANSPORT_IS_PLAYING = 1 << 4,
  CLAP_TRANSPORT_IS_RECORDING = 1 << 5,
  CLAP_TRANSPORT_IS_LOOP_ACTIVE = 1 << 6,
  CLAP_TRANSPORT_IS_WITHIN_PRE_ROLL = 1 << 7,
};

/* The transport; tempo (beats per minute) is meaningful only with
 * CLAP_TRANSPORT_HAS_TEMPO in flags. */
typedef struct clap_event_transport {
  clap_event_header_t header;
  uint32_t flags;
  clap_beattime song_pos_beats;
  clap_sectime song_pos_seconds;
  double tempo;
  double tempo_inc; /* per frame, until the next transport event */
  clap_beattime loop_start_beats;
  clap_beattime loop_end_beats;
  clap_sectime loop_start_seconds;
  clap_sectime loop_end_seconds;
  clap_beattime bar_start;
  int32_t bar_number;
  uint16_t tsig_num;
  uint16_t tsig_denom;
} clap_event_transport_t;

/* Events from the host, sorted by time; the list owns them. */
typedef struct clap_input_events {
  void* ctx;
  uint32_t(QCLAP_ABI* size)(const struct clap_input_events* list);
  const clap_event_header_t*(QCLAP_ABI* get)(const struct clap_input_events* list, uint32_t index);
} clap_input_events_t;

/* Events to the host, pushed in time order; the host copies each one.
 * False: it could not take the event. */
typedef struct clap_output_events {
  void* ctx;
  bool(QCLAP_ABI* try_push)(const struct clap_output_events* list,
                            const clap_event_header_t* event);
} clap_output_events_t;

/* One port's channels: data32 or data64 is set, as the port's flags and
 * the host's choice say. A set bit of constant_mask says that channel holds
 * one value throughout (a hint; the buffer is still filled). */
typedef struct clap_audio_buffer {
  float** data32;
  double** data64;
  uint32_t channel_count;
  uint32_t latency;
  uint64_t constant_mask;
} clap_audio_buffer_t;

enum {
  CLAP_PROCESS_ERROR = 0,                 /* the output must be discarded */
  CLAP_PROCESS_CONTINUE = 1,              /* keep processing */
  CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2, /* keep processing while the output sounds */
  CLAP_PROCESS_TAIL = 3,                  /* the tail extension decides */
  CLAP_PROCESS_SLEEP = 4,                 /* nothing to do until input or events */
};
typedef int32_t clap_process_status;

typedef struct clap_process {
  int64_t steady_time; /* -1 when unknown; grows by at least frames_count */
  uint32_t frames_count;
  const clap_event_transport_t* transport; /* at frame 0; null in a free-running host */
  const clap_audio_buffer_t* audio_inputs; /* read-only; one per input port */
  clap_audio_buffer_t* audio_outputs;
  uint32_t audio_inputs_count;
  uint32_t audio_outputs_count;
  const clap_input_events_t* in_events;
  const clap_output_events_t* out_events;
} clap_process_t;

#ifdef __cplusplus
}
#endif

#endif
