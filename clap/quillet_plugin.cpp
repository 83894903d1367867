#include "clap/quillet_plugin.h"

#include "clap/param_mapping.h"
#include "clap/plugin_descriptor.h"
#include "clap/plugin_gui.h"
#include "clap/preset_provider.h"
#include "clap/state_stream.h"

namespace quillet::clap {

QuilletPlugin::QuilletPlugin(const clap_host_t* host) {
  host_.host = host;  // the other services only in init: no host call before it
  core_.setListener(this);
  core_.spaceStretches(true);  // points at their frames (core/block_changes.h)
  plugin_.desc = &pluginDescriptor();
  plugin_.plugin_data = this;
  plugin_.init = [](const clap_plugin_t* p) { return of(p).init(); };
  plugin_.destroy = [](const clap_plugin_t* p) { delete &of(p); };
  plugin_.activate = [](const clap_plugin_t* p, double rate, uint32_t, uint32_t) {
    return of(p).activate(rate);
  };
  plugin_.deactivate = [](const clap_plugin_t* p) { of(p).deactivate(); };
  plugin_.start_processing = [](const clap_plugin_t* p) { return of(p).startProcessing(); };
  plugin_.stop_processing = [](const clap_plugin_t* p) { of(p).stopProcessing(); };
  plugin_.reset = [](const clap_plugin_t* p) { of(p).reset(); };
  plugin_.process = [](const clap_plugin_t* p, const clap_process_t* process) {
    return of(p).process(process);
  };
  plugin_.get_extension = [](const clap_plugin_t*, const char* id) { return pluginExtension(id); };
  plugin_.on_main_thread = [](const clap_plugin_t*) {};
}

QuilletPlugin::~QuilletPlugin() {
  gui_.reset();  // a host may destroy the plug-in with its panel still open
  core_.setListener(nullptr);
}

PluginGui& QuilletPlugin::gui() {
  if (!gui_) gui_ = std::make_unique<PluginGui>(*this);
  return *gui_;
}

bool QuilletPlugin::init() {
  host_.lookUp(host_.host);
  host_.expectMainThread("init");
  return true;
}

bool QuilletPlugin::activate(double rate) {
  host_.expectMainThread("activate");
  if (active_ || !quillet::core::EchoCore::isUsableSampleRate(rate) || !core_.setSampleRate(rate)) {
    return false;
  }
  toldTail_ = core_.tailFrames();
  tailMayChange_.store(false, std::memory_order_relaxed);
  firstSound_.rearm();
  active_ = true;
  return true;
}

void QuilletPlugin::deactivate() {
  host_.expectMainThread("deactivate");
  active_ = false;
  processing_.store(false, std::memory_order_relaxed);
}

bool QuilletPlugin::startProcessing() {
  host_.expectAudioThread("start_processing");
  if (!active_) return false;
  processing_.store(true, std::memory_order_relaxed);
  return true;
}

void QuilletPlugin::stopProcessing() {
  host_.expectAudioThread("stop_processing");
  processing_.store(false, std::memory_order_relaxed);
}

void QuilletPlugin::reset() {
  host_.expectAudioThread("reset");
  if (!active_) return;
  core_.restart();
  firstSound_.rearm();
}

void QuilletPlugin::parameterStored(int32_t index, float) {
  changedParams_.fetch_or(1u << index, std::memory_order_acq_rel);
}

void QuilletPlugin::collectEvents(const clap_input_events_t* in,
                                  const clap_event_transport_t* transport) {
  events_.collectTransport(transport);
  events_.collect(in);
  const double tempo = events_.takeTempo();
  if (tempo > 0.0) tempo_.store(tempo, std::memory_order_relaxed);
}

void QuilletPlugin::storeEvents() {
  if (events_.storeAll(core_)) tailMayChange_.store(true, std::memory_order_relaxed);
}

void QuilletPlugin::reportTail() {
  if (host_.tail == nullptr || !tailMayChange_.exchange(false, std::memory_order_relaxed)) return;
  const uint32_t tail = core_.tailFrames();
  if (tail == toldTail_) return;
  toldTail_ = tail;
  host_.tail->changed(host_.host);
}

template <class Sample>
void QuilletPlugin::processAudio(const Sample* const* in, Sample* const* out, uint32_t frames,
                                 clap_audio_buffer_t& outBuffer) {
  if (firstSound_.holds(core_, in, frames)) {
    // Nothing has sounded yet: silence out, the values stored for the first sound.
    storeEvents();
    for (int c = 0; c < 2; ++c)
      for (uint32_t i = 0; i < frames; ++i) out[c][i] = Sample(0);
    outBuffer.constant_mask = 0x3;
    return;
  }
  if (events_.runBlock(core_, in, out, frames))
    tailMayChange_.store(true, std::memory_order_relaxed);
  outBuffer.constant_mask = 0;
}

clap_process_status QuilletPlugin::process(const clap_process_t* process) {
  host_.expectAudioThread("process");
  if (!active_ || process == nullptr) return CLAP_PROCESS_ERROR;
  collectEvents(process->in_events, process->transport);
  gestures_.drainTo(process->out_events);
  const uint32_t frames = process->frames_count;
  if (frames == 0) {
    // Events only: the values are taken in, no block is run.
    storeEvents();
    core_.applyPendingStores();
    reportTail();
    return CLAP_PROCESS_TAIL;
  }
  if (process->audio_inputs_count < 1 || process->audio_outputs_count < 1 ||
      process->audio_inputs == nullptr || process->audio_outputs == nullptr) {
    storeEvents();
    return CLAP_PROCESS_ERROR;
  }
  const clap_audio_buffer_t& in = process->audio_inputs[0];
  clap_audio_buffer_t& out = process->audio_outputs[0];
  if (in.channel_count < 2 || out.channel_count < 2) {
    storeEvents();
    return CLAP_PROCESS_ERROR;
  }
  // Both ports share one sample size (their flags say so); the host's choice
  // shows in which pointers it set. Inputs and outputs may be the same.
  if (in.data64 != nullptr && out.data64 != nullptr && in.data64[0] != nullptr &&
      in.data64[1] != nullptr && out.data64[0] != nullptr && out.data64[1] != nullptr) {
    processAudio(in.data64, out.data64, frames, out);
  } else if (in.data32 != nullptr && out.data32 != nullptr && in.data32[0] != nullptr &&
             in.data32[1] != nullptr && out.data32[0] != nullptr && out.data32[1] != nullptr) {
    processAudio(in.data32, out.data32, frames, out);
  } else {
    storeEvents();
    return CLAP_PROCESS_ERROR;
  }
  reportTail();
  // The host may stop calling once the tail (clap.tail) has passed in silence.
  return CLAP_PROCESS_TAIL;
}

bool QuilletPlugin::paramValue(clap_id id, double* value) const {
  host_.expectMainThread("params.get_value");
  const int index = paramIndexOf(id);
  if (index < 0 || value == nullptr) return false;
  *value = storedToPlain(index, core_.parameter(index));
  return true;
}

bool QuilletPlugin::valueText(clap_id id, double value, char* out, uint32_t capacity) const {
  host_.expectMainThread("params.value_to_text");
  return valueToText(core_, paramIndexOf(id), value, out, capacity);
}

bool QuilletPlugin::textValue(clap_id id, const char* text, double* value) const {
  host_.expectMainThread("params.text_to_value");
  return textToValue(core_, paramIndexOf(id), text, value);
}

void QuilletPlugin::flush(const clap_input_events_t* in, const clap_output_events_t* out) {
  if (active_) {
    host_.expectAudioThread("params.flush");
  } else {
    host_.expectMainThread("params.flush");
  }
  collectEvents(in, nullptr);
  storeEvents();
  gestures_.drainTo(out);
  if (active_) reportTail();
}

bool QuilletPlugin::saveState(const clap_ostream_t* stream) const {
  host_.expectMainThread("state.save");
  StateBytes state;
  core_.saveState(state);
  return writeStateStream(stream, state);
}

bool QuilletPlugin::loadState(const clap_istream_t* stream) {
  host_.expectMainThread("state.load");
  StateBytes state;
  if (!readStateStream(stream, state) || !core_.loadStateStrict(state, core::kStateBytes))
    return false;
  tailMayChange_.store(true, std::memory_order_relaxed);
  return true;
}

uint32_t QuilletPlugin::tailFrames() const { return core_.tailFrames(); }

bool QuilletPlugin::loadPreset(uint32_t kind, const char* location, const char* loadKey) {
  host_.expectMainThread("preset_load.from_location");
  const core::FactoryPreset* preset = findFactoryPreset(loadKey);
  if (kind != CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN || location != nullptr || preset == nullptr) {
    return false;
  }
  // Exactly as a saved state: the preset sounds as its .fxp does.
  StateBytes state;
  quillet::core::encodeState(preset->values, state);
  if (!core_.loadStateStrict(state, core::kStateBytes)) return false;
  tailMayChange_.store(true, std::memory_order_relaxed);
  if (host_.params != nullptr) host_.params->rescan(host_.host, CLAP_PARAM_RESCAN_VALUES);
  if (host_.presetLoad != nullptr) host_.presetLoad->loaded(host_.host, kind, nullptr, loadKey);
  if (host_.state != nullptr) host_.state->mark_dirty(host_.host);
  return true;
}

const clap_plugin_t* createQuilletPlugin(const clap_host_t* host) {
  try {
    return (new QuilletPlugin(host))->clapPlugin();
  } catch (...) {
    return nullptr;  // no exception crosses the plug-in's boundary
  }
}

}  // namespace quillet::clap
