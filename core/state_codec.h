// The effect's saved state, read and written in one place: the eleven
// normalised values in index order, each an IEEE 754 single-precision float
// in little-endian byte order, 44 bytes, no header. Every edition saves and
// restores these bytes (the VST 2.4 chunk, .fxp presets, the newer formats'
// states), so a state saved by one restores in any other.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/param_store.h"
#include "core/param_table.h"

namespace quillet::core {

constexpr size_t kStateBytes = 4 * kNumQuilletParams;

using StateValues = float[kNumQuilletParams];

// Writes kStateBytes bytes.
void encodeState(const StateValues& values, uint8_t* bytes);

// Reads kStateBytes bytes, as they are: no value is checked or clamped.
void decodeState(const uint8_t* bytes, StateValues& values);

// The store's values as a state.
void saveState(const ParamStore& store, uint8_t* bytes);

// As the VST 2.4 edition has always restored a chunk: null data or fewer
// than kStateBytes bytes is not a state of ours and changes nothing (false);
// otherwise eleven single stores in index order, each clamped, a NaN value
// skipped (its parameter keeps its value), and true. Bytes beyond the state
// are ignored.
bool loadState(ParamStore& store, const void* data, size_t size);

// For formats that can refuse a state: short data, or any NaN among the
// eleven values, refuses the whole state and changes nothing (false).
// Otherwise as loadState (infinities and other out-of-range values clamp).
bool loadStateStrict(ParamStore& store, const void* data, size_t size);

}  // namespace quillet::core
