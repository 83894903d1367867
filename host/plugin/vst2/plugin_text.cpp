#include "host/plugin/vst2/plugin_text.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace quillet::host {

std::string queryText(PluginInstance& plugin, VstInt32 opcode, VstInt32 index) {
  char buffer[kTextBufferSize];
  std::memset(buffer, 0, sizeof(buffer));
  plugin.dispatch(opcode, index, 0, buffer);
  buffer[sizeof(buffer) - 1] = '\0';
  return buffer;
}

std::string parameterName(PluginInstance& plugin, VstInt32 index) {
  return queryText(plugin, effGetParamName, index);
}

std::string parameterLabel(PluginInstance& plugin, VstInt32 index) {
  return queryText(plugin, effGetParamLabel, index);
}

std::string parameterDisplay(PluginInstance& plugin, VstInt32 index) {
  return queryText(plugin, effGetParamDisplay, index);
}

std::string fourChars(VstInt32 code) {
  const uint32_t u = static_cast<uint32_t>(code);
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) text += static_cast<char>((u >> shift) & 0xff);
  return text;
}

std::string fourCharText(VstInt32 code) {
  const std::string chars = fourChars(code);
  bool printableChars = true;
  for (unsigned char c : chars) printableChars = printableChars && c >= 0x20 && c < 0x7f;
  char hex[16];
  std::snprintf(hex, sizeof(hex), "0x%08X", static_cast<uint32_t>(code));
  return printableChars ? "'" + chars + "' (" + hex + ")" : std::string(hex);
}

std::string flagNames(VstInt32 flags) {
  static const struct {
    VstInt32 bit;
    const char* name;
  } kNames[] = {{effFlagsHasEditor, "HasEditor"},
                {effFlagsHasClip, "HasClip"},
                {effFlagsHasVu, "HasVu"},
                {effFlagsCanMono, "CanMono"},
                {effFlagsCanReplacing, "CanReplacing"},
                {effFlagsProgramChunks, "ProgramChunks"},
                {effFlagsIsSynth, "IsSynth"},
                {effFlagsNoSoundInStop, "NoSoundInStop"},
                {effFlagsExtIsAsync, "ExtIsAsync"},
                {effFlagsExtHasBuffer, "ExtHasBuffer"},
                {effFlagsCanDoubleReplacing, "CanDoubleReplacing"}};
  std::string text;
  VstInt32 known = 0;
  for (const auto& n : kNames) {
    known |= n.bit;
    if (flags & n.bit) text += (text.empty() ? "" : " ") + std::string(n.name);
  }
  if (flags & ~known) {
    char rest[32];
    std::snprintf(rest, sizeof(rest), "0x%X", static_cast<uint32_t>(flags & ~known));
    text += (text.empty() ? "" : " ") + std::string(rest);
  }
  return text.empty() ? "none" : text;
}

std::string categoryName(VstIntPtr category) {
  static const char* kNames[] = {"Unknown",     "Effect",         "Synth",  "Analysis",
                                 "Mastering",   "Spacializer",    "RoomFx", "SurroundFx",
                                 "Restoration", "OfflineProcess", "Shell",  "Generator"};
  if (category >= 0 && category < static_cast<VstIntPtr>(sizeof(kNames) / sizeof(kNames[0])))
    return kNames[category];
  return "category " + std::to_string(category);
}

std::string printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) out += (c < 0x20 || c == 0x7f) ? '?' : static_cast<char>(c);
  return out;
}

}  // namespace quillet::host
