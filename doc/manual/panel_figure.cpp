// The numbered picture of the panel, its legend, each section's number, and
// the table of the panel's sizes.
#include <string>

#include "doc/manual/manual_output.h"
#include "doc/manual/manual_writers.h"
#include "doc/manual/panel_numbers.h"
#include "editor/scale/scale_steps.h"
#include "editor/scale/scaled_layout.h"
#include "gui/cknob.h"

namespace quillet::manual {

namespace {

std::string numberOverlay(const std::vector<NumberedControl>& controls) {
  std::string svg = "<svg class=\"panel-numbers\" viewBox=\"0 0 " +
                    std::to_string(quillet::editor::kPanelWidth) + " " +
                    std::to_string(quillet::editor::kPanelHeight) +
                    "\" role=\"group\" aria-label=\"The numbers of the controls, each a link "
                    "to what it does\">\n";
  for (const NumberedControl& c : controls) {
    const Point p = numberPlace(c);
    const std::string n = std::to_string(c.number);
    svg += "  <a href=\"controls.html#" + std::string(c.section) + "\" aria-label=\"" + n + ": " +
           escape(c.name) + "\"><circle cx=\"" + fixed(p.x, 1) + "\" cy=\"" + fixed(p.y, 1) +
           "\" r=\"" + fixed(kNumberRadius, 1) + "\"/><text x=\"" + fixed(p.x, 1) + "\" y=\"" +
           fixed(p.y, 1) + "\" dy=\"0.35em\">" + n + "</text></a>\n";
  }
  return svg + "</svg>\n";
}

std::string legend(const std::vector<NumberedControl>& controls) {
  std::string list = "<ol class=\"legend\">\n";
  for (const NumberedControl& c : controls) {
    const bool key = c.section == std::string("note-keys");
    list += "  <li value=\"" + std::to_string(c.number) + "\"><a href=\"controls.html#" +
            c.section + "\">" + escape(c.name) + (key ? " key" : "") + "</a></li>\n";
  }
  return list + "</ol>\n";
}

// "1", or "12–17" for a section several numbers lead to.
std::string sectionNumbers(const std::vector<NumberedControl>& controls, const std::string& id) {
  int first = 0, last = 0;
  for (const NumberedControl& c : controls) {
    if (c.section != id) continue;
    if (first == 0) first = c.number;
    last = c.number;
  }
  std::string text = std::to_string(first);
  if (last != first) text += "&#8211;" + std::to_string(last);
  return "<span class=\"number\">" + text + "</span>";
}

}  // namespace

void writePanelFigure(const Output& out) {
  const std::vector<NumberedControl> controls = numberedControls();
  const std::string w = std::to_string(quillet::editor::kPanelWidth);
  const std::string h = std::to_string(quillet::editor::kPanelHeight);
  out.write(
      "panel-figure.html",
      "<figure class=\"panel-figure\">\n<div class=\"panel-picture\">\n"
      "<img src=\"panel.png\" width=\"" +
          w + "\" height=\"" + h + "\" alt=\"The Quillet K3 panel at 100 %, as it opens, its " +
          std::to_string(controls.size()) +
          " controls numbered: the numbers are listed below the picture\">\n" +
          numberOverlay(controls) + "</div>\n<figcaption>The panel at 100 % (" + w + " by " + h +
          " pixels), as a fresh instance opens. Click a number, or a name below, for "
          "what the control does.</figcaption>\n</figure>\n" +
          legend(controls));
  std::string done;
  for (const NumberedControl& c : controls) {
    if (done.find(std::string(" ") + c.section + " ") != std::string::npos) continue;
    done += std::string(" ") + c.section + " ";
    out.write(std::string("number-") + c.section + ".html", sectionNumbers(controls, c.section));
  }
}

void writePanelSizes(const Output& out) {
  VSTGUI::CKnob knob(VSTGUI::CRect(), nullptr, 0, nullptr);
  const double drag = VSTGUI::CKnob::kLinearRange;
  const double fine = drag * knob.getZoomFactor();
  std::string table =
      "<table>\n<caption>The panel's sizes</caption>\n<thead><tr><th scope=\"col\">Size</th>"
      "<th scope=\"col\">Panel (pixels)</th><th scope=\"col\">A knob's whole range, "
      "dragged</th><th scope=\"col\">With Shift</th></tr></thead>\n<tbody>\n";
  for (float s : quillet::editor::kScaleSteps) {
    table += "<tr><td>" + fixed(s * 100.0, 0) + " %</td><td>" +
             std::to_string(quillet::editor::scaledLength(quillet::editor::kPanelWidth, s)) +
             " &#215; " +
             std::to_string(quillet::editor::scaledLength(quillet::editor::kPanelHeight, s)) +
             "</td><td>" + fixed(drag * s, 0) + " px</td><td>" + fixed(fine * s, 0) +
             " px</td></tr>\n";
  }
  out.write("panel-sizes.html", table + "</tbody>\n</table>\n");
  out.write("knob-drag.html", fixed(drag, 0) + " pixels");
  out.write("knob-drag-fine.html", fixed(fine, 0) + " pixels");
}

}  // namespace quillet::manual
