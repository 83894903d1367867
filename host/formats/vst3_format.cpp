// The VST3 row: a bundle NAME.vst3 (or, on Windows, the module file of that
// name itself).
#include <memory>
#include <string>

#include "host/commands/format_commands.h"
#include "host/formats/hosted_format.h"
#include "host/plugin/vst3/vst3_audio_plugin.h"
#include "host/plugin/vst3/vst3_instance.h"
#include "host/plugin/vst3/vst3_module.h"
#include "host/presets/plugin_preset.h"
#include "host/presets/preset_file.h"
#include "host/presets/vst3_preset_load.h"
#include "host/presets/vst_preset_file.h"
#include "host/validate/vst3/vst3_validator.h"

namespace quillet::host {

namespace {

using vst3::Vst3AudioPlugin;
using vst3::Vst3Instance;
using vst3::Vst3Module;

class Vst3Plugin final : public HostedPlugin {
 public:
  bool open(const std::string& path, std::string* error) {
    module = Vst3Module::load(path, error);
    if (module) instance = Vst3Instance::open(*module, error);
    if (!instance) return false;
    audioPlugin = std::make_unique<Vst3AudioPlugin>(*instance);
    return true;
  }
  ~Vst3Plugin() override {
    audioPlugin.reset();
    instance.reset();  // before the module goes
  }
  AudioPlugin& audio() override { return *audioPlugin; }

  // A .vstpreset's states; an .fxp or .fxb file's bytes as the state (as
  // hosts hand a project's VST 2.4 state to the VST3 plug-in that replaces
  // it); or the name or number of a program of its program lists.
  bool loadPreset(const std::string& preset, std::string* error) override {
    if (isVstPresetPath(preset)) {
      VstPresetFile file;
      if (!readVstPresetFile(preset, &file, error)) return false;
      if (applyVstPreset(*instance, *module, file, error)) return true;
      *error = preset + ": " + *error;
      return false;
    }
    if (!isFxPresetPath(preset)) return selectVst3Program(*instance, preset, error);
    PresetFile file;
    if (!readPresetFile(preset, &file, error)) return false;
    if (instance->restoreState(serializePreset(file), error)) return true;
    *error = preset + ": " + *error;
    return false;
  }
  std::string failure() const override { return audioPlugin->failure(); }

 private:
  std::unique_ptr<Vst3Module> module;
  std::unique_ptr<Vst3Instance> instance;
  std::unique_ptr<Vst3AudioPlugin> audioPlugin;
};

bool claimsBundle(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.pop_back();
  return p.size() > 5 && p.compare(p.size() - 5, 5, ".vst3") == 0;
}

std::unique_ptr<HostedPlugin> openVst3(const std::string& path, std::string* error) {
  auto plugin = std::make_unique<Vst3Plugin>();
  if (!plugin->open(path, error)) return nullptr;
  return plugin;
}

}  // namespace

const HostedFormat kVst3Format = {FormatKind::kVst3, "VST3",
                                  claimsBundle,      openVst3,
                                  printVst3Info,     vst3::validateVst3Plugin,
                                  captureVst3Panel,  /*savesFxPresets=*/false};

}  // namespace quillet::host
