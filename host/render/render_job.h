// One render as `quillet-host render` runs it, in stages: set up (load the
// plug-in, open the input, apply the preset, check every setting, open the
// output) and run (render, save the state, complete the file). Whatever can
// fail does so in the set-up, before any audio is rendered.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/audio/audio_file.h"
#include "host/formats/hosted_format.h"
#include "host/plugin/audio_plugin.h"
#include "host/render/levels.h"
#include "host/render/render.h"

namespace quillet::host {

// What the command line asks for, checked as far as it can be without the
// plug-in and the files.
struct RenderRequest {
  std::string plugin;
  std::string input;  // empty: the built-in demo
  std::string output;
  std::string preset;      // loaded before the render (CLAP: a discovered preset's name or key)
  std::string savePreset;  // saved after it
  bool formatGiven = false;
  SampleFormat format = SampleFormat::Int24;  // the input's when not given
  std::vector<std::string> sets;              // NAME=VALUE
  std::vector<std::string> ramps;             // NAME=FROM:TO@T0:T1
  std::vector<std::string> steps;             // NAME=VALUE@T
  double demoRate = kDefaultDemoRate;
  bool fixedClock = false;
  RenderSettings settings;  // block, precision, tail and tempo; the ramps and steps come at set-up
};

// What came out, for the summary.
struct RenderOutcome {
  std::string output;
  SampleFormat format = SampleFormat::Int24;
  double sampleRate = 0.0;
  bool autoTail = false;
  RenderResult result;
  std::vector<ChannelLevels> levels;
  size_t frames = 0;  // in the file
  uint64_t clippedSamples = 0;
  double clippedPeak = 0.0;  // before clipping
  double seconds = 0.0;      // of real time the render took
};

class RenderJob {
 public:
  RenderJob() = default;
  RenderJob(const RenderJob&) = delete;
  RenderJob& operator=(const RenderJob&) = delete;

  // False with a one-line `error`; nothing is rendered or written then.
  bool setUp(const RenderRequest& request, std::string* error);
  bool run(std::string* error);
  const RenderOutcome& outcome() const { return done; }

 private:
  bool openPlugin(std::string* error);
  bool openInput(std::string* error);
  bool applySettings(std::string* error);
  bool openOutput(std::string* error);

  // Stops the fixed clock after everything else is gone, the plug-in too.
  struct ClockScope {
    bool on = false;
    ~ClockScope();
  };

  ClockScope clock;
  RenderRequest request;
  std::unique_ptr<HostedPlugin> plugin;  // of the format its path names
  AudioPlugin* audio = nullptr;          // the plug-in's

  AudioData demo;
  AudioReader reader;
  bool lengthKnown = true;
  RenderStream stream;
  RenderSettings settings;
  std::vector<ParamSetting> values;
  std::unique_ptr<AudioWriter> writer;
  RenderOutcome done;
};

}  // namespace quillet::host
