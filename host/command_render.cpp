// vst2-host render PLUGIN.so [INPUT] -o OUTPUT [options]: audio through a plug-in.
#include <algorithm>
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
#include "host/command_usage.h"
#include "host/demo_material.h"
#include "host/fixed_clock.h"
#include "host/opened_plugin.h"
#include "host/param_options.h"
#include "host/plugin_preset.h"
#include "host/render.h"

using namespace vsthost;

namespace {

const char* kUsage =
    "usage: vst2-host render PLUGIN.so [INPUT] -o OUTPUT [options]\n"
#ifdef _WIN32
    "Runs INPUT (a WAV file) through the plug-in into OUTPUT (.wav). Without INPUT\n"
    "the built-in demo is rendered. The output appears only when complete.\n"
#else
    "Runs INPUT (WAV, FLAC or AIFF) through the plug-in into OUTPUT; the file type\n"
    "follows OUTPUT's extension (.wav, .flac, .aif/.aiff). Without INPUT the built-in\n"
    "demo is rendered. The output appears only when complete.\n"
#endif
    "  -o, --output FILE           the file to write (required)\n"
    "  --set NAME=VALUE            parameter by name or index, normalised 0..1 (repeatable)\n"
    "  --ramp NAME=FROM:TO@T0:T1   linear automation from FROM at T0 to TO at T1 seconds\n"
    "                              (repeatable)\n"
    "  --tempo BPM                 the host's tempo (default 120)\n"
    "  --block N                   frames per process call, 1 to 8192 (default 512)\n"
    "  --double                    64-bit processing\n"
    "  --tail auto|SECONDS         after the input: auto (default) renders until the output\n"
    "                              stays below -90 dBFS for 0.5 s, at most --tail-limit;\n"
    "                              SECONDS renders exactly that much silence through\n"
    "  --tail-limit SECONDS        longest automatic tail, up to 3600 (default 30)\n"
    "  --rate HZ                   sample rate of the demo, 8000 to 384000 (default 48000)\n"
    "  --format 16|24|float        output samples (default: the input's; demo 24); samples\n"
    "                              beyond full scale are clipped in 16 and 24 and counted\n"
    "  --preset FILE               load an .fxp or .fxb first\n"
    "  --save-preset FILE          save the state after the render as .fxp or .fxb\n"
    "  --fixed-clock               the plug-in reads a clock that advances only with the\n"
    "                              rendered audio: the same command renders the same file\n"
    "  -h, --help                  this text\n";

struct Options {
  std::string plugin, input, output, preset, savePreset, format;
  std::vector<std::string> sets, ramps;
  double tempo = 120.0, tail = 0.0, tailLimit = 30.0, rate = 48000.0;
  long block = 512;
  bool autoTail = true, doublePrecision = false, rateGiven = false, fixedClock = false;
};

int usageError(const std::string& message) { return vsthost::usageError("render", message); }

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
    } else if (a == "--fixed-clock") {
      o->fixedClock = true;
    } else if (a == "--tail") {
      if (!value(&v)) return usageError("--tail wants auto or seconds from 0 to 3600");
      o->autoTail = v == "auto";
      if (!o->autoTail && (!numberArg(v, &o->tail) || o->tail < 0.0 || o->tail > 3600.0))
        return usageError("--tail wants auto or seconds from 0 to 3600");
    } else if (a == "--tail-limit") {
      if (!value(&v) || !numberArg(v, &o->tailLimit) || o->tailLimit <= 0.0 ||
          o->tailLimit > 3600.0)
        return usageError("--tail-limit wants seconds above 0 and up to 3600");
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

// Integer samples hold -1 up to one step below +1: what lies beyond is clipped
// by the writer. Counted here, and the meter sees what the file holds.
class ClipCounter {
 public:
  explicit ClipCounter(SampleFormat format)
      : full(format == SampleFormat::Int16   ? 32768.0
             : format == SampleFormat::Int24 ? 8388608.0
                                             : 0.0) {}

  const std::vector<std::vector<double>>& written(const std::vector<std::vector<double>>& block,
                                                  size_t n) {
    if (full == 0.0) return block;
    const double top = (full - 1.0) / full;
    clipped.resize(block.size());
    for (size_t c = 0; c < block.size(); ++c) {
      clipped[c].resize(n);
      for (size_t i = 0; i < n; ++i) {
        const double v = block[c][i];
        const bool over = v > top || v < -1.0;
        if (over) {
          ++count;
          peak = std::max(peak, std::fabs(v));
        }
        clipped[c][i] = over ? (v < 0.0 ? -1.0 : top) : v;
      }
    }
    return clipped;
  }
  uint64_t samples() const { return count; }
  double peakBefore() const { return peak; }  // of the clipped samples, so of all

 private:
  double full;
  std::vector<std::vector<double>> clipped;
  double peak = 0.0;
  uint64_t count = 0;
};

}  // namespace

