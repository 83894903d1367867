// Where the panel's pictures and controls are: resource ids and rectangles
// in panel pixels, and the table of the controls the panel is made of. The
// artwork generator draws the printed scales from the same numbers.
#pragma once

#include <cstdint>

#include "core/panel_host.h"
#include "core/param_table.h"

namespace quillet::editor {

enum BitmapId : int32_t {
  kBackground = 101,
  kLargeKnob = 102,
  kRangeSelector = 103,
  kWholeNoteKey = 104,  // 104..109: whole note down to thirty-second note
  kNoteModeLamps = 110,
  kMuteKey = 111,
  kSmallKnob = 112,
  kMonoOutKey = 113,
  kDustLamp = 114,
  kPingPongLamps = 115,
};

constexpr int32_t kFirstBitmap = 101;
constexpr int32_t kLastBitmap = 115;

struct Place {
  int32_t left, top, width, height;
};

constexpr Place kDelayKnob{50, 40, 100, 100};
constexpr Place kRepeatKnob{240, 40, 100, 100};
constexpr Place kLevelKnob{430, 40, 100, 100};
constexpr Place kDryKnob{380, 125, 30, 30};
constexpr Place kPanKnob{185, 125, 30, 30};
constexpr Place kXFeedKnob{185, 30, 30, 30};
constexpr Place kRangeSwitch{100, 248, 80, 80};
constexpr Place kNoteModeSwitch{360, 255, 150, 30};
constexpr Place kPingPongSwitch{220, 185, 120, 30};
constexpr Place kFirstNoteKey{345, 222, 30, 30};  // the others follow 30 pixels apart
constexpr Place kMuteKeyPlace{225, 307, 60, 40};
constexpr Place kMonoOutKeyPlace{381, 30, 30, 30};
constexpr Place kDustLampPlace{26, 25, 28, 28};
// Printed on the background: "QUILLET K3" on its plate, lower right.
constexpr Place kNamePlate{372, 306, 194, 58};

constexpr int32_t kLargeKnobFrames = 100;
constexpr int32_t kSmallKnobFrames = 101;

// What a control of the panel is, and so how it is made.
enum class ControlKind : int32_t {
  kLargeKnob,       // an animated knob over kLargeKnobFrames frames
  kSmallKnob,       // an animated knob over kSmallKnobFrames frames
  kThreeWaySwitch,  // a horizontal switch: three positions, three frames
  kNoteKey,         // a kick button: sets the echo time from the tempo
  kOnOffKey,        // an on/off button
};

struct Control {
  int32_t tag;  // a parameter's index, or a panel control's (core/panel_host.h)
  ControlKind kind;
  int32_t bitmap;  // BitmapId
  Place place;
};

constexpr Control noteKey(int32_t i) {
  return {quillet::core::kTagWholeNote + i,
          ControlKind::kNoteKey,
          kWholeNoteKey + i,
          {kFirstNoteKey.left + i * kFirstNoteKey.width, kFirstNoteKey.top, kFirstNoteKey.width,
           kFirstNoteKey.height}};
}

// Every control of the panel, in the order it adds them: a later one is
// drawn over an earlier one and takes a press first; the keyboard's Tab
// goes through the knobs in this order. The panel makes its controls from
// this table, keeps one per row, and finds them by tag in it.
constexpr Control kControls[] = {
    {engine::kParamDelay, ControlKind::kLargeKnob, kLargeKnob, kDelayKnob},
    {engine::kParamRepeat, ControlKind::kLargeKnob, kLargeKnob, kRepeatKnob},
    {engine::kParamLevel, ControlKind::kLargeKnob, kLargeKnob, kLevelKnob},
    {engine::kParamDry, ControlKind::kSmallKnob, kSmallKnob, kDryKnob},
    {engine::kParamPan, ControlKind::kSmallKnob, kSmallKnob, kPanKnob},
    {engine::kParamXFeed, ControlKind::kSmallKnob, kSmallKnob, kXFeedKnob},
    {engine::kParamRange, ControlKind::kThreeWaySwitch, kRangeSelector, kRangeSwitch},
    {quillet::core::kTagNoteMode, ControlKind::kThreeWaySwitch, kNoteModeLamps, kNoteModeSwitch},
    {engine::kParamPingPong, ControlKind::kThreeWaySwitch, kPingPongLamps, kPingPongSwitch},
    noteKey(0),
    noteKey(1),
    noteKey(2),
    noteKey(3),
    noteKey(4),
    noteKey(5),
    {engine::kParamMute, ControlKind::kOnOffKey, kMuteKey, kMuteKeyPlace},
    {engine::kParamMonoOut, ControlKind::kOnOffKey, kMonoOutKey, kMonoOutKeyPlace},
    {engine::kParamKnobDust, ControlKind::kOnOffKey, kDustLamp, kDustLampPlace},
};

constexpr int32_t kControlCount = sizeof kControls / sizeof kControls[0];

// The row of the control with `tag`; -1 for none.
constexpr int32_t controlRow(int32_t tag) {
  for (int32_t row = 0; row < kControlCount; ++row)
    if (kControls[row].tag == tag) return row;
  return -1;
}

}  // namespace quillet::editor
