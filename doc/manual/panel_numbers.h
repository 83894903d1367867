// The panel's controls as the manual numbers them: in the order a musician
// meets them (the three large knobs first), each with its place on the panel
// (editor/panel_layout.h), the section of the controls page that tells of it,
// and the side of its place the number is drawn on, where it hides nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "editor/panel_layout.h"

namespace quillet::manual {

enum class Side { Centre, Left, Right, Above };

struct NumberedControl {
  int number;
  const char* name;     // as hosts name its parameter, or what it is
  const char* section;  // the id of its section on the controls page
  int32_t param;        // its parameter's index, or -1 for the panel's own
  quillet::editor::Place place;
  Side side;
};

// Every control of the panel (the six note keys one by one) and the name
// plate that opens the panel's menu.
std::vector<NumberedControl> numberedControls();

// Where the number of a control is drawn, in panel pixels at 100 %.
struct Point {
  double x, y;
};
Point numberPlace(const NumberedControl& control);

// The radius of a drawn number, in panel pixels at 100 %.
constexpr double kNumberRadius = 10.0;

}  // namespace quillet::manual
