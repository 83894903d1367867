// The echo as the page's AudioWorkletProcessor runs it (web/site/worklet.js):
// one EchoCore, its values reaching it through one ring of timed changes,
// and blocks of up to kMaxFrames stereo frames in buffers of this module.
//
// Everything is taken in echo_start; echo_queue and echo_process allocate
// nothing, lock nothing and never wait.
#include <cmath>
#include <cstdint>
#include <new>

#include "core/block_changes.h"
#include "core/echo_core.h"
#include "engine/vector_erf.h"
#include "web/audio/audio_clock.h"
#include "web/audio/timed_change_ring.h"

#define QUILLET_EXPORT(name) extern "C" __attribute__((export_name(#name), used))

namespace quillet::web {

namespace {

constexpr uint32_t kMaxFrames = 1024;

// The tick count the engine reads while a block runs.
uint32_t blockTicks = 0;
uint32_t currentTicks() { return blockTicks; }

class WebEcho final : private quillet::core::PieceRunner {
 public:
  WebEcho(double rate, const float* values) : rate(rate) {
    core.echoEngine().setTickSource(&currentTicks);
    core.spaceStretches(true);  // changes at their frames (core/block_changes.h)
    for (int32_t i = 0; i < core::kNumQuilletParams; ++i) core.setParameter(i, values[i]);
    running = core.setSampleRate(rate);
  }

  bool isRunning() const { return running; }
  float* buffer(int32_t which) {
    if (which < 0 || which > 3) return nullptr;
    return which < 2 ? in[which] : out[which - 2];
  }
  bool queue(const QueuedChange& change) {
    if (change.index < 0 || change.index >= core::kNumQuilletParams || change.value != change.value)
      return false;
    return ring.push(change);
  }
  float value(int32_t index) const { return core.parameter(index); }
  uint32_t tailFrames() const { return core.tailFrames(); }
  uint64_t framesDone() const { return done; }

  // One block: the changes due in it at their frames, then the echo.
  void process(uint32_t frames) {
    if (frames == 0 || frames > kMaxFrames) return;
    changes.clear();
    const uint64_t end = done + frames;
    while (!ring.empty() && ring.front().frame < end) {
      const QueuedChange& c = ring.front();
      const uint32_t at = c.frame > done ? static_cast<uint32_t>(c.frame - done) : 0u;
      changes.add(at, c.index, c.value);
      ring.pop();
    }
    blockTicks = audioClockTicks(done, rate);
    quillet::core::runInPieces(changes, frames, *this);
    done = end;
  }

 private:
  void apply(const quillet::core::TimedChange& change) override {
    core.setParameter(change.index, change.value);
  }
  void run(uint32_t offset, uint32_t frames) override {
    const float* inputs[2] = {in[0] + offset, in[1] + offset};
    float* outputs[2] = {out[0] + offset, out[1] + offset};
    core.process(inputs, outputs, frames);
  }

  double rate;
  bool running = false;
  uint64_t done = 0;
  quillet::core::EchoCore core;
  quillet::core::BlockChanges changes;
  TimedChangeRing ring;
  float in[2][kMaxFrames] = {};
  float out[2][kMaxFrames] = {};
};

WebEcho* echo = nullptr;
float initialValues[core::kNumQuilletParams];

}  // namespace

}  // namespace quillet::web

using quillet::web::echo;

// Where the caller puts the eleven values the next echo_start begins with.
QUILLET_EXPORT(echo_initial_values) float* echoInitialValues() {
  return quillet::web::initialValues;
}

// A fresh echo at `rate` on the values at echo_initial_values(), taken as
// values set before a host switches a plug-in on (nothing glides); 1 when it
// runs (0 for a rate the echo cannot run at, or without memory).
QUILLET_EXPORT(echo_start) int32_t echoStart(double rate) {
  delete echo;
  echo = new (std::nothrow) quillet::web::WebEcho(rate, quillet::web::initialValues);
  return echo && echo->isRunning() ? 1 : 0;
}

// The block's buffers: 0 and 1 the left and right input, 2 and 3 the output.
QUILLET_EXPORT(echo_buffer) float* echoBuffer(int32_t which) {
  return echo ? echo->buffer(which) : nullptr;
}

QUILLET_EXPORT(echo_max_frames) uint32_t echoMaxFrames() { return quillet::web::kMaxFrames; }

// A change of parameter `index` to `value` at frame `frame` since the start
// (earlier frames, 0 among them: at the next block's start). 0 when it is
// refused (no echo, a bad index or NaN, or the ring is full).
QUILLET_EXPORT(echo_queue) int32_t echoQueue(double frame, int32_t index, float value) {
  if (!echo || !(frame >= 0.0)) return 0;
  return echo->queue({static_cast<uint64_t>(frame), index, value}) ? 1 : 0;
}

// Runs `frames` frames (1 to echo_max_frames()) from the input buffers into
// the output buffers.
QUILLET_EXPORT(echo_process) void echoProcess(uint32_t frames) {
  if (echo) echo->process(frames);
}

QUILLET_EXPORT(echo_value) float echoValue(int32_t index) {
  return echo ? echo->value(index) : 0.0f;
}

// Frames after the input until the echo has died away by 90 dB, for the
// values now; -1 while the loop sustains itself (a high "Repeat").
QUILLET_EXPORT(echo_tail_frames) double echoTailFrames() {
  if (!echo) return 0.0;
  const uint32_t frames = echo->tailFrames();
  return frames == quillet::core::kInfiniteTail ? -1.0 : static_cast<double>(frames);
}

QUILLET_EXPORT(echo_frames_done) double echoFramesDone() {
  return echo ? static_cast<double>(echo->framesDone()) : 0.0;
}

// 1 when the engine's vector erf gives this module's erf bit for bit on the
// load-time check (so the echo loops take it); 0 when they call erf alone.
QUILLET_EXPORT(echo_vector_erf) int32_t echoVectorErf() {
  return quillet::engine::vectorErfMatchesLibrary() ? 1 : 0;
}

// erf as the echo computes it, for the checks that hold it to the native
// builds' C library: echo_erf(n) replaces the first n of the
// echo_erf_arguments() (room for 4096) by their erf.
namespace {
double erfArguments[4096];
}
QUILLET_EXPORT(echo_erf_arguments) double* echoErfArguments() { return erfArguments; }
QUILLET_EXPORT(echo_erf) void echoErf(int32_t n) {
  for (int32_t i = 0; i < n && i < 4096; ++i) erfArguments[i] = std::erf(erfArguments[i]);
}
