// quillet-host preset save PLUGIN.so FILE [--set NAME=VALUE ...]
// quillet-host preset show FILE [PLUGIN.so ...]; FILE.vstpreset [PLUGIN.vst3 ...]
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "host/commands/command_table.h"
#include "host/commands/plugin_file_name.h"
#include "host/formats/hosted_format.h"
#include "host/plugin/parameters.h"
#include "host/plugin/vst2/opened_plugin.h"
#include "host/plugin/vst2/plugin_text.h"
#include "host/plugin/vst2/vst2_audio_plugin.h"
#include "host/presets/plugin_preset.h"
#include "host/presets/preset_file.h"
#include "host/presets/vst3_preset_load.h"
#include "host/presets/vst_preset_file.h"

using namespace quillet::host;
namespace cli = quillet::cli;

namespace {

// The option, named once: the command reads it by this name.
constexpr cli::OptionSpec kSet = cli::text("--set", "NAME=VALUE", "NAME=VALUE",
                                           "parameter by name or index, normalised 0..1, set "
                                           "before\n"
                                           "saving (repeatable)")
                                     .andRepeatable();

int runPresetCommand(const std::vector<std::string>& args);

}  // namespace

// Listed in command_table.cpp.
namespace quillet::host {
extern const cli::CommandSpec kPresetCommand = {
    "quillet-host",
    "preset",
    "save " QUILLET_HOST_PLUGIN " FILE | show FILE: .fxp, .fxb and .vstpreset presets",
    runPresetCommand,
    {{"save",
      QUILLET_HOST_PLUGIN " FILE.fxp|FILE.fxb [--set NAME=VALUE ...]",
      "writes the plug-in's state as a program (.fxp) or a bank (.fxb): a chunk\n"
      "for plug-ins that keep their state as one, plain parameters otherwise",
      {2, 2, "save wants a plug-in and a file name", "save wants a plug-in and a file name"},
      {kSet}},
     {"show",
      "FILE [" QUILLET_HOST_PLUGIN " ...]",
      "prints the preset's header and its chunk or parameter values; given\n"
      "plug-ins, the first whose unique ID is the preset's gets the state and\n"
      "every parameter's name, value and display text is printed as it reads them.\n"
      "A VST3 preset (.vstpreset): its class ID, chunks and meta information; given\n"
      "VST3 bundles, the first whose processor class is the preset's loads it",
      {1, cli::kAnyNumber, "show wants a preset file, then optionally plug-ins", ""},
      {}}},
    "save or show?"};
}  // namespace quillet::host

