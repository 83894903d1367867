#include "host/render.h"

#include <algorithm>
#include <cmath>

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

  void fill(const AudioData& input, size_t start, size_t n) {
    const size_t sourceChannels = input.channels.size();
    for (size_t c = 0; c < in.size(); ++c) {
      const bool fed = sourceChannels == 1 || c < sourceChannels;
      const std::vector<double>* source =
          fed ? &input.channels[sourceChannels == 1 ? 0 : c] : nullptr;
      for (size_t i = 0; i < n; ++i) {
        const size_t at = start + i;
        in[c][i] = source && at < source->size() ? static_cast<Sample>((*source)[at]) : Sample(0);
      }
    }
    // The accumulating entry adds to what is there; the replacing ones overwrite.
    for (auto& c : out) std::fill(c.begin(), c.begin() + static_cast<long>(n), Sample(0));
  }

  void collect(AudioData* output, size_t n) const {
    for (size_t c = 0; c < out.size(); ++c)
      output->channels[c].insert(output->channels[c].end(), out[c].begin(),
                                 out[c].begin() + static_cast<long>(n));
  }
};

}  // namespace

bool renderThrough(PluginInstance& plugin, const AudioData& input, const RenderSettings& settings,
                   AudioData* output, std::string* error) {
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
  const double rate = input.sampleRate;
  const size_t total =
      input.frames() + static_cast<size_t>(std::max(0.0, settings.tailSeconds) * rate);

  Buffers<float> floats(useDouble ? 0 : inputs, useDouble ? 0 : outputs, block);
  Buffers<double> doubles(useDouble ? inputs : 0, useDouble ? outputs : 0, block);
  output->sampleRate = rate;
  output->channels.assign(outputs, {});
  for (auto& c : output->channels) c.reserve(total);

  plugin.host().setTempo(settings.tempo);
  plugin.dispatch(effSetProcessPrecision, 0,
                  useDouble ? kVstProcessPrecision64 : kVstProcessPrecision32);
  startProcessing(plugin, rate, settings.blockSize);

  const size_t progressStep = std::max<size_t>(block, total / 200);
  size_t nextProgress = 0;
  for (size_t start = 0; start < total; start += block) {
    const size_t n = std::min(block, total - start);
    const double now = static_cast<double>(start) / rate;
    for (const ParamRamp& ramp : settings.ramps) e->setParameter(e, ramp.index, ramp.valueAt(now));
    plugin.host().setSamplePosition(static_cast<double>(start));
    const VstInt32 frames = static_cast<VstInt32>(n);
    if (useDouble) {
      doubles.fill(input, start, n);
      e->processDoubleReplacing(e, doubles.inPtr.data(), doubles.outPtr.data(), frames);
      doubles.collect(output, n);
    } else {
      floats.fill(input, start, n);
      if (replacing)
        e->processReplacing(e, floats.inPtr.data(), floats.outPtr.data(), frames);
      else
        e->process(e, floats.inPtr.data(), floats.outPtr.data(), frames);
      floats.collect(output, n);
    }
    if (settings.progress && start >= nextProgress) {
      settings.progress(static_cast<double>(start) / static_cast<double>(total));
      nextProgress = start + progressStep;
    }
  }
  stopProcessing(plugin);
  if (settings.progress) settings.progress(1.0);
  return true;
}

std::vector<ChannelLevels> measureLevels(const AudioData& audio) {
  std::vector<ChannelLevels> levels;
  for (const auto& c : audio.channels) {
    ChannelLevels l;
    double sum = 0.0;
    for (double s : c) {
      l.peak = std::max(l.peak, std::fabs(s));
      sum += s * s;
    }
    l.rms = c.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(c.size()));
    levels.push_back(l);
  }
  return levels;
}

}  // namespace vsthost
