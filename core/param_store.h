// The parameter store: every value of the table, stored from any thread and
// taken in by the audio thread at the start of a block.
//
// A store lands in the stored values at once (value() and saved states see
// it), the listener hears of it on the storing thread, and it is queued for
// the audio thread, which takes the queued stores in the order they were made
// when it calls applyPending: each one lands in taken() and the reaction runs
// with it. Neither side locks, allocates or waits.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/param_change_queue.h"
#include "core/param_table.h"
#include "engine/echo_params.h"

namespace quillet::core {

// Hears of every store on the thread that made it, after the value landed.
class ParamListener {
 public:
  virtual void parameterStored(int32_t index, float value) = 0;

 protected:
  ~ParamListener() = default;
};

// What the audio thread does when a stored value reaches it: taken[index]
// holds the value to react to.
class ParamReaction {
 public:
  virtual void parameterTaken(int32_t index, const engine::EchoParams& taken) = 0;

 protected:
  ~ParamReaction() = default;
};

class ParamStore {
 public:
  // Every value at its default; nothing queued.
  ParamStore();
  ParamStore(const ParamStore&) = delete;
  ParamStore& operator=(const ParamStore&) = delete;

  // Set before any other thread uses the store; null for none.
  void setListener(ParamListener* listener) { this->listener = listener; }

  // Any thread. Clamps to 0..1 (infinities too). False, and nothing changes
  // and nobody hears of it, for NaN or an index outside the table.
  bool store(int32_t index, float value);

  // Any thread. The stored value; 0 for an index outside the table.
  float value(int32_t index) const;

  // The audio thread (or any thread while no block runs): takes in every
  // store since the last call, oldest first, each followed by its reaction.
  void applyPending(ParamReaction& reaction);

  // The values as the audio thread has taken them in: the values of exactly
  // the stores its reactions have seen. Audio thread only.
  const engine::EchoParams& taken() const { return takenValues; }

 private:
  // Tests play a second thread's store caught between landing and queueing.
  friend struct ParamStoreTestAccess;

  enum : uint8_t { kLost = 1, kLostOn = 2 };
  void noteLostStore(int32_t index, float value);
  void applyLostStores(ParamReaction& reaction);
  void catchUpWithStored(ParamReaction& reaction);
  void take(int32_t index, float value, ParamReaction& reaction);

  // Two copies of each value, each for its own readers: the stored values
  // are what any thread reads back and saves; takenValues is the audio
  // thread's own, changed only at the start of a block, so a block runs
  // from start to end on one set of values and each reaction sees exactly
  // the values of the stores before it (a chunk restored while a block runs
  // must not reach the engine half-way).
  std::atomic<float> stored[kNumQuilletParams];
  engine::EchoParams takenValues;

  ParamListener* listener = nullptr;
  ParamChangeQueue pending;
  // Stores the queue had no room for: per parameter, kLost, and kLostOn when
  // one of them was above one half (a switch turned on), so that its reaction
  // is not lost with it. lostAny says whether any flag is set.
  std::atomic<uint8_t> lostStores[kNumQuilletParams];
  std::atomic<bool> lostAny{false};
};

static_assert(std::atomic<float>::is_always_lock_free, "parameter values need lock-free floats");

}  // namespace quillet::core
