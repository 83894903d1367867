#include "standalone/echo_runner.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace quillet_standalone {

void EchoRunner::process(const float* const* inputs, float* const* outputs, uint32_t frames) {
  inBlock.store(true);
  if (!running.load() || gate.holds(core, inputs, frames)) {
    for (int c = 0; c < 2; ++c) std::fill(outputs[c], outputs[c] + frames, 0.0f);
  } else {
    core.process(inputs, outputs, frames);
  }
  inBlock.store(false);
}

bool EchoRunner::startAt(double rate) {
  running.store(false);
  while (inBlock.load()) std::this_thread::sleep_for(std::chrono::microseconds(200));
  // No block runs now, and none will until `running` is set again.
  const bool usable = quillet::EchoCore::isUsableSampleRate(rate) && core.setSampleRate(rate);
  gate.rearm();
  runningRate.store(usable ? rate : 0.0, std::memory_order_relaxed);
  if (usable) running.store(true);
  return usable;
}

}  // namespace quillet_standalone
