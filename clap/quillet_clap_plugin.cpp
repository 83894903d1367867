#include "clap/quillet_clap_plugin.h"

#include <atomic>
#include <cassert>
#include <cstring>
#include <memory>

#include "clap/abi/clap_audio_extensions.h"
#include "clap/abi/clap_gui.h"
#include "clap/abi/clap_presets.h"
#include "clap/effect_seam.h"
#include "clap/gesture_queue.h"
#include "clap/param_events.h"
#include "clap/param_mapping.h"
#include "clap/plugin_descriptor.h"
#include "clap/preset_provider.h"
#include "clap/state_stream.h"

namespace quillet_clap {
namespace {

template <typename Extension>
const Extension* hostExtension(const clap_host_t* host, const char* id) {
  if (host == nullptr || host->get_extension == nullptr) return nullptr;
  return static_cast<const Extension*>(host->get_extension(host, id));
}

// Lives in this file only, so its members are open to the extension tables
// below; the host reaches it only through the clap_plugin record.
class QuilletPlugin {
 public:
  explicit QuilletPlugin(const clap_host_t* host);
  ~QuilletPlugin() {
    if (active_) effect_->deactivate();
  }

  static QuilletPlugin& of(const clap_plugin_t* plugin) {
    return *static_cast<QuilletPlugin*>(plugin->plugin_data);
  }
  const clap_plugin_t* clapPlugin() const { return &plugin_; }

  bool init();
  bool activate(double rate, uint32_t maxFrames);
  void deactivate();
  bool startProcessing() const { return active_; }
  void reset();
  clap_process_status process(const clap_process_t* process);

  bool paramValue(clap_id id, double* value) const;
  void flush(const clap_input_events_t* in, const clap_output_events_t* out);

  bool saveState(const clap_ostream_t* stream) const;
  bool loadState(const clap_istream_t* stream);
  uint32_t tailFrames() const { return effect_->tailFrames(); }
  bool loadPreset(uint32_t kind, const char* loadKey);

 private:
  // Debug builds catch a host calling on the wrong thread, where the host
  // can tell.
  void expectMainThread() const {
    assert(threadCheck_ == nullptr || threadCheck_->is_main_thread(host_));
  }
  void expectAudioThread() const {
    assert(threadCheck_ == nullptr || threadCheck_->is_audio_thread(host_));
  }
  void applyEvents(const clap_input_events_t* in, const clap_event_transport_t* transport);

