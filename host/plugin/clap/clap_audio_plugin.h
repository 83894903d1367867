// A CLAP instance as an AudioPlugin: rendering and --set/--ramp work on it as
// on a VST 2.4 plug-in. Values come as the host's normalised 0..1 and are
// sent as parameter events in the plug-in's own units: the range's share for
// a knob; for a stepped parameter the step whose share of 0..1 holds the
// value (plainForNormalised). Values set outside processing are flushed at
// once (the plug-in is inactive: on the main thread); while processing they
// go with the next block, at its first frame, with the transport.
#pragma once

#include <cstdint>
#include <vector>

#include "host/plugin/audio_plugin.h"
#include "host/plugin/clap/clap_events.h"
#include "host/plugin/clap/clap_instance.h"

namespace quillet::host {

// The plain value a normalised 0..1 value stands for: min + v * (max - min)
// for a knob; for a stepped parameter of n steps the whole step the VST 2.4
// convention of its kind gives: on above one half for a switch, and for
// three positions the thirds as single-precision values split them
// (0.33333334 and 0.6666666); more steps in equal shares.
double plainForNormalised(const clap_param_info_t& info, float value);

class ClapAudioPlugin : public AudioPlugin {
 public:
  explicit ClapAudioPlugin(ClapInstance& instance);

  bool isOpen() const override { return plugin.plugin() != nullptr; }
  size_t inputCount() const override { return inputs; }
  size_t outputCount() const override { return outputs; }
  uint32_t parameterCount() const override { return static_cast<uint32_t>(infos.size()); }
  std::string parameterName(uint32_t index) override;
  void setParameter(uint32_t index, float value) override;
  bool setParameterAt(uint32_t index, float value, uint32_t frame) override;

  std::string cannotProcess(bool doublePrecision) const override;
  void startProcessing(double sampleRate, uint32_t maxBlock, bool doublePrecision,
                       double tempo) override;
  void moveTransport(uint64_t frame) override;
  void process(float** in, float** out, uint32_t frames) override;
  void process(double** in, double** out, uint32_t frames) override;
  void stopProcessing() override;

  // What the last process call answered.
  clap_process_status lastStatus() const { return status; }
  // The plug-in's output events of every block so far.
  const ClapOutputEvents& outputEvents() const { return out; }

 private:
  template <typename Sample>
  void run(Sample** in, Sample** outputs, uint32_t frames);

  ClapInstance& plugin;
  std::vector<clap_param_info_t> infos;
  size_t inputs = 0;
  size_t outputs = 0;
  bool offers64 = false;
  ClapInputEvents pending;
  ClapOutputEvents out;
  clap_event_transport_t transport{};
  double rate = 48000.0;
  int64_t steadyTime = 0;
  clap_process_status status = CLAP_PROCESS_CONTINUE;
};

}  // namespace quillet::host
