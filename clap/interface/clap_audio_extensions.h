/* The plug-in extensions an audio effect answers: audio ports, parameters,
 * state (with the byte streams it uses), latency and tail, each with the
 * host side that goes with it.
 *
 * Source of the facts: the public CLAP 1.2 headers ext/audio-ports.h,
 * ext/params.h, ext/state.h, stream.h, ext/latency.h and ext/tail.h. */
#ifndef QUILLET_CLAP_ABI_AUDIO_EXTENSIONS_H
#define QUILLET_CLAP_ABI_AUDIO_EXTENSIONS_H

#include "clap/interface/clap_plugin.h"
#include "clap/interface/clap_process.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- audio-ports: scanned while the plug-in is deactivated ---- */

#define CLAP_EXT_AUDIO_PORTS "clap.audio-ports"
#define CLAP_PORT_MONO "mono"
#define CLAP_PORT_STEREO "stereo"

enum {
  CLAP_AUDIO_PORT_IS_MAIN = 1 << 0, /* at most one main input and output, at index 0 */
  CLAP_AUDIO_PORT_SUPPORTS_64BITS = 1 << 1,
  CLAP_AUDIO_PORT_PREFERS_64BITS = 1 << 2,
  /* All ports with this flag use the same sample size in one block. */
  CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE = 1 << 3,
};

typedef struct clap_audio_port_info {
  clap_id id; /* stable; input and output ids may overlap */
  char name[CLAP_NAME_SIZE];
  uint32_t flags;
  uint32_t channel_count;
  const char* port_type; /* CLAP_PORT_STEREO etc., or null */
  /* The output (or input) port that may share this port's buffers, or
   * CLAP_INVALID_ID when processing in place is not allowed. */
  clap_id in_place_pair;
} clap_audio_port_info_t;

typedef struct clap_plugin_audio_ports {
  /* [main-thread] */
  uint32_t(QCLAP_ABI* count)(const clap_plugin_t* plugin, bool is_input);
  /* [main-thread] */
  bool(QCLAP_ABI* get)(const clap_plugin_t* plugin, uint32_t index, bool is_input,
                       clap_audio_port_info_t* info);
} clap_plugin_audio_ports_t;

/* ---- params ---- */

#define CLAP_EXT_PARAMS "clap.params"

enum {
  /* Integer values only: the host's double is truncated (a cast). */
  CLAP_PARAM_IS_STEPPED = 1 << 0,
  CLAP_PARAM_IS_PERIODIC = 1 << 1,
  CLAP_PARAM_IS_HIDDEN = 1 << 2,
  CLAP_PARAM_IS_READONLY = 1 << 3,
  /* Merges with the host's bypass button (stepped, 0 off, 1 on). */
  CLAP_PARAM_IS_BYPASS = 1 << 4,
  /* Automation can be recorded and played back. */
  CLAP_PARAM_IS_AUTOMATABLE = 1 << 5,
  CLAP_PARAM_IS_AUTOMATABLE_PER_NOTE_ID = 1 << 6,
  CLAP_PARAM_IS_AUTOMATABLE_PER_KEY = 1 << 7,
  CLAP_PARAM_IS_AUTOMATABLE_PER_CHANNEL = 1 << 8,
  CLAP_PARAM_IS_AUTOMATABLE_PER_PORT = 1 << 9,
  CLAP_PARAM_IS_MODULATABLE = 1 << 10,
  CLAP_PARAM_IS_MODULATABLE_PER_NOTE_ID = 1 << 11,
  CLAP_PARAM_IS_MODULATABLE_PER_KEY = 1 << 12,
  CLAP_PARAM_IS_MODULATABLE_PER_CHANNEL = 1 << 13,
  CLAP_PARAM_IS_MODULATABLE_PER_PORT = 1 << 14,
  /* A change must go through process while the plug-in is active. */
  CLAP_PARAM_REQUIRES_PROCESS = 1 << 15,
  /* Stepped, and every value from min to max has a text. */
  CLAP_PARAM_IS_ENUM = 1 << 16,
};
typedef uint32_t clap_param_info_flags;

typedef struct clap_param_info {
  clap_id id; /* stable for ever */
  clap_param_info_flags flags;
  /* Handed back in events about this parameter (or null), to save a lookup;
   * invalid after a full rescan. */
  void* cookie;
  char name[CLAP_NAME_SIZE];
  char module[CLAP_PATH_SIZE]; /* "/"-separated group path, empty for none */
  double min_value;            /* plain values */
  double max_value;
  double default_value;
} clap_param_info_t;

