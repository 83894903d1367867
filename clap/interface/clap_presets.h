/* Preset browsing: the preset-discovery factory a host indexes presets
 * through, and the preset-load extension it then loads one with.
 *
 * Both were drafts in CLAP 1.1 and became stable in 1.2.0 with new ids; the
 * last draft ids ("/draft-2" for the factory, ".draft/2" for the extension)
 * name the same layout, so a host built on either finds us when we answer
 * both. Qtractor 0.9.31 (Debian 12) uses neither.
 *
 * Source of the facts: the public CLAP 1.2 headers
 * factory/preset-discovery.h, ext/preset-load.h, universal-plugin-id.h and
 * timestamp.h, and the 1.1 draft factory/draft/preset-discovery.h. */
#ifndef QUILLET_CLAP_ABI_PRESETS_H
#define QUILLET_CLAP_ABI_PRESETS_H

#include "clap/interface/clap_plugin.h"

#ifdef __cplusplus
extern "C" {
#endif

#define CLAP_PRESET_DISCOVERY_FACTORY_ID "clap.preset-discovery-factory/2"
#define CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT "clap.preset-discovery-factory/draft-2"

/* Seconds since the Unix epoch; 0 when unknown. */
typedef uint64_t clap_timestamp;
#define CLAP_TIMESTAMP_UNKNOWN 0

/* A plug-in in any format: abi "clap" with the descriptor id, "vst2" with
 * the unique ID printed as a signed decimal, "vst3" with the class id as a
 * UUID, and so on. */
typedef struct clap_universal_plugin_id {
  const char* abi;
  const char* id;
} clap_universal_plugin_id_t;

enum clap_preset_discovery_location_kind {
  /* A file or folder; location is its path. */
  CLAP_PRESET_DISCOVERY_LOCATION_FILE = 0,
  /* Inside the plug-in's own module; location is null. */
  CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN = 1,
};

enum clap_preset_discovery_flags {
  CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT = 1 << 0,
  CLAP_PRESET_DISCOVERY_IS_USER_CONTENT = 1 << 1,
  CLAP_PRESET_DISCOVERY_IS_DEMO_CONTENT = 1 << 2,
  CLAP_PRESET_DISCOVERY_IS_FAVORITE = 1 << 3,
};

/* The host's receiver of one location's presets (not thread-safe). For a
 * container (our case) every preset starts with begin_preset, with a name
 * and a load key; the calls after it describe that preset. */
typedef struct clap_preset_discovery_metadata_receiver {
  void* receiver_data;
  void(QCLAP_ABI* on_error)(const struct clap_preset_discovery_metadata_receiver* receiver,
                            int32_t os_error, const char* error_message);
  /* False: stop calling this receiver. */
  bool(QCLAP_ABI* begin_preset)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                const char* name, const char* load_key);
  void(QCLAP_ABI* add_plugin_id)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                 const clap_universal_plugin_id_t* plugin_id);
  void(QCLAP_ABI* set_soundpack_id)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                    const char* soundpack_id);
  /* Unset flags are inherited from the location. */
  void(QCLAP_ABI* set_flags)(const struct clap_preset_discovery_metadata_receiver* receiver,
                             uint32_t flags);
  void(QCLAP_ABI* add_creator)(const struct clap_preset_discovery_metadata_receiver* receiver,
                               const char* creator);
  void(QCLAP_ABI* set_description)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                   const char* description);
  void(QCLAP_ABI* set_timestamps)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                  clap_timestamp creation_time, clap_timestamp modification_time);
  void(QCLAP_ABI* add_feature)(const struct clap_preset_discovery_metadata_receiver* receiver,
                               const char* feature);
  void(QCLAP_ABI* add_extra_info)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                  const char* key, const char* value);
} clap_preset_discovery_metadata_receiver_t;

typedef struct clap_preset_discovery_filetype {
  const char* name;
  const char* description;
  const char* file_extension; /* without the dot; empty or null matches all */
} clap_preset_discovery_filetype_t;

typedef struct clap_preset_discovery_location {
  uint32_t flags; /* clap_preset_discovery_flags */
  const char* name;
  uint32_t kind;        /* clap_preset_discovery_location_kind */
  const char* location; /* a path, or null for LOCATION_PLUGIN */
} clap_preset_discovery_location_t;

