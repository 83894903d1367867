// What the start of an instance does to the sound: the first Mute's fade-in,
// and how the VST 2.4 edition, which runs its echo on a silent lead-in,
// differs from the editions that wait for the first sound
// (core/first_sound.h). Both rendered through EchoCore at 48 kHz in blocks
// of 512 frames, as a host plays them.
#include "core/first_sound.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/echo_core.h"
#include "doc/manual/manual_output.h"
#include "doc/manual/manual_writers.h"

namespace quillet::manual {

namespace {

constexpr uint32_t kBlock = 512;

struct Setting {
  int32_t index;
  float value;
};
using Settings = std::vector<Setting>;

// Settings below the point where the echo sustains itself, and one above it.
const std::vector<Settings> kBelowSustain = {
    {{engine::kParamDelay, 0.6f}, {engine::kParamRepeat, 0.45f}, {engine::kParamLevel, 0.8f}},
    {{engine::kParamRange, 0.0f},
     {engine::kParamDelay, 0.0f},
     {engine::kParamRepeat, 0.49f},
     {engine::kParamLevel, 1.0f}},
    {{engine::kParamRange, 1.0f},
     {engine::kParamDelay, 1.0f},
     {engine::kParamRepeat, 0.3f},
     {engine::kParamLevel, 1.0f}}};
const Settings kAboveSustain = {{engine::kParamRange, 0.2f},   {engine::kParamDelay, 0.37f},
                                {engine::kParamRepeat, 0.62f}, {engine::kParamLevel, 0.83f},
                                {engine::kParamDry, 0.71f},    {engine::kParamPan, 0.35f},
                                {engine::kParamXFeed, 0.27f},  {engine::kParamPingPong, 0.5f}};

// Stereo input, one vector per channel.
struct Stereo {
  std::vector<float> left, right;
};

// An echo at kRate with these settings, playing `in` block by block; with
// `waits`, as the editions that wait for the first sound do. Returns both
// outputs.
Stereo play(const Settings& settings, const Stereo& in, bool waits) {
  quillet::core::EchoCore core;
  for (const Setting& s : settings) core.setParameter(s.index, s.value);
  core.setSampleRate(kRate);
  quillet::core::FirstSoundGate gate;
  const size_t frames = in.left.size();
  Stereo out{std::vector<float>(frames, 0.0f), std::vector<float>(frames, 0.0f)};
  for (size_t at = 0; at < frames; at += kBlock) {
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(kBlock, frames - at));
    const float* inputs[] = {in.left.data() + at, in.right.data() + at};
    float* outputs[] = {out.left.data() + at, out.right.data() + at};
    if (!(waits && gate.holds(core, inputs, n))) core.process(inputs, outputs, n);
  }
  return out;
}

double largest(const Stereo& x, size_t from, size_t to) {
  double peak = 0.0;
  for (size_t i = from; i < to && i < x.left.size(); ++i)
    peak = std::max({peak, std::fabs(double(x.left[i])), std::fabs(double(x.right[i]))});
  return peak;
}

double largestDifference(const Stereo& a, const Stereo& b, size_t from) {
  double most = 0.0;
  for (size_t i = from; i < a.left.size(); ++i)
    most = std::max({most, std::fabs(double(a.left[i]) - double(b.left[i])),
                     std::fabs(double(a.right[i]) - double(b.right[i]))});
  return most;
}

// Two seconds of plucked tones, a different one on each side, after `lead`
// frames of silence, and two seconds of their echoes' tail.
Stereo afterSilence(size_t lead) {
  const size_t sound = static_cast<size_t>(2 * kRate);
  const size_t frames = lead + 2 * sound;
  Stereo in{std::vector<float>(frames, 0.0f), std::vector<float>(frames, 0.0f)};
  for (size_t i = 0; i < sound; ++i) {
    const double t = static_cast<double>(i),
                 pluck = std::exp(-static_cast<double>(i % 24000) / 3000.0);
    in.left[lead + i] = static_cast<float>(0.5 * pluck * std::sin(0.05 * t));
    in.right[lead + i] = static_cast<float>(0.4 * pluck * std::sin(0.031 * t + 1.0));
  }
  return in;
}

Stereo silence(double seconds) {
  const size_t frames = static_cast<size_t>(seconds * kRate);
  return {std::vector<float>(frames, 0.0f), std::vector<float>(frames, 0.0f)};
}

// -290 as the pages write it, with a minus sign.
std::string dBFS(double x) {
  const double dB = std::round(20.0 * std::log10(x));
  return (dB < 0 ? "&#8722;" : "") + fixed(std::fabs(dB), 0) + "&#160;dBFS";
}

// 7.8&#183;10<sup>&#8722;15</sup>
std::string scientific(double x) {
  const int exponent = static_cast<int>(std::floor(std::log10(x)));
  const std::string power =
      exponent < 0 ? "&#8722;" + std::to_string(-exponent) : std::to_string(exponent);
  return fixed(x / std::pow(10.0, exponent), 1) + "&#183;10<sup>" + power + "</sup>";
}

std::string ms(double frames) { return fixed(frames * 1000.0 / kRate, 1) + "&#160;ms"; }

}  // namespace

