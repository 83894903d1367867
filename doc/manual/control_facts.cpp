// Every control bound to a parameter: its range, positions and default as the
// musician's texts show them, and what hosts' own controls show of it.
#include <string>

#include "core/param_table.h"
#include "core/param_text.h"
#include "doc/manual/manual_output.h"
#include "doc/manual/manual_writers.h"
#include "doc/manual/panel_numbers.h"

namespace quillet::manual {

namespace {

std::string quoted(const std::string& text) { return "&#8220;" + escape(text) + "&#8221;"; }

std::string row(const std::string& term, const std::string& text) {
  return "<dt>" + term + "</dt><dd>" + text + "</dd>\n";
}

std::string vst24Text(float value) {
  char text[16];
  quillet::core::formatVst24Text(value, text, sizeof text);
  return text;
}

std::string delayRange() {
  const core::QuilletParamSpec& range = core::kQuilletParams[engine::kParamRange];
  std::string text;
  for (int position = 0; position < 3; ++position) {
    const float r = core::paramValueOfPosition(engine::kParamRange, position);
    text += quoted(valueText(engine::kParamDelay, 0.0f, r)) + " to " +
            quoted(valueText(engine::kParamDelay, 1.0f, r)) + " with Range at " +
            quoted(range.positionNames[position]) + (position < 2 ? ";<br>" : "");
  }
  return text + " (at " + fixed(kRate / 1000.0, 0) + " kHz)";
}

std::string facts(int32_t index) {
  const core::QuilletParamSpec& p = core::kQuilletParams[index];
  const float range = core::kQuilletParams[engine::kParamRange].defaultValue;
  std::string list = "<dl class=\"facts\">\n";
  if (p.kind == core::ParamKind::Continuous) {
    list += row("Range", index == engine::kParamDelay ? delayRange()
                                                      : quoted(valueText(index, 0.0f)) + " to " +
                                                            quoted(valueText(index, 1.0f)));
    list +=
        row("Default, and Ctrl-click",
            quoted(valueText(index, p.defaultValue, range)) +
                (index == engine::kParamDelay ? " (Delay at 0, with Range at its default)" : ""));
  } else {
    std::string positions;
    for (int k = 0; k <= p.stepCount(); ++k)
      positions += (k ? ", " : "") + quoted(p.positionNames[k]);
    list += row(p.kind == core::ParamKind::Switch ? "Positions" : "Positions, left to right",
                positions);
    list += row(p.kind == core::ParamKind::Switch ? "Default" : "Default, and Ctrl-click",
                quoted(valueText(index, p.defaultValue)));
  }
  list += row("In a host's own controls",
              quoted(p.name) + "; VST&#160;2.4 hosts show its value from " +
                  quoted(vst24Text(0.0f)) + " to " + quoted(vst24Text(1.0f)) + " beside " +
                  quoted(p.label) + ", the other formats the texts above");
  return list + "</dl>\n";
}

}  // namespace

void writeControlFacts(const Output& out) {
  for (const NumberedControl& c : numberedControls())
    if (c.param >= 0) out.write(std::string("facts-") + c.section + ".html", facts(c.param));
}

}  // namespace quillet::manual
