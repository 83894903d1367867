// Runs audio through a plug-in block by block, as a DAW plays a track: the
// transport advances, automation ramps are applied at each block start, and
// after the input the plug-in keeps processing silence for the tail.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/audio_file.h"
#include "host/plugin_host.h"

namespace vsthost {

constexpr VstInt32 kMaxRenderBlock = 8192;

// A linear ramp of one parameter between two times; before t0 it holds
// `from`, from t1 on it holds `to`.
struct ParamRamp {
  VstInt32 index = 0;
  float from = 0.0f;
  float to = 0.0f;
  double t0 = 0.0;
  double t1 = 0.0;
  float valueAt(double seconds) const;
};

struct RenderSettings {
  VstInt32 blockSize = 512;
  bool doublePrecision = false;
  // After the input: `tailSeconds` of silence, or with `autoTail` as long as
  // the output is heard, until it has stayed below `quietLevel` for
  // `quietSeconds`, but never more than `tailLimitSeconds`.
  double tailSeconds = 0.0;
  bool autoTail = false;
  double tailLimitSeconds = 30.0;
  double quietLevel = 3.1622776601683795e-05;  // -90 dBFS
  double quietSeconds = 0.5;
  double tempo = 120.0;
  std::vector<ParamRamp> ramps;
  std::function<void(double fraction)> progress;  // 0..1, at most a few hundred calls
  // Called before each block is processed with the frames rendered so far.
  std::function<void(uint64_t frame)> blockStarts;
};

// What the render came to: the input's real length, not what it announced.
struct RenderResult {
  uint64_t inputFrames = 0;
  uint64_t tailFrames = 0;
  bool quietReached = false;  // autoTail: stopped because the output fell silent
};

// Where the audio comes from and goes to, a block at a time.
struct RenderStream {
  double sampleRate = 48000.0;
  size_t inputChannels = 0;
  size_t inputFrames = 0;  // as announced: for progress only
  // Fills block[channel][0..n) with the next n input frames (fewer at the end).
  std::function<size_t(std::vector<std::vector<double>>& block, size_t n)> read;
  // Takes block[output][0..n).
  std::function<bool(const std::vector<std::vector<double>>& block, size_t n, std::string* error)>
      write;
};

// The plug-in must be open; it is set to the stream's sample rate, switched
// on, run and switched off again. The output has one channel per plug-in
// output. Mono input feeds every plug-in input; otherwise input i feeds
// plug-in input i. After the input, `tailSeconds` of silence.
// The input is read until it really ends, whatever `inputFrames` says.
bool renderStream(PluginInstance& plugin, const RenderStream& stream,
                  const RenderSettings& settings, std::string* error,
                  RenderResult* result = nullptr);

// A stream that reads from audio in memory.
RenderStream memoryInput(const AudioData& input);

// The same with everything in memory.
bool renderThrough(PluginInstance& plugin, const AudioData& input, const RenderSettings& settings,
                   AudioData* output, std::string* error);

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

}  // namespace vsthost
