// vst2-host snapshot PLUGIN.so -o panel.png [--set NAME=VALUE ...]
// [--host-scale FACTOR]: opens the plug-in's editor in a window of its own,
// idles it until it has drawn, and saves what the window shows.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "host/cli/command_line.h"
#include "host/commands/command_table.h"
#include "host/commands/vst3_commands.h"
#include "host/plugin/parameters.h"
#include "host/plugin/vst2/opened_plugin.h"
#include "host/plugin/vst2/vst2_audio_plugin.h"
#include "host/plugin/vst3/vst3_module.h"
#include "host/window/host_window.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

using namespace vsthost;

const cli::CommandSpec vsthost::kSnapshotCommand = {
    "snapshot",
    "PLUGIN.so -o PANEL.png [--set NAME=VALUE...]: picture of the editor",
    runSnapshotCommand,
    {{nullptr,
      "PLUGIN.so -o PANEL.png [--set NAME=VALUE ...]",
      "Opens the plug-in's editor in a window of its own (needs an X display), lets it\n"
      "draw, and saves what the window shows as a PNG.",
      {1, 1, "no plug-in given", "one plug-in at a time"},
      {
          cli::text("-o", "PANEL.png", "a file name", "the picture to write (required)")
              .required("no output file given (-o PANEL.png)"),
          cli::text("--set", "NAME=VALUE", "NAME=VALUE",
                    "parameter by name or index, normalised 0..1, set\n"
                    "before the editor opens (repeatable)")
              .andRepeatable(),
          cli::number("--host-scale", "FACTOR", "a scale factor", 0, 16,
                      "the host's content scale factor (1.5 for 150 %), sent\n"
                      "before the editor opens as hosts do: effVendorSpecific\n"
                      "'PreS'/'AeCs' with the factor in opt, to a plug-in\n"
                      "answering canDo \"supportsViewDpiScaling\"")
              .aboveMinimum(),
      }}}};

namespace {

int failure(const std::string& message) {
  std::fprintf(stderr, "vst2-host: %s\n", message.c_str());
  return 1;
}

}  // namespace

int runSnapshotCommand(const std::vector<std::string>& args) {
  cli::CommandLine line;
  const int status = cli::readCommandLine(kSnapshotCommand, args, &line);
  if (status != cli::kRunCommand) return status;
  const std::string& pluginPath = line.positionals()[0];
  const std::string outputPath = line.text("-o");

  std::string error;
  if (vst3::isVst3Path(pluginPath)) {
    std::vector<unsigned char> rgb;
    int w = 0, h = 0;
    const float hostScale =
        line.has("--host-scale") ? static_cast<float>(line.number("--host-scale", 1.0)) : 0.0f;
    if (!captureVst3Panel(pluginPath, line.texts("--set"), hostScale, &rgb, &w, &h, &error))
      return failure(error);
    if (!stbi_write_png(outputPath.c_str(), w, h, 3, rgb.data(), w * 3))
      return failure("cannot write " + outputPath);
    std::printf("%s: %dx%d\n", outputPath.c_str(), w, h);
    return 0;
  }
  OpenedPlugin plugin;
  if (!openPlugin(pluginPath, &plugin, &error)) return failure(error);
  PluginInstance& p = *plugin;
  Vst2AudioPlugin audio(p);
  for (const std::string& assignment : line.texts("--set")) {
    ParamSetting setting;
    if (!parseSetting(audio, assignment, &setting, &error)) return failure(error);
    audio.setParameter(setting.index, setting.value);
  }
  if (!(p.effect()->flags & effFlagsHasEditor)) return failure(pluginPath + " has no editor");
  if (line.has("--host-scale")) {
    char query[] = "supportsViewDpiScaling";
    if (p.dispatch(effCanDo, 0, 0, query) != 1)
      return failure(pluginPath + " does not take a host's scale factor");
    constexpr VstInt32 kPreSonus = 0x50726553;       // 'PreS'
    constexpr VstIntPtr kContentScale = 0x41654373;  // 'AeCs'
    p.dispatch(effVendorSpecific, kPreSonus, kContentScale, nullptr,
               static_cast<float>(line.number("--host-scale", 1.0)));
  }
  ERect* rect = nullptr;
  if (p.dispatch(effEditGetRect, 0, 0, &rect) == 0 || !rect || rect->right <= rect->left ||
      rect->bottom <= rect->top)
    return failure("the editor reports no size");
  const int width = rect->right - rect->left, height = rect->bottom - rect->top;
  auto window = HostWindow::create(width, height, "vst2-host snapshot", &error);
  if (!window) return failure(error);
  // The editor may ask for another size once open.
  HostWindow* shown = window.get();
  p.host().setSizeWindowHandler([shown](int w, int h) { return shown->resize(w, h); });
  if (p.dispatch(effEditOpen, 0, 0, window->parentHandle()) == 0)
    return failure("the editor did not open");
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
  p.host().setSizeWindowHandler(nullptr);
  if (rgb.empty()) return failure("could not read the window");
  if (!stbi_write_png(outputPath.c_str(), w, h, 3, rgb.data(), w * 3))
    return failure("cannot write " + outputPath);
  std::printf("%s: %dx%d\n", outputPath.c_str(), w, h);
  return 0;
}
