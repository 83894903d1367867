// Compile-time proof that our declarations lay out as the CLAP interface does
// on 64-bit targets (x86-64 Linux and Windows, and arm64, which share these
// layouts: natural alignment, 8-byte pointers). Every number below was worked
// out by hand from the member order and types of the public headers, so a
// slip in a declaration fails the build of the plug-in itself.
#include <cstddef>

#include "clap/interface/clap_audio_extensions.h"
#include "clap/interface/clap_gui.h"
#include "clap/interface/clap_presets.h"

#if UINTPTR_MAX == UINT64_MAX

#define QCLAP_AT(type, member, offset) \
  static_assert(offsetof(type, member) == (offset), #type "." #member)
#define QCLAP_SIZE(type, size) static_assert(sizeof(type) == (size), "sizeof " #type)

QCLAP_SIZE(clap_version_t, 12);

QCLAP_SIZE(clap_plugin_entry_t, 40);
QCLAP_AT(clap_plugin_entry_t, init, 16);
QCLAP_AT(clap_plugin_entry_t, deinit, 24);
QCLAP_AT(clap_plugin_entry_t, get_factory, 32);

QCLAP_SIZE(clap_plugin_descriptor_t, 88);
QCLAP_AT(clap_plugin_descriptor_t, id, 16);
QCLAP_AT(clap_plugin_descriptor_t, name, 24);
QCLAP_AT(clap_plugin_descriptor_t, vendor, 32);
QCLAP_AT(clap_plugin_descriptor_t, url, 40);
QCLAP_AT(clap_plugin_descriptor_t, version, 64);
QCLAP_AT(clap_plugin_descriptor_t, description, 72);
QCLAP_AT(clap_plugin_descriptor_t, features, 80);

QCLAP_SIZE(clap_plugin_t, 96);
QCLAP_AT(clap_plugin_t, plugin_data, 8);
QCLAP_AT(clap_plugin_t, init, 16);
QCLAP_AT(clap_plugin_t, destroy, 24);
QCLAP_AT(clap_plugin_t, activate, 32);
QCLAP_AT(clap_plugin_t, deactivate, 40);
QCLAP_AT(clap_plugin_t, start_processing, 48);
QCLAP_AT(clap_plugin_t, stop_processing, 56);
QCLAP_AT(clap_plugin_t, reset, 64);
QCLAP_AT(clap_plugin_t, process, 72);
QCLAP_AT(clap_plugin_t, get_extension, 80);
QCLAP_AT(clap_plugin_t, on_main_thread, 88);

QCLAP_SIZE(clap_host_t, 88);
QCLAP_AT(clap_host_t, host_data, 16);
QCLAP_AT(clap_host_t, name, 24);
QCLAP_AT(clap_host_t, version, 48);
QCLAP_AT(clap_host_t, get_extension, 56);
QCLAP_AT(clap_host_t, request_restart, 64);
QCLAP_AT(clap_host_t, request_process, 72);
QCLAP_AT(clap_host_t, request_callback, 80);

QCLAP_SIZE(clap_plugin_factory_t, 24);
QCLAP_AT(clap_plugin_factory_t, create_plugin, 16);

QCLAP_SIZE(clap_event_header_t, 16);
QCLAP_AT(clap_event_header_t, time, 4);
QCLAP_AT(clap_event_header_t, space_id, 8);
QCLAP_AT(clap_event_header_t, type, 10);
QCLAP_AT(clap_event_header_t, flags, 12);

QCLAP_SIZE(clap_event_param_value_t, 56);
QCLAP_AT(clap_event_param_value_t, param_id, 16);
QCLAP_AT(clap_event_param_value_t, cookie, 24);
QCLAP_AT(clap_event_param_value_t, note_id, 32);
QCLAP_AT(clap_event_param_value_t, port_index, 36);
QCLAP_AT(clap_event_param_value_t, channel, 38);
QCLAP_AT(clap_event_param_value_t, key, 40);
QCLAP_AT(clap_event_param_value_t, value, 48);

QCLAP_SIZE(clap_event_param_gesture_t, 20);
QCLAP_AT(clap_event_param_gesture_t, param_id, 16);

QCLAP_SIZE(clap_event_transport_t, 104);
QCLAP_AT(clap_event_transport_t, flags, 16);
QCLAP_AT(clap_event_transport_t, song_pos_beats, 24);
QCLAP_AT(clap_event_transport_t, song_pos_seconds, 32);
QCLAP_AT(clap_event_transport_t, tempo, 40);
QCLAP_AT(clap_event_transport_t, tempo_inc, 48);
QCLAP_AT(clap_event_transport_t, loop_start_beats, 56);
QCLAP_AT(clap_event_transport_t, loop_end_seconds, 80);
QCLAP_AT(clap_event_transport_t, bar_start, 88);
QCLAP_AT(clap_event_transport_t, bar_number, 96);
QCLAP_AT(clap_event_transport_t, tsig_num, 100);
QCLAP_AT(clap_event_transport_t, tsig_denom, 102);

QCLAP_SIZE(clap_input_events_t, 24);
QCLAP_AT(clap_input_events_t, size, 8);
QCLAP_AT(clap_input_events_t, get, 16);
QCLAP_SIZE(clap_output_events_t, 16);
QCLAP_AT(clap_output_events_t, try_push, 8);

QCLAP_SIZE(clap_audio_buffer_t, 32);
QCLAP_AT(clap_audio_buffer_t, data64, 8);
QCLAP_AT(clap_audio_buffer_t, channel_count, 16);
QCLAP_AT(clap_audio_buffer_t, latency, 20);
QCLAP_AT(clap_audio_buffer_t, constant_mask, 24);

QCLAP_SIZE(clap_process_t, 64);
QCLAP_AT(clap_process_t, frames_count, 8);
QCLAP_AT(clap_process_t, transport, 16);
QCLAP_AT(clap_process_t, audio_inputs, 24);
QCLAP_AT(clap_process_t, audio_outputs, 32);
QCLAP_AT(clap_process_t, audio_inputs_count, 40);
QCLAP_AT(clap_process_t, audio_outputs_count, 44);
QCLAP_AT(clap_process_t, in_events, 48);
QCLAP_AT(clap_process_t, out_events, 56);

QCLAP_SIZE(clap_audio_port_info_t, 288);
QCLAP_AT(clap_audio_port_info_t, name, 4);
QCLAP_AT(clap_audio_port_info_t, flags, 260);
QCLAP_AT(clap_audio_port_info_t, channel_count, 264);
QCLAP_AT(clap_audio_port_info_t, port_type, 272);
QCLAP_AT(clap_audio_port_info_t, in_place_pair, 280);
QCLAP_SIZE(clap_plugin_audio_ports_t, 16);

QCLAP_SIZE(clap_param_info_t, 1320);
QCLAP_AT(clap_param_info_t, flags, 4);
QCLAP_AT(clap_param_info_t, cookie, 8);
QCLAP_AT(clap_param_info_t, name, 16);
QCLAP_AT(clap_param_info_t, module, 272);
QCLAP_AT(clap_param_info_t, min_value, 1296);
QCLAP_AT(clap_param_info_t, max_value, 1304);
QCLAP_AT(clap_param_info_t, default_value, 1312);
QCLAP_SIZE(clap_plugin_params_t, 48);
QCLAP_AT(clap_plugin_params_t, flush, 40);
QCLAP_SIZE(clap_host_params_t, 24);
QCLAP_AT(clap_host_params_t, request_flush, 16);

QCLAP_SIZE(clap_istream_t, 16);
QCLAP_SIZE(clap_ostream_t, 16);
QCLAP_SIZE(clap_plugin_state_t, 16);
QCLAP_SIZE(clap_plugin_latency_t, 8);
QCLAP_SIZE(clap_plugin_tail_t, 8);

QCLAP_SIZE(clap_window_t, 16);
QCLAP_AT(clap_window_t, x11, 8);
QCLAP_AT(clap_window_t, win32, 8);
QCLAP_SIZE(clap_gui_resize_hints_t, 12);
QCLAP_AT(clap_gui_resize_hints_t, aspect_ratio_width, 4);
QCLAP_SIZE(clap_plugin_gui_t, 15 * 8);
QCLAP_AT(clap_plugin_gui_t, set_scale, 32);
QCLAP_AT(clap_plugin_gui_t, set_parent, 80);
QCLAP_AT(clap_plugin_gui_t, hide, 112);
QCLAP_SIZE(clap_host_gui_t, 40);
QCLAP_AT(clap_host_gui_t, request_resize, 8);
QCLAP_SIZE(clap_host_timer_support_t, 16);
QCLAP_SIZE(clap_host_posix_fd_support_t, 24);
QCLAP_SIZE(clap_host_thread_check_t, 16);

QCLAP_SIZE(clap_universal_plugin_id_t, 16);
QCLAP_SIZE(clap_preset_discovery_metadata_receiver_t, 88);
QCLAP_AT(clap_preset_discovery_metadata_receiver_t, begin_preset, 16);
QCLAP_AT(clap_preset_discovery_metadata_receiver_t, add_plugin_id, 24);
QCLAP_AT(clap_preset_discovery_metadata_receiver_t, set_flags, 40);
QCLAP_AT(clap_preset_discovery_metadata_receiver_t, add_creator, 48);
QCLAP_AT(clap_preset_discovery_metadata_receiver_t, add_feature, 72);
QCLAP_AT(clap_preset_discovery_metadata_receiver_t, add_extra_info, 80);
QCLAP_SIZE(clap_preset_discovery_filetype_t, 24);
QCLAP_SIZE(clap_preset_discovery_location_t, 32);
QCLAP_AT(clap_preset_discovery_location_t, name, 8);
QCLAP_AT(clap_preset_discovery_location_t, kind, 16);
QCLAP_AT(clap_preset_discovery_location_t, location, 24);
QCLAP_SIZE(clap_preset_discovery_soundpack_t, 64);
QCLAP_AT(clap_preset_discovery_soundpack_t, release_timestamp, 56);
QCLAP_SIZE(clap_preset_discovery_provider_descriptor_t, 40);
QCLAP_AT(clap_preset_discovery_provider_descriptor_t, id, 16);
QCLAP_SIZE(clap_preset_discovery_provider_t, 48);
QCLAP_AT(clap_preset_discovery_provider_t, get_metadata, 32);
QCLAP_SIZE(clap_preset_discovery_indexer_t, 88);
QCLAP_AT(clap_preset_discovery_indexer_t, indexer_data, 48);
QCLAP_AT(clap_preset_discovery_indexer_t, declare_filetype, 56);
QCLAP_AT(clap_preset_discovery_indexer_t, declare_location, 64);
QCLAP_AT(clap_preset_discovery_indexer_t, get_extension, 80);
QCLAP_SIZE(clap_preset_discovery_factory_t, 24);
QCLAP_SIZE(clap_plugin_preset_load_t, 8);
QCLAP_SIZE(clap_host_preset_load_t, 16);

// Numbers a host and plug-in must agree on bit for bit.
static_assert(CLAP_EVENT_PARAM_VALUE == 5 && CLAP_EVENT_PARAM_GESTURE_BEGIN == 7 &&
                  CLAP_EVENT_PARAM_GESTURE_END == 8 && CLAP_EVENT_TRANSPORT == 9,
              "core event types");
static_assert(CLAP_PARAM_IS_STEPPED == 1 && CLAP_PARAM_IS_AUTOMATABLE == 32 &&
                  CLAP_PARAM_IS_ENUM == 65536,
              "parameter flags");
static_assert(CLAP_NAME_SIZE == 256 && CLAP_PATH_SIZE == 1024, "string capacities");
static_assert(CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN == 1, "location kind");

#endif
