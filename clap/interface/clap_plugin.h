/* The module's entry, the plug-in factory, the plug-in descriptor and the two
 * central objects: the plug-in as the host drives it and the host as the
 * plug-in calls it.
 *
 * Source of the facts: the public CLAP 1.2 headers entry.h,
 * factory/plugin-factory.h, plugin.h, plugin-features.h and host.h, and their
 * thread annotations, restated in our words beside each member. */
#ifndef QUILLET_CLAP_ABI_PLUGIN_H
#define QUILLET_CLAP_ABI_PLUGIN_H

#include "clap/interface/clap_base.h"

#ifdef __cplusplus
extern "C" {
#endif

struct clap_process;
struct clap_host;

/* The one exported symbol of a .clap file is a constant of this type named
 * clap_entry. Hosts look in ~/.clap and /usr/lib/clap on Linux, in
 * %COMMONPROGRAMFILES%\CLAP and %LOCALAPPDATA%\Programs\Common\CLAP on
 * Windows, and in every folder of the CLAP_PATH variable, recursively, for
 * files ending in .clap. */
typedef struct clap_plugin_entry {
  clap_version_t clap_version;
  /* First call into the module, on any thread, never concurrently with any
   * other call. Must be quick (hosts scan with it), shows nothing. Since 1.2
   * hosts may call init/deinit more than once (a wrapper loading the same
   * module), so the module counts them. False: the host calls nothing else,
   * not even deinit. plugin_path is the .clap file itself. */
  bool(QCLAP_ABI* init)(const char* plugin_path);
  /* Undoes init; afterwards only init may be called again. */
  void(QCLAP_ABI* deinit)(void);
  /* A factory by its id, or null; the module keeps ownership. Thread-safe,
   * may be called concurrently. */
  const void*(QCLAP_ABI* get_factory)(const char* factory_id);
} clap_plugin_entry_t;

/* Ids and names the plug-in's descriptor lists as features. */
#define CLAP_PLUGIN_FEATURE_AUDIO_EFFECT "audio-effect"
#define CLAP_PLUGIN_FEATURE_DELAY "delay"
#define CLAP_PLUGIN_FEATURE_STEREO "stereo"
#define CLAP_PLUGIN_FEATURE_MONO "mono"

typedef struct clap_plugin_descriptor {
  clap_version_t clap_version;
  /* id and name are mandatory and not blank; the others may be blank. id is
   * the plug-in's stable identity (reverse domain style); version is best
   * written as MAJOR(.MINOR(.REVISION)?)?( (Alpha|Beta) XREV)?. */
  const char* id;
  const char* name;
  const char* vendor;
  const char* url;
  const char* manual_url;
  const char* support_url;
  const char* version;
  const char* description;
  /* Null-terminated array of feature keywords (see the FEATURE strings). */
  const char* const* features;
} clap_plugin_descriptor_t;

typedef struct clap_plugin {
  const clap_plugin_descriptor_t* desc;
  void* plugin_data; /* the plug-in's own pointer */

  /* [main-thread] After creation; host extensions may be queried from here
   * on. False: the host destroys the plug-in. Leaves it deactivated. */
  bool(QCLAP_ABI* init)(const struct clap_plugin* plugin);
  /* [main-thread & !active] */
  void(QCLAP_ABI* destroy)(const struct clap_plugin* plugin);
  /* [main-thread & !active] Allocate everything processing needs. The rate
   * stays fixed and every block has between min and max frames (1 to
   * INT32_MAX) until deactivate; latency and ports stay fixed meanwhile. */
  bool(QCLAP_ABI* activate)(const struct clap_plugin* plugin, double sample_rate,
                            uint32_t min_frames_count, uint32_t max_frames_count);
  /* [main-thread & active] */
  void(QCLAP_ABI* deactivate)(const struct clap_plugin* plugin);
  /* [audio-thread & active & !processing] */
  bool(QCLAP_ABI* start_processing)(const struct clap_plugin* plugin);
  /* [audio-thread & active & processing] */
  void(QCLAP_ABI* stop_processing)(const struct clap_plugin* plugin);
  /* [audio-thread & active] Clears all audio state (buffers, filters); the
   * parameter values stay; steady_time may jump back afterwards. */
  void(QCLAP_ABI* reset)(const struct clap_plugin* plugin);
  /* [audio-thread & active & processing] Every pointer reachable from the
   * process record is valid only during the call. */
  int32_t(QCLAP_ABI* process)(const struct clap_plugin* plugin, const struct clap_process* process);
  /* [thread-safe] An extension by id, or null; not before init. */
  const void*(QCLAP_ABI* get_extension)(const struct clap_plugin* plugin, const char* id);
  /* [main-thread] Answer to the host's request_callback. */
  void(QCLAP_ABI* on_main_thread)(const struct clap_plugin* plugin);
} clap_plugin_t;

typedef struct clap_host {
  clap_version_t clap_version;
  void* host_data;  /* the host's own pointer */
  const char* name; /* mandatory */
  const char* vendor;
  const char* url;
  const char* version; /* mandatory */
  /* [thread-safe] A host extension by id, or null; not before the
   * plug-in's init. */
  const void*(QCLAP_ABI* get_extension)(const struct clap_host* host, const char* extension_id);
  /* [thread-safe] Ask for deactivate + activate (the host may delay it). */
  void(QCLAP_ABI* request_restart)(const struct clap_host* host);
  /* [thread-safe] Ask to be activated and processing. */
  void(QCLAP_ABI* request_process)(const struct clap_host* host);
  /* [thread-safe] Ask for a call of on_main_thread on the main thread. */
  void(QCLAP_ABI* request_callback)(const struct clap_host* host);
} clap_host_t;

#define CLAP_PLUGIN_FACTORY_ID "clap.plugin-factory"

/* Every member is thread-safe; scanning must be fast. */
typedef struct clap_plugin_factory {
  uint32_t(QCLAP_ABI* get_plugin_count)(const struct clap_plugin_factory* factory);
  /* Null for an index out of range; the module keeps ownership. */
  const clap_plugin_descriptor_t*(QCLAP_ABI* get_plugin_descriptor)(
      const struct clap_plugin_factory* factory, uint32_t index);
  /* Null on error or an unknown id. The new plug-in must not call the host
   * before its init. Freed by plugin->destroy. */
  const clap_plugin_t*(QCLAP_ABI* create_plugin)(const struct clap_plugin_factory* factory,
                                                 const clap_host_t* host, const char* plugin_id);
} clap_plugin_factory_t;

#ifdef __cplusplus
}
#endif

#endif
