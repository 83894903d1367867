// The WAV reader and writer of the Windows build (no libsndfile there), built
// for Linux: the reader believes no header's size over what the file holds,
// and the writer never wraps its 32-bit sizes.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "host/audio/audio_file.h"

namespace {

using quillet::host::AudioData;
using quillet::host::AudioReader;
using quillet::host::AudioWriter;
using quillet::host::SampleFormat;

struct Scratch {
  std::string folder;
  Scratch() {
    char pattern[] = "/tmp/quillet-host-wav-XXXXXX";
    folder = mkdtemp(pattern);
  }
  ~Scratch() {
    for (const char* name : {"a.wav", "b.wav"}) std::remove(file(name).c_str());
    rmdir(folder.c_str());
  }
  std::string file(const std::string& name) const { return folder + "/" + name; }
};

std::vector<unsigned char> bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void putBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

AudioData ramp(size_t frames) {
  AudioData a;
  a.channels.assign(2, std::vector<double>(frames));
  for (size_t i = 0; i < frames; ++i) a.channels[0][i] = a.channels[1][i] = i / 1024.0;
  return a;
}

size_t framesRead(const std::string& path) {
  AudioReader reader;
  std::string error;
  EXPECT_TRUE(reader.open(path, &error)) << error;
  std::vector<std::vector<double>> block(reader.channels(), std::vector<double>(64));
  size_t total = 0, got;
  while ((got = reader.read(block, 64)) > 0) total += got;
  return total;
}

TEST(WavReader, DataSizeClaimsBeyondTheFileAreCutToWhatItHolds) {
  Scratch s;
  std::string error;
  // 100 frames of 16-bit stereo after a 44-byte header: 444 bytes.
  ASSERT_TRUE(
      quillet::host::writeAudioFile(s.file("a.wav"), ramp(100), SampleFormat::Int16, &error));
  std::vector<unsigned char> wav = bytesOf(s.file("a.wav"));
  ASSERT_EQ(wav.size(), 444u);
  ASSERT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
  for (uint32_t claim : {0x7ffffff0u, 0xffffffffu, 0u, 401u}) {
    for (int b = 0; b < 4; ++b) wav[40 + b] = static_cast<unsigned char>(claim >> (8 * b));
    putBytes(s.file("a.wav"), wav);
    AudioReader reader;
    ASSERT_TRUE(reader.open(s.file("a.wav"), &error)) << error;
    EXPECT_EQ(reader.frames(), 100u) << std::hex << claim;
    EXPECT_EQ(framesRead(s.file("a.wav")), 100u) << std::hex << claim;
  }
  // A truncated file: the header says 100 frames, 60 and a half are there.
  wav.resize(44 + 242);
  for (int b = 0; b < 4; ++b) wav[40 + b] = static_cast<unsigned char>(400u >> (8 * b));
  putBytes(s.file("a.wav"), wav);
  EXPECT_EQ(framesRead(s.file("a.wav")), 60u);
}

// A header may announce up to 65535 channels; a render would hold a block of
// each. Like libsndfile, the reader takes at most 1024.
TEST(WavReader, RefusesMoreChannelsThanLibsndfileReads) {
  Scratch s;
  std::string error;
  ASSERT_TRUE(
      quillet::host::writeAudioFile(s.file("a.wav"), ramp(100), SampleFormat::Int16, &error));
  std::vector<unsigned char> wav = bytesOf(s.file("a.wav"));
  ASSERT_EQ(std::string(wav.begin() + 12, wav.begin() + 16), "fmt ");
  for (uint16_t channels : {uint16_t{1025}, uint16_t{62965}}) {
    wav[22] = static_cast<unsigned char>(channels & 0xff);
    wav[23] = static_cast<unsigned char>(channels >> 8);
    putBytes(s.file("a.wav"), wav);
    AudioReader reader;
    EXPECT_FALSE(reader.open(s.file("a.wav"), &error)) << channels;
    EXPECT_NE(error.find("channels"), std::string::npos) << error;
  }
}

TEST(WavWriter, RefusesBeforeWritingWhatItsHeaderCannotCount) {
  Scratch s;
  std::string error;
  std::vector<std::vector<double>> block(2, std::vector<double>(100, 0.25));
  {
    AudioWriter writer(s.file("a.wav"));
    writer.setClassicLimit(1000);
    // 126 stereo float frames are 1008 bytes.
    EXPECT_FALSE(writer.open(2, 48000.0, SampleFormat::Float32, &error, 126));
    EXPECT_NE(error.find("1008 bytes of audio do not fit a WAV file"), std::string::npos) << error;
  }
  {
    AudioWriter writer(s.file("a.wav"));
    writer.setClassicLimit(1000);
    ASSERT_TRUE(writer.open(2, 48000.0, SampleFormat::Float32, &error, AudioWriter::kUnknownFrames))
        << error;
    ASSERT_TRUE(writer.write(block, 100, &error)) << error;
    EXPECT_FALSE(writer.write(block, 100, &error));
    EXPECT_NE(error.find("passes the 1000 bytes"), std::string::npos) << error;
  }
  EXPECT_NE(access(s.file("a.wav").c_str(), F_OK), 0);
  // Within the limit: exact sizes in the header.
  AudioWriter writer(s.file("b.wav"));
  writer.setClassicLimit(1000);
  ASSERT_TRUE(writer.open(2, 48000.0, SampleFormat::Float32, &error, 125)) << error;
  ASSERT_TRUE(writer.write(block, 100, &error)) << error;
  ASSERT_TRUE(writer.finish(&error)) << error;
  const std::vector<unsigned char> wav = bytesOf(s.file("b.wav"));
  ASSERT_EQ(wav.size(), 44u + 800u);
  EXPECT_EQ(wav[4] | (wav[5] << 8), 36 + 800);
  EXPECT_EQ(wav[40] | (wav[41] << 8), 800);
}

}  // namespace
