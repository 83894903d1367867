#include "doc/manual/panel_numbers.h"

#include "core/param_table.h"

namespace quillet::manual {

std::vector<NumberedControl> numberedControls() {
  using namespace quillet::editor;
  std::vector<NumberedControl> controls = {
      {1, "Delay", "delay", engine::kParamDelay, kDelayKnob, Side::Centre},
      {2, "Repeat", "repeat", engine::kParamRepeat, kRepeatKnob, Side::Centre},
      {3, "Level", "level", engine::kParamLevel, kLevelKnob, Side::Centre},
      {4, "Range", "range", engine::kParamRange, kRangeSwitch, Side::Right},
      {5, "Dry", "dry", engine::kParamDry, kDryKnob, Side::Left},
      {6, "Pan", "pan", engine::kParamPan, kPanKnob, Side::Left},
      {7, "X-Feed", "x-feed", engine::kParamXFeed, kXFeedKnob, Side::Left},
      {8, "PingPong", "ping-pong", engine::kParamPingPong, kPingPongSwitch, Side::Left},
      {9, "Mono Out", "mono-out", engine::kParamMonoOut, kMonoOutKeyPlace, Side::Left},
      {10, "KnobDust", "knob-dust", engine::kParamKnobDust, kDustLampPlace, Side::Left},
      {11, "Mute", "mute", engine::kParamMute, kMuteKeyPlace, Side::Right},
  };
  static const char* const kNotes[] = {"whole note",  "half note",      "quarter note",
                                       "eighth note", "sixteenth note", "thirty-second note"};
  for (int k = 0; k < 6; ++k) {
    const Place key{kFirstNoteKey.left + k * kFirstNoteKey.width, kFirstNoteKey.top,
                    kFirstNoteKey.width, kFirstNoteKey.height};
    controls.push_back({12 + k, kNotes[k], "note-keys", -1, key, Side::Above});
  }
  controls.push_back({18, "note mode", "note-mode", -1, kNoteModeSwitch, Side::Left});
  controls.push_back({19, "name plate", "name-plate", -1, kNamePlate, Side::Left});
  return controls;
}

Point numberPlace(const NumberedControl& c) {
  const double gap = kNumberRadius + 2.0;
  const double midX = c.place.left + c.place.width / 2.0;
  const double midY = c.place.top + c.place.height / 2.0;
  switch (c.side) {
    case Side::Left:
      return {c.place.left - gap, midY};
    case Side::Right:
      return {c.place.left + c.place.width + gap, midY};
    case Side::Above:
      return {midX, c.place.top - gap};
    case Side::Centre:
      break;
  }
  return {midX, midY};
}

}  // namespace quillet::manual
