// The extension tables the plug-in answers get_extension with: constant
// records whose functions forward to the instance.
#include <cstring>

#include "clap/interface/clap_gui.h"
#include "clap/interface/clap_presets.h"
#include "clap/param_mapping.h"
#include "clap/plugin_gui.h"
#include "clap/quillet_plugin.h"

namespace quillet::clap {
namespace {

constexpr uint32_t kAudioPortFlags = CLAP_AUDIO_PORT_IS_MAIN | CLAP_AUDIO_PORT_SUPPORTS_64BITS |
                                     CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE;

bool audioPortInfo(uint32_t index, bool isInput, clap_audio_port_info_t* info) {
  if (index != 0 || info == nullptr) return false;
  std::memset(info, 0, sizeof(*info));
  info->id = 0;
  std::strcpy(info->name, isInput ? "Stereo In" : "Stereo Out");
  info->flags = kAudioPortFlags;
  info->channel_count = 2;
  info->port_type = CLAP_PORT_STEREO;
  info->in_place_pair = 0;  // port 0 of the other direction
  return true;
}

const clap_plugin_audio_ports_t kAudioPorts = {
    [](const clap_plugin_t*, bool) -> uint32_t { return 1; },
    [](const clap_plugin_t*, uint32_t index, bool isInput, clap_audio_port_info_t* info) {
      return audioPortInfo(index, isInput, info);
    },
};

const clap_plugin_params_t kParams = {
    [](const clap_plugin_t*) -> uint32_t { return core::kNumQuilletParams; },
    [](const clap_plugin_t*, uint32_t index, clap_param_info_t* info) {
      return fillParamInfo(index, info);
    },
    [](const clap_plugin_t* p, clap_id id, double* value) {
      return QuilletPlugin::of(p).paramValue(id, value);
    },
    [](const clap_plugin_t* p, clap_id id, double value, char* out, uint32_t capacity) {
      return QuilletPlugin::of(p).valueText(id, value, out, capacity);
    },
    [](const clap_plugin_t* p, clap_id id, const char* text, double* value) {
      return QuilletPlugin::of(p).textValue(id, text, value);
    },
    [](const clap_plugin_t* p, const clap_input_events_t* in, const clap_output_events_t* out) {
      QuilletPlugin::of(p).flush(in, out);
    },
};

const clap_plugin_state_t kState = {
    [](const clap_plugin_t* p, const clap_ostream_t* stream) {
      return QuilletPlugin::of(p).saveState(stream);
    },
    [](const clap_plugin_t* p, const clap_istream_t* stream) {
      return QuilletPlugin::of(p).loadState(stream);
    },
};

const clap_plugin_latency_t kLatency = {[](const clap_plugin_t*) -> uint32_t { return 0; }};

const clap_plugin_tail_t kTail = {
    [](const clap_plugin_t* p) { return QuilletPlugin::of(p).tailFrames(); },
};

const clap_plugin_preset_load_t kPresetLoad = {
    [](const clap_plugin_t* p, uint32_t kind, const char* location, const char* loadKey) {
      return QuilletPlugin::of(p).loadPreset(kind, location, loadKey);
    },
};

// ---- the panel ----

PluginGui& guiOf(const clap_plugin_t* p, const char* call) {
  QuilletPlugin& plugin = QuilletPlugin::of(p);
  plugin.host().expectMainThread(call);
  return plugin.gui();
}

const clap_plugin_gui_t kGui = {
    [](const clap_plugin_t* p, const char* api, bool floating) {
      QuilletPlugin::of(p).host().expectMainThread("gui.is_api_supported");
      return PluginGui::isApiSupported(api, floating);
    },
    [](const clap_plugin_t* p, const char** api, bool* floating) {
      QuilletPlugin::of(p).host().expectMainThread("gui.get_preferred_api");
      if (api == nullptr || floating == nullptr) return false;
      *api = PluginGui::preferredApi();
      *floating = false;
      return true;
    },
    [](const clap_plugin_t* p, const char* api, bool floating) {
      return guiOf(p, "gui.create").create(api, floating);
    },
    [](const clap_plugin_t* p) { guiOf(p, "gui.destroy").destroy(); },
    [](const clap_plugin_t* p, double scale) { return guiOf(p, "gui.set_scale").setScale(scale); },
    [](const clap_plugin_t* p, uint32_t* width, uint32_t* height) {
      return guiOf(p, "gui.get_size").size(width, height);
    },
    // Only the panel changes its size (its scale); the host cannot drag it.
    [](const clap_plugin_t* p) {
      guiOf(p, "gui.can_resize");
      return false;
    },
    [](const clap_plugin_t* p, clap_gui_resize_hints_t*) {
      guiOf(p, "gui.get_resize_hints");
      return false;
    },
    [](const clap_plugin_t* p, uint32_t*, uint32_t*) {
      guiOf(p, "gui.adjust_size");
      return false;  // not resizable
    },
    [](const clap_plugin_t* p, uint32_t width, uint32_t height) {
      uint32_t w = 0, h = 0;
      return guiOf(p, "gui.set_size").size(&w, &h) && w == width && h == height;
    },
    [](const clap_plugin_t* p, const clap_window_t* window) {
      return guiOf(p, "gui.set_parent").setParent(window);
    },
    [](const clap_plugin_t* p, const clap_window_t*) {
      guiOf(p, "gui.set_transient");
      return false;  // embedded only
    },
    [](const clap_plugin_t* p, const char*) { guiOf(p, "gui.suggest_title"); },
    [](const clap_plugin_t* p) { return guiOf(p, "gui.show").show(); },
    [](const clap_plugin_t* p) { return guiOf(p, "gui.hide").hide(); },
};

const clap_plugin_timer_support_t kTimerSupport = {
    [](const clap_plugin_t* p, clap_id timer) { guiOf(p, "on_timer").onTimer(timer); },
};

const clap_plugin_posix_fd_support_t kPosixFdSupport = {
    [](const clap_plugin_t* p, int fd, clap_posix_fd_flags_t) { guiOf(p, "on_fd").onFd(fd); },
};

}  // namespace

const void* pluginExtension(const char* id) {
  if (id == nullptr) return nullptr;
  const auto is = [id](const char* name) { return std::strcmp(id, name) == 0; };
  if (is(CLAP_EXT_AUDIO_PORTS)) return &kAudioPorts;
  if (is(CLAP_EXT_PARAMS)) return &kParams;
  if (is(CLAP_EXT_STATE)) return &kState;
  if (is(CLAP_EXT_LATENCY)) return &kLatency;
  if (is(CLAP_EXT_TAIL)) return &kTail;
  if (is(CLAP_EXT_PRESET_LOAD) || is(CLAP_EXT_PRESET_LOAD_COMPAT)) return &kPresetLoad;
  if (is(CLAP_EXT_GUI)) return &kGui;
  if (is(CLAP_EXT_TIMER_SUPPORT)) return &kTimerSupport;
#ifndef _WIN32
  if (is(CLAP_EXT_POSIX_FD_SUPPORT)) return &kPosixFdSupport;
#endif
  return nullptr;
}

}  // namespace quillet::clap