namespace {

int failure(const std::string& message) {
  std::fprintf(stderr, "quillet-host: %s\n", message.c_str());
  return 1;
}

int save(const cli::CommandLine& line) {
  const std::string& pluginPath = line.positionals()[0];
  const std::string& file = line.positionals()[1];
  OpenedPlugin plugin;
  std::string error;
  if (!openPlugin(pluginPath, &plugin, &error)) return failure(error);
  Vst2AudioPlugin audio(*plugin);
  const std::vector<std::string>& sets = line.texts(kSet);
  std::vector<ParamSetting> settings(sets.size());
  for (size_t i = 0; i < sets.size(); ++i)
    if (!parseSetting(audio, sets[i], &settings[i], &error)) return failure(error);
  for (const ParamSetting& s : settings) audio.setParameter(s.index, s.value);
  const PresetFile preset = capturePreset(*plugin, wantsBank(file));
  if (!writePresetFile(file, preset, &error)) return failure(error);
  std::printf("%s: %s for %s\n", file.c_str(), presetKindName(preset.kind),
              fourCharText(preset.fxID).c_str());
  return 0;
}

// UTF-16 as ASCII, '?' for the rest.
std::string utf8Of(const vst3::char16* text) {
  std::string out;
  for (size_t i = 0; i < 128 && text[i]; ++i)
    out.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
  return out;
}

void showBytes(const std::vector<uint8_t>& bytes) {
  for (size_t i = 0; i < bytes.size(); i += 16) {
    std::printf("  %06zx ", i);
    for (size_t j = i; j < i + 16 && j < bytes.size(); ++j) std::printf(" %02x", bytes[j]);
    std::printf("\n");
  }
}

// The state loaded into a plug-in, read back as a host shows it.
int showLoaded(const PresetFile& p, const std::vector<std::string>& plugins) {
  OpenedPlugin plugin;
  std::string error;
  for (const std::string& path : plugins) {
    OpenedPlugin candidate;
    if (!openPlugin(path, &candidate, &error)) return failure(error);
    // A single plug-in is taken anyway: applyPreset says why it does not fit.
    if (candidate->effect()->uniqueID == p.fxID || plugins.size() == 1) {
      plugin = std::move(candidate);
      break;
    }
  }
  if (!plugin.instance) return failure("none of the plug-ins given is " + fourCharText(p.fxID));
  if (!applyPreset(*plugin, p, &error)) return failure(error);
  AEffect* e = plugin->effect();
  std::printf("Loaded into \"%s\": %d parameters\n",
              printable(queryText(*plugin, effGetEffectName)).c_str(), e->numParams);
  std::printf("  %5s  %-24s %-9s %s\n", "index", "name", "value", "display");
  for (VstInt32 i = 0; i < e->numParams; ++i) {
    std::string display = printable(parameterDisplay(*plugin, i));
    const std::string label = printable(parameterLabel(*plugin, i));
    if (!label.empty()) display += " " + label;
    std::printf("  %5d  %-24s %-9.6f %s\n", i, printable(parameterName(*plugin, i)).c_str(),
                static_cast<double>(e->getParameter(e, i)), display.c_str());
  }
  return 0;
}

// A VST3 preset loaded into a bundle, read back as a VST3 host shows it.
int showLoadedVst3(const VstPresetFile& p, const std::vector<std::string>& bundles) {
  std::string error;
  for (const std::string& path : bundles) {
    if (formatOf(path).kind != FormatKind::kVst3)
      return failure(path + ": a .vstpreset loads into a VST3 bundle");
    auto module = vst3::Vst3Module::load(path, &error);
    if (!module) return failure(error);
    const vst3::Vst3Class* processor = module->firstOf(vst3::kVstAudioEffectClass);
    vst3::char8 id[33] = {};
    if (processor) processor->cid.toString(id);
    // A single bundle is taken anyway: loading says why it does not fit.
    if (bundles.size() > 1 && !(processor && std::string(id) == p.classId)) continue;
    auto instance = vst3::Vst3Instance::open(*module, &error);
    if (!instance) return failure(error);
    if (!applyVstPreset(*instance, *module, p, &error)) return failure(error);
    vst3::IEditController* controller = instance->controller();
    if (!controller) return failure(path + ": no controller to read the values back from");
    std::printf("Loaded into \"%s\": %d parameters\n", processor->name.c_str(),
                controller->getParameterCount());
    std::printf("  %5s  %-24s %-9s %s\n", "id", "name", "value", "display");
    for (vst3::int32 i = 0; i < controller->getParameterCount(); ++i) {
      vst3::ParameterInfo info{};
      if (controller->getParameterInfo(i, info) != vst3::kResultOk) continue;
      const vst3::ParamValue value = controller->getParamNormalized(info.id);
      vst3::String128 shown{};
      controller->getParamStringByValue(info.id, value, shown);
      std::printf("  %5u  %-24s %-9.6f %s\n", info.id, printable(utf8Of(info.title)).c_str(), value,
                  printable(utf8Of(shown)).c_str());
    }
    return 0;
  }
  return failure("none of the bundles given has the class " + p.classId);
}

int showVst3(const std::vector<std::string>& args) {
  VstPresetFile p;
  std::string error;
  if (!readVstPresetFile(args[0], &p, &error)) return failure(error);
  std::printf("%-14s %s\n", "Kind:", "VST3 preset");
  std::printf("%-14s %d\n", "Version:", p.version);
  std::printf("%-14s %s\n", "Class:", p.classId.c_str());
  for (const VstPresetChunk& chunk : p.chunks)
    std::printf("%-14s %zu bytes\n", ("'" + printable(chunk.id) + "':").c_str(), chunk.data.size());
  if (const VstPresetChunk* info = p.chunk("Info")) {
    for (const auto& [id, value] :
         vstPresetAttributes(std::string(info->data.begin(), info->data.end())))
      std::printf("  %-22s %s\n", (printable(id) + ":").c_str(), printable(value).c_str());
  }
  const std::pair<const char*, const char*> states[] = {{"Comp", "Component state"},
                                                        {"Cont", "Controller state"}};
  for (const auto& [id, what] : states) {
    const VstPresetChunk* chunk = p.chunk(id);
    if (!chunk || chunk->data.empty()) continue;
    std::printf("%s ('%s'):\n", what, id);
    showBytes(chunk->data);
  }
  if (args.size() == 1) return 0;
  std::fflush(stdout);
  return showLoadedVst3(p, std::vector<std::string>(args.begin() + 1, args.end()));
}

int show(const cli::CommandLine& line) {
  const std::vector<std::string>& args = line.positionals();
  if (isVstPresetPath(args[0])) return showVst3(args);
  PresetFile p;
  std::string error;
  if (!readPresetFile(args[0], &p, &error)) return failure(error);
  std::printf("%-14s %s\n", "Kind:", presetKindName(p.kind));
  std::printf("%-14s %s\n", "Plug-in:", fourCharText(p.fxID).c_str());
  std::printf("%-14s %d\n", "Version:", p.fxVersion);
  if (isBank(p.kind)) {
    std::printf("%-14s %d\n", "Bank format:", p.bankVersion);
    std::printf("%-14s %d\n", "Programs:", p.numPrograms);
    if (p.bankVersion >= 2) std::printf("%-14s %d\n", "Current:", p.currentProgram);
  }
  if (p.kind == PresetKind::ChunkProgram)
    std::printf("%-14s \"%s\"\n", "Name:", printable(p.name).c_str());
  if (!p.chunk.empty() || p.kind == PresetKind::ChunkProgram || p.kind == PresetKind::ChunkBank) {
    std::printf("%-14s %zu bytes\n", "Chunk:", p.chunk.size());
    showBytes(p.chunk);
  }
  for (size_t i = 0; i < p.programs.size(); ++i) {
    const PresetProgram& program = p.programs[i];
    std::printf("Program %zu \"%s\": %zu parameters\n", i, printable(program.name).c_str(),
                program.params.size());
    for (size_t k = 0; k < program.params.size(); ++k)
      std::printf("  %4zu  %.6f\n", k, static_cast<double>(program.params[k]));
  }
  if (args.size() == 1) return 0;
  std::fflush(stdout);
  return showLoaded(p, std::vector<std::string>(args.begin() + 1, args.end()));
}

int runPresetCommand(const std::vector<std::string>& args) {
  cli::CommandLine line;
  const int status = cli::readCommandLine(kPresetCommand, args, &line);
  if (status != cli::kRunCommand) return status;
  return line.form().action == std::string("save") ? save(line) : show(line);
}

}  // namespace
