// Coefficients of the feedback-path filters and the control smoothers. Only
// coefficients are written; filter states are left as they are.
#pragma once

#include "engine/biquad.h"
#include "engine/one_pole_filter.h"

namespace quillet::engine {

// Audio EQ Cookbook high shelf with alphaShelf in place of alpha; raw, not
// divided by a0.
void highShelfCoefficients(Biquad& shelf, double A, double cosW0, double alphaShelf);

// 200 Hz first-order high-pass (bilinear). At rates of 400 Hz and less the
// whole band lies below the corner and the section passes nothing.
void designHighPass(OnePoleFilter& filter, double fs);

// 2500 Hz high shelf, gain 1 at 0 Hz and 10^-0.3 at Nyquist. Where 2500 Hz is
// not below Nyquist the shelf has nothing to act on and passes its input.
void designHighShelf(Biquad& shelf, double fs);

// 7000 Hz low-pass (Q 1/1.4142). Where 7000 Hz is not below Nyquist the
// section passes its input.
void designLowPass(Biquad& lowPass, double fs);

// Per-sample factor of a smoother with the given time constant, in single
// precision.
float smootherCoefficient(float fs, float timeConstantMs);

}  // namespace quillet::engine