  clap_plugin_t plugin_{};
  const clap_host_t* host_;
  const clap_host_params_t* hostParams_ = nullptr;
  const clap_host_state_t* hostState_ = nullptr;
  const clap_host_preset_load_t* hostPresetLoad_ = nullptr;
  const clap_host_thread_check_t* threadCheck_ = nullptr;
  std::unique_ptr<EffectSeam> effect_;
  // Used by process and flush, which the host never runs concurrently.
  ParamEventBatch events_;
  // The panel's gestures, handed to the host by process or flush.
  GestureQueue gestures_;
  // The host's tempo for the panel's note keys (0 until a transport says).
  std::atomic<double> tempo_{0.0};
  // Written on the main thread while the host is not processing.
  bool active_ = false;
};

const void* extension(const char* id);

QuilletPlugin::QuilletPlugin(const clap_host_t* host) : host_(host), effect_(makeEffect()) {
  plugin_.desc = &pluginDescriptor();
  plugin_.plugin_data = this;
  plugin_.init = [](const clap_plugin_t* p) { return of(p).init(); };
  plugin_.destroy = [](const clap_plugin_t* p) { delete &of(p); };
  plugin_.activate = [](const clap_plugin_t* p, double rate, uint32_t, uint32_t maxFrames) {
    return of(p).activate(rate, maxFrames);
  };
  plugin_.deactivate = [](const clap_plugin_t* p) { of(p).deactivate(); };
  plugin_.start_processing = [](const clap_plugin_t* p) { return of(p).startProcessing(); };
  plugin_.stop_processing = [](const clap_plugin_t*) {};
  plugin_.reset = [](const clap_plugin_t* p) { of(p).reset(); };
  plugin_.process = [](const clap_plugin_t* p, const clap_process_t* process) {
    return of(p).process(process);
  };
  plugin_.get_extension = [](const clap_plugin_t*, const char* id) { return extension(id); };
  plugin_.on_main_thread = [](const clap_plugin_t*) {};
}

bool QuilletPlugin::init() {
  hostParams_ = hostExtension<clap_host_params_t>(host_, CLAP_EXT_PARAMS);
  hostState_ = hostExtension<clap_host_state_t>(host_, CLAP_EXT_STATE);
  hostPresetLoad_ = hostExtension<clap_host_preset_load_t>(host_, CLAP_EXT_PRESET_LOAD);
  if (hostPresetLoad_ == nullptr) {
    hostPresetLoad_ = hostExtension<clap_host_preset_load_t>(host_, CLAP_EXT_PRESET_LOAD_COMPAT);
  }
  threadCheck_ = hostExtension<clap_host_thread_check_t>(host_, CLAP_EXT_THREAD_CHECK);
  expectMainThread();
  return true;
}

bool QuilletPlugin::activate(double rate, uint32_t maxFrames) {
  expectMainThread();
  if (active_ || !effect_->activate(rate, maxFrames)) return false;
  active_ = true;
  return true;
}

void QuilletPlugin::deactivate() {
  expectMainThread();
  if (!active_) return;
  effect_->deactivate();
  active_ = false;
}

void QuilletPlugin::reset() {
  expectAudioThread();
  if (active_) effect_->reset();
}

void QuilletPlugin::applyEvents(const clap_input_events_t* in,
                                const clap_event_transport_t* transport) {
  events_.collectTransport(transport);
  events_.collect(in);
  events_.applyTo(*effect_);
  const double tempo = events_.takeTempo();
  if (tempo > 0.0) tempo_.store(tempo, std::memory_order_relaxed);
}

clap_process_status QuilletPlugin::process(const clap_process_t* process) {
  expectAudioThread();
  if (!active_ || process == nullptr) return CLAP_PROCESS_ERROR;
  applyEvents(process->in_events, process->transport);
  gestures_.drainTo(process->out_events);
  const uint32_t frames = process->frames_count;
  if (frames == 0) return CLAP_PROCESS_CONTINUE;
  if (process->audio_inputs_count < 1 || process->audio_outputs_count < 1 ||
      process->audio_inputs == nullptr || process->audio_outputs == nullptr) {
    return CLAP_PROCESS_ERROR;
  }
  const clap_audio_buffer_t& in = process->audio_inputs[0];
  clap_audio_buffer_t& out = process->audio_outputs[0];
  if (in.channel_count < 2 || out.channel_count < 2) return CLAP_PROCESS_ERROR;
  // Both ports share one sample size (their flags say so); the host's choice
  // shows in which pointers it set.
  if (in.data64 != nullptr && out.data64 != nullptr && in.data64[0] != nullptr &&
      in.data64[1] != nullptr && out.data64[0] != nullptr && out.data64[1] != nullptr) {
    effect_->process(in.data64, out.data64, frames);
  } else if (in.data32 != nullptr && out.data32 != nullptr && in.data32[0] != nullptr &&
             in.data32[1] != nullptr && out.data32[0] != nullptr && out.data32[1] != nullptr) {
    effect_->process(in.data32, out.data32, frames);
  } else {
    return CLAP_PROCESS_ERROR;
  }
  out.constant_mask = 0;
  return CLAP_PROCESS_CONTINUE;
}

bool QuilletPlugin::paramValue(clap_id id, double* value) const {
  const int index = paramIndexOf(id);
  if (index < 0 || value == nullptr) return false;
  *value = storedToPlain(index, effect_->value(index));
  return true;
}

void QuilletPlugin::flush(const clap_input_events_t* in, const clap_output_events_t* out) {
  if (active_) {
    expectAudioThread();
  } else {
    expectMainThread();
  }
  applyEvents(in, nullptr);
  gestures_.drainTo(out);
}

bool QuilletPlugin::saveState(const clap_ostream_t* stream) const {
  expectMainThread();
  StateBytes state;
  effect_->saveState(state);
  return writeStateStream(stream, state);
}

bool QuilletPlugin::loadState(const clap_istream_t* stream) {
  expectMainThread();
  StateBytes state;
  return readStateStream(stream, state) && effect_->loadState(state);
}

bool QuilletPlugin::loadPreset(uint32_t kind, const char* loadKey) {
  expectMainThread();
  const FactoryPreset* preset = findFactoryPreset(loadKey);
  if (kind != CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN || preset == nullptr) return false;
  StateBytes state;
  encodeState(preset->values, state);
  if (!effect_->loadState(state)) return false;
  if (hostParams_ != nullptr && hostParams_->rescan != nullptr) {
    hostParams_->rescan(host_, CLAP_PARAM_RESCAN_VALUES);
  }
  if (hostPresetLoad_ != nullptr && hostPresetLoad_->loaded != nullptr) {
    hostPresetLoad_->loaded(host_, kind, nullptr, loadKey);
  }
  if (hostState_ != nullptr && hostState_->mark_dirty != nullptr) hostState_->mark_dirty(host_);
  return true;
}

// ---- the extensions' tables ----

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
    [](const clap_plugin_t*) -> uint32_t { return kNumQuilletParams; },
    [](const clap_plugin_t*, uint32_t index, clap_param_info_t* info) {
      return fillParamInfo(index, info);
    },
    [](const clap_plugin_t* p, clap_id id, double* value) {
      return QuilletPlugin::of(p).paramValue(id, value);
    },
    [](const clap_plugin_t*, clap_id id, double value, char* out, uint32_t capacity) {
      return valueToText(paramIndexOf(id), value, out, capacity);
    },
    [](const clap_plugin_t*, clap_id id, const char* text, double* value) {
      return textToValue(paramIndexOf(id), text, value);
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
    [](const clap_plugin_t* p, uint32_t kind, const char*, const char* loadKey) {
      return QuilletPlugin::of(p).loadPreset(kind, loadKey);
    },
};

const void* extension(const char* id) {
  if (id == nullptr) return nullptr;
  const auto is = [id](const char* name) { return std::strcmp(id, name) == 0; };
  if (is(CLAP_EXT_AUDIO_PORTS)) return &kAudioPorts;
  if (is(CLAP_EXT_PARAMS)) return &kParams;
  if (is(CLAP_EXT_STATE)) return &kState;
  if (is(CLAP_EXT_LATENCY)) return &kLatency;
  if (is(CLAP_EXT_TAIL)) return &kTail;
  if (is(CLAP_EXT_PRESET_LOAD) || is(CLAP_EXT_PRESET_LOAD_COMPAT)) return &kPresetLoad;
  return nullptr;
}

}  // namespace

const clap_plugin_t* createQuilletPlugin(const clap_host_t* host) {
  try {
    return (new QuilletPlugin(host))->clapPlugin();
  } catch (...) {
    return nullptr;  // no exception crosses the plug-in's boundary
  }
}

}  // namespace quillet_clap
