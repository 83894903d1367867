// quillet-host info PLUGIN.clap: what a CLAP host sees of a plug-in.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/commands/format_commands.h"
#include "host/plugin/clap/clap_instance.h"
#include "host/plugin/clap/clap_presets.h"
#include "host/plugin/vst2/plugin_text.h"

namespace quillet::host {
namespace {

void row(const char* label, const std::string& value) {
  std::printf("%-17s %s\n", label, value.c_str());
}

std::string text(const char* s) { return printable(s ? s : ""); }

// The extensions hosts commonly ask for, and whether the plug-in answers them.
std::string extensionsOffered(ClapInstance& p) {
  static const char* const kKnown[] = {CLAP_EXT_AUDIO_PORTS,
                                       CLAP_EXT_PARAMS,
                                       CLAP_EXT_STATE,
                                       CLAP_EXT_LATENCY,
                                       CLAP_EXT_TAIL,
                                       CLAP_EXT_GUI,
                                       CLAP_EXT_TIMER_SUPPORT,
                                       CLAP_EXT_POSIX_FD_SUPPORT,
                                       CLAP_EXT_PRESET_LOAD,
                                       "clap.note-ports",
                                       "clap.audio-ports-config",
                                       "clap.render",
                                       "clap.voice-info",
                                       "clap.thread-pool",
                                       "clap.note-name"};
  std::string list;
  for (const char* id : kKnown)
    if (p.extension<void>(id)) list += (list.empty() ? "" : " ") + std::string(id);
  return list;
}

std::string portText(const clap_plugin_audio_ports_t* ports, const clap_plugin_t* plugin,
                     bool input) {
  if (!ports) return "none";
  std::string out;
  const uint32_t count = ports->count(plugin, input);
  for (uint32_t i = 0; i < count; ++i) {
    clap_audio_port_info_t info{};
    if (!ports->get(plugin, i, input, &info)) continue;
    if (!out.empty()) out += "; ";
    out += "\"" + text(info.name) + "\" " + std::to_string(info.channel_count) + " channels";
    if (info.flags & CLAP_AUDIO_PORT_IS_MAIN) out += ", main";
    if (info.flags & CLAP_AUDIO_PORT_SUPPORTS_64BITS) out += ", 64-bit";
    if (info.in_place_pair != CLAP_INVALID_ID)
      out += ", in place with " + std::to_string(info.in_place_pair);
  }
  return out.empty() ? "none" : out;
}

std::string flagText(uint32_t flags) {
  std::string out;
  const auto add = [&](uint32_t bit, const char* name) {
    if (flags & bit) out += (out.empty() ? "" : ",") + std::string(name);
  };
  add(CLAP_PARAM_IS_STEPPED, "stepped");
  add(CLAP_PARAM_IS_ENUM, "enum");
  add(CLAP_PARAM_IS_AUTOMATABLE, "automatable");
  add(CLAP_PARAM_IS_MODULATABLE, "modulatable");
  add(CLAP_PARAM_IS_READONLY, "read-only");
  add(CLAP_PARAM_IS_HIDDEN, "hidden");
  return out.empty() ? "-" : out;
}

void printParameters(ClapInstance& p) {
  const uint32_t count = p.parameterCount();
  row("Parameters:", std::to_string(count));
  if (count == 0) return;
  std::printf("  %5s  %-16s %7s %7s %8s  %-24s %s\n", "id", "name", "min", "max", "default",
              "flags", "value");
  for (uint32_t i = 0; i < count; ++i) {
    clap_param_info_t info{};
    if (!p.parameterInfo(i, &info)) continue;
    double value = 0.0;
    p.parameterValue(info.id, &value);
    std::printf("  %5u  %-16s %7.3f %7.3f %8.3f  %-24s %s\n", info.id, text(info.name).c_str(),
                info.min_value, info.max_value, info.default_value, flagText(info.flags).c_str(),
                printable(p.valueText(info.id, value)).c_str());
  }
}

void printPresets(const ClapModule& module) {
  std::vector<ClapPreset> presets;
  std::string error;
  if (!module.presetFactory()) {
    row("Presets:", "no preset-discovery factory");
    return;
  }
  if (!discoverClapPresets(module, &presets, &error)) {
    row("Presets:", "discovery failed: " + error);
    return;
  }
  row("Presets:", std::to_string(presets.size()) + " (preset discovery)");
  for (const ClapPreset& preset : presets)
    std::printf("  %-28s key %s%s\n", printable(preset.name).c_str(),
                printable(preset.loadKey).c_str(),
                preset.kind == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN ? ", inside the plug-in" : "");
}

}  // namespace

int printClapInfo(const std::string& path) {
  OpenedClap opened;
  std::string error;
  if (!openClap(path, &opened, &error)) {
    std::fprintf(stderr, "quillet-host: %s\n", error.c_str());
    return 1;
  }
  ClapInstance& p = *opened;
  const clap_plugin_entry_t& entry = opened.module->entry();
  const clap_plugin_descriptor_t& d = p.descriptor();
  row("File:", path);
  row("Format:", "CLAP " + std::to_string(entry.clap_version.major) + "." +
                     std::to_string(entry.clap_version.minor) + "." +
                     std::to_string(entry.clap_version.revision));
  row("ID:", text(d.id));
  row("Name:", "\"" + text(d.name) + "\"");
  row("Vendor:", "\"" + text(d.vendor) + "\"");
  row("Version:", text(d.version));
  row("URL:", text(d.url));
  row("Description:", text(d.description));
  std::string features;
  for (const char* const* f = d.features; f && *f; ++f)
    features += (features.empty() ? "" : " ") + text(*f);
  row("Features:", features);
  row("Extensions:", extensionsOffered(p));
  row("Audio inputs:", portText(p.audioPorts(), p.plugin(), true));
  row("Audio outputs:", portText(p.audioPorts(), p.plugin(), false));
  const auto* latency = p.extension<clap_plugin_latency_t>(CLAP_EXT_LATENCY);
  row("Latency:", latency ? std::to_string(latency->get(p.plugin())) + " samples" : "not given");
  if (const auto* tail = p.extension<clap_plugin_tail_t>(CLAP_EXT_TAIL)) {
    // A tail depends on the rate: read it active at 48000 Hz.
    if (p.activate(48000.0, 1, 512)) {
      const uint32_t frames = tail->get(p.plugin());
      row("Tail at 48 kHz:",
          frames >= 0x7fffffffu ? std::string("endless") : std::to_string(frames) + " samples");
      p.deactivate();
    }
  }
  printParameters(p);
  printPresets(*opened.module);
  return 0;
}

}  // namespace quillet::host