typedef struct clap_preset_discovery_soundpack {
  uint32_t flags;
  const char* id;
  const char* name;
  const char* description;
  const char* homepage_url;
  const char* vendor;
  const char* image_path;
  clap_timestamp release_timestamp;
} clap_preset_discovery_soundpack_t;

typedef struct clap_preset_discovery_provider_descriptor {
  clap_version_t clap_version;
  const char* id;
  const char* name;
  const char* vendor;
} clap_preset_discovery_provider_descriptor_t;

/* One provider (not thread-safe). init declares the locations, file types
 * and sound packs to the indexer; get_metadata then reports one location's
 * presets. No indexing step may be slow or interactive. */
typedef struct clap_preset_discovery_provider {
  const clap_preset_discovery_provider_descriptor_t* desc;
  void* provider_data;
  bool(QCLAP_ABI* init)(const struct clap_preset_discovery_provider* provider);
  void(QCLAP_ABI* destroy)(const struct clap_preset_discovery_provider* provider);
  bool(QCLAP_ABI* get_metadata)(const struct clap_preset_discovery_provider* provider,
                                uint32_t location_kind, const char* location,
                                const clap_preset_discovery_metadata_receiver_t* metadata_receiver);
  const void*(QCLAP_ABI* get_extension)(const struct clap_preset_discovery_provider* provider,
                                        const char* extension_id);
} clap_preset_discovery_provider_t;

/* The host's indexer (not thread-safe); the provider must not call back
 * into it before init, nor into the provider from its declare calls. */
typedef struct clap_preset_discovery_indexer {
  clap_version_t clap_version;
  const char* name;
  const char* vendor;
  const char* url;
  const char* version;
  void* indexer_data;
  bool(QCLAP_ABI* declare_filetype)(const struct clap_preset_discovery_indexer* indexer,
                                    const clap_preset_discovery_filetype_t* filetype);
  bool(QCLAP_ABI* declare_location)(const struct clap_preset_discovery_indexer* indexer,
                                    const clap_preset_discovery_location_t* location);
  bool(QCLAP_ABI* declare_soundpack)(const struct clap_preset_discovery_indexer* indexer,
                                     const clap_preset_discovery_soundpack_t* soundpack);
  const void*(QCLAP_ABI* get_extension)(const struct clap_preset_discovery_indexer* indexer,
                                        const char* extension_id);
} clap_preset_discovery_indexer_t;

/* Every member is thread-safe. */
typedef struct clap_preset_discovery_factory {
  uint32_t(QCLAP_ABI* count)(const struct clap_preset_discovery_factory* factory);
  const clap_preset_discovery_provider_descriptor_t*(QCLAP_ABI* get_descriptor)(
      const struct clap_preset_discovery_factory* factory, uint32_t index);
  /* Null for an unknown id. Freed by provider->destroy. */
  const clap_preset_discovery_provider_t*(QCLAP_ABI* create)(
      const struct clap_preset_discovery_factory* factory,
      const clap_preset_discovery_indexer_t* indexer, const char* provider_id);
} clap_preset_discovery_factory_t;

/* ---- preset-load: the plug-in loads what the provider listed ---- */

#define CLAP_EXT_PRESET_LOAD "clap.preset-load/2"
#define CLAP_EXT_PRESET_LOAD_COMPAT "clap.preset-load.draft/2"

typedef struct clap_plugin_preset_load {
  /* [main-thread] location_kind, location and load_key as the provider gave
   * them. */
  bool(QCLAP_ABI* from_location)(const clap_plugin_t* plugin, uint32_t location_kind,
                                 const char* location, const char* load_key);
} clap_plugin_preset_load_t;

typedef struct clap_host_preset_load {
  /* [main-thread] A load failed. */
  void(QCLAP_ABI* on_error)(const clap_host_t* host, uint32_t location_kind, const char* location,
                            const char* load_key, int32_t os_error, const char* msg);
  /* [main-thread] A preset was loaded (also one chosen in the plug-in's own
   * browser), so the host's browser can follow. */
  void(QCLAP_ABI* loaded)(const clap_host_t* host, uint32_t location_kind, const char* location,
                          const char* load_key);
} clap_host_preset_load_t;

#ifdef __cplusplus
}
#endif

#endif
