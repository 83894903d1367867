// vst2-host preset save PLUGIN.so FILE [--set NAME=VALUE ...]
// vst2-host preset show FILE
#include <cstdio>
#include <string>
#include <vector>

#include "host/opened_plugin.h"
#include "host/param_options.h"
#include "host/plugin_preset.h"
#include "host/plugin_text.h"
#include "host/preset_file.h"

using namespace vsthost;

namespace {

const char* kUsage =
    "usage: vst2-host preset save PLUGIN.so FILE.fxp|FILE.fxb [--set NAME=VALUE ...]\n"
    "       vst2-host preset show FILE\n";

int failure(const std::string& message) {
  std::fprintf(stderr, "vst2-host: %s\n", message.c_str());
  return 1;
}

int usage(const std::string& message) {
  std::fprintf(stderr, "vst2-host preset: %s\n%s", message.c_str(), kUsage);
  return 2;
}

int save(const std::vector<std::string>& args) {
  std::vector<std::string> positional, sets;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--set") {
      if (i + 1 >= args.size()) return usage("--set needs NAME=VALUE");
      sets.push_back(args[++i]);
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return usage("unknown option " + args[i]);
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 2) return usage("save wants a plug-in and a file name");
  OpenedPlugin plugin;
  std::string error;
  if (!openPlugin(positional[0], &plugin, &error)) return failure(error);
  std::vector<ParamSetting> settings(sets.size());
  for (size_t i = 0; i < sets.size(); ++i)
    if (!parseSetting(*plugin, sets[i], &settings[i], &error)) return failure(error);
  AEffect* e = plugin->effect();
  for (const ParamSetting& s : settings) e->setParameter(e, s.index, s.value);
  const PresetFile preset = capturePreset(*plugin, wantsBank(positional[1]));
  if (!writePresetFile(positional[1], preset, &error)) return failure(error);
  std::printf("%s: %s for %s\n", positional[1].c_str(), presetKindName(preset.kind),
              fourCharText(preset.fxID).c_str());
  return 0;
}

void showBytes(const std::vector<uint8_t>& bytes) {
  for (size_t i = 0; i < bytes.size(); i += 16) {
    std::printf("  %06zx ", i);
    for (size_t j = i; j < i + 16 && j < bytes.size(); ++j) std::printf(" %02x", bytes[j]);
    std::printf("\n");
  }
}

int show(const std::vector<std::string>& args) {
  if (args.size() != 1) return usage("show wants one file name");
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
  return 0;
}

}  // namespace

int runPresetCommand(const std::vector<std::string>& args) {
  if (args.empty()) return usage("save or show?");
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "save") return save(rest);
  if (args[0] == "show") return show(rest);
  return usage("unknown preset command '" + args[0] + "'");
}
