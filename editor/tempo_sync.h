// Turns a note length at the host's tempo into the effect's Delay and Range
// values, inverting the delay law of the three ranges.
#pragma once

#include <cstdint>

#include "core/panel_host.h"

struct DelaySetting {
  float delay;  // normalised "Delay"
  float range;  // normalised "Range": 0 short, 0.5 medium, 1 long
};

// The note buttons' tags, whole note first.
using quillet::core::kTagNoteMode;
using quillet::core::kTagThirtySecondNote;
using quillet::core::kTagWholeNote;

// Length of the note in beats for tags 1001..1006, or 0 for any other tag.
double noteBeats(int32_t tag);

// Factor of the note-mode switch value: normal 1, dotted 1.5, triplet 2/3.
double noteModeFactor(float mode);

// The Delay and Range values for an echo of `milliseconds`.
DelaySetting delayForTime(double milliseconds);
