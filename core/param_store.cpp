#include "core/param_store.h"

#include <cmath>

#include "core/param_value.h"

namespace quillet::core {

namespace {

bool inTable(int32_t index) { return index >= 0 && index < kNumQuilletParams; }

}  // namespace

ParamStore::ParamStore() {
  for (int32_t i = 0; i < kNumQuilletParams; ++i) {
    stored[i].store(kQuilletParams[i].defaultValue, std::memory_order_relaxed);
    lostStores[i].store(0, std::memory_order_relaxed);
  }
  // takenValues starts at the same defaults: until the first block, every
  // reaction has run with the values the store started with, and every store
  // since is in the queue.
}

bool ParamStore::store(int32_t index, float value) {
  if (!inTable(index)) return false;
  // NaN has no place on a 0..1 scale: the parameter keeps its value and
  // nobody is told.
  value = clampStoredValue(value);
  if (std::isnan(value)) return false;
  stored[index].store(value, std::memory_order_relaxed);
  if (!pending.push(index, value)) noteLostStore(index, value);
  if (listener) listener->parameterStored(index, value);
  return true;
}

float ParamStore::value(int32_t index) const {
  if (!inTable(index)) return 0.0f;
  return stored[index].load(std::memory_order_relaxed);
}

void ParamStore::noteLostStore(int32_t index, float value) {
  // Release: whoever sees the flag also sees the value stored before it.
  const uint8_t flags = value > 0.5f ? kLost | kLostOn : kLost;
  lostStores[index].fetch_or(flags, std::memory_order_release);
  lostAny.store(true, std::memory_order_release);
}

void ParamStore::take(int32_t index, float value, ParamReaction& reaction) {
  takenValues[index] = value;
  reaction.parameterTaken(index, takenValues);
}

void ParamStore::applyPending(ParamReaction& reaction) {
  ParamChangeQueue::Change change;
  while (pending.pop(change)) take(change.index, change.value, reaction);
  if (lostAny.load(std::memory_order_relaxed)) applyLostStores(reaction);
  catchUpWithStored(reaction);
}

// Two threads storing the same parameter at the same moment may queue their
// values in the other order than they landed in the stored values. The
// stored value is the one hosts read back and save, so the engine follows it.
// A store that is still on its way (stored, not yet queued) is taken here a
// block early and again when it arrives: its reaction runs twice with the
// same value, which no reaction can be heard doing. From one thread, the
// queue always ends where the stored values are and nothing happens here.
void ParamStore::catchUpWithStored(ParamReaction& reaction) {
  for (int32_t i = 0; i < kNumQuilletParams; ++i) {
    const float value = stored[i].load(std::memory_order_relaxed);
    if (value != takenValues[i]) take(i, value, reaction);
  }
}

// The queue overflowed (thousands of stores between two blocks): each lost
// parameter ends on its last stored value, in index order, as a state restore
// would set it. A switch that was turned on by a lost store but is off again
// is first replayed as fully on, so that its reaction to switching on (the
// mute sequence) still runs.
void ParamStore::applyLostStores(ParamReaction& reaction) {
  lostAny.exchange(false, std::memory_order_acquire);
  for (int32_t i = 0; i < kNumQuilletParams; ++i) {
    const uint8_t flags = lostStores[i].exchange(0, std::memory_order_acquire);
    if (!flags) continue;
    const float last = stored[i].load(std::memory_order_relaxed);
    if ((flags & kLostOn) && !engine::switchOn(last) && kQuilletParams[i].kind == ParamKind::Switch)
      take(i, 1.0f, reaction);
    take(i, last, reaction);
  }
}

}  // namespace quillet::core