void writeFirstMute(const Output& out) {
  const size_t half = static_cast<size_t>(kRate / 2);
  const Stereo one{std::vector<float>(half, 1.0f), std::vector<float>(half, 1.0f)};
  const std::vector<float> gain = play({{engine::kParamMute, 1.0f}}, one, false).left;
  auto reaches = [&](float level) {
    return static_cast<double>(
        std::find_if(gain.begin(), gain.end(), [&](float g) { return g >= level; }) - gain.begin());
  };
  out.write("first-mute-fade.html", "0.2 of its level after " + ms(reaches(0.2f)) +
                                        ", half after " + ms(reaches(0.5f)) + ", 90&#160;% after " +
                                        ms(reaches(0.9f)) + " and 99&#160;% after " +
                                        ms(reaches(0.99f)));
  const double rest = gain.back();
  out.write("first-mute-rest.html", fixed(rest, 5) + " of its level (&#8722;" +
                                        fixed(-20.0 * std::log10(rest), 4) + "&#160;dB)");
}

void writeSilentLeadIn(const Output& out) {
  double quiet = 0.0, apart = 0.0;
  for (const Settings& settings : kBelowSustain) {
    for (double seconds : {0.1, 1.0, 10.0}) {
      const size_t lead = static_cast<size_t>(seconds * kRate);
      const Stereo in = afterSilence(lead);
      const Stereo runs = play(settings, in, false), waits = play(settings, in, true);
      // The block of the first sound runs whole in either.
      const size_t first = lead / kBlock * kBlock;
      quiet = std::max(quiet, largest(runs, 0, first));
      apart = std::max(apart, largestDifference(runs, waits, first));
    }
  }
  out.write("lead-in-silence.html", scientific(quiet) + " (" + dBFS(quiet) + ")");
  out.write("lead-in-apart.html", scientific(apart) + " (" + dBFS(apart) + ")");

  // Above it the echo grows out of the silence on its own.
  const Stereo runs = play(kAboveSustain, silence(30.0), false);
  auto peakUntil = [&](double seconds) {
    return largest(runs, 0, static_cast<size_t>(seconds * kRate));
  };
  out.write("lead-in-sustain-setting.html",
            "Repeat &#8220;" + valueText(engine::kParamRepeat, 0.62f) +
                "&#8221; with Delay at &#8220;" + valueText(engine::kParamDelay, 0.37f, 0.2f) +
                "&#8221;");
  out.write("lead-in-sustain-10.html", dBFS(peakUntil(10.0)));
  out.write("lead-in-sustain-30.html", dBFS(peakUntil(30.0)));
}

}  // namespace quillet::manual
