// vst2-host snapshot PLUGIN.so -o panel.png [--set NAME=VALUE ...]: opens the
// plug-in's editor in a window of its own, idles it until it has drawn, and
// saves what the window shows.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "host/command_usage.h"
#include "host/host_window.h"
#include "host/opened_plugin.h"
#include "host/plugin_text.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

using namespace vsthost;

namespace {

const char* kUsage =
    "usage: vst2-host snapshot PLUGIN.so -o PANEL.png [--set NAME=VALUE ...]\n"
    "Opens the plug-in's editor in a window of its own (needs an X display), lets it\n"
    "draw, and saves what the window shows as a PNG.\n"
    "  -o PANEL.png      the picture to write (required)\n"
    "  --set NAME=VALUE  parameter by name, normalised 0..1, set before the editor\n"
    "                    opens (repeatable)\n"
    "  -h, --help        this text\n";

int usage(const std::string& message) { return usageError("snapshot", message); }

// Sets a parameter by its name; the value is normalised (0..1).
bool setByName(PluginInstance& plugin, const std::string& assignment, std::string* error) {
  const size_t eq = assignment.find('=');
  if (eq == std::string::npos || eq == 0) {
    *error = "--set wants NAME=VALUE, got '" + assignment + "'";
    return false;
  }
  const std::string name = assignment.substr(0, eq);
  const std::string text = assignment.substr(eq + 1);
  char* end = nullptr;
  const float value = std::strtof(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(value >= 0.0f && value <= 1.0f)) {
    *error = "value for " + name + " must be a number from 0 to 1, got '" + text + "'";
    return false;
  }
  AEffect* e = plugin.effect();
  for (VstInt32 i = 0; i < e->numParams; ++i) {
    if (parameterName(plugin, i) == name) {
      e->setParameter(e, i, value);
      return true;
    }
  }
  *error = "no parameter named '" + name + "'";
  return false;
}

}  // namespace

int runSnapshotCommand(const std::vector<std::string>& args) {
  if (asksForHelp(args)) return printHelp(kUsage);
  std::string pluginPath, outputPath;
  std::vector<std::string> assignments;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      outputPath = args[++i];
    } else if (args[i] == "--set" && i + 1 < args.size()) {
      assignments.push_back(args[++i]);
    } else if (!args[i].empty() && args[i][0] != '-' && pluginPath.empty()) {
      pluginPath = args[i];
    } else if (args[i] == "-o" || args[i] == "--set") {
      return usage(args[i] + " needs an argument");
    } else if (!args[i].empty() && args[i][0] == '-') {
      return usage("unknown option " + args[i]);
    } else {
      return usage("one plug-in at a time");
    }
  }
  if (pluginPath.empty()) return usage("no plug-in given");
  if (outputPath.empty()) return usage("no output file given (-o PANEL.png)");

  OpenedPlugin plugin;
  std::string error;
  if (!openPlugin(pluginPath, &plugin, &error)) {
    std::fprintf(stderr, "vst2-host: %s\n", error.c_str());
    return 1;
  }
  PluginInstance& p = *plugin;
  for (const std::string& assignment : assignments) {
    if (!setByName(p, assignment, &error)) {
      std::fprintf(stderr, "vst2-host: %s\n", error.c_str());
      return 2;
    }
  }
  if (!(p.effect()->flags & effFlagsHasEditor)) {
    std::fprintf(stderr, "vst2-host: %s has no editor\n", pluginPath.c_str());
    return 1;
  }
  ERect* rect = nullptr;
  if (p.dispatch(effEditGetRect, 0, 0, &rect) == 0 || !rect || rect->right <= rect->left ||
      rect->bottom <= rect->top) {
    std::fprintf(stderr, "vst2-host: the editor reports no size\n");
    return 1;
  }
  const int width = rect->right - rect->left, height = rect->bottom - rect->top;
  auto window = HostWindow::create(width, height, "vst2-host snapshot", &error);
  if (!window) {
    std::fprintf(stderr, "vst2-host: %s\n", error.c_str());
    return 1;
  }
  if (p.dispatch(effEditOpen, 0, 0, window->parentHandle()) == 0) {
    std::fprintf(stderr, "vst2-host: the editor did not open\n");
    return 1;
  }
  // Idle as a host does (every 20 ms) until two captures in a row agree.
  std::vector<unsigned char> rgb, previous;
  int w = 0, h = 0;
  for (int pass = 0; pass < 100; ++pass) {
    p.dispatch(effEditIdle);
    window->pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (pass < 5 || pass % 5 != 0) continue;
    if (!window->capture(&rgb, &w, &h)) break;
    if (rgb == previous) break;
    previous = rgb;
  }
  p.dispatch(effEditClose);
  if (rgb.empty()) {
    std::fprintf(stderr, "vst2-host: could not read the window\n");
    return 1;
  }
  if (!stbi_write_png(outputPath.c_str(), w, h, 3, rgb.data(), w * 3)) {
    std::fprintf(stderr, "vst2-host: cannot write %s\n", outputPath.c_str());
    return 1;
  }
  std::printf("%s: %dx%d\n", outputPath.c_str(), w, h);
  return 0;
}
