#include "standalone/midi/midi_control.h"

#include "core/factory_presets.h"

namespace quillet::standalone {

namespace {

constexpr uint8_t kFirstFineController = 32;
constexpr uint8_t kLastCoarseController = 31;

// bit 31: set; bits 24-25 kind; 16-20 channel; 8-14 number; 0-7 control + 1.
uint32_t packLearned(const MidiSource& s, int32_t control) {
  return 1u << 31 | static_cast<uint32_t>(s.kind) << 24 | static_cast<uint32_t>(s.channel) << 16 |
         static_cast<uint32_t>(s.number) << 8 | static_cast<uint32_t>(control + 1);
}

}  // namespace

void MidiControl::forgetControllers() {
  for (auto& channel : coarse)
    for (uint8_t& c : channel) c = 0;
  for (uint32_t& bits : sendsFine) bits = 0;
}

bool MidiControl::learningControl(int32_t* control) const {
  const int32_t armed = learning.load(std::memory_order_acquire);
  if (armed == 0) return false;
  *control = armed - 2;
  return true;
}

bool MidiControl::takeLearned(MidiSource* source, int32_t* control) {
  const uint32_t packed = learned.exchange(0, std::memory_order_acquire);
  if (packed == 0) return false;
  source->kind = static_cast<MidiSourceKind>((packed >> 24) & 3);
  source->channel = static_cast<uint8_t>((packed >> 16) & 31);
  source->number = static_cast<uint8_t>((packed >> 8) & 127);
  *control = static_cast<int32_t>(packed & 255) - 1;
  return true;
}

bool MidiControl::learnFrom(const MidiMessage& m) {
  const int32_t armed = learning.load(std::memory_order_acquire);
  if (armed == 0) return false;
  const int32_t control = armed - 2;
  MidiSource source;
  // Any channel: the player's controller, whichever channel it is set to.
  if (m.kind() == kControlChange && m.data1 <= 119) {
    source = {MidiSourceKind::kControl, 0, m.data1};
  } else if (m.kind() == kNoteOn && m.data2 > 0 && control == kLearnTap) {
    source = {MidiSourceKind::kNote, 0, m.data1};
  } else {
    return false;
  }
  // Only the first message after the main thread armed it, and only once.
  int32_t expected = armed;
  if (!learning.compare_exchange_strong(expected, 0, std::memory_order_acq_rel)) return false;
  learned.store(packLearned(source, control), std::memory_order_release);
  return true;
}

void MidiControl::message(uint32_t frame, const MidiMessage& m, MidiActions& actions) {
  if (learnFrom(m)) return;
  MidiTarget target;
  switch (m.kind()) {
    case kControlChange:
      control(frame, m.channel(), m.data1, m.data2, actions);
      return;
    case kNoteOn:
      // A note-on of velocity 0 is a note-off.
      if (m.data2 > 0 && table.note(m.channel(), m.data1, &target) &&
          target.kind == MidiTargetKind::kTap)
        actions.tap(frame);
      return;
    case kProgramChange:
      if (table.program(m.channel(), m.data1, &target) && target.kind == MidiTargetKind::kPreset &&
          target.index >= 0 && target.index < core::kNumFactoryPresets) {
        const core::FactoryPreset& preset = core::kFactoryPresets[target.index];
        for (int32_t i = 0; i < core::kNumQuilletParams; ++i)
          if (i != engine::kParamMute) set(frame, i, preset.values[i], actions);
      }
      return;
    default:
      return;
  }
}

void MidiControl::control(uint32_t frame, uint8_t channel, uint8_t number, uint8_t value,
                          MidiActions& actions) {
  MidiTarget target;
  if (table.control(channel, number, &target)) {
    if (number <= kLastCoarseController) coarse[channel][number] = value;
    const bool fine = number <= kLastCoarseController && (sendsFine[channel] >> number & 1u);
    drive(frame, target, static_cast<float>(value) / 127.0f,
          static_cast<float>(value * 128) / 16383.0f, fine, value, actions);
    return;
  }
  if (number <= kLastCoarseController) {
    coarse[channel][number] = value;
    return;
  }
  // The fine half of a bound coarse controller of a continuous parameter.
  const uint8_t of = static_cast<uint8_t>(number - kFirstFineController);
  if (number >= kFirstFineController && of <= kLastCoarseController &&
      table.control(channel, of, &target) && target.kind == MidiTargetKind::kParameter &&
      core::kQuilletParams[target.index].kind == core::ParamKind::Continuous) {
    sendsFine[channel] |= 1u << of;
    const float value14 = static_cast<float>(coarse[channel][of] * 128 + value) / 16383.0f;
    set(frame, target.index, value14, actions);
  }
}

void MidiControl::drive(uint32_t frame, const MidiTarget& target, float value7, float value14,
                        bool fine, uint8_t raw, MidiActions& actions) {
  const bool pressed = raw >= 64;
  if (target.kind == MidiTargetKind::kTap) {
    if (pressed || target.style == SwitchStyle::kEach) actions.tap(frame);
    return;
  }
  if (target.kind != MidiTargetKind::kParameter || target.index < 0 ||
      target.index >= core::kNumQuilletParams)
    return;
  const int32_t index = target.index;
  switch (core::kQuilletParams[index].kind) {
    case core::ParamKind::Continuous:
      set(frame, index, fine ? value14 : value7, actions);
      return;
    case core::ParamKind::Switch:
      if (target.style == SwitchStyle::kToggle) {
        if (!pressed) return;
        const float now =
            changedInBlock >> index & 1u ? blockValues[index] : actions.storedValue(index);
        set(frame, index, now > 0.5f ? 0.0f : 1.0f, actions);
        return;
      }
      set(frame, index, pressed ? 1.0f : 0.0f, actions);
      return;
    case core::ParamKind::Selector:
      // Thirds of the controller's travel: 0-42, 43-85, 86-127.
      set(frame, index, core::paramValueOfPosition(index, raw * 3 / 128), actions);
      return;
  }
}

void MidiControl::set(uint32_t frame, int32_t index, float value, MidiActions& actions) {
  changedInBlock |= 1u << index;
  blockValues[index] = value;
  actions.change(frame, index, value);
}

}  // namespace quillet::standalone
