#include "standalone/echo_runner.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace quillet::standalone {

namespace {

// The fixed clock's milliseconds, as quillet-host's fixed clock makes them
// (its monotonic clock starts at 1000 s).
std::atomic<uint32_t> fixedTicks{0};
uint32_t fixedClockTicks() { return fixedTicks.load(std::memory_order_relaxed); }

void setFixedClock(uint64_t frames, double rate) {
  const auto nanoseconds = static_cast<uint64_t>(static_cast<double>(frames) / rate * 1e9);
  fixedTicks.store(static_cast<uint32_t>(1000000u + nanoseconds / 1000000u),
                   std::memory_order_relaxed);
}

// Each change stored into the core, each piece processed by it.
class CorePieces final : public quillet::core::PieceRunner {
 public:
  CorePieces(quillet::core::EchoCore& core, const float* const* in, float* const* out)
      : core(core), in(in), out(out) {}
  void apply(const quillet::core::TimedChange& change) override {
    core.setParameter(change.index, change.value);
  }
  void run(uint32_t offset, uint32_t frames) override {
    if (!in) return;
    const float* pieceIn[2] = {in[0] + offset, in[1] + offset};
    float* pieceOut[2] = {out[0] + offset, out[1] + offset};
    core.process(pieceIn, pieceOut, frames);
  }

 private:
  quillet::core::EchoCore& core;
  const float* const* in;
  float* const* out;
};

}  // namespace

void EchoRunner::useFixedClock() {
  fixedClock = true;
  core.echoEngine().setTickSource(&fixedClockTicks);
}

void EchoRunner::process(const float* const* inputs, float* const* outputs, uint32_t frames,
                         quillet::core::BlockChanges& changes) {
  inBlock.store(true);
  if (!running.load() || gate.holds(core, inputs, frames)) {
    CorePieces storeOnly(core, nullptr, nullptr);
    quillet::core::applyAll(changes, storeOnly);
    for (int c = 0; c < 2; ++c) std::fill(outputs[c], outputs[c] + frames, 0.0f);
  } else {
    if (fixedClock) setFixedClock(framesSinceSound, core.sampleRate());
    CorePieces pieces(core, inputs, outputs);
    quillet::core::runInPieces(changes, frames, pieces);
    framesSinceSound += frames;
  }
  inBlock.store(false);
}

bool EchoRunner::startAt(double rate) {
  running.store(false);
  while (inBlock.load()) std::this_thread::sleep_for(std::chrono::microseconds(200));
  // No block runs now, and none will until `running` is set again.
  const bool usable = quillet::core::EchoCore::isUsableSampleRate(rate) && core.setSampleRate(rate);
  gate.rearm();
  framesSinceSound = 0;
  runningRate.store(usable ? rate : 0.0, std::memory_order_relaxed);
  if (usable) running.store(true);
  return usable;
}

}  // namespace quillet::standalone
