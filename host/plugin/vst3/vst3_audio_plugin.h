// A VST3 instance as an AudioPlugin, so render, --set and --ramp work on it
// as on any format. Parameters are the controller's list (the index is the
// list position); a value set before processing starts reaches the
// processor with the first block, as a DAW sends it, and goes to the
// controller at once.
#pragma once

#include <vector>

#include "host/plugin/audio_plugin.h"
#include "host/plugin/vst3/vst3_instance.h"

namespace quillet::host::vst3 {

class Vst3AudioPlugin : public AudioPlugin {
 public:
  explicit Vst3AudioPlugin(Vst3Instance& instance);

  bool isOpen() const override { return true; }
  size_t inputCount() const override { return 2; }
  size_t outputCount() const override { return 2; }
  uint32_t parameterCount() const override { return static_cast<uint32_t>(ids.size()); }
  std::string parameterName(uint32_t index) override;
  void setParameter(uint32_t index, float value) override;
  bool setParameterAt(uint32_t index, float value, uint32_t frame) override;

  std::string cannotProcess(bool doublePrecision) const override;
  void startProcessing(double sampleRate, uint32_t maxBlock, bool doublePrecision,
                       double tempo) override;
  void moveTransport(uint64_t frame) override;
  void process(float** inputs, float** outputs, uint32_t frames) override;
  void process(double** inputs, double** outputs, uint32_t frames) override;
  void stopProcessing() override;

  // Why the last start or block failed; empty while all went well.
  const std::string& failure() const { return problem; }

 private:
  Vst3Instance& instance;
  std::vector<ParamID> ids;
  std::vector<std::string> names;
  std::string problem;
};

}  // namespace quillet::host::vst3
