// quillet-host render: how long the output is (the tail after the input, an input
// that is longer or shorter than its header says), what clipping it reports,
// and renders that repeat exactly with --fixed-clock.
#include <cmath>
#include <fstream>
#include <iterator>

#include "host/audio/audio_file.h"
#include "host/files/file_output.h"
#include "host/render/render.h"
#include "host_test_support.h"

namespace {

using quillet::host::AudioData;
using quillet::test::runHost;

AudioData constantThenSilence(size_t frames, double level, size_t loud) {
  AudioData a;
  a.sampleRate = 48000.0;
  a.channels.assign(1, std::vector<double>(frames, 0.0));
  for (size_t i = 0; i < loud; ++i) a.channels[0][i] = (i % 2 ? -level : level);
  return a;
}

std::string write(const quillet::test::ScratchDir& dir, const std::string& name, const AudioData& a,
                  quillet::host::SampleFormat format = quillet::host::SampleFormat::Float32) {
  std::string error;
  EXPECT_TRUE(quillet::host::writeAudioFile(dir.file(name), a, format, &error)) << error;
  return dir.file(name);
}

AudioData read(const std::string& path) {
  AudioData audio;
  quillet::host::AudioFileInfo info;
  std::string error;
  EXPECT_TRUE(quillet::host::readAudioFile(path, &audio, &info, &error)) << error;
  return audio;
}

std::vector<uint8_t> bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void putBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

TEST(RenderTail, AutoStopsHalfASecondAfterTheOutputFallsSilent) {
  quillet::test::ScratchDir dir;
  // The test plug-in passes audio through: silent as soon as the input ends.
  const std::string in = write(dir, "in.wav", constantThenSilence(4800, 0.25, 4800));
  auto r = runHost({"render", TEST_PLUGIN_GOOD, in, "-o", dir.file("out.wav")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("| tail 0.50 s until quiet |"), std::string::npos) << r.out;
  EXPECT_EQ(read(dir.file("out.wav")).frames(), 4800u + 24000u);

  // An echo that decays: the tail ends 0.5 s after its last audible sample.
  r = runHost({"render", QTAP_PATH, in, "-o", dir.file("echo.wav"), "--set", "Level=0.8", "--set",
               "Repeat=0.3", "--set", "Delay=0.2", "--set", "KnobDust=0"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(" until quiet |"), std::string::npos) << r.out;
  const AudioData echo = read(dir.file("echo.wav"));
  ASSERT_GT(echo.frames(), 4800u + 24000u);
  ASSERT_LT(echo.frames(), 4800u + 30u * 48000u);
  const double quiet = std::pow(10.0, -90.0 / 20.0);
  double last = 0.0, before = 0.0;
  for (const auto& c : echo.channels) {
    for (size_t i = echo.frames() - 24000; i < echo.frames(); ++i)
      last = std::max(last, std::fabs(c[i]));
    before = std::max(before, std::fabs(c[echo.frames() - 24001]));
  }
  EXPECT_LT(last, quiet);
  EXPECT_GE(before, quiet);
}

TEST(RenderTail, AutoStopsAtItsLimitAndSaysSo) {
  quillet::test::ScratchDir dir;
  const std::string in = write(dir, "in.wav", constantThenSilence(4800, 0.25, 4800));
  // A high Repeat sustains itself: never quiet.
  auto r = runHost({"render", QTAP_PATH, in, "-o", dir.file("out.wav"), "--set", "Level=1", "--set",
                    "Repeat=0.95", "--tail-limit", "1.5"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("| tail 1.50 s, limit reached before quiet |"), std::string::npos) << r.out;
  EXPECT_EQ(read(dir.file("out.wav")).frames(), 4800u + 72000u);
  // A stated tail is exactly that long.
  r = runHost({"render", QTAP_PATH, in, "-o", dir.file("out.wav"), "--tail", "0.25"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("| tail 0.25 s |"), std::string::npos) << r.out;
  EXPECT_EQ(read(dir.file("out.wav")).frames(), 4800u + 12000u);
}

TEST(RenderClipping, IntegerOutputsCountWhatTheyClipAndReportTheWrittenPeak) {
  quillet::test::ScratchDir dir;
  AudioData loud = constantThenSilence(4800, 0.5, 0);
  for (size_t i = 0; i < 100; ++i) loud.channels[0][i] = 1.5;
  for (size_t i = 100; i < 150; ++i) loud.channels[0][i] = -1.25;
  loud.channels[0][150] = -1.0;  // full scale down, still in range
  const std::string in = write(dir, "in.wav", loud);
  for (const char* format : {"16", "24"}) {
    auto r = runHost({"render", TEST_PLUGIN_GOOD, in, "-o", dir.file("out.wav"), "--format", format,
                      "--tail", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Mono in, two channels out: 150 samples over full scale in each.
    EXPECT_NE(r.out.find("| peak 0.0/0.0 dBFS |"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("| 300 samples clipped (peak before 3.5 dBFS) |"), std::string::npos)
        << r.out;
    EXPECT_NE(r.err.find("warning: 300 samples clipped"), std::string::npos) << r.err;
    const AudioData out = read(dir.file("out.wav"));
    EXPECT_LT(out.channels[0][0], 1.0);
    EXPECT_EQ(out.channels[0][120], -1.0);
  }
  auto r = runHost({"render", TEST_PLUGIN_GOOD, in, "-o", dir.file("out.wav"), "--format", "float",
                    "--tail", "0"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.find("clipped"), std::string::npos) << r.out;
  EXPECT_TRUE(r.err.empty()) << r.err;
  EXPECT_NE(r.out.find("| peak 3.5/3.5 dBFS |"), std::string::npos) << r.out;
}

TEST(RenderInput, FlacOfUnknownLengthEndsWhereItsAudioEnds) {
  quillet::test::ScratchDir dir;
  const std::string in = write(dir, "in.flac", constantThenSilence(30000, 0.25, 30000),
                               quillet::host::SampleFormat::Int16);
  std::vector<uint8_t> flac = bytesOf(in);
  ASSERT_GT(flac.size(), 42u);
  ASSERT_EQ(std::string(flac.begin(), flac.begin() + 4), "fLaC");
  // STREAMINFO's 36-bit sample count (bytes 21..25 of the file): 0, "unknown".
  flac[21] &= 0xf0;
  flac[22] = flac[23] = flac[24] = flac[25] = 0;
  putBytes(in, flac);
  auto r = runHost({"render", TEST_PLUGIN_GOOD, in, "-o", dir.file("out.wav"), "--tail", "0.5"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read(dir.file("out.wav")).frames(), 30000u + 24000u);
}

TEST(RenderInput, WavThatClaimsMoreDataThanItHolds) {
  quillet::test::ScratchDir dir;
  const std::string in = write(dir, "in.wav", constantThenSilence(100, 0.25, 100));
  std::vector<uint8_t> wav = bytesOf(in);
  const size_t data = std::string(wav.begin(), wav.end()).find("data");
  ASSERT_NE(data, std::string::npos);
  for (uint32_t claim : {0x7ffffff0u, 0xffffffffu}) {
    for (int b = 0; b < 4; ++b) wav[data + 4 + b] = static_cast<uint8_t>(claim >> (8 * b));
    putBytes(in, wav);
    auto r = runHost({"render", TEST_PLUGIN_GOOD, in, "-o", dir.file("out.wav"), "--tail", "0.1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read(dir.file("out.wav")).frames(), 100u + 4800u) << std::hex << claim;
  }
}

TEST(RenderClock, FixedClockMakesRampedRendersRepeatExactly) {
  quillet::test::ScratchDir dir;
  // The stretch noise of a moving Delay is seeded from the clock.
  const std::vector<std::string> render = {"render", QTAP_PATH,   "--ramp", "Delay=0.2:0.8@0:2",
                                           "--set",  "Level=0.8", "--set",  "Repeat=0.5",
                                           "--tail", "1",         "--rate", "22050"};
  auto with = [&](const std::string& name, bool fixed) {
    std::vector<std::string> args = render;
    args.insert(args.end(), {"-o", dir.file(name)});
    if (fixed) args.push_back("--fixed-clock");
    auto r = runHost(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return bytesOf(dir.file(name));
  };
  const auto fixedA = with("a.wav", true);
  const auto fixedB = with("b.wav", true);
  EXPECT_EQ(fixedA, fixedB);
  const auto freeA = with("c.wav", false);
  const auto freeB = with("d.wav", false);
  EXPECT_NE(freeA, freeB);
  EXPECT_EQ(freeA.size(), fixedA.size());
}

}  // namespace

namespace {

// A WAV whose header announces `rate`: the file is written at 48 kHz and
// its "fmt " chunk's rate and byte rate are rewritten.
std::string wavAnnouncing(const quillet::test::ScratchDir& dir, const std::string& name,
                          uint32_t rate, size_t frames) {
  const std::string path = write(dir, name, constantThenSilence(frames, 0.25, frames));
  std::vector<uint8_t> wav = bytesOf(path);
  const size_t fmt = std::string(wav.begin(), wav.end()).find("fmt ");
  EXPECT_NE(fmt, std::string::npos);
  const uint32_t blockAlign = wav[fmt + 20] | (wav[fmt + 21] << 8);
  const uint32_t byteRate = rate * blockAlign;  // wraps for absurd rates, as a careless writer's
  for (int b = 0; b < 4; ++b) {
    wav[fmt + 12 + b] = static_cast<uint8_t>(rate >> (8 * b));
    wav[fmt + 16 + b] = static_cast<uint8_t>(byteRate >> (8 * b));
  }
  putBytes(path, wav);
  return path;
}

TEST(RenderInput, AHeaderRateTheHostCannotRunIsRefusedInOneLine) {
  quillet::test::ScratchDir dir;
  // 19 KB announcing 2,147,483,647 Hz: 30 s of automatic tail would be 64
  // billion frames.
  const struct {
    uint32_t rate;
    bool runs;
  } cases[] = {{2147483647u, false}, {384001u, false}, {7999u, false}, {1u, false},
               {384000u, true},      {8000u, true},    {44100u, true}};
  for (const auto& c : cases) {
    const std::string in = wavAnnouncing(dir, "in.wav", c.rate, 4800);
    const std::string out = dir.file("out.wav");
    auto r = runHost({"render", TEST_PLUGIN_GOOD, in, "-o", out, "--tail", "0"});
    if (c.runs) {
      ASSERT_EQ(r.status, 0) << c.rate << ": " << r.err;
      const AudioData rendered = read(out);
      EXPECT_EQ(rendered.sampleRate, c.rate);
      EXPECT_EQ(rendered.frames(), 4800u);
      std::remove(out.c_str());
      continue;
    }
    EXPECT_EQ(r.status, 1) << c.rate;
    EXPECT_EQ(r.err, "quillet-host: cannot render " + in + ": its header announces " +
                         std::to_string(c.rate) +
                         " Hz, outside the 8000 to 384000 Hz quillet-host runs\n");
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_EQ(dir.list(), std::vector<std::string>{"in.wav"}) << c.rate;
  }
}

TEST(RenderTail, IsBoundedInFramesAsWellAsInSeconds) {
  auto plugin = quillet::test::open(TEST_PLUGIN_GOOD);
  quillet::host::RenderSettings settings;
  settings.maxTailFrames = 1000;  // stands in for an hour at the highest rate
  settings.autoTail = true;
  settings.tailLimitSeconds = quillet::host::kMaxTailSeconds;
  settings.quietSeconds = 1.0;  // never quiet within the bound
  AudioData in = constantThenSilence(300, 0.25, 300), out;
  std::string error;
  quillet::host::RenderResult result;
  ASSERT_TRUE(quillet::host::renderThrough(*plugin, in, settings, &out, &error, &result)) << error;
  EXPECT_EQ(result.tailFrames, 1000u);
  EXPECT_FALSE(result.quietReached);
  EXPECT_EQ(out.frames(), 1300u);
  // A stated tail too.
  settings.autoTail = false;
  settings.tailSeconds = quillet::host::kMaxTailSeconds;
  ASSERT_TRUE(quillet::host::renderThrough(*plugin, in, settings, &out, &error, &result)) << error;
  EXPECT_EQ(result.tailFrames, 1000u);
  // The bound of the tool: an hour at the highest rate it runs.
  EXPECT_EQ(quillet::host::kMaxTailFrames,
            static_cast<uint64_t>(quillet::host::kMaxTailSeconds * quillet::host::kMaxRenderRate));
  settings.maxTailFrames = quillet::host::kMaxTailFrames;
  EXPECT_EQ(quillet::host::longestTail(settings, quillet::host::kMaxRenderRate),
            quillet::host::kMaxTailFrames);
  EXPECT_EQ(quillet::host::longestTail(settings, 2147483647.0), quillet::host::kMaxTailFrames);

  // Nor does the loop itself run a rate the tool refuses.
  in.sampleRate = 2147483647.0;
  EXPECT_FALSE(quillet::host::renderThrough(*plugin, in, settings, &out, &error));
  EXPECT_EQ(error,
            "cannot render at 2147483647 Hz, outside the 8000 to 384000 Hz quillet-host runs");
}

}  // namespace
