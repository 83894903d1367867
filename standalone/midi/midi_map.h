// What each MIDI controller, note and program does: the map a player sets
// once, kept as a small text file (~/.config/quillet-k3/midi) and changed by
// learning on the panel. One line per binding:
//   [ch N] cc N TARGET [toggle|each]   TARGET: a parameter (name or number) or tap
//   [ch N] note N|any tap
//   [ch N] pc N PRESET                 PRESET: a factory preset's symbol, name or number 1-9
// "ch" limits a binding to one channel (1-16); without it any channel does.
// A controller sets a knob from its value (0-127, or 0-16383 where the
// controller sends the fine half of a 14-bit pair, on its number plus 32), a
// switch on from 64 up (with "toggle", each press of 64 or more flips it),
// a selector to the third its value falls in; "tap" taps the tempo at each
// press of 64 or more ("each": at every message, for a switch that sends 127
// and 0 in turn). A note-on taps; a program change calls the preset's values
// (all but "Mute": bypassing is the footswitch's alone).
//
// Without a file the default map holds: pc 0-8 the nine factory presets,
// cc 11 (expression) Repeat, cc 7 Level, cc 64 Mute, cc 80 tap.
//
// Main thread only; the audio thread reads the map through MidiTable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillet::standalone {

enum class MidiSourceKind : uint8_t { kControl, kNote, kAnyNote, kProgram };

struct MidiSource {
  MidiSourceKind kind = MidiSourceKind::kControl;
  uint8_t channel = 0;  // 1-16; 0 for any
  uint8_t number = 0;   // controller, note or program; 0 for any note

  bool operator==(const MidiSource& other) const {
    return kind == other.kind && channel == other.channel && number == other.number;
  }
};

enum class MidiTargetKind : uint8_t { kParameter, kTap, kPreset };

enum class SwitchStyle : uint8_t {
  kValue,   // the value says: on (a tap) from 64 up
  kToggle,  // a switch flips at each value from 64 up
  kEach,    // a tap at every message
};

struct MidiTarget {
  MidiTargetKind kind = MidiTargetKind::kParameter;
  int32_t index = 0;  // parameter index, or factory preset index; 0 for a tap
  SwitchStyle style = SwitchStyle::kValue;

  bool operator==(const MidiTarget& other) const {
    return kind == other.kind && index == other.index && style == other.style;
  }
};

struct MidiBinding {
  MidiSource source;
  MidiTarget target;
};

// What the panel's controls learn: the parameter tags 0-10, and the tempo's
// tap (the name plate).
constexpr int32_t kLearnTap = -1;

class MidiMap {
 public:
  // The default map.
  static MidiMap defaults();

  // Reads a map file's text. Each line that is not a binding is left out,
  // with "line N: what is wrong" in *problems; the others are kept. A later
  // line for a source bound before replaces that binding (said in *problems).
  static MidiMap parse(const std::string& text, std::vector<std::string>* problems);
  // The file's text: a heading that explains the lines, then one line per binding.
  std::string text() const;

  const std::vector<MidiBinding>& bindings() const { return list; }

  // Learning: `source` now drives the control `target` (a parameter index or
  // kLearnTap): every other binding of that source, and every other binding
  // of that control, goes. A program change cannot be learned (false); a
  // note can only tap (false for a parameter).
  bool learn(const MidiSource& source, int32_t control);
  // Every binding of the control goes; false when it had none.
  bool forget(int32_t control);
  // The first binding that drives the control, if any.
  const MidiBinding* bindingOf(int32_t control) const;

 private:
  void bind(const MidiBinding& binding);  // replacing the source's binding, if any

  std::vector<MidiBinding> list;
};

// "cc 11", "ch 2 note 60", "any note", "pc 3": a source as the file and the
// messages name it.
std::string sourceText(const MidiSource& source);
// "Repeat", "Mute toggle", "tap", "preset 1 (slapback)": a target as messages name it.
std::string targetText(const MidiTarget& target);

}  // namespace quillet::standalone
