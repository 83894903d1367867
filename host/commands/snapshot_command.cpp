// quillet-host snapshot PLUGIN.so -o panel.png [--set NAME=VALUE ...]
// [--host-scale FACTOR]: opens the plug-in's editor in a window of its own,
// idles it until it has drawn, and saves what the window shows.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "host/commands/command_table.h"
#include "host/commands/plugin_file_name.h"
#include "host/formats/hosted_format.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

using namespace quillet::host;
namespace cli = quillet::cli;

namespace {

// The options, each named once: the command reads them by these names.
constexpr cli::OptionSpec kOutput =
    cli::text("-o", "PANEL.png", "a file name", "the picture to write (required)")
        .required("no output file given (-o PANEL.png)");
constexpr cli::OptionSpec kSet = cli::text("--set", "NAME=VALUE", "NAME=VALUE",
                                           "parameter by name or index, normalised 0..1, set\n"
                                           "before the editor opens (repeatable)")
                                     .andRepeatable();
constexpr cli::OptionSpec kHostScale =
    cli::number("--host-scale", "FACTOR", "a scale factor", 0, 16,
                "the host's content scale factor (1.5 for 150 %), sent\n"
                "before the editor opens as hosts do: effVendorSpecific\n"
                "'PreS'/'AeCs' with the factor in opt, to a plug-in\n"
                "answering canDo \"supportsViewDpiScaling\"")
        .aboveMinimum();

int runSnapshotCommand(const std::vector<std::string>& args);

}  // namespace

// Listed in command_table.cpp.
namespace quillet::host {
extern const cli::CommandSpec kSnapshotCommand = {
    "quillet-host",
    "snapshot",
    QUILLET_HOST_PLUGIN " -o PANEL.png [--set NAME=VALUE...]: picture of the editor",
    runSnapshotCommand,
    {{nullptr,
      QUILLET_HOST_PLUGIN " -o PANEL.png [--set NAME=VALUE ...]",
      QUILLET_HOST_PLUGIN_KINDS
      "Opens the plug-in's editor in a window of its own (needs an X display), lets it\n"
      "draw, and saves what the window shows as a PNG. A CLAP plug-in's panel opens\n"
      "through its gui extension and runs on the host's timers and descriptor watch.",
      {1, 1, "no plug-in given", "one plug-in at a time"},
      {kOutput, kSet, kHostScale}}}};
}  // namespace quillet::host

namespace {

int failure(const std::string& message) {
  std::fprintf(stderr, "quillet-host: %s\n", message.c_str());
  return 1;
}

int writePicture(const std::string& path, const std::vector<unsigned char>& rgb, int w, int h) {
  if (!stbi_write_png(path.c_str(), w, h, 3, rgb.data(), w * 3))
    return failure("cannot write " + path);
  std::printf("%s: %dx%d\n", path.c_str(), w, h);
  return 0;
}

int runSnapshotCommand(const std::vector<std::string>& args) {
  cli::CommandLine line;
  const int status = cli::readCommandLine(kSnapshotCommand, args, &line);
  if (status != cli::kRunCommand) return status;
  PanelRequest request;
  request.plugin = line.positionals()[0];
  request.sets = line.texts(kSet);
  request.hostScale = line.has(kHostScale) ? line.number(kHostScale, 1.0) : 0.0;
  PanelPicture picture;
  std::string error;
  if (!formatOf(request.plugin).capturePanel(request, &picture, &error)) return failure(error);
  return writePicture(line.text(kOutput), picture.rgb, picture.width, picture.height);
}

}  // namespace