int runRenderCommand(const std::vector<std::string>& args) {
  if (asksForHelp(args)) return printHelp(kUsage);
  Options o;
  if (int code = parseOptions(args, &o)) return code;
  std::string error;

  // Everything that can be checked is checked before the render starts.
  SampleFormat format = SampleFormat::Int24;
  if (!o.format.empty() && !parseSampleFormat(o.format, &format))
    return usageError("--format wants 16, 24 or float, got '" + o.format + "'");
  if (o.fixedClock && !fixedClockAvailable())
    return failure(
        "--fixed-clock is not available in this build: plug-ins read the system's clock "
        "directly here");

  // On from the start: a plug-in may read the clock as soon as it is loaded.
  struct ClockScope {
    bool on;
    ~ClockScope() {
      if (on) stopFixedClock();
    }
  } clockScope{o.fixedClock};
  if (o.fixedClock) startFixedClock();

  OpenedPlugin plugin;
  if (!openPlugin(o.plugin, &plugin, &error)) return failure(error);

  // The input streams from its file; the demo is made in memory.
  AudioData demo;
  AudioReader reader;
  RenderStream stream;
  bool lengthKnown = true;
  if (o.input.empty()) {
    demo = demoMaterial(o.rate);
    stream = memoryInput(demo);
  } else {
    if (!reader.open(o.input, &error)) return failure(error);
    if (o.format.empty()) format = reader.format();
    stream.sampleRate = reader.sampleRate();
    stream.inputChannels = reader.channels();
    stream.inputFrames = reader.frames();
    lengthKnown = reader.lengthKnown();
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

  render.blockSize = static_cast<VstInt32>(o.block);
  render.doublePrecision = o.doublePrecision;
  render.autoTail = o.autoTail;
  render.tailSeconds = o.tail;
  render.tailLimitSeconds = o.tailLimit;
  render.tempo = o.tempo;
  const double tailSeconds = o.autoTail ? o.tailLimit : o.tail;
  const double seconds = static_cast<double>(stream.inputFrames) / stream.sampleRate + tailSeconds;
  if (seconds > 1.0 && isatty(fileno(stderr))) render.progress = drawProgress;
  if (o.fixedClock) {
    const double rate = stream.sampleRate;
    render.blockStarts = [rate](uint64_t frame) {
      advanceFixedClock(static_cast<uint64_t>(static_cast<double>(frame) / rate * 1e9));
    };
  }

  // Opened now: an unwritable output fails before the render, not after it.
  const uint64_t expectedFrames =
      lengthKnown ? stream.inputFrames + static_cast<uint64_t>(tailSeconds * stream.sampleRate) + 1
                  : AudioWriter::kUnknownFrames;
  AudioWriter writer(o.output);
  if (!writer.open(static_cast<size_t>(std::max(0, e->numOutputs)), stream.sampleRate, format,
                   &error, expectedFrames))
    return failure(error);
  for (const ParamSetting& s : settings) e->setParameter(e, s.index, s.value);

  LevelMeter meter;
  ClipCounter clips(format);
  stream.write = [&](const std::vector<std::vector<double>>& block, size_t n, std::string* why) {
    meter.add(clips.written(block, n), n);
    return writer.write(block, n, why);
  };
  const double started = realSeconds();
  RenderResult result;
  if (!renderStream(*plugin, stream, render, &error, &result)) return failure(error);
  if (!reader.failure().empty()) return failure(reader.failure());
  const double took = realSeconds() - started;

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
  std::string clipText;
  if (clips.samples() > 0) {
    clipText = " | " + std::to_string(clips.samples()) + " samples clipped (peak before " +
               decibels(clips.peakBefore()) + " dBFS)";
    std::fprintf(stderr,
                 "vst2-host: warning: %llu samples clipped writing %s samples to %s (peak %s "
                 "dBFS before clipping); lower the level or use --format float\n",
                 static_cast<unsigned long long>(clips.samples()), sampleFormatName(format),
                 o.output.c_str(), decibels(clips.peakBefore()).c_str());
  }
  char tailText[96];
  const double tailDone = static_cast<double>(result.tailFrames) / stream.sampleRate;
  if (!o.autoTail)
    std::snprintf(tailText, sizeof(tailText), "tail %.2f s", tailDone);
  else if (result.quietReached)
    std::snprintf(tailText, sizeof(tailText), "tail %.2f s until quiet", tailDone);
  else
    std::snprintf(tailText, sizeof(tailText), "tail %.2f s, limit reached before quiet", tailDone);
  const double outSeconds = static_cast<double>(meter.framesSeen()) / stream.sampleRate;
  std::printf(
      "%s: %.2f s, %.0f Hz, %zu ch, %s | peak %s dBFS | RMS %s dBFS%s | %s | %.2f s, %.1fx real "
      "time\n",
      o.output.c_str(), outSeconds, stream.sampleRate, meter.levels().size(),
      sampleFormatName(format), peaks.c_str(), levels.c_str(), clipText.c_str(), tailText, took,
      took > 0.0 ? outSeconds / took : 0.0);
  return 0;
}
