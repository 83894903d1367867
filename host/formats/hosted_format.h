// The plug-in formats quillet-host hosts, one row each: how a path names a
// plug-in of the format, and what each command does with one. Every command
// asks formatOf(path) and goes through its row; no command tells formats
// apart on its own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/plugin/audio_plugin.h"

namespace quillet::host {

struct ValidateOptions;
class ValidationReport;

// A plug-in opened for a render: its audio, and presets as its format takes
// them.
class HostedPlugin {
 public:
  virtual ~HostedPlugin() = default;
  virtual AudioPlugin& audio() = 0;
  // render --preset: what the format takes as a preset (a file, a name);
  // false with a one-line `error`.
  virtual bool loadPreset(const std::string& preset, std::string* error) = 0;
  // render --save-preset (formats whose row writes .fxp/.fxb files).
  virtual bool savePreset(const std::string& file, std::string* error) {
    (void)file;
    *error = "this format saves no preset file";
    return false;
  }
  // Why a block the plug-in refused failed; empty while all went well.
  virtual std::string failure() const { return ""; }
};

// What `snapshot` asks of a plug-in's panel.
struct PanelRequest {
  std::string plugin;
  std::vector<std::string> sets;  // NAME=VALUE, before the panel opens
  double hostScale = 0.0;         // the host's scale factor; 0 for none
};
struct PanelPicture {
  std::vector<unsigned char> rgb;  // rows of RGB
  int width = 0;
  int height = 0;
};

enum class FormatKind { kVst2, kVst3, kClap };

struct HostedFormat {
  FormatKind kind;
  const char* name;  // "VST 2.4", "VST3", "CLAP"
  // Whether `path` names a plug-in of this format. The VST 2.4 row takes
  // every path no other row claims.
  bool (*claims)(const std::string& path);
  // For render; null with a one-line `error`.
  std::unique_ptr<HostedPlugin> (*open)(const std::string& path, std::string* error);
  // info: prints what a host of the format sees; the exit status.
  int (*info)(const std::string& path);
  // validate: the format's checks; false when the plug-in cannot be loaded.
  bool (*validate)(const std::string& path, const ValidateOptions& options,
                   ValidationReport& report);
  // snapshot: the panel opened as the format's hosts open it and drawn;
  // false with a one-line `error`.
  bool (*capturePanel)(const PanelRequest& request, PanelPicture* picture, std::string* error);
  // Whether render --save-preset can write the plug-in's state as .fxp/.fxb.
  bool savesFxPresets;
};

// Every hosted format, the one that takes any other path last.
const std::vector<const HostedFormat*>& hostedFormats();
// The row for `path`.
const HostedFormat& formatOf(const std::string& path);

extern const HostedFormat kVst2Format;
extern const HostedFormat kVst3Format;
extern const HostedFormat kClapFormat;

}  // namespace quillet::host
