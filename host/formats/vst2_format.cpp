// The VST 2.4 row: a shared library (.so, .dll) with VSTPluginMain; every
// path no other row claims.
#include <memory>
#include <string>

#include "host/commands/format_commands.h"
#include "host/formats/hosted_format.h"
#include "host/plugin/vst2/opened_plugin.h"
#include "host/plugin/vst2/vst2_audio_plugin.h"
#include "host/presets/plugin_preset.h"
#include "host/presets/preset_file.h"
#include "host/presets/vst_preset_file.h"
#include "host/validate/validator.h"

namespace quillet::host {

namespace {

class Vst2Plugin final : public HostedPlugin {
 public:
  bool open(const std::string& path, std::string* error) {
    this->path = path;
    if (!openPlugin(path, &plugin, error)) return false;
    audioPlugin = std::make_unique<Vst2AudioPlugin>(*plugin);
    return true;
  }
  AudioPlugin& audio() override { return *audioPlugin; }

  // An .fxp or .fxb file, as a host's "Load preset" gives it.
  bool loadPreset(const std::string& preset, std::string* error) override {
    if (isVstPresetPath(preset)) {
      *error = preset + ": a .vstpreset is a VST3 preset, " + path + " is a VST 2.4 plug-in";
      return false;
    }
    PresetFile file;
    if (!readPresetFile(preset, &file, error)) return false;
    if (applyPreset(*plugin, file, error)) return true;
    *error = preset + ": " + *error;
    return false;
  }
  bool savePreset(const std::string& file, std::string* error) override {
    return writePresetFile(file, capturePreset(*plugin, wantsBank(file)), error);
  }

 private:
  std::string path;
  OpenedPlugin plugin;
  std::unique_ptr<Vst2AudioPlugin> audioPlugin;
};

bool claimsNothing(const std::string&) { return false; }

std::unique_ptr<HostedPlugin> openVst2(const std::string& path, std::string* error) {
  auto plugin = std::make_unique<Vst2Plugin>();
  if (!plugin->open(path, error)) return nullptr;
  return plugin;
}

}  // namespace

const HostedFormat kVst2Format = {
    FormatKind::kVst2, "VST 2.4",          claimsNothing,    openVst2,
    printVst2Info,     validateVst2Plugin, captureVst2Panel, /*savesFxPresets=*/true};

}  // namespace quillet::host
