#include "host/render.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "host/opened_plugin.h"

namespace vsthost {

float ParamRamp::valueAt(double seconds) const {
  if (seconds <= t0) return from;
  if (seconds >= t1 || t1 <= t0) return to;
  const double f = (seconds - t0) / (t1 - t0);
  return static_cast<float>(from + (to - from) * f);
}

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

  void collect(std::vector<std::vector<double>>& block, size_t n) const {
    for (size_t c = 0; c < out.size(); ++c)
      for (size_t i = 0; i < n; ++i) block[c][i] = static_cast<double>(out[c][i]);
  }
};

}  // namespace

bool renderStream(PluginInstance& plugin, const RenderStream& stream,
                  const RenderSettings& settings, std::string* error, RenderResult* result) {
  AEffect* e = plugin.effect();
  if (!e) {
    *error = "the plug-in is closed";
    return false;
  }
  if (settings.blockSize < 1 || settings.blockSize > kMaxRenderBlock) {
    *error = "block size must be 1 to " + std::to_string(kMaxRenderBlock);
    return false;
  }
  if (e->numOutputs < 1) {
    *error = "the plug-in has no audio outputs";
    return false;
  }
  const bool useDouble = settings.doublePrecision;
  if (useDouble && (!(e->flags & effFlagsCanDoubleReplacing) || !e->processDoubleReplacing)) {
    *error = "the plug-in does not offer 64-bit processing";
    return false;
  }
  const bool replacing = (e->flags & effFlagsCanReplacing) && e->processReplacing;
  if (!useDouble && !replacing && !e->process) {
    *error = "the plug-in offers no process entry";
    return false;
  }

  const size_t block = static_cast<size_t>(settings.blockSize);
  const size_t inputs = static_cast<size_t>(std::max(0, e->numInputs));
  const size_t outputs = static_cast<size_t>(e->numOutputs);
  const double rate = stream.sampleRate;
  const double tailSeconds = settings.autoTail ? settings.tailLimitSeconds : settings.tailSeconds;
  const uint64_t tail = static_cast<uint64_t>(std::max(0.0, tailSeconds) * rate);
  const uint64_t quietNeeded =
      std::max<uint64_t>(1, static_cast<uint64_t>(settings.quietSeconds * rate));
  const double expected = static_cast<double>(stream.inputFrames + tail);

  Buffers<float> floats(useDouble ? 0 : inputs, useDouble ? 0 : outputs, block);
  Buffers<double> doubles(useDouble ? inputs : 0, useDouble ? outputs : 0, block);
  std::vector<std::vector<double>> source(stream.inputChannels, std::vector<double>(block));
  std::vector<std::vector<double>> output(outputs, std::vector<double>(block));

  plugin.host().setTempo(settings.tempo);
  plugin.dispatch(effSetProcessPrecision, 0,
                  useDouble ? kVstProcessPrecision64 : kVstProcessPrecision32);
  startProcessing(plugin, rate, settings.blockSize);

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
    for (const ParamRamp& ramp : settings.ramps) e->setParameter(e, ramp.index, ramp.valueAt(now));
    plugin.host().setSamplePosition(static_cast<double>(start));
    if (settings.blockStarts) settings.blockStarts(start);
    const VstInt32 frames = static_cast<VstInt32>(n);
    if (useDouble) {
      doubles.fill(source, got, n);
      e->processDoubleReplacing(e, doubles.inPtr.data(), doubles.outPtr.data(), frames);
      doubles.collect(output, n);
    } else {
      floats.fill(source, got, n);
      if (replacing)
        e->processReplacing(e, floats.inPtr.data(), floats.outPtr.data(), frames);
      else
        e->process(e, floats.inPtr.data(), floats.outPtr.data(), frames);
      floats.collect(output, n);
    }
    size_t keep = n;
    if (settings.autoTail && !inputLeft) {
      for (size_t i = start < inputEnd ? static_cast<size_t>(inputEnd - start) : 0; i < n; ++i) {
        bool silent = true;
        for (const auto& channel : output)
          silent = silent && std::fabs(channel[i]) < settings.quietLevel;
        quiet = silent ? quiet + 1 : 0;
        if (quiet >= quietNeeded) {
          keep = i + 1;
          quietReached = true;
          break;
        }
      }
    }
    ok = stream.write(output, keep, error);
    start += keep;
    if (settings.progress && start >= nextProgress) {
      settings.progress(std::min(0.999, static_cast<double>(start) / std::max(1.0, expected)));
      nextProgress = start + progressStep;
    }
  }
  stopProcessing(plugin);
  if (ok && settings.progress) settings.progress(1.0);
  if (result) {
    result->inputFrames = inputLeft ? start : inputEnd;
    result->tailFrames = start - result->inputFrames;
    result->quietReached = quietReached;
  }
  return ok;
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

bool renderThrough(PluginInstance& plugin, const AudioData& input, const RenderSettings& settings,
                   AudioData* output, std::string* error) {
  RenderStream stream = memoryInput(input);
  output->sampleRate = input.sampleRate;
  output->channels.assign(
      plugin.effect() ? static_cast<size_t>(std::max(0, plugin.effect()->numOutputs)) : 0, {});
  stream.write = [&](const std::vector<std::vector<double>>& block, size_t n, std::string*) {
    for (size_t c = 0; c < block.size(); ++c)
      output->channels[c].insert(output->channels[c].end(), block[c].begin(),
                                 block[c].begin() + static_cast<long>(n));
    return true;
  };
  return renderStream(plugin, stream, settings, error);
}

void LevelMeter::add(const std::vector<std::vector<double>>& block, size_t n) {
  peaks.resize(block.size(), 0.0);
  sums.resize(block.size(), 0.0);
  for (size_t c = 0; c < block.size(); ++c) {
    for (size_t i = 0; i < n; ++i) {
      const double s = block[c][i];
      peaks[c] = std::max(peaks[c], std::fabs(s));
      sums[c] += s * s;
    }
  }
  frames += n;
}

std::vector<ChannelLevels> LevelMeter::levels() const {
  std::vector<ChannelLevels> out(peaks.size());
  for (size_t c = 0; c < peaks.size(); ++c) {
    out[c].peak = peaks[c];
    out[c].rms = frames ? std::sqrt(sums[c] / static_cast<double>(frames)) : 0.0;
  }
  return out;
}

std::vector<ChannelLevels> measureLevels(const AudioData& audio) {
  LevelMeter meter;
  meter.add(audio.channels, audio.frames());
  return meter.levels();
}

}  // namespace vsthost
