// Texts a plug-in writes into host buffers, read safely, and names of the
// record's numbers.
#pragma once

#include <string>

#include "host/plugin/vst2/plugin_host.h"

namespace quillet::host {

// A generous buffer: plug-ins that overrun their limit must not corrupt the host.
constexpr size_t kTextBufferSize = 512;

// The text an opcode writes into a host buffer, cut at the first NUL (or at
// the buffer's end when the plug-in wrote none).
std::string queryText(PluginInstance& plugin, VstInt32 opcode, VstInt32 index = 0);

std::string parameterName(PluginInstance& plugin, VstInt32 index);
std::string parameterLabel(PluginInstance& plugin, VstInt32 index);
std::string parameterDisplay(PluginInstance& plugin, VstInt32 index);

// 'QTAP' for printable codes, otherwise the number in hex.
std::string fourCharText(VstInt32 code);
// The four characters of a code, exactly ("QTAP").
std::string fourChars(VstInt32 code);
std::string flagNames(VstInt32 flags);
std::string categoryName(VstIntPtr category);
// Control characters replaced, so a plug-in's text cannot mess up a terminal.
std::string printable(const std::string& text);

}  // namespace quillet::host
