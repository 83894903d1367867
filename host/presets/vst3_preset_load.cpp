#include "host/presets/vst3_preset_load.h"

#include <cctype>

#include "vst3/interface/units.h"

namespace quillet::host {

namespace {

bool sameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string ascii(const vst3::char16* text) {
  std::string out;
  for (size_t i = 0; i < 128 && text[i]; ++i)
    out.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
  return out;
}

// The unit's program-change parameter: its ID and steps; false without one.
bool programChangeOf(vst3::Vst3Instance& instance, vst3::UnitID unit, vst3::ParamID* id,
                     vst3::int32* steps) {
  for (vst3::int32 i = 0; i < instance.parameterCount(); ++i) {
    vst3::ParameterInfo info{};
    if (!instance.parameterInfo(i, &info) || info.unitId != unit ||
        !(info.flags & vst3::ParameterInfo::kIsProgramChange))
      continue;
    *id = info.id;
    *steps = info.stepCount;
    return true;
  }
  return false;
}

}  // namespace

bool selectVst3Program(vst3::Vst3Instance& instance, const std::string& program,
                       std::string* error) {
  vst3::IEditController* controller = instance.controller();
  void* found = nullptr;
  if (!controller ||
      controller->queryInterface(vst3::IUnitInfo::iid.bytes, &found) != vst3::kResultOk || !found) {
    *error = "the plug-in has no program lists";
    return false;
  }
  auto* units = static_cast<vst3::IUnitInfo*>(found);
  bool selected = false;
  for (vst3::int32 u = 0; u < units->getUnitCount() && !selected; ++u) {
    vst3::UnitInfo unit{};
    vst3::ProgramListInfo list{};
    list.id = vst3::kNoProgramListId;
    if (units->getUnitInfo(u, unit) != vst3::kResultOk ||
        unit.programListId == vst3::kNoProgramListId)
      continue;
    for (vst3::int32 l = 0; l < units->getProgramListCount(); ++l) {
      vst3::ProgramListInfo info{};
      if (units->getProgramListInfo(l, info) == vst3::kResultOk && info.id == unit.programListId)
        list = info;
    }
    vst3::ParamID id = 0;
    vst3::int32 steps = 0;
    if (list.id == vst3::kNoProgramListId || !programChangeOf(instance, unit.id, &id, &steps))
      continue;
    for (vst3::int32 p = 0; p < list.programCount; ++p) {
      vst3::String128 name{};
      if (units->getProgramName(list.id, p, name) != vst3::kResultOk ||
          (!sameText(ascii(name), program) && std::to_string(p) != program))
        continue;
      // Program p of a list stepped over `steps`: p / steps, as stepped
      // parameters count.
      const vst3::ParamValue value = steps > 0 ? static_cast<double>(p) / steps : 0.0;
      controller->setParamNormalized(id, value);
      instance.queueChange(id, value);
      selected = true;
      break;
    }
  }
  units->release();
  if (!selected) *error = "the plug-in lists no program named \"" + program + "\"";
  return selected;
}

bool applyVstPreset(vst3::Vst3Instance& instance, const vst3::Vst3Module& module,
                    const VstPresetFile& preset, std::string* error) {
  const vst3::Vst3Class* processor = module.firstOf(vst3::kVstAudioEffectClass);
  vst3::char8 text[33] = {};
  if (processor) processor->cid.toString(text);
  if (!processor || !sameText(preset.classId, text)) {
    *error = "the preset is for the class " + preset.classId + ", this plug-in's is " +
             (processor ? std::string(text) : std::string("missing"));
    return false;
  }
  const VstPresetChunk* component = preset.chunk("Comp");
  if (!component || !instance.restoreState(component->data, error)) return false;
  const VstPresetChunk* controller = preset.chunk("Cont");
  if (controller && instance.controller()) {
    vst3::MemoryStream stream(controller->data);
    if (instance.controller()->setState(&stream) != vst3::kResultOk) {
      *error = "the controller refuses the preset's controller state";
      return false;
    }
  }
  return true;
}

}  // namespace quillet::host
