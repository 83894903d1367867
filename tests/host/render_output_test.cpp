// quillet-host render's output file: it appears whole or not at all (also when
// the render is interrupted by a signal), replaces a file as cp would, keeps
// its sizes countable past 4 GiB, and is not written when the plug-in refuses
// the preset it was given.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <thread>

#include "host/audio/audio_file.h"
#include "host/presets/preset_file.h"
#include "host_test_support.h"

namespace {

using quillet::test::runHost;

std::string contentOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void putText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The one file in `dir` whose name starts with `prefix`, once it holds
// `bytes` or more; empty after 60 s.
std::string waitForFile(const quillet::test::ScratchDir& dir, const std::string& prefix,
                        off_t bytes) {
  for (int i = 0; i < 6000; ++i) {
    for (const std::string& name : dir.list()) {
      struct stat st;
      if (name.rfind(prefix, 0) == 0 && stat(dir.file(name).c_str(), &st) == 0 &&
          st.st_size >= bytes)
        return name;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "";
}

TEST(RenderInterrupted, EachSignalRemovesTheTemporaryFileAndEndsTheRenderWithIt) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) {
    quillet::test::ScratchDir dir;
    // An hour of tail: still rendering when the signal comes.
    auto host = quillet::test::startHost(
        {"render", QTAP_PATH, "-o", dir.file("out.wav"), "--tail", "3600", "--format", "float"});
    const std::string temporary = waitForFile(dir, "out.wav.partial-", 1 << 20);
    ASSERT_FALSE(temporary.empty()) << "no temporary file appeared";
    // Not derived from the process id: nobody can plant a link under its name.
    EXPECT_EQ(temporary.size(), std::string("out.wav.partial-").size() + 12) << temporary;
    EXPECT_EQ(temporary.find(std::to_string(host.pid)), std::string::npos) << temporary;
    kill(host.pid, signal);
    auto r = quillet::test::stopHost(host);
    EXPECT_EQ(r.status, 128 + signal) << strsignal(signal);
    EXPECT_TRUE(dir.list().empty()) << strsignal(signal) << ": " << dir.list()[0];
  }
}

TEST(RenderLarge, AnOutputAnnouncedPastFourGibibytesIsWrittenAsRf64) {
  quillet::test::ScratchDir dir;
  // 7 s of demo and an hour of tail at 384 kHz, 24-bit stereo: 8.3 GB.
  auto host = quillet::test::startHost({"render", QTAP_PATH, "-o", dir.file("big.wav"), "--rate",
                                        "384000", "--tail", "3600", "--format", "24"});
  const std::string temporary = waitForFile(dir, "big.wav.partial-", 1 << 20);
  ASSERT_FALSE(temporary.empty());
  const std::string head = contentOf(dir.file(temporary)).substr(0, 4);
  kill(host.pid, SIGTERM);
  quillet::test::stopHost(host);
  EXPECT_EQ(head, "RF64");

  // A short one stays a plain WAV.
  auto r = runHost({"render", QTAP_PATH, "-o", dir.file("small.wav"), "--tail", "0"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(contentOf(dir.file("small.wav")).substr(0, 4), "RIFF");
}

TEST(RenderLarge, WriterSwitchesOrStopsBeforeAHeaderWouldWrap) {
  quillet::test::ScratchDir dir;
  std::vector<std::vector<double>> block(2, std::vector<double>(100, 0.25));
  std::string error;
  // A limit of 1000 bytes stands in for 4 GiB: 100 stereo float frames are 800.
  {
    quillet::host::AudioWriter writer(dir.file("plain.wav"));
    writer.setClassicLimit(1000);
    ASSERT_TRUE(writer.open(2, 48000.0, quillet::host::SampleFormat::Float32, &error, 100))
        << error;
    EXPECT_STREQ(writer.container(), "WAV");
    ASSERT_TRUE(writer.write(block, 100, &error)) << error;
    // More than announced: refused, not wrapped.
    EXPECT_FALSE(writer.write(block, 100, &error));
    EXPECT_NE(error.find("the audio passes the 1000 bytes a WAV file can count"), std::string::npos)
        << error;
  }
  EXPECT_TRUE(dir.list().empty());
  for (uint64_t announced : {uint64_t{126}, quillet::host::AudioWriter::kUnknownFrames}) {
    quillet::host::AudioWriter writer(dir.file("large.wav"));
    writer.setClassicLimit(1000);
    ASSERT_TRUE(writer.open(2, 48000.0, quillet::host::SampleFormat::Float32, &error, announced));
    EXPECT_STREQ(writer.container(), "RF64");
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(writer.write(block, 100, &error)) << error;
    ASSERT_TRUE(writer.finish(&error)) << error;
    quillet::host::AudioData back;
    quillet::host::AudioFileInfo info;
    ASSERT_TRUE(quillet::host::readAudioFile(dir.file("large.wav"), &back, &info, &error)) << error;
    EXPECT_EQ(back.frames(), 500u);
  }
  quillet::host::AudioWriter aiff(dir.file("large.aiff"));
  aiff.setClassicLimit(1000);
  EXPECT_FALSE(aiff.open(2, 48000.0, quillet::host::SampleFormat::Float32, &error, 126));
  EXPECT_NE(error.find("do not fit an AIFF file"), std::string::npos) << error;
}

TEST(RenderOutput, ReplacesFilesAsCpWouldAndRefusesReadOnlyOnes) {
  quillet::test::ScratchDir dir;
  const std::vector<std::string> render = {"render", QTAP_PATH, "--tail", "0", "-o"};
  auto renderTo = [&](const std::string& path) {
    std::vector<std::string> args = render;
    args.push_back(path);
    return runHost(args);
  };
  // An existing output keeps its mode.
  putText(dir.file("kept.wav"), "old");
  chmod(dir.file("kept.wav").c_str(), 0640);
  ASSERT_EQ(renderTo(dir.file("kept.wav")).status, 0);
  struct stat st;
  ASSERT_EQ(stat(dir.file("kept.wav").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(contentOf(dir.file("kept.wav")).substr(0, 4), "RIFF");

  // A new one gets the usual mode: 0666 less the umask.
  const mode_t mask = umask(022);
  umask(mask);
  ASSERT_EQ(renderTo(dir.file("new.wav")).status, 0);
  ASSERT_EQ(stat(dir.file("new.wav").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0666u & ~mask);

  // Through a symbolic link: the link stays, its target gets the audio.
  putText(dir.file("target.wav"), "old");
  ASSERT_EQ(symlink("target.wav", dir.file("link.wav").c_str()), 0);
  ASSERT_EQ(renderTo(dir.file("link.wav")).status, 0);
  ASSERT_EQ(lstat(dir.file("link.wav").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(contentOf(dir.file("target.wav")).substr(0, 4), "RIFF");

  // A read-only output is refused (also as root) and left as it was.
  putText(dir.file("locked.wav"), "keep me");
  chmod(dir.file("locked.wav").c_str(), 0444);
  auto r = renderTo(dir.file("locked.wav"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("locked.wav: the file is read-only"), std::string::npos) << r.err;
  EXPECT_EQ(contentOf(dir.file("locked.wav")), "keep me");

  ASSERT_EQ(symlink("missing.wav", dir.file("dangling.wav").c_str()), 0);
  r = renderTo(dir.file("dangling.wav"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("a symbolic link to a missing file"), std::string::npos) << r.err;
  EXPECT_EQ(dir.list().size(), 6u);  // nothing else, no temporary file left behind
}

TEST(RenderPreset, AStateThePlugInRefusesIsAnErrorAndNoOutput) {
  quillet::test::ScratchDir dir;
  quillet::host::PresetFile preset;
  preset.kind = quillet::host::PresetKind::ChunkProgram;
  preset.fxID = fourCharCode('Q', 'T', 'A', 'P');
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Refused {
    const char* name;
    std::vector<uint8_t> chunk;
  };
  std::vector<uint8_t> nans(44);
  for (size_t i = 0; i < 44; i += 4) std::memcpy(&nans[i], &nan, 4);
  const std::vector<Refused> refused = {
      {"empty.fxp", {}}, {"short.fxp", std::vector<uint8_t>(20, 0x3f)}, {"nan.fxp", nans}};
  std::string error;
  for (const Refused& c : refused) {
    preset.chunk = c.chunk;
    ASSERT_TRUE(quillet::host::writePresetFile(dir.file(c.name), preset, &error)) << error;
    for (const char* plugin : {QTAP_PATH, TEST_PLUGIN_GOOD}) {
      if (plugin == std::string(TEST_PLUGIN_GOOD)) {
        preset.fxID = fourCharCode('H', 't', 's', 't');
        ASSERT_TRUE(quillet::host::writePresetFile(dir.file(c.name), preset, &error)) << error;
      }
      auto r = runHost({"render", plugin, "-o", dir.file("out.wav"), "--preset", dir.file(c.name)});
      EXPECT_EQ(r.status, 1) << c.name;
      EXPECT_NE(r.err.find("the plug-in did not accept the preset's state"), std::string::npos)
          << c.name << ": " << r.err;
      EXPECT_FALSE(quillet::test::fileExists(dir.file("out.wav"))) << c.name;
    }
    preset.fxID = fourCharCode('Q', 'T', 'A', 'P');
  }
  // A chunk that only repeats the current state is no refusal.
  std::vector<uint8_t> defaults(44, 0);
  const float values[] = {0, 0, 0, 0.5f, 0, 1, 0.5f, 0, 0, 1, 0};
  std::memcpy(defaults.data(), values, 44);
  preset.chunk = defaults;
  ASSERT_TRUE(quillet::host::writePresetFile(dir.file("same.fxp"), preset, &error));
  auto r = runHost({"render", QTAP_PATH, "-o", dir.file("out.wav"), "--preset",
                    dir.file("same.fxp"), "--tail", "0"});
  EXPECT_EQ(r.status, 0) << r.err;
}

}  // namespace
