// The CLAP row: a module NAME.clap.
#include <memory>
#include <string>
#include <vector>

#include "host/commands/format_commands.h"
#include "host/formats/hosted_format.h"
#include "host/plugin/clap/clap_audio_plugin.h"
#include "host/plugin/clap/clap_instance.h"
#include "host/plugin/clap/clap_presets.h"
#include "host/validate/clap/clap_validator.h"

namespace quillet::host {

namespace {

class ClapPlugin final : public HostedPlugin {
 public:
  bool open(const std::string& path, std::string* error) {
    this->path = path;
    if (!openClap(path, &clap, error)) return false;
    audioPlugin = std::make_unique<ClapAudioPlugin>(*clap);
    return true;
  }
  ~ClapPlugin() override { audioPlugin.reset(); }
  AudioPlugin& audio() override { return *audioPlugin; }

  // The name or load key of a preset its preset discovery lists.
  bool loadPreset(const std::string& preset, std::string* error) override {
    std::vector<ClapPreset> presets;
    if (!discoverClapPresets(*clap.module, &presets, error)) return false;
    const ClapPreset* found = findClapPreset(presets, preset);
    if (!found) {
      *error = path + " lists no preset named \"" + preset + "\"";
      return false;
    }
    return loadClapPreset(*clap, *found, error);
  }

 private:
  std::string path;
  OpenedClap clap;
  std::unique_ptr<ClapAudioPlugin> audioPlugin;
};

bool claimsModule(const std::string& path) {
  const std::string suffix = ".clap";
  return path.size() > suffix.size() &&
         path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::unique_ptr<HostedPlugin> openClapPlugin(const std::string& path, std::string* error) {
  auto plugin = std::make_unique<ClapPlugin>();
  if (!plugin->open(path, error)) return nullptr;
  return plugin;
}

}  // namespace

const HostedFormat kClapFormat = {FormatKind::kClap, "CLAP",
                                  claimsModule,      openClapPlugin,
                                  printClapInfo,     validateClapPlugin,
                                  captureClapPanel,  /*savesFxPresets=*/false};

}  // namespace quillet::host
