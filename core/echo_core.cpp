#include "core/echo_core.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "engine/delay_length.h"
#include "platform/tick_count.h"

namespace quillet::core {

namespace {

// The rate as the engine takes it, a single-precision float; rates beyond
// the float range become infinite (and so unusable) instead of undefined.
float engineRate(double rate) {
  if (std::fabs(rate) > static_cast<double>(FLT_MAX)) return rate > 0.0 ? INFINITY : -INFINITY;
  return static_cast<float>(rate);
}

}  // namespace

EchoCore::EchoCore() { engine.setTickSource(&quillet::platform::tickCount); }

bool EchoCore::isUsableSampleRate(double rate) {
  return engine::usableSampleRate(engineRate(rate));
}

bool EchoCore::setSampleRate(double newRate) {
  // The host never processes while it sets the rate: what is still queued
  // takes effect first, as it would have at the next block.
  store.applyPending(*this);
  const float fs = engineRate(newRate);
  rate.store(fs, std::memory_order_relaxed);
  engine.sampleRateChanged(fs, store.taken());
  const bool running = engine.hasDelayMemory();
  const LoopFilterBounds filters = running ? loopFilterBounds(engine) : LoopFilterBounds{};
  filterPeak.store(filters.peakGain, std::memory_order_relaxed);
  filterRing.store(filters.ringFrames, std::memory_order_relaxed);
  return running;
}

void EchoCore::restart() {
  store.applyPending(*this);
  engine.restart(store.taken());
}

void EchoCore::parameterTaken(int32_t index, const engine::EchoParams& taken) {
  engine.parameterChanged(index, taken);
}

void EchoCore::setLongestEngineBlock(uint32_t frames) {
  longestEngineBlock = std::max(1u, std::min(frames, kLongestEngineBlock));
}

template <typename Sample>
void EchoCore::processBlock(const Sample* const* inputs, Sample* const* outputs, uint32_t frames) {
  store.applyPending(*this);
  const bool monoIO = mono.load(std::memory_order_relaxed);
  const engine::EchoParams& taken = store.taken();
  // Without both channels of both sides the engine leaves them alone.
  if (!inputs || !outputs || !inputs[0] || !inputs[1] || !outputs[0] || !outputs[1]) return;
  // Engine blocks of at most longestEngineBlock frames, each ending where a
  // stretch that waits for the spacing falls due, so it happens at that frame.
  uint32_t done = 0;
  do {
    uint32_t n = std::min(frames - done, longestEngineBlock);
    const int32_t due = engine.framesBeforeStretchDue(taken);
    if (due > 0 && static_cast<uint32_t>(due) < n) n = static_cast<uint32_t>(due);
    const Sample* in[2] = {inputs[0] + done, inputs[1] + done};
    Sample* out[2] = {outputs[0] + done, outputs[1] + done};
    engine.process(taken, monoIO, in, out, static_cast<int32_t>(n));
    done += n;
  } while (done < frames);
}

void EchoCore::process(const float* const* inputs, float* const* outputs, uint32_t frames) {
  processBlock(inputs, outputs, frames);
}

void EchoCore::process(const double* const* inputs, double* const* outputs, uint32_t frames) {
  processBlock(inputs, outputs, frames);
}

ParamTextContext EchoCore::textContext() const {
  struct Stored {
    const ParamStore& store;
    float operator[](int32_t index) const { return store.value(index); }
  };
  return textContextOf(Stored{store}, rate.load(std::memory_order_relaxed));
}

bool EchoCore::valueToText(int32_t index, float value, char* text, size_t size) const {
  return formatParamText(index, value, textContext(), text, size);
}

bool EchoCore::textToValue(int32_t index, const char* text, float* value) const {
  return parseParamText(index, text, textContext(), value);
}

int32_t EchoCore::delayLengthFrames() const {
  const float fs = rate.load(std::memory_order_relaxed);
  const int32_t capacity = engine::delayCapacity(fs);
  if (capacity <= 0) return 0;
  return engine::wholeDelayLength(
      engine::delaySamples(store.value(engine::kParamDelay), store.value(engine::kParamRange), fs),
      capacity);
}

uint32_t EchoCore::tailFrames() const {
  LoopFilterBounds filters;
  filters.peakGain = filterPeak.load(std::memory_order_relaxed);
  filters.ringFrames = filterRing.load(std::memory_order_relaxed);
  return echoTailFrames(store.value(engine::kParamRepeat), delayLengthFrames(), filters);
}

}  // namespace quillet::core
