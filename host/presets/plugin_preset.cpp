#include "host/presets/plugin_preset.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "host/plugin/vst2/plugin_text.h"

namespace quillet::host {

namespace {

constexpr size_t kMaxProgramName = 27;

std::vector<uint8_t> chunkOf(PluginInstance& plugin, bool isPreset) {
  void* data = nullptr;
  const VstIntPtr size = plugin.dispatch(effGetChunk, isPreset ? 1 : 0, 0, &data);
  if (size <= 0 || !data) return {};
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

std::vector<float> parameterValues(PluginInstance& plugin) {
  AEffect* e = plugin.effect();
  std::vector<float> values;
  for (VstInt32 i = 0; i < e->numParams; ++i) values.push_back(e->getParameter(e, i));
  return values;
}

PresetProgram currentProgram(PluginInstance& plugin) {
  AEffect* e = plugin.effect();
  PresetProgram program;
  program.name = queryText(plugin, effGetProgramName).substr(0, kMaxProgramName);
  for (VstInt32 i = 0; i < e->numParams; ++i) program.params.push_back(e->getParameter(e, i));
  return program;
}

void setProgram(PluginInstance& plugin, const PresetProgram& program) {
  AEffect* e = plugin.effect();
  plugin.dispatch(effBeginSetProgram);
  for (size_t i = 0; i < program.params.size(); ++i)
    e->setParameter(e, static_cast<VstInt32>(i), program.params[i]);
  char name[kTextBufferSize] = {};
  std::strncpy(name, program.name.c_str(), kMaxProgramName);
  plugin.dispatch(effSetProgramName, 0, 0, name);
  plugin.dispatch(effEndSetProgram);
}

std::string extensionOf(const std::string& path) {
  if (path.size() < 4) return "";
  std::string ext = path.substr(path.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

}  // namespace

bool wantsBank(const std::string& path) { return extensionOf(path) == ".fxb"; }

bool isFxPresetPath(const std::string& path) {
  const std::string ext = extensionOf(path);
  return ext == ".fxp" || ext == ".fxb";
}

PresetFile capturePreset(PluginInstance& plugin, bool bank) {
  AEffect* e = plugin.effect();
  PresetFile p;
  p.fxID = e->uniqueID;
  p.fxVersion = e->version;
  p.numPrograms = e->numPrograms;
  const bool chunks = (e->flags & effFlagsProgramChunks) != 0;
  if (chunks) {
    p.kind = bank ? PresetKind::ChunkBank : PresetKind::ChunkProgram;
    p.chunk = chunkOf(plugin, !bank);
    p.name = queryText(plugin, effGetProgramName).substr(0, kMaxProgramName);
    p.currentProgram = static_cast<VstInt32>(plugin.dispatch(effGetProgram));
    return p;
  }
  if (!bank) {
    p.kind = PresetKind::ParamProgram;
    p.programs.push_back(currentProgram(plugin));
    p.name = p.programs[0].name;
    p.numPrograms = static_cast<VstInt32>(p.programs[0].params.size());
    return p;
  }
  p.kind = PresetKind::ParamBank;
  const VstInt32 current = static_cast<VstInt32>(plugin.dispatch(effGetProgram));
  p.currentProgram = current;
  if (e->numPrograms <= 1) {
    p.programs.push_back(currentProgram(plugin));
  } else {
    for (VstInt32 i = 0; i < e->numPrograms; ++i) {
      plugin.dispatch(effSetProgram, 0, i);
      p.programs.push_back(currentProgram(plugin));
    }
    plugin.dispatch(effSetProgram, 0, current);
  }
  p.numPrograms = static_cast<VstInt32>(p.programs.size());
  return p;
}

bool applyPreset(PluginInstance& plugin, const PresetFile& preset, std::string* error) {
  AEffect* e = plugin.effect();
  if (preset.fxID != e->uniqueID) {
    *error = "the preset is for plug-in " + fourCharText(preset.fxID) + ", this one is " +
             fourCharText(e->uniqueID);
    return false;
  }
  const bool chunkPreset =
      preset.kind == PresetKind::ChunkProgram || preset.kind == PresetKind::ChunkBank;
  if (chunkPreset) {
    if (!(e->flags & effFlagsProgramChunks)) {
      *error = "the preset holds a chunk, but the plug-in keeps its state as parameters";
      return false;
    }
    std::vector<uint8_t> chunk = preset.chunk;  // the plug-in may keep or alter what it gets
    const bool isProgram = preset.kind == PresetKind::ChunkProgram;
    const std::vector<float> paramsBefore = parameterValues(plugin);
    const std::vector<uint8_t> stateBefore = chunkOf(plugin, isProgram);
    if (isProgram) plugin.dispatch(effBeginSetProgram);
    plugin.dispatch(effSetChunk, isProgram ? 1 : 0, static_cast<VstIntPtr>(chunk.size()),
                    chunk.empty() ? nullptr : chunk.data());
    // effSetChunk's answer means nothing (many plug-ins, ours too, answer 0
    // either way): a refusal shows as a state left exactly as it was although
    // the preset held another one (a short, empty or all-NaN chunk).
    const bool unchanged = preset.chunk != stateBefore && parameterValues(plugin) == paramsBefore &&
                           chunkOf(plugin, isProgram) == stateBefore;
    if (unchanged) {
      if (isProgram) plugin.dispatch(effEndSetProgram);
      *error = "the plug-in did not accept the preset's state";
      return false;
    }
    if (isProgram) {
      char name[kTextBufferSize] = {};
      std::strncpy(name, preset.name.c_str(), kMaxProgramName);
      plugin.dispatch(effSetProgramName, 0, 0, name);
      plugin.dispatch(effEndSetProgram);
    }
    return true;
  }
  for (const PresetProgram& program : preset.programs) {
    if (program.params.size() != static_cast<size_t>(e->numParams)) {
      *error = "the preset has " + std::to_string(program.params.size()) +
               " parameters, the plug-in " + std::to_string(e->numParams);
      return false;
    }
    for (float v : program.params) {
      if (!std::isfinite(v) || v < 0.0f || v > 1.0f) {
        *error = "the preset holds a parameter value outside 0..1";
        return false;
      }
    }
  }
  if (preset.kind == PresetKind::ParamProgram || preset.programs.size() == 1 ||
      e->numPrograms <= 1) {
    if (!preset.programs.empty()) setProgram(plugin, preset.programs[0]);
    return true;
  }
  const size_t count = std::min(preset.programs.size(), static_cast<size_t>(e->numPrograms));
  for (size_t i = 0; i < count; ++i) {
    plugin.dispatch(effSetProgram, 0, static_cast<VstIntPtr>(i));
    setProgram(plugin, preset.programs[i]);
  }
  const VstInt32 current =
      std::clamp<VstInt32>(preset.currentProgram, 0, static_cast<VstInt32>(count) - 1);
  plugin.dispatch(effSetProgram, 0, current);
  return true;
}

}  // namespace quillet::host
