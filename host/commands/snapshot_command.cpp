// quillet-host snapshot PLUGIN.so -o panel.png [--set NAME=VALUE ...]
// [--host-scale FACTOR]: opens the plug-in's editor in a window of its own,
// idles it until it has drawn, and saves what the window shows.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "host/cli/command_line.h"
#include "host/commands/command_table.h"
#include "host/commands/vst3_commands.h"
#include "host/plugin/clap/clap_audio_plugin.h"
#include "host/plugin/clap/clap_panel_session.h"
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
      "draw, and saves what the window shows as a PNG. A CLAP plug-in's panel opens\n"
      "through its gui extension and runs on the host's timers and descriptor watch.",
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
  std::fprintf(stderr, "quillet-host: %s\n", message.c_str());
  return 1;
}

// Idles as a host does (about every 20 ms) until two captures in a row agree.
bool captureSettled(HostWindow& window, const std::function<void()>& idle,
                    std::vector<unsigned char>* rgb, int* w, int* h) {
  std::vector<unsigned char> previous;
  for (int pass = 0; pass < 100; ++pass) {
    idle();
    if (pass < 5 || pass % 5 != 0) continue;
    if (!window.capture(rgb, w, h)) return false;
    if (*rgb == previous) break;
    previous = *rgb;
  }
  return !rgb->empty();
}

int writePicture(const std::string& path, const std::vector<unsigned char>& rgb, int w, int h) {
  if (!stbi_write_png(path.c_str(), w, h, 3, rgb.data(), w * 3))
    return failure("cannot write " + path);
  std::printf("%s: %dx%d\n", path.c_str(), w, h);
  return 0;
}

int snapshotClap(const std::string& pluginPath, const std::vector<std::string>& sets,
                 const std::string& outputPath, double hostScale) {
  OpenedClap plugin;
  std::string error;
  if (!openClap(pluginPath, &plugin, &error)) return failure(error);
  ClapAudioPlugin audio(*plugin);
  for (const std::string& assignment : sets) {
    ParamSetting setting;
    if (!parseSetting(audio, assignment, &setting, &error)) return failure(error);
    audio.setParameter(setting.index, setting.value);
  }
  auto session = ClapPanelSession::open(*plugin, "quillet-host snapshot", &error, hostScale);
  if (!session) return failure(pluginPath + ": " + error);
  std::vector<unsigned char> rgb;
  int w = 0, h = 0;
  if (!captureSettled(
          session->window(), [&] { session->runFor(20); }, &rgb, &w, &h))
    return failure("could not read the window");
  session.reset();
  return writePicture(outputPath, rgb, w, h);
}

}  // namespace

int runSnapshotCommand(const std::vector<std::string>& args) {
  cli::CommandLine line;
  const int status = cli::readCommandLine(kSnapshotCommand, args, &line);
  if (status != cli::kRunCommand) return status;
  const std::string& pluginPath = line.positionals()[0];
  const std::string outputPath = line.text("-o");
  if (isClapPath(pluginPath))
    return snapshotClap(pluginPath, line.texts("--set"), outputPath,
                        line.has("--host-scale") ? line.number("--host-scale", 1.0) : 0.0);

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
  auto window = HostWindow::create(width, height, "quillet-host snapshot", &error);
  if (!window) return failure(error);
  // The editor may ask for another size once open.
  HostWindow* shown = window.get();
  p.host().setSizeWindowHandler([shown](int w, int h) { return shown->resize(w, h); });
  if (p.dispatch(effEditOpen, 0, 0, window->parentHandle()) == 0)
    return failure("the editor did not open");
  std::vector<unsigned char> rgb;
  int w = 0, h = 0;
  const bool captured = captureSettled(
      *window,
      [&] {
        p.dispatch(effEditIdle);
        window->pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      },
      &rgb, &w, &h);
  p.dispatch(effEditClose);
  p.host().setSizeWindowHandler(nullptr);
  if (!captured) return failure("could not read the window");
  return writePicture(outputPath, rgb, w, h);
}
