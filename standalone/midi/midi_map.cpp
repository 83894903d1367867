#include "standalone/midi/midi_map.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "cli/number_text.h"
#include "cli/param_setting.h"
#include "core/factory_presets.h"
#include "core/param_table.h"
#include "standalone/starting_values.h"

namespace quillet::standalone {

namespace {

constexpr int kDefaultPresetPrograms = core::kNumFactoryPresets;  // pc 0-8
constexpr uint8_t kExpressionController = 11;
constexpr uint8_t kVolumeController = 7;
constexpr uint8_t kSustainController = 64;
constexpr uint8_t kDefaultTapController = 80;
// 120-127 are the channel mode messages (all notes off, local control, ...).
constexpr int kLastController = 119;

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::vector<std::string> wordsOf(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line.substr(0, line.find('#')));
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

bool wholeNumber(const std::string& text, int lowest, int highest, int* value) {
  double number = 0.0;
  if (quillet::cli::readWholeNumber(text, &number) != quillet::cli::NumberText::kNumber)
    return false;
  if (number < lowest || number > highest) return false;
  *value = static_cast<int>(number);
  return true;
}

std::string join(const std::vector<std::string>& words, size_t from, size_t to) {
  std::string text;
  for (size_t i = from; i < to; ++i) text += (i > from ? " " : "") + words[i];
  return text;
}

std::vector<std::string> parameterNames() {
  std::vector<std::string> names;
  for (const core::QuilletParamSpec& param : core::kQuilletParams) names.push_back(param.name);
  return names;
}

// A parameter by name (as --set takes it) or by its symbol ("mono_out").
bool findTargetParameter(const std::string& key, int32_t* index, std::string* error) {
  for (int32_t i = 0; i < core::kNumQuilletParams; ++i)
    if (lower(key) == core::kQuilletParams[i].symbol) {
      *index = i;
      return true;
    }
  uint32_t found = 0;
  if (!quillet::cli::findParameter(key, parameterNames(), "quillet-k3 --help", &found, error))
    return false;
  *index = static_cast<int32_t>(found);
  return true;
}

// The source at words[at...]; advances `at` past it.
bool parseSource(const std::vector<std::string>& words, size_t* at, MidiSource* source,
                 std::string* error) {
  size_t i = *at;
  source->channel = 0;
  if (i < words.size() && lower(words[i]) == "ch") {
    int channel = 0;
    if (i + 1 >= words.size() || !wholeNumber(words[i + 1], 1, 16, &channel)) {
      *error = "a channel is 1 to 16";
      return false;
    }
    source->channel = static_cast<uint8_t>(channel);
    i += 2;
  }
  if (i + 1 >= words.size()) {
    *error = "not a binding (cc N TARGET, note N tap, pc N PRESET)";
    return false;
  }
  const std::string kind = lower(words[i]);
  const std::string& number = words[i + 1];
  int value = 0;
  if (kind == "cc") {
    source->kind = MidiSourceKind::kControl;
    if (!wholeNumber(number, 0, kLastController, &value)) {
      *error = "a controller is 0 to 119 ('" + number + "'; 120-127 are channel mode messages)";
      return false;
    }
  } else if (kind == "note") {
    source->kind = lower(number) == "any" ? MidiSourceKind::kAnyNote : MidiSourceKind::kNote;
    if (source->kind == MidiSourceKind::kNote && !wholeNumber(number, 0, 127, &value)) {
      *error = "a note is 0 to 127 or any ('" + number + "')";
      return false;
    }
  } else if (kind == "pc") {
    source->kind = MidiSourceKind::kProgram;
    if (!wholeNumber(number, 0, 127, &value)) {
      *error = "a program is 0 to 127 ('" + number + "')";
      return false;
    }
  } else {
    *error = "unknown source '" + words[i] + "' (cc, note or pc)";
    return false;
  }
  source->number = static_cast<uint8_t>(value);
  *at = i + 2;
  return true;
}

const core::FactoryPreset* presetByNumberOrName(const std::string& key, int32_t* index) {
  int number = 0;
  const core::FactoryPreset* preset = nullptr;
  if (wholeNumber(key, 1, core::kNumFactoryPresets, &number))
    preset = &core::kFactoryPresets[number - 1];
  else
    preset = findPreset(key);
  if (preset) *index = static_cast<int32_t>(preset - core::kFactoryPresets);
  return preset;
}

bool parseTarget(const std::vector<std::string>& words, size_t at, MidiSourceKind source,
                 MidiTarget* target, std::string* error) {
  if (at >= words.size()) {
    *error = "nothing to drive after the source";
    return false;
  }
  if (source == MidiSourceKind::kProgram) {
    target->kind = MidiTargetKind::kPreset;
    target->style = SwitchStyle::kValue;
    const std::string key = join(words, at, words.size());
    if (!presetByNumberOrName(key, &target->index)) {
      *error =
          "unknown preset '" + key + "' (a symbol, a name or 1 to 9; quillet-k3 --help lists them)";
      return false;
    }
    return true;
  }
  size_t end = words.size();
  target->style = SwitchStyle::kValue;
  const std::string last = lower(words[end - 1]);
  if (end - at > 1 && (last == "toggle" || last == "each")) {
    target->style = last == "toggle" ? SwitchStyle::kToggle : SwitchStyle::kEach;
    --end;
  }
  const std::string key = join(words, at, end);
  if (lower(key) == "tap") {
    target->kind = MidiTargetKind::kTap;
    target->index = 0;
    if (target->style == SwitchStyle::kToggle) {
      *error = "a tap does not toggle (each: a tap at every message)";
      return false;
    }
    return true;
  }
  if (source != MidiSourceKind::kControl) {
    *error = "a note can only tap ('" + key + "')";
    return false;
  }
  target->kind = MidiTargetKind::kParameter;
  if (!findTargetParameter(key, &target->index, error)) return false;
  const bool isSwitch = core::kQuilletParams[target->index].kind == core::ParamKind::Switch;
  if (target->style == SwitchStyle::kToggle && !isSwitch) {
    *error = "only a switch toggles (" + std::string(core::kQuilletParams[target->index].name) +
             " is not one)";
    return false;
  }
  if (target->style == SwitchStyle::kEach) {
    *error = "each is for a tap";
    return false;
  }
  return true;
}

bool drives(const MidiBinding& binding, int32_t control) {
  if (control == kLearnTap) return binding.target.kind == MidiTargetKind::kTap;
  return binding.target.kind == MidiTargetKind::kParameter && binding.target.index == control;
}

}  // namespace

std::string sourceText(const MidiSource& source) {
  std::string text = source.channel ? "ch " + std::to_string(source.channel) + " " : "";
  switch (source.kind) {
    case MidiSourceKind::kControl:
      return text + "cc " + std::to_string(source.number);
    case MidiSourceKind::kNote:
      return text + "note " + std::to_string(source.number);
    case MidiSourceKind::kAnyNote:
      return text + "note any";
    case MidiSourceKind::kProgram:
      return text + "pc " + std::to_string(source.number);
  }
  return text;
}

std::string targetText(const MidiTarget& target) {
  const char* style = target.style == SwitchStyle::kToggle ? " toggle"
                      : target.style == SwitchStyle::kEach ? " each"
                                                           : "";
  switch (target.kind) {
    case MidiTargetKind::kParameter:
      return core::kQuilletParams[target.index].name + std::string(style);
    case MidiTargetKind::kTap:
      return "tap" + std::string(style);
    case MidiTargetKind::kPreset:
      return core::kFactoryPresets[target.index].symbol;
  }
  return "";
}

MidiMap MidiMap::defaults() {
  MidiMap map;
  for (int p = 0; p < kDefaultPresetPrograms; ++p)
    map.list.push_back({{MidiSourceKind::kProgram, 0, static_cast<uint8_t>(p)},
                        {MidiTargetKind::kPreset, p, SwitchStyle::kValue}});
  auto control = [&](uint8_t number, MidiTargetKind kind, int32_t index) {
    map.list.push_back({{MidiSourceKind::kControl, 0, number}, {kind, index, SwitchStyle::kValue}});
  };
  control(kExpressionController, MidiTargetKind::kParameter, engine::kParamRepeat);
  control(kVolumeController, MidiTargetKind::kParameter, engine::kParamLevel);
  control(kSustainController, MidiTargetKind::kParameter, engine::kParamMute);
  control(kDefaultTapController, MidiTargetKind::kTap, 0);
  return map;
}

void MidiMap::bind(const MidiBinding& binding) {
  for (MidiBinding& b : list)
    if (b.source == binding.source) {
      b.target = binding.target;
      return;
    }
  list.push_back(binding);
}

MidiMap MidiMap::parse(const std::string& text, std::vector<std::string>* problems) {
  MidiMap map;
  std::istringstream in(text);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    const std::vector<std::string> words = wordsOf(line);
    if (words.empty()) continue;
    MidiBinding binding;
    size_t at = 0;
    std::string error;
    if (!parseSource(words, &at, &binding.source, &error) ||
        !parseTarget(words, at, binding.source.kind, &binding.target, &error)) {
      problems->push_back("line " + std::to_string(number) + ": " + error +
                          "; the line is left out");
      continue;
    }
    for (const MidiBinding& before : map.list)
      if (before.source == binding.source)
        problems->push_back("line " + std::to_string(number) + ": " + sourceText(binding.source) +
                            " was bound already; this line replaces it");
    map.bind(binding);
  }
  return map;
}

