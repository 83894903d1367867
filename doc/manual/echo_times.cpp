// How long the echo is: "Delay" against its time in each "Range", and the
// times the note keys set at a few tempos.
#include <string>

#include "core/param_table.h"
#include "core/param_text.h"
#include "doc/manual/manual_output.h"
#include "doc/manual/manual_writers.h"
#include "editor/tempo_sync.h"

namespace quillet::manual {

namespace {

float rangeValue(int position) { return core::paramValueOfPosition(engine::kParamRange, position); }

const char* rangeName(int position) {
  return core::kQuilletParams[engine::kParamRange].positionNames[position];
}

std::string msText(double ms) { return fixed(ms, 1) + " ms"; }

// The shortest note the keys answer with the longest echo, to the millisecond.
double longestNoteStart() {
  double below = 0.0, from = 1e7;
  while (from - below > 0.01) {
    const double t = (below + from) / 2.0;
    (delayForTime(t).delay >= 1.0f && delayForTime(t).range == 1.0f ? from : below) = t;
  }
  return static_cast<double>(static_cast<long long>(from + 0.5));
}

}  // namespace

void writeEchoTimes(const Output& out) {
  std::string data = "# Delay, then the echo time in ms at 48 kHz for each Range:";
  for (int r = 0; r < 3; ++r) data += std::string(" \"") + rangeName(r) + "\"";
  data += "\n";
  for (int k = 0; k <= 200; ++k) {
    const float delay = static_cast<float>(k) / 200.0f;
    data += fixed(delay, 3);
    for (int r = 0; r < 3; ++r)
      data += " " + fixed(quillet::core::delayTimeMs(delay, rangeValue(r), kRate), 3);
    data += "\n";
  }
  out.write("echo-times.dat", data);

  // One time per row where both rates give the same text, both where they
  // differ (the echo is a whole number of samples at either).
  std::string tables;
  int rows = 0, differing = 0;
  for (int r = 0; r < 3; ++r) {
    tables += "<div class=\"wide\"><table class=\"numbers\">\n<caption>Range at &#8220;" +
              escape(rangeName(r)) +
              "&#8221;</caption>\n<thead><tr><th scope=\"col\">Delay on the scale</th>"
              "<th scope=\"col\">Echo time at 44.1 and 48&#160;kHz</th></tr>"
              "</thead>\n<tbody>\n";
    for (int k = 0; k <= 10; ++k) {
      const float delay = static_cast<float>(k) / 10.0f;
      const std::string cd = valueText(engine::kParamDelay, delay, rangeValue(r), kCdRate);
      const std::string dat = valueText(engine::kParamDelay, delay, rangeValue(r), kRate);
      const std::string time =
          cd == dat ? dat : dat + " at 48&#160;kHz<br><small>" + cd + " at 44.1&#160;kHz</small>";
      tables += "<tr><th scope=\"row\">" + std::to_string(k) + "</th><td>" + time + "</td></tr>\n";
      ++rows;
      differing += cd != dat;
    }
    tables += "</tbody>\n</table></div>\n";
  }
  out.write("echo-times.html", tables);
  out.write("echo-times-differing.html",
            differing == 0 ? std::string("in none of the rows below")
                           : "in " + std::to_string(differing) + " of the " + std::to_string(rows) +
                                 " rows below, whose time is then given at each rate");
}

void writeNoteTimes(const Output& out) {
  static const char* const kNotes[] = {"whole",  "half",      "quarter",
                                       "eighth", "sixteenth", "thirty-second"};
  static const float kModes[] = {0.0f, 0.5f, 1.0f};
  static const char* const kModeNames[] = {"normal", "dotted", "triplet"};
  std::string tables;
  for (double bpm : {90.0, 120.0, 140.0}) {
    tables += "<div class=\"wide\"><table class=\"numbers\">\n<caption>At " + fixed(bpm, 0) +
              " bpm</caption>\n<thead><tr><th scope=\"col\">Note key</th>";
    for (const char* mode : kModeNames)
      tables += std::string("<th scope=\"col\">") + mode + "</th>";
    tables += "</tr></thead>\n<tbody>\n";
    for (int32_t tag = quillet::core::kTagWholeNote; tag <= quillet::core::kTagThirtySecondNote;
         ++tag) {
      tables += std::string("<tr><th scope=\"row\">") + kNotes[tag - quillet::core::kTagWholeNote] +
                "</th>";
      for (float mode : kModes) {
        const double note = 60000.0 / bpm * noteBeats(tag) * noteModeFactor(mode);
        const DelaySetting set = delayForTime(note);
        const double echo = quillet::core::delayTimeMs(set.delay, set.range, kRate);
        // A note the ranges cannot hold gets the nearest end of them.
        const bool held = echo > note - 1.0 && echo < note + 1.0;
        tables += "<td>" + msText(echo) + (held ? "" : "<sup>*</sup>") + "<br><small>" +
                  escape(rangeName(engine::threeWayPosition(set.range))) + "</small></td>";
      }
      tables += "</tr>\n";
    }
    tables += "</tbody>\n</table></div>\n";
  }
  const DelaySetting longest = delayForTime(1e9);
  tables += "<p class=\"note\"><sup>*</sup> The note is longer than the keys set: from " +
            fixed(longestNoteStart(), 0) + " ms" + " on a key sets the longest echo, " +
            msText(quillet::core::delayTimeMs(longest.delay, longest.range, kRate)) +
            ". Each time is shown with the Range the key sets; all at " + fixed(kRate / 1000.0, 0) +
            " kHz, in whole samples.</p>\n";
  out.write("note-times.html", tables);
  out.write("longest-note.html", fixed(longestNoteStart(), 0) + "&#160;ms");
}

}  // namespace quillet::manual
