#include "core/echo_tail.h"

#include <cmath>

#include "engine/filter_response.h"

namespace quillet::core {

namespace {

// The largest pole radius of 1 + a1 z^-1 + a2 z^-2.
double poleRadius(double a1, double a2) {
  const double disc = a1 * a1 - 4.0 * a2;
  if (disc < 0.0) return std::sqrt(a2);
  const double root = std::sqrt(disc);
  return std::fmax(std::fabs(-a1 + root), std::fabs(-a1 - root)) * 0.5;
}

// Frames a pole of this radius takes to fall by 100 dB.
double ringDown(double radius) {
  if (!(radius > 0.0)) return 0.0;
  if (!(radius < 1.0)) return 1e9;
  return std::ceil(std::log(1e-5) / std::log(radius));
}

}  // namespace

LoopFilterBounds loopFilterBounds(const engine::EchoEngine& engine) {
  LoopFilterBounds bounds;
  // The three sections have low Q: their product rises and falls smoothly
  // and is flat to second order at its peak. 2048 frequencies spaced evenly
  // in octaves from 1e-5 of the rate to its half are 0.53 % apart, so the
  // nearest one is within 0.27 % of the peak's and its gain short of the
  // peak by far less than the 0.1 % added.
  constexpr int kSteps = 2048;
  const engine::OnePoleFilter& hp = engine.feedbackHighPass();
  const engine::Biquad& shelf = engine.feedbackShelf();
  const engine::Biquad& lp = engine.feedbackLowPass();
  const double pi = std::acos(-1.0);
  const double lowest = 2.0 * pi * 1e-5;
  double peak = 0.0;
  for (int k = 0; k <= kSteps; ++k) {
    const double w = lowest * std::pow(pi / lowest, static_cast<double>(k) / kSteps);
    const double g = gainAt(hp, w) * gainAt(shelf, w) * gainAt(lp, w);
    if (g > peak) peak = g;
  }
  bounds.peakGain = peak * 1.001;
  const double ring = ringDown(std::fabs(hp.a1)) + ringDown(poleRadius(shelf.a1, shelf.a2)) +
                      ringDown(poleRadius(lp.a1, lp.a2));
  bounds.ringFrames = ring < 1e9 ? static_cast<uint32_t>(ring) : kInfiniteTail;
  return bounds;
}

uint32_t echoTailFrames(float repeat, int32_t delayLength, const LoopFilterBounds& filters) {
  if (delayLength <= 0) return 0;
  const double twoOverRootPi = 1.1283791670955126;
  const double passGain = 2.0 * static_cast<double>(repeat) * twoOverRootPi * filters.peakGain;
  if (!(passGain < 1.0) || filters.ringFrames == kInfiniteTail) return kInfiniteTail;
  double passes = 0.0;
  if (passGain > 0.0)
    passes = std::ceil(std::log(std::pow(10.0, -90.0 / 20.0)) / std::log(passGain));
  const double frames = (passes + 1.0) * static_cast<double>(delayLength) + filters.ringFrames;
  if (!(frames < static_cast<double>(kInfiniteTail))) return kInfiniteTail;
  return static_cast<uint32_t>(frames);
}

}  // namespace quillet::core
