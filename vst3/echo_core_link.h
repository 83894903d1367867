// The one seam between the VST3 adapter and the echo: everything the
// processor needs from the format-free core, in the core's terms (parameter
// index, normalised float, the 44-byte state). The adapter never includes an
// engine or another format's header; only echo_core_link.cpp does, so moving
// to the core object changes that one file.
//
// Threads: setSampleRate on the user-interface thread while the processor is
// inactive (it takes the memory); storeParameter, restart and process on the
// audio thread; saveState, loadState and parameterValue on either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace quillet::vst3 {

constexpr int32_t kEchoParamCount = 11;
constexpr size_t kEchoStateBytes = 44;  // eleven little-endian floats, index order

class EchoCoreLink {
 public:
  // Null when memory is short.
  static std::unique_ptr<EchoCoreLink> create();
  ~EchoCoreLink();

  // False for a rate the echo cannot run at; the old rate then stays.
  bool setSampleRate(double rate);
  bool hasSampleRate() const;

  // Clamped to 0..1, NaN dropped; takes effect at the next block.
  void storeParameter(int32_t index, float value);
  float parameterValue(int32_t index) const;

  // Back to silence on the stored values, without taking memory.
  void restart();

  void process(const float* const* in, float* const* out, uint32_t frames);
  void process(const double* const* in, double* const* out, uint32_t frames);

  void saveState(uint8_t out[kEchoStateBytes]) const;
  // Refuses (false, nothing changed) fewer than 44 bytes or a value that is
  // not a number within 0..1.
  bool loadState(const uint8_t* bytes, size_t size);

 private:
  struct Impl;
  explicit EchoCoreLink(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl;
};

// The strict state rule on its own, for the controller, which follows the
// component's state without an echo of its own.
bool decodeEchoState(const uint8_t* bytes, size_t size, float values[kEchoParamCount]);
void encodeEchoState(const float values[kEchoParamCount], uint8_t out[kEchoStateBytes]);

}  // namespace quillet::vst3
