// One row of an effect's parameter table. Values are stored only in the
// normalised 0..1 form the host sees. Any thread may store or read a value
// at any time, so it is an atomic float, which every target machine handles
// without a lock.
#pragma once

#include <atomic>

struct ParamEntry {
  const char* name;
  const char* label;
  std::atomic<float> value;
};

static_assert(std::atomic<float>::is_always_lock_free, "parameter values need lock-free floats");
