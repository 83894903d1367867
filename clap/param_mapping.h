// How the parameter table appears to a CLAP host: ids, ranges, flags, the
// conversion between a host's plain value and the normalised value the core
// stores, and the value texts.
//
// Knobs are plain 0..1, the stored value itself. Switches are stepped 0..1
// (off/on). The three-position selectors are stepped 0..2: a CLAP host
// truncates a stepped value to a whole number, so 0..1 could not reach the
// middle position; position p is stored as p / 2 (0, 0.5, 1), the values the
// other editions store for them.
#pragma once

#include <cstdint>

#include "clap/interface/clap_audio_extensions.h"
#include "core/echo_core.h"
#include "core/param_table.h"

namespace quillet::clap {

// A parameter's CLAP id is the table's stable numeric id (its index: the
// saved state and every other edition already fix that numbering for good).
constexpr clap_id paramIdOf(int index) { return core::kQuilletParams[index].id; }
// The index for a CLAP id, or -1 for an id the table does not have.
int paramIndexOf(clap_id id);

double plainMin(int index);
double plainMax(int index);
double plainDefault(int index);
clap_param_info_flags paramFlags(int index);

// The normalised value to store for a host's plain value (clamped to the
// range, whole positions for stepped parameters); false for NaN, which is
// dropped.
bool plainToStored(int index, double plain, float* stored);
// The plain value a host sees for a stored normalised value.
double storedToPlain(int index, float stored);

// The info record of the parameter at this index; false outside the table.
bool fillParamInfo(uint32_t index, clap_param_info_t* info);

// The core's musician's texts for a plain value and back ("Delay" in ms for
// the stored "Range" and the present rate, percentages, balance, "on"/"off",
// position names); never the host's locale. False for an unknown index, NaN,
// a text that does not fit the capacity, or one that names no value.
bool valueToText(const quillet::core::EchoCore& core, int index, double plain, char* out,
                 uint32_t capacity);
bool textToValue(const quillet::core::EchoCore& core, int index, const char* text, double* plain);

}  // namespace quillet::clap
