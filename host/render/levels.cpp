#include "host/render/levels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quillet::host {

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

ClipCounter::ClipCounter(SampleFormat format)
    : full(format == SampleFormat::Int16   ? 32768.0
           : format == SampleFormat::Int24 ? 8388608.0
                                           : 0.0) {}

const std::vector<std::vector<double>>& ClipCounter::written(
    const std::vector<std::vector<double>>& block, size_t n) {
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

std::string decibels(double level) {
  if (level <= 0.0) return "-inf";
  char text[32];
  std::snprintf(text, sizeof(text), "%.1f", 20.0 * std::log10(level));
  return text;
}

}  // namespace quillet::host
