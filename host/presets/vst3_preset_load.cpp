#include "host/presets/vst3_preset_load.h"

#include <cctype>

namespace vsthost {

namespace {

bool sameId(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

bool applyVstPreset(vst3::Vst3Instance& instance, const vst3::Vst3Module& module,
                    const VstPresetFile& preset, std::string* error) {
  const vst3::Vst3Class* processor = module.firstOf(vst3::kVstAudioEffectClass);
  vst3::char8 text[33] = {};
  if (processor) processor->cid.toString(text);
  if (!processor || !sameId(preset.classId, text)) {
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

}  // namespace vsthost
