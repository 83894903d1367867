#include "host/render/render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>

#include "host/plugin/vst2/vst2_audio_plugin.h"

namespace quillet::host {

namespace {

// One precision's channel buffers and pointer arrays, sized once.
template <typename Sample>
struct Buffers {
  std::vector<std::vector<Sample>> in, out;
  std::vector<Sample*> inPtr, outPtr;

  Buffers(size_t inputs, size_t outputs, size_t frames)
      : in(inputs, std::vector<Sample>(frames)), out(outputs, std::vector<Sample>(frames)) {
    for (auto& c : in) inPtr.push_back(c.data());
    for (auto& c : out) outPtr.push_back(c.data());
  }

  // `source` holds `got` frames of the file's channels; the rest is silence.
  void fill(const std::vector<std::vector<double>>& source, size_t got, size_t n) {
    const size_t sourceChannels = source.size();
    for (size_t c = 0; c < in.size(); ++c) {
      const bool fed = sourceChannels == 1 || c < sourceChannels;
      const std::vector<double>* from = fed ? &source[sourceChannels == 1 ? 0 : c] : nullptr;
      for (size_t i = 0; i < n; ++i)
        in[c][i] = from && i < got ? static_cast<Sample>((*from)[i]) : Sample(0);
    }
    // The accumulating entry adds to what is there; the replacing ones overwrite.
    for (auto& c : out) std::fill(c.begin(), c.begin() + static_cast<long>(n), Sample(0));
  }

  void process(AudioPlugin& plugin, size_t n) {
    plugin.process(inPtr.data(), outPtr.data(), static_cast<uint32_t>(n));
  }

  // Frames [offset, offset + n) alone, as one process call.
  void process(AudioPlugin& plugin, size_t offset, size_t n) {
    std::vector<Sample*> inAt(inPtr), outAt(outPtr);
    for (Sample*& p : inAt) p += offset;
    for (Sample*& p : outAt) p += offset;
    plugin.process(inAt.data(), outAt.data(), static_cast<uint32_t>(n));
  }

