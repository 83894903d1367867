// A VST 2.4 instance as an AudioPlugin: the calls a DAW makes, in its order.
#pragma once

#include "host/plugin/audio_plugin.h"
#include "host/plugin/vst2/plugin_host.h"

namespace quillet::host {

class Vst2AudioPlugin : public AudioPlugin {
 public:
  explicit Vst2AudioPlugin(PluginInstance& instance) : plugin(instance) {}

  bool isOpen() const override { return plugin.effect() != nullptr; }
  size_t inputCount() const override;
  size_t outputCount() const override;
  uint32_t parameterCount() const override;
  std::string parameterName(uint32_t index) override;
  void setParameter(uint32_t index, float value) override;

  std::string cannotProcess(bool doublePrecision) const override;
  void startProcessing(double sampleRate, uint32_t maxBlock, bool doublePrecision,
                       double tempo) override;
  void moveTransport(uint64_t frame) override;
  void process(float** inputs, float** outputs, uint32_t frames) override;
  void process(double** inputs, double** outputs, uint32_t frames) override;
  void stopProcessing() override;

 private:
  PluginInstance& plugin;
};

}  // namespace quillet::host