std::string MidiMap::text() const {
  std::string text =
      "# quillet-k3's MIDI map (man quillet-k3): one binding per line, read at start and\n"
      "# on SIGHUP, rewritten when the panel learns.\n"
      "#   [ch N] cc N TARGET [toggle|each]   TARGET: a parameter (name or number) or tap\n"
      "#   [ch N] note N|any tap\n"
      "#   [ch N] pc N PRESET                 PRESET: a factory preset (symbol, name, 1-9)\n";
  for (const MidiBinding& b : list)
    text += sourceText(b.source) + " " + targetText(b.target) + "\n";
  return text;
}

bool MidiMap::learn(const MidiSource& source, int32_t control) {
  if (source.kind == MidiSourceKind::kProgram) return false;
  if (control != kLearnTap && (control < 0 || control >= core::kNumQuilletParams)) return false;
  if (control != kLearnTap && source.kind != MidiSourceKind::kControl) return false;
  MidiTarget target{control == kLearnTap ? MidiTargetKind::kTap : MidiTargetKind::kParameter,
                    control == kLearnTap ? 0 : control, SwitchStyle::kValue};
  // A footswitch that was set to toggle, or to tap at every message, keeps that.
  if (const MidiBinding* before = bindingOf(control)) target.style = before->target.style;
  list.erase(std::remove_if(
                 list.begin(), list.end(),
                 [&](const MidiBinding& b) { return b.source == source || drives(b, control); }),
             list.end());
  list.push_back({source, target});
  return true;
}

bool MidiMap::forget(int32_t control) {
  const size_t before = list.size();
  list.erase(std::remove_if(list.begin(), list.end(),
                            [&](const MidiBinding& b) { return drives(b, control); }),
             list.end());
  return list.size() != before;
}

const MidiBinding* MidiMap::bindingOf(int32_t control) const {
  for (const MidiBinding& b : list)
    if (drives(b, control)) return &b;
  return nullptr;
}

}  // namespace quillet::standalone
