// vst2-host render PLUGIN.so [INPUT] -o OUTPUT [options]: audio through a plug-in.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "host/audio_file.h"
#include "host/demo_material.h"
#include "host/opened_plugin.h"
#include "host/param_options.h"
#include "host/plugin_preset.h"
#include "host/render.h"

using namespace vsthost;

namespace {

const char* kUsage =
    "usage: vst2-host render PLUGIN.so [INPUT] -o OUTPUT [options]\n"
    "  without INPUT the built-in demo is rendered\n"
    "  --set NAME=VALUE            parameter by name or index, normalised 0..1 (repeatable)\n"
    "  --ramp NAME=FROM:TO@T0:T1   linear automation between T0 and T1 seconds (repeatable)\n"
    "  --tempo BPM                 the host's tempo (default 120)\n"
    "  --block N                   frames per process call, 1 to 8192 (default 512)\n"
    "  --double                    64-bit processing\n"
    "  --tail SECONDS              keep processing silence after the input\n"
    "  --rate HZ                   sample rate of the demo (default 48000)\n"
    "  --format 16|24|float        output samples (default: the input's; demo 24)\n"
    "  --preset FILE               load an .fxp or .fxb first\n"
    "  --save-preset FILE          save the state after the render as .fxp or .fxb\n";

struct Options {
  std::string plugin, input, output, preset, savePreset, format;
  std::vector<std::string> sets, ramps;
  double tempo = 120.0, tail = 0.0, rate = 48000.0;
  long block = 512;
  bool doublePrecision = false, rateGiven = false;
};

int usageError(const std::string& message) {
  std::fprintf(stderr, "vst2-host render: %s\n%s", message.c_str(), kUsage);
  return 2;
}

int failure(const std::string& message) {
  std::fprintf(stderr, "vst2-host: %s\n", message.c_str());
  return 1;
}

bool numberArg(const std::string& text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return !text.empty() && end && *end == '\0' && std::isfinite(*value);
}

// Returns 0 when parsed, otherwise the exit code after a message.
int parseOptions(const std::vector<std::string>& args, Options* o) {
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= args.size()) return false;
      *out = args[++i];
      return true;
    };
    std::string v;
    double number = 0.0;
    if (a == "--double") {
      o->doublePrecision = true;
    } else if (a == "-o" || a == "--output") {
      if (!value(&o->output)) return usageError(a + " needs a file name");
    } else if (a == "--set" || a == "--ramp") {
      if (!value(&v)) return usageError(a + " needs an argument");
      (a == "--set" ? o->sets : o->ramps).push_back(v);
    } else if (a == "--preset") {
      if (!value(&o->preset)) return usageError("--preset needs a file name");
    } else if (a == "--save-preset") {
      if (!value(&o->savePreset)) return usageError("--save-preset needs a file name");
    } else if (a == "--format") {
      if (!value(&o->format)) return usageError("--format needs 16, 24 or float");
    } else if (a == "--tempo") {
      if (!value(&v) || !numberArg(v, &o->tempo) || o->tempo <= 0.0 || o->tempo > 999.0)
        return usageError("--tempo wants beats per minute above 0 and up to 999");
    } else if (a == "--tail") {
      if (!value(&v) || !numberArg(v, &o->tail) || o->tail < 0.0 || o->tail > 3600.0)
        return usageError("--tail wants seconds from 0 to 3600");
    } else if (a == "--rate") {
      if (!value(&v) || !numberArg(v, &o->rate) || o->rate < 8000.0 || o->rate > 384000.0)
        return usageError("--rate wants a sample rate from 8000 to 384000");
      o->rateGiven = true;
    } else if (a == "--block") {
      if (!value(&v) || !numberArg(v, &number) || number != std::floor(number) || number < 1 ||
          number > kMaxRenderBlock)
        return usageError("--block wants a whole number from 1 to 8192");
      o->block = static_cast<long>(number);
    } else if (a.size() > 1 && a[0] == '-') {
      return usageError("unknown option " + a);
    } else {
      positional.push_back(a);
    }
  }
  if (positional.empty()) return usageError("no plug-in given");
  if (positional.size() > 2) return usageError("too many file names");
  o->plugin = positional[0];
  if (positional.size() == 2) o->input = positional[1];
  if (o->output.empty()) return usageError("no output file given (-o OUTPUT)");
  if (!o->input.empty() && o->rateGiven)
    return usageError("--rate is for the demo; a file plays at its own rate");
  return 0;
}

std::string decibels(double level) {
  if (level <= 0.0) return "-inf";
  char text[32];
  std::snprintf(text, sizeof(text), "%.1f", 20.0 * std::log10(level));
  return text;
}

