// One opened plug-in instance as the format-free parts of quillet-host use it:
// rendering and parameter settings by name or index. Each format's loader
// (plugin/vst2/, and later others) implements it over its own instance; what
// only one format has (its presets, its validation) stays with that format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillet::host {

class AudioPlugin {
 public:
  virtual ~AudioPlugin() = default;

  virtual bool isOpen() const = 0;
  virtual size_t inputCount() const = 0;
  virtual size_t outputCount() const = 0;
  virtual uint32_t parameterCount() const = 0;
  virtual std::string parameterName(uint32_t index) = 0;
  // A normalised value, 0..1.
  virtual void setParameter(uint32_t index, float value) = 0;
  // While processing: a value that takes effect `frame` frames into the next
  // block, for formats whose blocks carry changes at their own frames (VST3,
  // CLAP); several in time order. False where the format has no such thing
  // (VST 2.4: a host splits its block there and sets the value in between).
  virtual bool setParameterAt(uint32_t /*index*/, float /*value*/, uint32_t /*frame*/) {
    return false;
  }

  // Empty when the plug-in can process in this precision, else why not.
  virtual std::string cannotProcess(bool doublePrecision) const = 0;
  // Rate, largest block, precision and the host's tempo: ready to process.
  virtual void startProcessing(double sampleRate, uint32_t maxBlock, bool doublePrecision,
                               double tempo) = 0;
  // Where the transport stands at the start of the next block, in frames.
  virtual void moveTransport(uint64_t frame) = 0;
  // Outputs are cleared by the caller before each call.
  virtual void process(float** inputs, float** outputs, uint32_t frames) = 0;
  virtual void process(double** inputs, double** outputs, uint32_t frames) = 0;
  virtual void stopProcessing() = 0;
};

}  // namespace quillet::host
