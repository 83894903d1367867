#include "core/echo_core.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "engine/delay_length.h"
#include "platform/tick_count.h"

namespace quillet {

namespace {

// The rate as the engine takes it, a single-precision float; rates beyond
// the float range become infinite (and so unusable) instead of undefined.
float engineRate(double rate) {
  if (std::fabs(rate) > static_cast<double>(FLT_MAX)) return rate > 0.0 ? INFINITY : -INFINITY;
  return static_cast<float>(rate);
}

}  // namespace

EchoCore::EchoCore() { engine.setTickSource(&platform::tickCount); }

bool EchoCore::isUsableSampleRate(double rate) { return usableSampleRate(engineRate(rate)); }

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

void EchoCore::parameterTaken(int32_t index, const EchoParams& taken) {
  engine.parameterChanged(index, taken);
}

void EchoCore::setLongestEngineBlock(uint32_t frames) {
  longestEngineBlock = std::max(1u, std::min(frames, kLongestEngineBlock));
}

template <typename Sample>
void EchoCore::processBlock(const Sample* const* inputs, Sample* const* outputs, uint32_t frames) {
  store.applyPending(*this);
  const bool monoIO = mono.load(std::memory_order_relaxed);
  const uint32_t first = std::min(frames, longestEngineBlock);
  engine.process(store.taken(), monoIO, inputs, outputs, static_cast<int32_t>(first));
  if (first == frames || !inputs || !outputs) return;
  // Beyond what the engine counts in one block: the rest in further blocks.
  const Sample* in[2] = {inputs[0], inputs[1]};
  Sample* out[2] = {outputs[0], outputs[1]};
  if (!in[0] || !in[1] || !out[0] || !out[1]) return;
  for (uint32_t done = first; done < frames;) {
    const uint32_t n = std::min(frames - done, longestEngineBlock);
    const Sample* chunkIn[2] = {in[0] + done, in[1] + done};
    Sample* chunkOut[2] = {out[0] + done, out[1] + done};
    engine.process(store.taken(), monoIO, chunkIn, chunkOut, static_cast<int32_t>(n));
    done += n;
  }
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
  const int32_t capacity = delayCapacity(fs);
  if (capacity <= 0) return 0;
  return wholeDelayLength(delaySamples(store.value(kParamDelay), store.value(kParamRange), fs),
                          capacity);
}

uint32_t EchoCore::tailFrames() const {
  LoopFilterBounds filters;
  filters.peakGain = filterPeak.load(std::memory_order_relaxed);
  filters.ringFrames = filterRing.load(std::memory_order_relaxed);
  return echoTailFrames(store.value(kParamRepeat), delayLengthFrames(), filters);
}

}  // namespace quillet
