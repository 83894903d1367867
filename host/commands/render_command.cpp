// quillet-host render PLUGIN.so [INPUT] -o OUTPUT [options]: audio through a
// plug-in, in four stages: check the command line, set up (render_job.h),
// run, report.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "host/commands/command_table.h"
#include "host/commands/plugin_file_name.h"
#include "host/render/fixed_clock.h"
#include "host/render/render_job.h"
#include "host/render/render_report.h"

using namespace quillet::host;
namespace cli = quillet::cli;

namespace {

// The options, each named once: the command reads them by these names.
constexpr cli::OptionSpec kOutput =
    cli::text("-o, --output", "FILE", "a file name", "the file to write (required)")
        .required("no output file given (-o OUTPUT)");
constexpr cli::OptionSpec kSet =
    cli::text("--set", "NAME=VALUE", "NAME=VALUE",
              "parameter by name or index, normalised 0..1 (repeatable)")
        .andRepeatable();
constexpr cli::OptionSpec kRamp =
    cli::text("--ramp", "NAME=FROM:TO@T0:T1", "NAME=FROM:TO@T0:T1",
              "linear automation from FROM at T0 to TO at T1 seconds\n"
              "(repeatable)")
        .andRepeatable();
constexpr cli::OptionSpec kStep =
    cli::text("--step", "NAME=VALUE@T", "NAME=VALUE@T",
              "set NAME to VALUE at T seconds: the block holding that\n"
              "frame is split there (repeatable)")
        .andRepeatable();
constexpr cli::OptionSpec kTempo =
    cli::number("--tempo", "BPM", "beats per minute", 0, 999, "the host's tempo")
        .aboveMinimum()
        .byDefault(kDefaultTempo);
constexpr cli::OptionSpec kBlock = cli::wholeNumber("--block", "N", "a whole number", 1,
                                                    kMaxRenderBlock, "frames per process call")
                                       .byDefault(kDefaultRenderBlock);
constexpr cli::OptionSpec kDouble = cli::flag("--double", "64-bit processing");
constexpr cli::OptionSpec kTail =
    cli::number("--tail", "auto|SECONDS", "seconds", 0, kMaxTailSeconds,
                "after the input: auto (default) renders until the output\n"
                "stays below -90 dBFS for 0.5 s, at most --tail-limit;\n"
                "SECONDS renders exactly that much silence through")
        .orWord("auto");
constexpr cli::OptionSpec kTailLimit =
    cli::number("--tail-limit", "SECONDS", "seconds", 0, kMaxTailSeconds, "longest automatic tail")
        .aboveMinimum()
        .byDefault(kDefaultTailLimitSeconds);
constexpr cli::OptionSpec kRate = cli::number("--rate", "HZ", "a sample rate", kMinRenderRate,
                                              kMaxRenderRate, "sample rate of the demo")
                                      .byDefault(kDefaultDemoRate);
constexpr cli::OptionSpec kFormat =
    cli::text("--format", "16|24|float", "16, 24 or float",
              "output samples (default: the input's; demo 24); samples\n"
              "beyond full scale are clipped in 16 and 24 and counted");
constexpr cli::OptionSpec kPreset =
    cli::text("--preset", "FILE", "a file name",
              "load an .fxp or .fxb first (a VST3 plug-in: also a\n"
              ".vstpreset; a CLAP plug-in: the name or load key of\n"
              "a preset its preset discovery lists)");
constexpr cli::OptionSpec kSavePreset = cli::text(
    "--save-preset", "FILE", "a file name", "save the state after the render as .fxp or .fxb");
constexpr cli::OptionSpec kFixedClock =
    cli::flag("--fixed-clock",
              "the plug-in reads a clock that advances only with the\n"
              "rendered audio: the same command renders the same file");

int runRenderCommand(const std::vector<std::string>& args);

}  // namespace

// Listed in command_table.cpp.
namespace quillet::host {
extern const cli::CommandSpec kRenderCommand = {
    "quillet-host",
    "render",
    QUILLET_HOST_PLUGIN " [INPUT] -o OUTPUT: audio through a plug-in",
    runRenderCommand,
    {{nullptr,
      QUILLET_HOST_PLUGIN " [INPUT] -o OUTPUT [options]",
#ifdef _WIN32
      QUILLET_HOST_PLUGIN_KINDS
      "Runs INPUT (a WAV file) through the plug-in into OUTPUT (.wav). Without INPUT\n"
      "the built-in demo is rendered. The output appears only when complete.",
#else
      QUILLET_HOST_PLUGIN_KINDS
      "Runs INPUT (WAV, FLAC or AIFF) through the plug-in into OUTPUT; the file type\n"
      "follows OUTPUT's extension (.wav, .flac, .aif/.aiff). Without INPUT the built-in\n"
      "demo is rendered. The output appears only when complete.",
#endif
      {1, 2, "no plug-in given", "too many file names"},
      {kOutput, kSet, kRamp, kStep, kTempo, kBlock, kDouble, kTail, kTailLimit, kRate, kFormat,
       kPreset, kSavePreset, kFixedClock}}}};
}  // namespace quillet::host

namespace {

int failure(const std::string& message) {
  std::fprintf(stderr, "quillet-host: %s\n", message.c_str());
  return 1;
}

// The command line as a request, checked as far as it can be without the
// plug-in and the files: cli::kRunCommand, or the status to exit with.
int check(const std::vector<std::string>& args, RenderRequest* r) {
  cli::CommandLine line;
  const int status = cli::readCommandLine(kRenderCommand, args, &line);
  if (status != cli::kRunCommand) return status;
  r->plugin = line.positionals()[0];
  if (line.positionals().size() == 2) r->input = line.positionals()[1];
  if (!r->input.empty() && line.has(kRate))
    return cli::usageError(kRenderCommand, "--rate is for the demo; a file plays at its own rate");
  r->output = line.text(kOutput);
  r->preset = line.text(kPreset);
  r->savePreset = line.text(kSavePreset);
  r->sets = line.texts(kSet);
  r->ramps = line.texts(kRamp);
  r->steps = line.texts(kStep);
  r->demoRate = line.number(kRate, r->demoRate);
  r->fixedClock = line.has(kFixedClock);
  RenderSettings& s = r->settings;
  s.blockSize = static_cast<uint32_t>(line.number(kBlock, s.blockSize));
  s.doublePrecision = line.has(kDouble);
  s.tempo = line.number(kTempo, s.tempo);
  s.autoTail = !line.has(kTail) || line.isWord(kTail);
  s.tailSeconds = line.number(kTail, 0.0);
  s.tailLimitSeconds = line.number(kTailLimit, s.tailLimitSeconds);
  r->formatGiven = line.has(kFormat);
  if (r->formatGiven && !parseSampleFormat(line.text(kFormat), &r->format))
    return cli::usageError(kRenderCommand,
                           "--format wants 16, 24 or float, got '" + line.text(kFormat) + "'");
  if (r->fixedClock && !fixedClockAvailable())
    return failure(
        "--fixed-clock is not available in this build: plug-ins read the system's clock "
        "directly here");
  return cli::kRunCommand;
}

int runRenderCommand(const std::vector<std::string>& args) {
  RenderRequest request;
  const int status = check(args, &request);
  if (status != cli::kRunCommand) return status;
  RenderJob job;
  std::string error;
  if (!job.setUp(request, &error) || !job.run(&error)) return failure(error);
  reportRender(job.outcome());
  return 0;
}

}  // namespace
