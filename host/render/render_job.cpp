#include "host/render/render_job.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "host/render/demo_material.h"
#include "host/render/fixed_clock.h"
#include "host/render/render_report.h"

namespace quillet::host {

RenderJob::ClockScope::~ClockScope() {
  if (on) stopFixedClock();
}

bool RenderJob::setUp(const RenderRequest& asked, std::string* error) {
  request = asked;
  settings = request.settings;
  // On from the start: a plug-in may read the clock as soon as it is loaded.
  if (request.fixedClock) {
    startFixedClock();
    clock.on = true;
  }
  return openPlugin(error) && openInput(error) && applySettings(error) && openOutput(error);
}

bool RenderJob::openPlugin(std::string* error) {
  const HostedFormat& format = formatOf(request.plugin);
  if (!request.savePreset.empty() && !format.savesFxPresets) {
    *error = "--save-preset writes .fxp and .fxb files, which are VST 2.4 presets";
    return false;
  }
  plugin = format.open(request.plugin, error);
  if (!plugin) return false;
  audio = &plugin->audio();
  return true;
}

// The input streams from its file; the demo is made in memory.
bool RenderJob::openInput(std::string* error) {
  done.format = request.format;
  if (request.input.empty()) {
    demo = demoMaterial(request.demoRate);
    stream = memoryInput(demo);
  } else {
    if (!reader.open(request.input, error)) return false;
    const std::string outside = outsideRenderRates(reader.sampleRate());
    if (!outside.empty()) {
      *error = "cannot render " + request.input + ": its header announces " + outside;
      return false;
    }
    if (!request.formatGiven) done.format = reader.format();
    stream.sampleRate = reader.sampleRate();
    stream.inputChannels = reader.channels();
    stream.inputFrames = reader.frames();
    lengthKnown = reader.lengthKnown();
    stream.read = [this](std::vector<std::vector<double>>& block, size_t n) {
      return reader.read(block, n);
    };
  }
  if (!request.formatGiven) done.format = formatForOutput(request.output, done.format);
  return checkAudioOutput(request.output, done.format, error);
}

// The preset, then every --set, --ramp and --step checked against the plug-in.
bool RenderJob::applySettings(std::string* error) {
  if (!request.preset.empty() && !plugin->loadPreset(request.preset, error)) return false;
  values.resize(request.sets.size());
  for (size_t i = 0; i < request.sets.size(); ++i)
    if (!parseSetting(*audio, request.sets[i], &values[i], error)) return false;
  settings.ramps.resize(request.ramps.size());
  for (size_t i = 0; i < request.ramps.size(); ++i)
    if (!parseRamp(*audio, request.ramps[i], &settings.ramps[i], error)) return false;
  settings.steps.resize(request.steps.size());
  for (size_t i = 0; i < request.steps.size(); ++i)
    if (!parseStep(*audio, request.steps[i], &settings.steps[i], error)) return false;
  return true;
}

// Opened now: an unwritable output fails before the render, not after it.
bool RenderJob::openOutput(std::string* error) {
  const double rate = stream.sampleRate;
  const uint64_t tail = longestTail(settings, rate);
  const double seconds =
      static_cast<double>(stream.inputFrames) / rate + static_cast<double>(tail) / rate;
  if (seconds > 1.0 && isatty(fileno(stderr))) settings.progress = drawProgress;
  if (request.fixedClock) {
    settings.blockStarts = [rate](uint64_t frame) {
      advanceFixedClock(static_cast<uint64_t>(static_cast<double>(frame) / rate * 1e9));
    };
  }
  const uint64_t expectedFrames =
      lengthKnown ? stream.inputFrames + tail + 1 : AudioWriter::kUnknownFrames;
  writer = std::make_unique<AudioWriter>(request.output);
  return writer->open(audio->outputCount(), rate, done.format, error, expectedFrames);
}

bool RenderJob::run(std::string* error) {
  for (const ParamSetting& s : values) audio->setParameter(s.index, s.value);
  LevelMeter meter;
  ClipCounter clips(done.format);
  stream.write = [&](const std::vector<std::vector<double>>& block, size_t n, std::string* why) {
    meter.add(clips.written(block, n), n);
    return writer->write(block, n, why);
  };
  const double started = realSeconds();
  if (!renderStream(*audio, stream, settings, error, &done.result)) return false;
  if (!plugin->failure().empty()) {
    *error = plugin->failure();
    return false;
  }
  if (!reader.failure().empty()) {
    *error = reader.failure();
    return false;
  }
  done.seconds = realSeconds() - started;
  if (!request.savePreset.empty()) {
    if (!plugin->savePreset(request.savePreset, error)) return false;
  }
  if (!writer->finish(error)) return false;
  done.output = request.output;
  done.sampleRate = stream.sampleRate;
  done.autoTail = settings.autoTail;
  done.levels = meter.levels();
  done.frames = meter.framesSeen();
  done.clippedSamples = clips.samples();
  done.clippedPeak = clips.peakBefore();
  return true;
}

}  // namespace quillet::host
