// quillet-host render: the file it writes is what the plug-in makes of the
// input, automation lands where asked, and every failure is a clear message
// with a non-zero status and no output file.
#include "host/render/render.h"

#include <cmath>

#include "host/audio/audio_file.h"
#include "host/presets/plugin_preset.h"
#include "host/render/demo_material.h"
#include "host/render/levels.h"
#include "host_test_support.h"

namespace {

using quillet::host::AudioData;
using quillet::test::runCommand;

enum { kDelay = 0, kRepeat = 1, kLevel = 2, kPan = 6 };

AudioData noise(size_t channels, size_t frames, double rate) {
  AudioData a;
  a.sampleRate = rate;
  uint32_t s = 12345;
  a.channels.assign(channels, std::vector<double>(frames));
  for (auto& c : a.channels)
    for (double& v : c) {
      s = s * 1664525u + 1013904223u;
      // Values a float file holds exactly.
      v = static_cast<double>(
          static_cast<float>((static_cast<double>(s >> 8) / 8388608.0 - 1.0) * 0.5));
    }
  return a;
}

std::string writeInput(const quillet::test::ScratchDir& dir, const AudioData& audio,
                       const std::string& name = "in.wav") {
  std::string error;
  EXPECT_TRUE(quillet::host::writeAudioFile(dir.file(name), audio,
                                            quillet::host::SampleFormat::Float32, &error))
      << error;
  return dir.file(name);
}

AudioData readOutput(const std::string& path) {
  AudioData audio;
  quillet::host::AudioFileInfo info;
  std::string error;
  EXPECT_TRUE(quillet::host::readAudioFile(path, &audio, &info, &error)) << error;
  return audio;
}

TEST(Render, FileEqualsProcessingTheSameSamplesThroughTheLoader) {
  quillet::test::ScratchDir dir;
  const AudioData input = noise(2, 30000, 44100.0);
  const std::string in = writeInput(dir, input);
  const std::string out = dir.file("out.wav");
  auto r = runCommand("render",
                      {QTAP_PATH, in, "-o", out, "--format", "float", "--set", "Delay=0.1", "--set",
                       "Repeat=0.6", "--set", "2=0.7", "--block", "333", "--tail", "0.5"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("out.wav: 1.18 s, 44100 Hz, 2 ch, 32-bit float | peak "), std::string::npos)
      << r.out;
  const AudioData rendered = readOutput(out);
  ASSERT_EQ(rendered.frames(), 30000u + 22050u);

  // The same through the loader by hand: blocks of 333, then silence.
  auto plugin = quillet::test::open(QTAP_PATH);
  AEffect* e = plugin->effect();
  e->setParameter(e, kDelay, 0.1f);
  e->setParameter(e, kRepeat, 0.6f);
  e->setParameter(e, kLevel, 0.7f);
  quillet::host::startProcessing(*plugin, 44100.0, 333);
  std::vector<float> inL(333), inR(333), outL(333), outR(333);
  float* ins[] = {inL.data(), inR.data()};
  float* outs[] = {outL.data(), outR.data()};
  size_t mismatches = 0;
  for (size_t start = 0; start < rendered.frames(); start += 333) {
    const size_t n = std::min<size_t>(333, rendered.frames() - start);
    for (size_t i = 0; i < n; ++i) {
      const bool inside = start + i < input.frames();
      inL[i] = inside ? static_cast<float>(input.channels[0][start + i]) : 0.0f;
      inR[i] = inside ? static_cast<float>(input.channels[1][start + i]) : 0.0f;
    }
    e->processReplacing(e, ins, outs, static_cast<VstInt32>(n));
    for (size_t i = 0; i < n; ++i) {
      mismatches += outL[i] != static_cast<float>(rendered.channels[0][start + i]);
      mismatches += outR[i] != static_cast<float>(rendered.channels[1][start + i]);
    }
  }
  EXPECT_EQ(mismatches, 0u);
}

// A step lands at its own frame: the render equals blocks of 256 processed
// by hand and split where the values change, the values stored at the split.
// (Not "Delay": its stretch takes noise from the clock, which differs.)
TEST(Render, StepsSplitTheirBlocksWhereTheyLand) {
  quillet::test::ScratchDir dir;
  const double rate = 48000.0;
  const AudioData input = noise(2, 6000, rate);
  const std::string out = dir.file("out.wav");
  struct Change {
    size_t frame;
    uint32_t index;
    float value;
  };
  // Frame 1000 twice (Pan, then Level, in that order); 2048 on a block's
  // edge; 2049 one frame into the next block; 0 before the first block.
  const std::vector<Change> changes = {{0, kRepeat, 0.55f},  {1000, kPan, 0.25f},
                                       {1000, kLevel, 0.8f}, {2048, kRepeat, 0.3f},
                                       {2049, kLevel, 0.4f}, {4100, kPan, 0.05f}};
  std::vector<std::string> args = {
      QTAP_PATH, writeInput(dir, input), "-o", out, "--format", "float", "--block", "256", "--tail",
      "0.2"};
  for (const Change& c : changes) {
    char step[64];
    std::snprintf(step, sizeof step, "%u=%.9g@%.17g", c.index, c.value,
                  static_cast<double>(c.frame) / rate);
    args.insert(args.end(), {"--step", step});
  }
  auto r = runCommand("render", args);
  ASSERT_EQ(r.status, 0) << r.err;
  const AudioData rendered = readOutput(out);

  auto plugin = quillet::test::open(QTAP_PATH);
  AEffect* e = plugin->effect();
  quillet::host::startProcessing(*plugin, rate, 256);
  std::vector<float> inL(256), inR(256), outL(256), outR(256);
  size_t mismatches = 0, next = 0;
  auto run = [&](size_t from, size_t to) {
    float* ins[] = {inL.data(), inR.data()};
    float* outs[] = {outL.data(), outR.data()};
    for (size_t i = from; i < to; ++i) {
      const bool inside = i < input.frames();
      inL[i - from] = inside ? static_cast<float>(input.channels[0][i]) : 0.0f;
      inR[i - from] = inside ? static_cast<float>(input.channels[1][i]) : 0.0f;
    }
    e->processReplacing(e, ins, outs, static_cast<VstInt32>(to - from));
    for (size_t i = from; i < to; ++i) {
      mismatches += outL[i - from] != static_cast<float>(rendered.channels[0][i]);
      mismatches += outR[i - from] != static_cast<float>(rendered.channels[1][i]);
    }
  };
  for (size_t start = 0; start < rendered.frames(); start += 256) {
    const size_t end = std::min<size_t>(start + 256, rendered.frames());
    size_t at = start;
    for (; next < changes.size() && changes[next].frame < end; ++next) {
      if (changes[next].frame > at) run(at, changes[next].frame);
      at = std::max(at, changes[next].frame);
      e->setParameter(e, static_cast<VstInt32>(changes[next].index), changes[next].value);
    }
    run(at, end);
  }
  EXPECT_EQ(mismatches, 0u);
  EXPECT_EQ(e->getParameter(e, kPan), 0.05f);
}

TEST(Render, MonoInputFeedsBothChannels) {
  quillet::test::ScratchDir dir;
  const AudioData input = noise(1, 5000, 48000.0);
  const std::string out = dir.file("out.wav");
  auto r = runCommand(
      "render", {TEST_PLUGIN_GOOD, writeInput(dir, input), "-o", out, "--double", "--tail", "0"});
  ASSERT_EQ(r.status, 0) << r.err;
  const AudioData rendered = readOutput(out);
  ASSERT_EQ(rendered.channels.size(), 2u);
  EXPECT_EQ(rendered.sampleRate, 48000.0);
  EXPECT_EQ(rendered.channels[0], input.channels[0]);  // the test plug-in passes audio through
  EXPECT_EQ(rendered.channels[1], input.channels[0]);
}

TEST(Render, RampReachesItsEndValue) {
  quillet::test::ScratchDir dir;
  const std::string preset = dir.file("after.fxp");
  auto r = runCommand("render", {QTAP_PATH, writeInput(dir, noise(2, 24000, 48000.0)), "-o",
                                 dir.file("out.wav"), "--ramp", "Level=0.1:0.9@0.1:0.3", "--ramp",
                                 "repeat=0.8:0.2@0:0.4", "--save-preset", preset});
  ASSERT_EQ(r.status, 0) << r.err;
  quillet::host::PresetFile saved;
  std::string error;
  ASSERT_TRUE(quillet::host::readPresetFile(preset, &saved, &error)) << error;
  auto fresh = quillet::test::open(QTAP_PATH);
  ASSERT_TRUE(quillet::host::applyPreset(*fresh, saved, &error)) << error;
  EXPECT_EQ(fresh->effect()->getParameter(fresh->effect(), kLevel), 0.9f);
  EXPECT_EQ(fresh->effect()->getParameter(fresh->effect(), kRepeat), 0.2f);
}

TEST(Render, RampValuesAlongTheWay) {
  quillet::host::ParamRamp ramp;
  ramp.from = 0.2f;
  ramp.to = 0.6f;
  ramp.t0 = 1.0;
  ramp.t1 = 3.0;
  EXPECT_EQ(ramp.valueAt(0.0), 0.2f);
  EXPECT_EQ(ramp.valueAt(1.0), 0.2f);
  EXPECT_FLOAT_EQ(ramp.valueAt(2.0), 0.4f);
  EXPECT_EQ(ramp.valueAt(3.0), 0.6f);
  EXPECT_EQ(ramp.valueAt(9.0), 0.6f);
  ramp.t1 = ramp.t0;  // a jump
  EXPECT_EQ(ramp.valueAt(1.0), 0.2f);
  EXPECT_EQ(ramp.valueAt(1.0001), 0.6f);
}

TEST(Render, DemoIsStereoDeterministicAndShowsOffTheEcho) {
  const AudioData a = quillet::host::demoMaterial(48000.0),
                  b = quillet::host::demoMaterial(48000.0);
  ASSERT_EQ(a.channels.size(), 2u);
  EXPECT_EQ(a.frames(), static_cast<size_t>(quillet::host::kDemoSeconds * 48000.0));
  EXPECT_EQ(a.channels, b.channels);
  const auto levels = quillet::host::measureLevels(a);
  EXPECT_NEAR(std::max(levels[0].peak, levels[1].peak), 0.5, 1e-12);
  EXPECT_NE(a.channels[0], a.channels[1]);  // the notes are panned
  // Silence after the chord: the echo's repeats are heard alone there.
  for (size_t i = static_cast<size_t>(5.65 * 48000); i < a.frames(); ++i)
    ASSERT_EQ(a.channels[0][i], 0.0) << i;

  quillet::test::ScratchDir dir;
  auto r =
      runCommand("render", {QTAPG_PATH, "-o", dir.file("demo.wav"), "--set", "Delay=0.35", "--set",
                            "Repeat=0.55", "--set", "Level=0.8", "--tail", "3", "--rate", "44100"});
  ASSERT_EQ(r.status, 0) << r.err;
  const AudioData echo = readOutput(dir.file("demo.wav"));
  EXPECT_EQ(echo.sampleRate, 44100.0);
  EXPECT_EQ(echo.frames(), static_cast<size_t>((quillet::host::kDemoSeconds + 3.0) * 44100.0));
  double tail = 0.0;
  for (size_t i = static_cast<size_t>(5.8 * 44100); i < echo.frames(); ++i)
    tail = std::max(tail, std::fabs(echo.channels[0][i]));
  EXPECT_GT(tail, 0.01);  // the repeats ring on after the input has stopped
}

struct ErrorCase {
  const char* what;
  std::vector<std::string> args;
  const char* message;
};

TEST(Render, ErrorsAreOneLineWithNonZeroStatusAndNoOutput) {
  quillet::test::ScratchDir dir;
  const std::string in = writeInput(dir, noise(2, 1000, 48000.0));
  const std::string out = dir.file("out.wav");
  const std::string notPlugin = dir.file("text.so");
  FILE* f = std::fopen(notPlugin.c_str(), "w");
  std::fputs("hello", f);
  std::fclose(f);
  quillet::host::PresetFile foreign;
  foreign.kind = quillet::host::PresetKind::ChunkProgram;
  foreign.fxID = fourCharCode('A', 'B', 'C', 'D');
  foreign.chunk.assign(44, 0);
  std::string error;
  ASSERT_TRUE(quillet::host::writePresetFile(dir.file("foreign.fxp"), foreign, &error));
  std::vector<uint8_t> broken = quillet::host::serializePreset(foreign);
  broken.resize(broken.size() - 3);
  f = std::fopen(dir.file("broken.fxp").c_str(), "wb");
  std::fwrite(broken.data(), 1, broken.size(), f);
  std::fclose(f);

  const std::vector<ErrorCase> cases = {
      {"missing plug-in", {"/no/plugin.so", in, "-o", out}, "cannot read /no/plugin.so"},
      {"missing input", {QTAP_PATH, dir.file("none.wav"), "-o", out}, "cannot read "},
      {"unreadable input", {QTAP_PATH, notPlugin, "-o", out}, "cannot read "},
      {"not a plug-in", {notPlugin, in, "-o", out}, "cannot load "},
      {"unknown parameter",
       {QTAP_PATH, in, "-o", out, "--set", "Wobble=0.5"},
       "unknown parameter 'Wobble'"},
      {"index out of range", {QTAP_PATH, in, "-o", out, "--set", "11=0.5"}, "out of range"},
      {"above 1", {QTAP_PATH, in, "-o", out, "--set", "Delay=1.5"}, "out of 0..1: 1.5"},
      {"negative", {QTAP_PATH, in, "-o", out, "--set", "Delay=-0.1"}, "out of 0..1"},
      {"not a number", {QTAP_PATH, in, "-o", out, "--set", "Delay=nan"}, "out of 0..1"},
      {"ramp above 1", {QTAP_PATH, in, "-o", out, "--ramp", "Delay=0:2@0:1"}, "out of 0..1"},
      {"step without a time", {QTAP_PATH, in, "-o", out, "--step", "Delay=0.5"}, "NAME=VALUE@T"},
      {"step before the start",
       {QTAP_PATH, in, "-o", out, "--step", "Delay=0.5@-1"},
       "seconds from 0 on"},
      {"another plug-in's preset",
       {QTAP_PATH, in, "-o", out, "--preset", dir.file("foreign.fxp")},
       "the preset is for plug-in 'ABCD'"},
      {"truncated preset",
       {QTAP_PATH, in, "-o", out, "--preset", dir.file("broken.fxp")},
       "truncated"},
      {"unwritable output",
       {QTAP_PATH, in, "-o", dir.file("no/such/dir/out.wav")},
       "cannot write "},
      {"unknown output type",
       {QTAP_PATH, in, "-o", dir.file("out.mp9")},
       "unknown audio file type"},
      {"float FLAC",
       {QTAP_PATH, in, "-o", dir.file("out.flac"), "--format", "float"},
       "do not fit this file type"},
      {"no double", {TEST_PLUGIN_PLAIN, in, "-o", out, "--double"}, "64-bit"},
  };
  for (const ErrorCase& c : cases) {
    auto r = runCommand("render", c.args);
    EXPECT_NE(r.status, 0) << c.what;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
    EXPECT_EQ(r.err.rfind("quillet-host: ", 0), 0u) << c.what << ": " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.what << ": " << r.err;
    EXPECT_TRUE(r.out.empty()) << c.what;
    // Nothing written: only the files made above are in the folder.
    EXPECT_EQ(dir.list().size(), 4u) << c.what;
  }
}

TEST(Render, UsageMistakesExitWithStatusTwo) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {QTAP_PATH},
           {QTAP_PATH, "-o"},
           {QTAP_PATH, "-o", "x.wav", "--block", "0"},
           {QTAP_PATH, "-o", "x.wav", "--block", "8193"},
           {QTAP_PATH, "-o", "x.wav", "--tempo", "-1"},
           {QTAP_PATH, "-o", "x.wav", "--format", "8"},
           {QTAP_PATH, "-o", "x.wav", "--bogus"},
           {QTAP_PATH, "in.wav", "-o", "x.wav", "--rate", "44100"}}) {
    auto r = runCommand("render", args);
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(quillet::test::fileExists("x.wav"));
  }
}

TEST(Render, TempoReachesThePlugInThroughTheTimeRecord) {
  auto plugin = quillet::test::open(TEST_PLUGIN_GOOD);
  quillet::host::RenderSettings settings;
  settings.tempo = 137.0;
  AudioData out;
  std::string error;
  ASSERT_TRUE(
      quillet::host::renderThrough(*plugin, noise(2, 100, 48000.0), settings, &out, &error));
  auto* time = reinterpret_cast<VstTimeInfo*>(
      plugin->host().handle(plugin->effect(), audioMasterGetTime, 0, kVstTempoValid, nullptr, 0));
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->tempo, 137.0);
}

}  // namespace
