// Presets between files and a running plug-in: capture its state as a
// program or bank, and hand a preset back only when it fits the plug-in.
#pragma once

#include <string>

#include "host/plugin/vst2/plugin_host.h"
#include "host/presets/preset_file.h"

namespace quillet::host {

// Chunk presets for plug-ins that keep their state as a chunk, plain
// parameters otherwise.
PresetFile capturePreset(PluginInstance& plugin, bool bank);

// Checks everything first (unique ID, kind, parameter count, values) and
// touches the plug-in only when the whole preset fits.
bool applyPreset(PluginInstance& plugin, const PresetFile& preset, std::string* error);

// A bank for .fxb, a program for anything else.
bool wantsBank(const std::string& path);
// True for a path ending in .fxp or .fxb (any letter case).
bool isFxPresetPath(const std::string& path);

}  // namespace quillet::host
