// What the feedback path's filters do to each pass of the echo: the gain of
// the high-pass, the shelf and the low-pass the engine designs for 48 kHz,
// and where the loop starts to sustain itself.
#include <cmath>
#include <string>

#include "core/echo_core.h"
#include "core/echo_tail.h"
#include "doc/manual/manual_output.h"
#include "doc/manual/manual_writers.h"
#include "engine/filter_response.h"

namespace quillet::manual {

namespace {

double dB(double gain) { return 20.0 * std::log10(gain); }

struct Response {
  double highPass, shelf, lowPass;
  double chain() const { return highPass * shelf * lowPass; }
};

Response responseAt(const engine::EchoEngine& engine, double hz) {
  const double w = 2.0 * std::acos(-1.0) * hz / kRate;
  return {engine::gainAt(engine.feedbackHighPass(), w), engine::gainAt(engine.feedbackShelf(), w),
          engine::gainAt(engine.feedbackLowPass(), w)};
}

std::string frequencyText(double hz) {
  return hz >= 1000.0 ? fixed(hz / 1000.0, hz < 10000.0 ? 1 : 0) + " kHz" : fixed(hz, 0) + " Hz";
}

}  // namespace

void writeFeedbackFilters(const Output& out) {
  quillet::core::EchoCore core;
  core.setSampleRate(kRate);
  const engine::EchoEngine& engine = core.echoEngine();

  std::string data =
      "# Hz, then the gain in dB of the high-pass, the shelf, the low-pass and all three\n";
  double peakHz = 0.0, peak = 0.0;
  for (int k = 0; k <= 400; ++k) {
    const double hz = 10.0 * std::pow(kRate / 2.0 / 10.0, k / 400.0);
    const Response r = responseAt(engine, hz);
    if (r.chain() > peak) {
      peak = r.chain();
      peakHz = hz;
    }
    data += fixed(hz, 2) + " " + fixed(dB(r.highPass), 3) + " " + fixed(dB(r.shelf), 3) + " " +
            fixed(dB(r.lowPass), 3) + " " + fixed(dB(r.chain()), 3) + "\n";
  }
  out.write("feedback-filters.dat", data);

  std::string table =
      "<table class=\"numbers\">\n<caption>Gain of one pass through the feedback filters at " +
      fixed(kRate / 1000.0, 0) +
      " kHz</caption>\n<thead><tr><th scope=\"col\">Frequency</th><th scope=\"col\">High-pass"
      "</th><th scope=\"col\">Shelf</th><th scope=\"col\">Low-pass</th><th scope=\"col\">All "
      "three</th></tr></thead>\n<tbody>\n";
  for (double hz :
       {50.0, 100.0, 200.0, 500.0, 1000.0, 2500.0, 5000.0, 7000.0, 10000.0, 15000.0, 20000.0}) {
    const Response r = responseAt(engine, hz);
    table += "<tr><th scope=\"row\">" + frequencyText(hz) + "</th><td>" + fixed(dB(r.highPass), 1) +
             " dB</td><td>" + fixed(dB(r.shelf), 1) + " dB</td><td>" + fixed(dB(r.lowPass), 1) +
             " dB</td><td>" + fixed(dB(r.chain()), 1) + " dB</td></tr>\n";
  }
  table += "</tbody>\n</table>\n";
  out.write("feedback-filters.html", table);
  out.write("filters-peak.html", fixed(dB(peak), 1) + " dB near " + fixed(peakHz, 0) + " Hz");

  // The saturation is steepest at silence, 2/sqrt(pi); with the filters' peak
  // a pass keeps its level where 2 x Repeat x that slope x the peak reaches 1.
  const double slope = 2.0 / std::sqrt(std::acos(-1.0));
  const quillet::core::LoopFilterBounds bounds = quillet::core::loopFilterBounds(engine);
  const float sustaining = static_cast<float>(1.0 / (2.0 * slope * bounds.peakGain));
  out.write("sustain-repeat.html",
            "&#8220;" + valueText(engine::kParamRepeat, sustaining) + "&#8221;");
}

}  // namespace quillet::manual
