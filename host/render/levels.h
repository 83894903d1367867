// What a render's output holds: peak and RMS per channel, and the samples an
// integer file clips.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/audio/audio_file.h"

namespace quillet::host {

struct ChannelLevels {
  double peak = 0.0;
  double rms = 0.0;
};

// Peak and RMS per channel, fed a block at a time.
class LevelMeter {
 public:
  void add(const std::vector<std::vector<double>>& block, size_t n);
  std::vector<ChannelLevels> levels() const;
  size_t framesSeen() const { return frames; }

 private:
  std::vector<double> peaks, sums;
  size_t frames = 0;
};

std::vector<ChannelLevels> measureLevels(const AudioData& audio);

// Integer samples hold -1 up to one step below +1: what lies beyond is clipped
// by the writer. Counted here, so that the meter sees what the file holds.
class ClipCounter {
 public:
  explicit ClipCounter(SampleFormat format);
  // The block as the file will hold it.
  const std::vector<std::vector<double>>& written(const std::vector<std::vector<double>>& block,
                                                  size_t n);
  uint64_t samples() const { return count; }
  double peakBefore() const { return peak; }  // of the clipped samples, so of all

 private:
  double full;
  std::vector<std::vector<double>> clipped;
  double peak = 0.0;
  uint64_t count = 0;
};

// "-6.0" (dBFS, one decimal), "-inf" for silence.
std::string decibels(double level);

}  // namespace quillet::host
