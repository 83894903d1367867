// quillet-host info PLUGIN.so: what a host sees of a plug-in.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "host/commands/command_table.h"
#include "host/commands/format_commands.h"
#include "host/commands/plugin_file_name.h"
#include "host/plugin/vst2/opened_plugin.h"
#include "host/plugin/vst2/plugin_text.h"

using namespace quillet::host;
namespace cli = quillet::cli;

namespace {

int runInfoCommand(const std::vector<std::string>& args);

}  // namespace

// Listed in command_table.cpp.
namespace quillet::host {
extern const cli::CommandSpec kInfoCommand = {
    "quillet-host",
    "info",
    QUILLET_HOST_PLUGIN ": names, identity, flags and parameters",
    runInfoCommand,
    {{nullptr,
      QUILLET_HOST_PLUGIN,
      QUILLET_HOST_PLUGIN_KINDS
      "Loads the plug-in as a host does and prints what a host sees: its names,\n"
      "vendor, versions, category, unique ID, inputs and outputs, flags, latency,\n"
      "tail, programs, and every parameter with its label, value and display text.\n"
      "A CLAP plug-in (PLUGIN.clap): its descriptor, extensions, ports, latency,\n"
      "tail, parameters and the presets its preset discovery lists.",
      {1, 1, "no plug-in given", "one plug-in at a time"},
      {}}}};
}  // namespace quillet::host

namespace {

void row(const char* label, const std::string& value) {
  std::printf("%-17s %s\n", label, value.c_str());
}

std::string text(PluginInstance& p, VstInt32 opcode) { return printable(queryText(p, opcode)); }

void printPrograms(PluginInstance& p) {
  const AEffect* e = p.effect();
  const VstIntPtr current = p.dispatch(effGetProgram);
  row("Programs:", std::to_string(e->numPrograms) + " (current " + std::to_string(current) +
                       ": \"" + text(p, effGetProgramName) + "\")");
  for (VstInt32 i = 0; i < e->numPrograms; ++i) {
    char name[kTextBufferSize] = {};
    if (p.dispatch(effGetProgramNameIndexed, i, -1, name) == 0) break;  // not offered
    name[sizeof(name) - 1] = '\0';
    std::printf("  %3d  %s\n", i, printable(name).c_str());
  }
}

void printParameters(PluginInstance& p) {
  const AEffect* e = p.effect();
  row("Parameters:", std::to_string(e->numParams));
  if (e->numParams <= 0) return;
  std::printf("  %5s  %-24s %-10s %-9s %s\n", "index", "name", "label", "default", "display");
  for (VstInt32 i = 0; i < e->numParams; ++i) {
    const float value = e->getParameter ? e->getParameter(p.effect(), i) : 0.0f;
    std::printf("  %5d  %-24s %-10s %-9.6f %s\n", i, printable(parameterName(p, i)).c_str(),
                printable(parameterLabel(p, i)).c_str(), value,
                printable(parameterDisplay(p, i)).c_str());
  }
}

}  // namespace

int quillet::host::printVst2Info(const std::string& path) {
  OpenedPlugin plugin;
  std::string error;
  if (!openPlugin(path, &plugin, &error)) {
    std::fprintf(stderr, "quillet-host: %s\n", error.c_str());
    return 1;
  }
  PluginInstance& p = *plugin;
  const AEffect* e = p.effect();
  row("File:", path);
  row("Effect name:", "\"" + text(p, effGetEffectName) + "\"");
  row("Vendor:", "\"" + text(p, effGetVendorString) + "\"");
  row("Product:", "\"" + text(p, effGetProductString) + "\"");
  row("Vendor version:", std::to_string(p.dispatch(effGetVendorVersion)));
  row("Plug-in version:", std::to_string(e->version));
  row("VST version:", std::to_string(p.dispatch(effGetVstVersion)));
  const VstIntPtr category = p.dispatch(effGetPlugCategory);
  row("Category:", categoryName(category) + " (" + std::to_string(category) + ")");
  row("Unique ID:", fourCharText(e->uniqueID));
  row("Inputs:", std::to_string(e->numInputs));
  row("Outputs:", std::to_string(e->numOutputs));
  row("Flags:", flagNames(e->flags));
  row("Initial delay:", std::to_string(e->initialDelay) + " samples");
  row("Tail size:", std::to_string(p.dispatch(effGetTailSize)) + " samples");
  printPrograms(p);
  printParameters(p);
  return 0;
}

namespace {

int runInfoCommand(const std::vector<std::string>& args) {
  cli::CommandLine line;
  const int status = cli::readCommandLine(kInfoCommand, args, &line);
  if (status != cli::kRunCommand) return status;
  const std::string& path = line.positionals()[0];
  return formatOf(path).info(path);
}

}  // namespace
