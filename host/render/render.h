// Runs audio through a plug-in block by block, as a DAW plays a track: the
// transport advances, automation ramps are applied at each block start,
// steps at their own frames (the block is split there), and after the input
// the plug-in keeps processing silence for the tail.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/audio/audio_file.h"
#include "host/plugin/audio_plugin.h"
#include "host/plugin/parameters.h"

namespace quillet::host {

class PluginInstance;  // a VST 2.4 instance (plugin/vst2/plugin_host.h)

constexpr uint32_t kMaxRenderBlock = 8192;
// What a render does when the command line does not say.
constexpr uint32_t kDefaultRenderBlock = 512;
constexpr double kDefaultTempo = 120.0;
constexpr double kDefaultTailLimitSeconds = 30.0;

// The sample rates quillet-host runs, for the demo and input files alike: every
// rate audio files commonly have, and none so high that a plug-in would be
// asked for seconds of audio in billions of frames.
constexpr double kMinRenderRate = 8000.0;
constexpr double kMaxRenderRate = 384000.0;
constexpr double kDefaultDemoRate = 48000.0;  // the demo's, when --rate does not say
// Empty for a rate quillet-host runs; otherwise "... Hz, outside the 8000 to
// 384000 Hz quillet-host runs".
std::string outsideRenderRates(double sampleRate);

// The longest tail in seconds, and in frames whatever the rate says: an hour
// at the highest rate.
constexpr double kMaxTailSeconds = 3600.0;
constexpr uint64_t kMaxTailFrames = 3600ull * 384000ull;

struct RenderSettings {
  uint32_t blockSize = kDefaultRenderBlock;
  bool doublePrecision = false;
  // After the input: `tailSeconds` of silence, or with `autoTail` as long as
  // the output is heard, until it has stayed below `quietLevel` for
  // `quietSeconds`, but never more than `tailLimitSeconds`. Either way never
  // more than `maxTailFrames`.
  double tailSeconds = 0.0;
  bool autoTail = false;
  double tailLimitSeconds = kDefaultTailLimitSeconds;
  uint64_t maxTailFrames = kMaxTailFrames;
  double quietLevel = 3.1622776601683795e-05;  // -90 dBFS
  double quietSeconds = 0.5;
  double tempo = kDefaultTempo;
  std::vector<ParamRamp> ramps;
  // Each set at the frame nearest its time: a block holding that frame runs
  // as two process calls, split there (steps at one frame in the order given).
  std::vector<ParamStep> steps;
  std::function<void(double fraction)> progress;  // 0..1, at most a few hundred calls
  // Called before each block is processed with the frames rendered so far.
  std::function<void(uint64_t frame)> blockStarts;
};

// The longest the tail after the input can be at `sampleRate`: the fixed
// tail, or the automatic one's limit.
uint64_t longestTail(const RenderSettings& settings, double sampleRate);

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
// plug-in input i. After the input, the tail.
// The input is read until it really ends, whatever `inputFrames` says.
bool renderStream(AudioPlugin& plugin, const RenderStream& stream, const RenderSettings& settings,
                  std::string* error, RenderResult* result = nullptr);
bool renderStream(PluginInstance& plugin, const RenderStream& stream,
                  const RenderSettings& settings, std::string* error,
                  RenderResult* result = nullptr);

// A stream that reads from audio in memory.
RenderStream memoryInput(const AudioData& input);

// The same with everything in memory.
bool renderThrough(AudioPlugin& plugin, const AudioData& input, const RenderSettings& settings,
                   AudioData* output, std::string* error, RenderResult* result = nullptr);
bool renderThrough(PluginInstance& plugin, const AudioData& input, const RenderSettings& settings,
                   AudioData* output, std::string* error, RenderResult* result = nullptr);

}  // namespace quillet::host