typedef struct clap_plugin_params {
  /* [main-thread] */
  uint32_t(QCLAP_ABI* count)(const clap_plugin_t* plugin);
  /* [main-thread] */
  bool(QCLAP_ABI* get_info)(const clap_plugin_t* plugin, uint32_t param_index,
                            clap_param_info_t* param_info);
  /* [main-thread] */
  bool(QCLAP_ABI* get_value)(const clap_plugin_t* plugin, clap_id param_id, double* out_value);
  /* [main-thread] NUL-terminated UTF-8 within the capacity. */
  bool(QCLAP_ABI* value_to_text)(const clap_plugin_t* plugin, clap_id param_id, double value,
                                 char* out_buffer, uint32_t out_buffer_capacity);
  /* [main-thread] */
  bool(QCLAP_ABI* text_to_value)(const clap_plugin_t* plugin, clap_id param_id,
                                 const char* param_value_text, double* out_value);
  /* [active ? audio-thread : main-thread] Parameter events outside process,
   * both ways; never concurrent with process. */
  void(QCLAP_ABI* flush)(const clap_plugin_t* plugin, const clap_input_events_t* in,
                         const clap_output_events_t* out);
} clap_plugin_params_t;

enum {
  CLAP_PARAM_RESCAN_VALUES = 1 << 0, /* values changed (a preset); not recorded */
  CLAP_PARAM_RESCAN_TEXT = 1 << 1,   /* value texts changed */
  CLAP_PARAM_RESCAN_INFO = 1 << 2,   /* names, modules, periodic or hidden flags changed */
  CLAP_PARAM_RESCAN_ALL = 1 << 3,    /* everything; only while deactivated */
};
typedef uint32_t clap_param_rescan_flags;

enum {
  CLAP_PARAM_CLEAR_ALL = 1 << 0,
  CLAP_PARAM_CLEAR_AUTOMATIONS = 1 << 1,
  CLAP_PARAM_CLEAR_MODULATIONS = 1 << 2,
};
typedef uint32_t clap_param_clear_flags;

typedef struct clap_host_params {
  /* [main-thread] */
  void(QCLAP_ABI* rescan)(const clap_host_t* host, clap_param_rescan_flags flags);
  /* [main-thread] */
  void(QCLAP_ABI* clear)(const clap_host_t* host, clap_id param_id, clap_param_clear_flags flags);
  /* [thread-safe, not the audio thread] Ask for a process or a flush call
   * soon, to deliver the plug-in's own parameter events. */
  void(QCLAP_ABI* request_flush)(const clap_host_t* host);
} clap_host_params_t;

/* ---- state ---- */

/* Hosts may move fewer bytes per call than asked: loop until done. */
typedef struct clap_istream {
  void* ctx;
  /* Bytes read; 0 at the end of the stream, -1 on a read error. */
  int64_t(QCLAP_ABI* read)(const struct clap_istream* stream, void* buffer, uint64_t size);
} clap_istream_t;

typedef struct clap_ostream {
  void* ctx;
  /* Bytes written; -1 on a write error. */
  int64_t(QCLAP_ABI* write)(const struct clap_ostream* stream, const void* buffer, uint64_t size);
} clap_ostream_t;

#define CLAP_EXT_STATE "clap.state"

typedef struct clap_plugin_state {
  /* [main-thread] */
  bool(QCLAP_ABI* save)(const clap_plugin_t* plugin, const clap_ostream_t* stream);
  /* [main-thread] */
  bool(QCLAP_ABI* load)(const clap_plugin_t* plugin, const clap_istream_t* stream);
} clap_plugin_state_t;

typedef struct clap_host_state {
  /* [main-thread] The state changed other than through a parameter. */
  void(QCLAP_ABI* mark_dirty)(const clap_host_t* host);
} clap_host_state_t;

/* ---- latency ---- */

#define CLAP_EXT_LATENCY "clap.latency"

typedef struct clap_plugin_latency {
  /* [main-thread] In frames; fixed while active. */
  uint32_t(QCLAP_ABI* get)(const clap_plugin_t* plugin);
} clap_plugin_latency_t;

typedef struct clap_host_latency {
  /* [main-thread] Only while deactivated (else request_restart first). */
  void(QCLAP_ABI* changed)(const clap_host_t* host);
} clap_host_latency_t;

/* ---- tail ---- */

#define CLAP_EXT_TAIL "clap.tail"

typedef struct clap_plugin_tail {
  /* [main-thread, audio-thread] In frames; INT32_MAX or more is endless. */
  uint32_t(QCLAP_ABI* get)(const clap_plugin_t* plugin);
} clap_plugin_tail_t;

typedef struct clap_host_tail {
  /* [audio-thread] */
  void(QCLAP_ABI* changed)(const clap_host_t* host);
} clap_host_tail_t;

#ifdef __cplusplus
}
#endif

#endif
