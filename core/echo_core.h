// The effect without any plug-in format: the parameter store and the echo
// engine, driven as every format drives it. A format's adapter holds one
// EchoCore per plug-in instance and forwards to it.
//
// Threads, as the formats call them:
//  - parameters (setParameter, parameter, texts, saveState, loadState*) from
//    any thread, at any time, also while a block is processed: a store lands
//    at once and reaches the engine at the start of the next block, in the
//    order the stores were made;
//  - setSampleRate, restart and setMonoIO while no block is processed;
//  - process on the audio thread. It never allocates, locks or waits.
// All memory is taken in setSampleRate.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "core/echo_tail.h"
#include "core/param_store.h"
#include "core/param_table.h"
#include "core/param_text.h"
#include "core/state_codec.h"
#include "engine/echo_engine.h"

namespace quillet::core {

class EchoCore final : private ParamReaction {
 public:
  EchoCore();
  EchoCore(const EchoCore&) = delete;
  EchoCore& operator=(const EchoCore&) = delete;

  // ---- rate and set-up ----------------------------------------------------

  // The one rule for sample rates, for every format: the rates the echo runs
  // at (finite, from about 33.3 Hz, where the shortest echo is one sample
  // long, up to 1 MHz). A format that may refuse a rate refuses every other.
  static bool isUsableSampleRate(double rate);

  // Stores still queued take effect first; then the delay memory for the
  // rate is taken and cleared, every coefficient computed and the smoothed
  // values put on the stored ones without a glide. At a rate that is not
  // usable, or without memory, the effect holds no memory and passes audio
  // through unchanged until the next call; false then.
  bool setSampleRate(double rate);
  // The rate last set (0 before the first setSampleRate).
  double sampleRate() const { return rate.load(std::memory_order_relaxed); }

  // A fresh start on the stored values without taking memory: queued stores
  // take effect, then the lines are empty, the filters at rest and nothing
  // glides, as setSampleRate leaves the effect.
  void restart();

  // Stretches of the lines spaced: at most one in any kStretchSpacingMs, a
  // change of "Delay" or "Range" that comes sooner after the last stretch
  // waiting until that time has passed, in this block or a later one (the
  // block then runs in two engine blocks, split where it falls due). For the
  // formats whose hosts send values at their own frames, or at any time from
  // other threads (VST3, CLAP, the standalone program). Off, as by default,
  // the lines stretch at the start of every block whose delay length
  // changed, as in the VST 2.4 and LV2 editions. Set before sharing the core.
  void spaceStretches(bool on) { engine.setStretchSpacing(on); }

  // One input and one output channel instead of two: the echo runs its mono
  // path and "Mono Out" does nothing.
  void setMonoIO(bool on) { mono.store(on, std::memory_order_relaxed); }
  bool monoIO() const { return mono.load(std::memory_order_relaxed); }

  // ---- audio --------------------------------------------------------------

  // One block of stereo audio, any length: queued stores take effect, then
  // the engine runs the block. Inputs and outputs may be the same buffers.
  // A block of 0 frames is still a block (a pending stretch of the lines is
  // made, and the tiny offset that keeps denormals away changes sign), as
  // VST 2.4 hosts have always had it; a format that only wants stores taken
  // in between blocks calls applyPendingStores instead.
  void process(const float* const* inputs, float* const* outputs, uint32_t frames);
  void process(const double* const* inputs, double* const* outputs, uint32_t frames);

  // Takes in the queued stores (audio thread, or while no block runs).
  void applyPendingStores() { store.applyPending(*this); }

  // The engine counts a block's frames in a signed 32-bit integer: longer
  // blocks run as several engine blocks of at most this many frames (and a
  // block is split where a waiting stretch falls due). Tests set a shorter
  // limit to check long blocks cheaply.
  static constexpr uint32_t kLongestEngineBlock = 1u << 30;
  void setLongestEngineBlock(uint32_t frames);

  // ---- parameters ---------------------------------------------------------

  // Stores a value (clamped to 0..1); false and nothing changes for NaN or
  // an index outside the table.
  bool setParameter(int32_t index, float value) { return store.store(index, value); }
  // The stored value; 0 for an index outside the table.
  float parameter(int32_t index) const { return store.value(index); }
  // Hears of every store on the storing thread. Set before sharing the core.
  void setListener(ParamListener* listener) { store.setListener(listener); }

  // The musician's text of a value and back, with "Delay" in milliseconds
  // for the stored "Range" and the present rate (see param_text.h).
  bool valueToText(int32_t index, float value, char* text, size_t size) const;
  bool textToValue(int32_t index, const char* text, float* value) const;
  ParamTextContext textContext() const;

  // ---- state --------------------------------------------------------------

  // kStateBytes bytes (see state_codec.h).
  void saveState(uint8_t* bytes) const { quillet::core::saveState(store, bytes); }
  // The VST 2.4 edition's restore: short refused, each value else stored
  // alone (a NaN skipped, out-of-range values clamped).
  bool loadState(const void* data, size_t size) {
    return quillet::core::loadState(store, data, size);
  }
  // All or nothing: short data or any NaN refused, nothing changes.
  bool loadStateStrict(const void* data, size_t size) {
    return quillet::core::loadStateStrict(store, data, size);
  }

  // ---- tail ---------------------------------------------------------------

  // The delay line's length in frames for the stored "Delay" and "Range" at
  // the present rate; 0 without a usable rate.
  int32_t delayLengthFrames() const;
  // Frames after the input stops until the echo has died away by 90 dB
  // (kInfiniteTail while the loop sustains itself), for the stored "Repeat",
  // "Delay" and "Range"; 0 without a usable rate. "Level" and "Mute" are
  // left out, as a host may render the tail while they change.
  uint32_t tailFrames() const;

  // The engine, for tests and benchmarks that pin its state.
  engine::EchoEngine& echoEngine() { return engine; }

 private:
  void parameterTaken(int32_t index, const engine::EchoParams& taken) override;
  template <typename Sample>
  void processBlock(const Sample* const* inputs, Sample* const* outputs, uint32_t frames);

  ParamStore store;
  engine::EchoEngine engine;
  std::atomic<float> rate{0.0f};
  std::atomic<bool> mono{false};
  // Written by setSampleRate, read by tailFrames on any thread.
  std::atomic<double> filterPeak{0.0};
  std::atomic<uint32_t> filterRing{0};
  uint32_t longestEngineBlock = kLongestEngineBlock;
};

}  // namespace quillet::core