void drawProgress(double fraction) {
  const int width = 40;
  const int filled = static_cast<int>(fraction * width + 0.5);
  std::fprintf(stderr, "\r[%.*s%.*s] %3d%%", filled, "########################################",
               width - filled, "                                        ",
               static_cast<int>(fraction * 100.0 + 0.5));
  if (fraction >= 1.0) std::fprintf(stderr, "\r%60s\r", "");
  std::fflush(stderr);
}

}  // namespace

int runRenderCommand(const std::vector<std::string>& args) {
  Options o;
  if (int code = parseOptions(args, &o)) return code;
  std::string error;

  // Everything that can be checked is checked before the render starts.
  SampleFormat format = SampleFormat::Int24;
  if (!o.format.empty() && !parseSampleFormat(o.format, &format))
    return usageError("--format wants 16, 24 or float, got '" + o.format + "'");

  OpenedPlugin plugin;
  if (!openPlugin(o.plugin, &plugin, &error)) return failure(error);

  // The input streams from its file; the demo is made in memory.
  AudioData demo;
  AudioReader reader;
  RenderStream stream;
  if (o.input.empty()) {
    demo = demoMaterial(o.rate);
    stream = memoryInput(demo);
  } else {
    if (!reader.open(o.input, &error)) return failure(error);
    if (o.format.empty()) format = reader.format();
    stream.sampleRate = reader.sampleRate();
    stream.inputChannels = reader.channels();
    stream.inputFrames = reader.frames();
    stream.read = [&reader](std::vector<std::vector<double>>& block, size_t n) {
      return reader.read(block, n);
    };
  }
  if (o.format.empty()) format = formatForOutput(o.output, format);
  if (!checkAudioOutput(o.output, format, &error)) return failure(error);

  if (!o.preset.empty()) {
    PresetFile preset;
    if (!readPresetFile(o.preset, &preset, &error)) return failure(error);
    if (!applyPreset(*plugin, preset, &error)) return failure(o.preset + ": " + error);
  }
  std::vector<ParamSetting> settings(o.sets.size());
  for (size_t i = 0; i < o.sets.size(); ++i)
    if (!parseSetting(*plugin, o.sets[i], &settings[i], &error)) return failure(error);
  RenderSettings render;
  render.ramps.resize(o.ramps.size());
  for (size_t i = 0; i < o.ramps.size(); ++i)
    if (!parseRamp(*plugin, o.ramps[i], &render.ramps[i], &error)) return failure(error);
  AEffect* e = plugin->effect();
  // Opened now: an unwritable output fails before the render, not after it.
  AudioWriter writer(o.output);
  if (!writer.open(static_cast<size_t>(std::max(0, e->numOutputs)), stream.sampleRate, format,
                   &error))
    return failure(error);
  for (const ParamSetting& s : settings) e->setParameter(e, s.index, s.value);

  render.blockSize = static_cast<VstInt32>(o.block);
  render.doublePrecision = o.doublePrecision;
  render.tailSeconds = o.tail;
  render.tempo = o.tempo;
  const double seconds = static_cast<double>(stream.inputFrames) / stream.sampleRate + o.tail;
  if (seconds > 1.0 && isatty(fileno(stderr))) render.progress = drawProgress;

  LevelMeter meter;
  stream.write = [&](const std::vector<std::vector<double>>& block, size_t n, std::string* why) {
    meter.add(block, n);
    return writer.write(block, n, why);
  };
  const auto started = std::chrono::steady_clock::now();
  if (!renderStream(*plugin, stream, render, &error)) return failure(error);
  if (!reader.failure().empty()) return failure(reader.failure());
  const double took =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  if (!o.savePreset.empty()) {
    const PresetFile preset = capturePreset(*plugin, wantsBank(o.savePreset));
    if (!writePresetFile(o.savePreset, preset, &error)) return failure(error);
  }
  if (!writer.finish(&error)) return failure(error);

  std::string peaks, levels;
  for (const ChannelLevels& l : meter.levels()) {
    peaks += (peaks.empty() ? "" : "/") + decibels(l.peak);
    levels += (levels.empty() ? "" : "/") + decibels(l.rms);
  }
  const double outSeconds = static_cast<double>(meter.framesSeen()) / stream.sampleRate;
  std::printf(
      "%s: %.2f s, %.0f Hz, %zu ch, %s | peak %s dBFS | RMS %s dBFS | %.2f s, %.1fx real time\n",
      o.output.c_str(), outSeconds, stream.sampleRate, meter.levels().size(),
      sampleFormatName(format), peaks.c_str(), levels.c_str(), took,
      took > 0.0 ? outSeconds / took : 0.0);
  return 0;
}
