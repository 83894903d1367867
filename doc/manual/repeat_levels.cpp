// How loud each repeat is against "Repeat": a short 1 kHz tone burst rendered
// through the echo at 48 kHz, each repeat's level measured where it sounds.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/echo_core.h"
#include "doc/manual/manual_output.h"
#include "doc/manual/manual_writers.h"

namespace quillet::manual {

namespace {

constexpr int kRepeats = 16;
constexpr double kBurstSeconds = 0.02;
constexpr double kBurstHz = 1000.0;
constexpr double kBurstPeak = 0.1;  // -20 dBFS: the saturation stays nearly straight
constexpr float kRepeatValues[] = {0.1f, 0.2f, 0.3f, 0.4f, 0.45f, 0.5f, 0.55f};

struct Measured {
  std::vector<double> dB;  // repeat 1 .. kRepeats, against the burst
  uint32_t tailFrames;
};

double rms(const std::vector<float>& x, size_t from, size_t count) {
  double sum = 0.0;
  for (size_t i = from; i < from + count && i < x.size(); ++i) sum += double(x[i]) * x[i];
  return std::sqrt(sum / static_cast<double>(count));
}

double toDB(double ratio) { return 20.0 * std::log10(std::max(ratio, 1e-10)); }

// "Delay" for echoes a quarter of a second apart, in the middle "Range".
float quarterSecondDelay() {
  float delay = 0.0f;
  const quillet::core::ParamTextContext medium{0.5f, kRate};
  quillet::core::parseParamText(engine::kParamDelay, "250 ms", medium, &delay);
  return delay;
}

Measured measure(float repeat) {
  quillet::core::EchoCore core;
  const float delay = quarterSecondDelay();
  core.setParameter(engine::kParamRange, 0.5f);
  core.setParameter(engine::kParamDelay, delay);
  core.setParameter(engine::kParamRepeat, repeat);
  core.setParameter(engine::kParamLevel, 1.0f);
  core.setParameter(engine::kParamDry, 0.0f);
  core.setSampleRate(kRate);
  const size_t length = static_cast<size_t>(core.delayLengthFrames());
  const size_t burst = static_cast<size_t>(kBurstSeconds * kRate);
  const size_t window = burst + static_cast<size_t>(0.005 * kRate);
  const size_t total = (kRepeats + 1) * length + window;

  std::vector<float> in(total, 0.0f), left(total), right(total);
  const double pi = std::acos(-1.0);
  for (size_t i = 0; i < burst; ++i) {
    const double hann = 0.5 - 0.5 * std::cos(2.0 * pi * i / burst);
    in[i] = static_cast<float>(kBurstPeak * hann * std::sin(2.0 * pi * kBurstHz * i / kRate));
  }
  for (size_t at = 0; at < total; at += 512) {
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(512, total - at));
    const float* inputs[] = {in.data() + at, in.data() + at};
    float* outputs[] = {left.data() + at, right.data() + at};
    core.process(inputs, outputs, n);
  }
  Measured m;
  const double reference = rms(in, 0, window);
  for (int k = 1; k <= kRepeats; ++k)
    m.dB.push_back(toDB(rms(left, k * length, window) / reference));
  m.tailFrames = core.tailFrames();
  return m;
}

}  // namespace

void writeRepeatLevels(const Output& out) {
  std::string data =
      "# Each block: a Repeat setting; repeat number, level in dB against the input\n";
  std::string plot = "plot \\\n";
  std::string table =
      "<table class=\"numbers\">\n<caption>Successive repeats of a 1 kHz burst, Level &#8220;" +
      valueText(engine::kParamLevel, 1.0f) + "&#8221;, Pan &#8220;" +
      valueText(engine::kParamPan, 0.5f) + "&#8221;, Delay &#8220;" +
      valueText(engine::kParamDelay, quarterSecondDelay(), 0.5f) +
      "&#8221;</caption>\n<thead><tr><th scope=\"col\">Repeat</th>"
      "<th scope=\"col\">First echo</th><th scope=\"col\">Each repeat</th>"
      "<th scope=\"col\">Repeats until 60 dB down</th><th scope=\"col\">Tail a host is told"
      "</th></tr></thead>\n<tbody>\n";
  int block = 0;
  for (float repeat : kRepeatValues) {
    const Measured m = measure(repeat);
    const std::string name = valueText(engine::kParamRepeat, repeat);
    data += std::string(block ? "\n\n" : "") + "# Repeat " + name + "\n";
    for (int k = 0; k < kRepeats; ++k)
      data += std::to_string(k + 1) + " " + fixed(std::max(m.dB[k], -150.0), 2) + "\n";
    plot += std::string(block ? ", \\\n" : "") + "  data index " + std::to_string(block) +
            " using 1:2 with linespoints title '" + name + "'";
    ++block;
    // The step of the first few repeats, before saturation or the floor.
    const double step = (m.dB[4] - m.dB[0]) / 4.0;
    // Sixty decibels at that step, as a whole number of repeats.
    const std::string until =
        step < 0.0 ? std::to_string(static_cast<int>(std::ceil(-60.0 / step))) : "never";
    const std::string tail = m.tailFrames == quillet::core::kInfiniteTail
                                 ? "never ends"
                                 : fixed(m.tailFrames / static_cast<double>(kRate), 1) + " s";
    table += "<tr><th scope=\"row\">" + name + "</th><td>" + fixed(m.dB[0], 1) + " dB</td><td>" +
             (step >= 0.0 ? "+" : "") + fixed(step, 1) + " dB</td><td>" + until + "</td><td>" +
             tail + "</td></tr>\n";
  }
  out.write("repeat-levels.dat", data);
  out.write("repeat-levels.gp", plot + "\n");
  out.write("repeat-levels.html", table + "</tbody>\n</table>\n");
}

}  // namespace quillet::manual