  void collect(std::vector<std::vector<double>>& block, size_t n) const {
    for (size_t c = 0; c < out.size(); ++c)
      for (size_t i = 0; i < n; ++i) block[c][i] = static_cast<double>(out[c][i]);
  }
};

// Frames of `seconds` at `rate`, at most `limit`; computed in double so that
// no rate can overflow it.
uint64_t framesOf(double seconds, double rate, uint64_t limit) {
  const double frames = std::max(0.0, seconds) * rate;
  return frames >= static_cast<double>(limit) ? limit : static_cast<uint64_t>(frames);
}

// Frames from `from` on (the input's end, or the block's start if later)
// that complete `quietNeeded` quiet frames in a row: the count that ends
// the block, or 0 when the block ends before quiet is reached.
size_t quietEnd(const std::vector<std::vector<double>>& output, size_t from, size_t n, double level,
                uint64_t quietNeeded, uint64_t* quiet) {
  for (size_t i = from; i < n; ++i) {
    bool silent = true;
    for (const auto& channel : output) silent = silent && std::fabs(channel[i]) < level;
    *quiet = silent ? *quiet + 1 : 0;
    if (*quiet >= quietNeeded) return i + 1;
  }
  return 0;
}

// The steps in frame order (those at one frame in the order given), each at
// the frame nearest its time.
struct TimedStep {
  uint64_t frame;
  const ParamStep* step;
};

std::vector<TimedStep> stepsByFrame(const std::vector<ParamStep>& steps, double rate) {
  std::vector<TimedStep> timed;
  for (const ParamStep& step : steps) {
    const double frame = std::round(std::max(0.0, step.seconds) * rate);
    const double last = static_cast<double>(std::numeric_limits<uint64_t>::max() / 2);
    timed.push_back(
        {frame >= last ? static_cast<uint64_t>(last) : static_cast<uint64_t>(frame), &step});
  }
  std::stable_sort(timed.begin(), timed.end(),
                   [](const TimedStep& a, const TimedStep& b) { return a.frame < b.frame; });
  return timed;
}

// Runs frames [0, n) of a block starting at frame `start` through the
// plug-in, split at the steps that fall inside it; `next` is the first step
// not yet applied.
template <typename Sample>
void processWithSteps(AudioPlugin& plugin, Buffers<Sample>& buffers, uint64_t start, size_t n,
                      const std::vector<TimedStep>& steps, size_t* next) {
  size_t done = 0;
  while (*next < steps.size() && steps[*next].frame < start + n) {
    const size_t at =
        steps[*next].frame > start ? static_cast<size_t>(steps[*next].frame - start) : 0;
    if (at > done) buffers.process(plugin, done, at - done);
    done = std::max(done, at);
    for (; *next < steps.size() && steps[*next].frame <= start + done; ++*next)
      plugin.setParameter(steps[*next].step->index, steps[*next].step->value);
  }
  if (done == 0) {
    buffers.process(plugin, n);
  } else if (done < n) {
    buffers.process(plugin, done, n - done);
  }
}

}  // namespace

std::string outsideRenderRates(double sampleRate) {
  if (sampleRate >= kMinRenderRate && sampleRate <= kMaxRenderRate) return "";
  char text[160];
  std::snprintf(text, sizeof(text), "%.*f Hz, outside the %.0f to %.0f Hz quillet-host runs",
                sampleRate == std::floor(sampleRate) ? 0 : 3, sampleRate, kMinRenderRate,
                kMaxRenderRate);
  return text;
}

uint64_t longestTail(const RenderSettings& settings, double sampleRate) {
  const double seconds = settings.autoTail ? settings.tailLimitSeconds : settings.tailSeconds;
  return framesOf(seconds, sampleRate, settings.maxTailFrames);
}

bool renderStream(AudioPlugin& plugin, const RenderStream& stream, const RenderSettings& settings,
                  std::string* error, RenderResult* result) {
  if (!plugin.isOpen()) {
    *error = "the plug-in is closed";
    return false;
  }
  if (settings.blockSize < 1 || settings.blockSize > kMaxRenderBlock) {
    *error = "block size must be 1 to " + std::to_string(kMaxRenderBlock);
    return false;
  }
  const std::string outside = outsideRenderRates(stream.sampleRate);
  if (!outside.empty()) {
    *error = "cannot render at " + outside;
    return false;
  }
  if (plugin.outputCount() < 1) {
    *error = "the plug-in has no audio outputs";
    return false;
  }
  const bool useDouble = settings.doublePrecision;
  const std::string cannot = plugin.cannotProcess(useDouble);
  if (!cannot.empty()) {
    *error = cannot;
    return false;
  }

  const size_t block = settings.blockSize;
  const size_t inputs = plugin.inputCount();
  const size_t outputs = plugin.outputCount();
  const double rate = stream.sampleRate;
  const uint64_t tail = longestTail(settings, rate);
  const uint64_t quietNeeded = std::max<uint64_t>(
      1, framesOf(settings.quietSeconds, rate, std::numeric_limits<uint64_t>::max()));
  const double expected = static_cast<double>(stream.inputFrames + tail);

  Buffers<float> floats(useDouble ? 0 : inputs, useDouble ? 0 : outputs, block);
  Buffers<double> doubles(useDouble ? inputs : 0, useDouble ? outputs : 0, block);
  std::vector<std::vector<double>> source(stream.inputChannels, std::vector<double>(block));
  std::vector<std::vector<double>> output(outputs, std::vector<double>(block));

  const std::vector<TimedStep> steps = stepsByFrame(settings.steps, rate);
  size_t nextStep = 0;

  plugin.startProcessing(rate, settings.blockSize, useDouble, settings.tempo);

  const uint64_t progressStep = std::max<uint64_t>(block, static_cast<uint64_t>(expected / 200));
  uint64_t nextProgress = 0;
  bool inputLeft = static_cast<bool>(stream.read);
  uint64_t inputEnd = 0;  // known once the input is used up
  uint64_t quiet = 0;     // output frames below the quiet level since the input ended
  bool quietReached = false;
  bool ok = true;
  uint64_t start = 0;
  while (ok && !quietReached) {
    size_t n = block;
    if (!inputLeft) {
      if (start >= inputEnd + tail) break;
      n = static_cast<size_t>(std::min<uint64_t>(n, inputEnd + tail - start));
    }
    // The input's own end decides where the tail starts, not what it announced.
    size_t got = 0;
    if (inputLeft) {
      got = stream.read(source, n);
      if (got < n) {
        inputLeft = false;
        inputEnd = start + got;
        n = static_cast<size_t>(std::min<uint64_t>(n, got + tail));
        if (n == 0) break;
      }
    }
    const double now = static_cast<double>(start) / rate;
    for (const ParamRamp& ramp : settings.ramps) plugin.setParameter(ramp.index, ramp.valueAt(now));
    plugin.moveTransport(start);
    if (settings.blockStarts) settings.blockStarts(start);
    if (useDouble) {
      doubles.fill(source, got, n);
      processWithSteps(plugin, doubles, start, n, steps, &nextStep);
      doubles.collect(output, n);
    } else {
      floats.fill(source, got, n);
      processWithSteps(plugin, floats, start, n, steps, &nextStep);
      floats.collect(output, n);
    }
    size_t keep = n;
    if (settings.autoTail && !inputLeft) {
      const size_t from = start < inputEnd ? static_cast<size_t>(inputEnd - start) : 0;
      const size_t end = quietEnd(output, from, n, settings.quietLevel, quietNeeded, &quiet);
      if (end > 0) {
        keep = end;
        quietReached = true;
      }
    }
    ok = stream.write(output, keep, error);
    start += keep;
    if (settings.progress && start >= nextProgress) {
      settings.progress(std::min(0.999, static_cast<double>(start) / std::max(1.0, expected)));
      nextProgress = start + progressStep;
    }
  }
  plugin.stopProcessing();
  if (ok && settings.progress) settings.progress(1.0);
  if (result) {
    result->inputFrames = inputLeft ? start : inputEnd;
    result->tailFrames = start - result->inputFrames;
    result->quietReached = quietReached;
  }
  return ok;
}

bool renderStream(PluginInstance& plugin, const RenderStream& stream,
                  const RenderSettings& settings, std::string* error, RenderResult* result) {
  Vst2AudioPlugin vst2(plugin);
  return renderStream(vst2, stream, settings, error, result);
}

RenderStream memoryInput(const AudioData& input) {
  RenderStream stream;
  stream.sampleRate = input.sampleRate;
  stream.inputChannels = input.channels.size();
  stream.inputFrames = input.frames();
  auto position = std::make_shared<size_t>(0);
  stream.read = [&input, position](std::vector<std::vector<double>>& block, size_t n) {
    const size_t got = std::min(n, input.frames() - *position);
    for (size_t c = 0; c < input.channels.size(); ++c)
      std::copy(input.channels[c].begin() + static_cast<long>(*position),
                input.channels[c].begin() + static_cast<long>(*position + got), block[c].begin());
    *position += got;
    return got;
  };
  return stream;
}

bool renderThrough(AudioPlugin& plugin, const AudioData& input, const RenderSettings& settings,
                   AudioData* output, std::string* error, RenderResult* result) {
  RenderStream stream = memoryInput(input);
  output->sampleRate = input.sampleRate;
  output->channels.assign(plugin.outputCount(), {});
  stream.write = [&](const std::vector<std::vector<double>>& block, size_t n, std::string*) {
    for (size_t c = 0; c < block.size(); ++c)
      output->channels[c].insert(output->channels[c].end(), block[c].begin(),
                                 block[c].begin() + static_cast<long>(n));
    return true;
  };
  return renderStream(plugin, stream, settings, error, result);
}

bool renderThrough(PluginInstance& plugin, const AudioData& input, const RenderSettings& settings,
                   AudioData* output, std::string* error, RenderResult* result) {
  Vst2AudioPlugin vst2(plugin);
  return renderThrough(vst2, input, settings, output, error, result);
}

}  // namespace quillet::host
