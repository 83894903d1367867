// Where the panel's pictures and controls are: resource ids and rectangles
// in panel pixels. The artwork generator draws the printed scales from the
// same numbers.
#pragma once

#include <cstdint>

namespace panel {

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

}  // namespace panel
