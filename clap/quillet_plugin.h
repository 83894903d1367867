// One Quillet K3 instance as a CLAP host drives it: the format-free core
// (quillet::core::EchoCore) behind the plug-in record, the host's services, the
// parameter events of a block, and the panel's way back to the host.
//
// Threads, as CLAP gives them (see clap/README.md): the lifecycle, state,
// texts, presets and the panel on the main thread; process, reset and flush
// while active on the audio thread. Stored values are the core's atomics, so
// the main thread may read them while the audio thread stores event values.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "clap/gesture_queue.h"
#include "clap/host_services.h"
#include "clap/interface/clap_audio_extensions.h"
#include "clap/interface/clap_process.h"
#include "clap/param_events.h"
#include "core/echo_core.h"
#include "core/first_sound.h"

namespace quillet::clap {

class PluginGui;

class QuilletPlugin final : private quillet::core::ParamListener {
 public:
  explicit QuilletPlugin(const clap_host_t* host);
  ~QuilletPlugin();
  QuilletPlugin(const QuilletPlugin&) = delete;
  QuilletPlugin& operator=(const QuilletPlugin&) = delete;

  static QuilletPlugin& of(const clap_plugin_t* plugin) {
    return *static_cast<QuilletPlugin*>(plugin->plugin_data);
  }
  const clap_plugin_t* clapPlugin() const { return &plugin_; }

  // ---- the plug-in record ----
  bool init();
  // Takes the delay memory for the rate; false for a rate the core does not
  // run or when memory is short (nothing changes then).
  bool activate(double rate);
  void deactivate();
  bool startProcessing();
  void stopProcessing();
  void reset();
  clap_process_status process(const clap_process_t* process);

  // ---- params ----
  bool paramValue(clap_id id, double* value) const;
  bool valueText(clap_id id, double value, char* out, uint32_t capacity) const;
  bool textValue(clap_id id, const char* text, double* value) const;
  void flush(const clap_input_events_t* in, const clap_output_events_t* out);

  // ---- state, tail, presets ----
  bool saveState(const clap_ostream_t* stream) const;
  bool loadState(const clap_istream_t* stream);
  uint32_t tailFrames() const;
  bool loadPreset(uint32_t kind, const char* location, const char* loadKey);

  // ---- what the panel and its gui extension use (main thread) ----
  quillet::core::EchoCore& core() { return core_; }
  const HostServices& host() const { return host_; }
  GestureQueue& gestures() { return gestures_; }
  // The host's tempo from the last transport it sent; 0 before any.
  double hostTempo() const { return tempo_.load(std::memory_order_relaxed); }
  bool isProcessing() const { return processing_.load(std::memory_order_relaxed); }
  // The parameters stored since the last call (bit i: index i), for the panel.
  uint32_t takeChangedParams() { return changedParams_.exchange(0, std::memory_order_acq_rel); }
  // The gui extension's side of this instance, made on first use.
  PluginGui& gui();

 private:
  void parameterStored(int32_t index, float value) override;
  // [audio thread, or main thread while inactive] The events of a block or
  // flush read; storeEvents then stores them at once.
  void collectEvents(const clap_input_events_t* in, const clap_event_transport_t* transport);
  void storeEvents();
  // [audio thread] One block of audio with its events at their frames.
  template <class Sample>
  void processAudio(const Sample* const* in, Sample* const* out, uint32_t frames,
                    clap_audio_buffer_t& outBuffer);
  // [audio thread] Tells the host when the tail it may have read changed.
  void reportTail();

  clap_plugin_t plugin_{};
  HostServices host_;
  quillet::core::EchoCore core_;
  // Used by process and flush, which the host never runs concurrently.
  ParamEventBatch events_;
  // [audio thread, and activate/reset] Silence until the first sound.
  quillet::core::FirstSoundGate firstSound_;
  // The panel's gestures, handed to the host by process or flush.
  GestureQueue gestures_;
  std::atomic<double> tempo_{0.0};
  std::atomic<uint32_t> changedParams_{0};
  // Set on the main thread when a state or preset may change the tail; the
  // audio thread then compares with what it last told the host.
  std::atomic<bool> tailMayChange_{false};
  uint32_t toldTail_ = 0;
  // Written on the main thread while the host is not processing.
  bool active_ = false;
  std::atomic<bool> processing_{false};
  // Last: its panel goes before everything it uses.
  std::unique_ptr<PluginGui> gui_;
};

// A new instance for this host (null when memory is short); the host frees
// it with plugin->destroy.
const clap_plugin_t* createQuilletPlugin(const clap_host_t* host);

// The extension tables, by id (null for one the plug-in does not have).
const void* pluginExtension(const char* id);

}  // namespace quillet::clap
