#include "host/render/demo_material.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace quillet::host {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A small linear congruential generator: the same noise everywhere.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state(seed) {}
  double next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
  }

 private:
  uint32_t state;
};

double midiToHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// Equal-power placement: pan -1 left, +1 right.
void addPanned(AudioData& out, size_t at, const std::vector<double>& sound, double pan) {
  const double angle = (pan + 1.0) * kPi / 4.0;
  const double gains[2] = {std::cos(angle), std::sin(angle)};
  for (size_t c = 0; c < 2; ++c)
    for (size_t i = 0; i < sound.size() && at + i < out.frames(); ++i)
      out.channels[c][at + i] += gains[c] * sound[i];
}

// A plucked string (Karplus-Strong): a burst of noise in a damped loop.
std::vector<double> pluck(double rate, double hz, double seconds, uint32_t seed) {
  const size_t period = static_cast<size_t>(std::max(2.0, rate / hz));
  std::vector<double> loop(period);
  Noise noise(seed);
  for (double& s : loop) s = noise.next();
  std::vector<double> sound(static_cast<size_t>(seconds * rate));
  size_t pos = 0;
  for (size_t i = 0; i < sound.size(); ++i) {
    const size_t nextPos = (pos + 1) % period;
    const double out = loop[pos];
    loop[pos] = 0.996 * 0.5 * (loop[pos] + loop[nextPos]);
    pos = nextPos;
    // A short fade at the end keeps the note from clicking off.
    const double left = static_cast<double>(sound.size() - i) / (0.01 * rate);
    sound[i] = 0.5 * out * std::min(1.0, left);
  }
  return sound;
}

// A drum-like click: a few milliseconds of decaying noise over a falling tone.
std::vector<double> click(double rate, uint32_t seed) {
  std::vector<double> sound(static_cast<size_t>(0.06 * rate));
  Noise noise(seed);
  double phase = 0.0;
  for (size_t i = 0; i < sound.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    phase += 2.0 * kPi * (180.0 * std::exp(-t * 40.0) + 60.0) / rate;
    sound[i] =
        (0.5 * noise.next() * std::exp(-t * 250.0) + 0.7 * std::sin(phase)) * std::exp(-t * 60.0);
  }
  return sound;
}

// A sustained chord of soft saw-like voices that stops after a short release.
std::vector<double> chord(double rate, const std::vector<int>& notes, double seconds) {
  std::vector<double> sound(static_cast<size_t>(seconds * rate));
  const double attack = 0.05 * rate, release = 0.03 * rate;
  for (int note : notes) {
    const double hz = midiToHz(note);
    for (size_t i = 0; i < sound.size(); ++i) {
      const double t = static_cast<double>(i) / rate;
      double v = 0.0;
      for (int h = 1; h <= 6; ++h) v += std::sin(2.0 * kPi * hz * h * t) / h;
      sound[i] += 0.08 * v;
    }
  }
  for (size_t i = 0; i < sound.size(); ++i) {
    const double fromEnd = static_cast<double>(sound.size() - i);
    sound[i] *= std::min({1.0, static_cast<double>(i) / attack, fromEnd / release});
  }
  return sound;
}

}  // namespace

AudioData demoMaterial(double rate) {
  AudioData out;
  out.sampleRate = rate;
  out.channels.assign(2, std::vector<double>(static_cast<size_t>(kDemoSeconds * rate), 0.0));
  auto at = [&](double seconds) { return static_cast<size_t>(seconds * rate); };

  // Plucked phrase: four notes, left and right, then space for the repeats.
  const struct {
    double time;
    int note;
    double pan;
  } notes[] = {{0.00, 64, -0.6}, {0.25, 67, 0.6}, {0.50, 71, -0.3}, {1.25, 76, 0.4}};
  uint32_t seed = 1;
  for (const auto& n : notes)
    addPanned(out, at(n.time), pluck(rate, midiToHz(n.note), 0.35, seed++), n.pan);

  // Click pattern: one bar of a sparse beat, centred, from 2.5 s.
  for (double t : {2.5, 2.875, 3.0, 3.5}) addPanned(out, at(t), click(rate, seed++), 0.0);

  // Sustained chord from 4.6 s, stopping dead at 5.6 s: the echo tail is all that is left.
  addPanned(out, at(4.6), chord(rate, {57, 64, 69, 72}, 1.0), 0.0);

  // Keep the material clear of full scale so repeats stacking on top do not clip.
  double peak = 0.0;
  for (const auto& c : out.channels)
    for (double s : c) peak = std::max(peak, std::fabs(s));
  if (peak > 0.0)
    for (auto& c : out.channels)
      for (double& s : c) s *= 0.5 / peak;
  return out;
}

}  // namespace quillet::host
