// Audio files through libsndfile: WAV, FLAC and AIFF in, the same out as 16-
// or 24-bit integer or 32-bit float samples. Read and written a block at a
// time, so long files never have to fit in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/files/file_output.h"

namespace quillet::host {

// Whole audio in memory, channel by channel (the demo, and the tests).
struct AudioData {
  double sampleRate = 48000.0;
  std::vector<std::vector<double>> channels;  // equal lengths
  size_t frames() const { return channels.empty() ? 0 : channels[0].size(); }
};

enum class SampleFormat { Int16, Int24, Float32 };

struct AudioFileInfo {
  SampleFormat format = SampleFormat::Float32;
};

// Accepts "16", "24", "float" (and "32f"); false for anything else.
bool parseSampleFormat(const std::string& text, SampleFormat* format);
const char* sampleFormatName(SampleFormat format);

class AudioReader {
 public:
  AudioReader();
  ~AudioReader();
  AudioReader(const AudioReader&) = delete;
  AudioReader& operator=(const AudioReader&) = delete;

  bool open(const std::string& path, std::string* error);
  double sampleRate() const { return rate; }
  size_t channels() const { return channelCount; }
  // What the header announces; only a hint: read() goes on to the real end.
  size_t frames() const { return frameCount; }
  bool lengthKnown() const { return knownLength; }
  SampleFormat format() const { return sampleFormat; }
  // Up to `n` frames into block[channel][0..]; returns how many came (0 at the end).
  size_t read(std::vector<std::vector<double>>& block, size_t n);
  // Empty unless a read failed.
  const std::string& failure() const { return readError; }

 private:
  struct File;
  std::unique_ptr<File> file;
  std::string path;
  double rate = 0.0;
  size_t channelCount = 0;
  size_t frameCount = 0;
  bool knownLength = true;
  SampleFormat sampleFormat = SampleFormat::Float32;
  std::vector<double> interleaved;
  std::string readError;
};

// Writes to a temporary file that becomes the target only at finish(): a
// failed or abandoned write leaves no file behind. The container follows the
// extension (.wav, .flac, .aif/.aiff). WAV and AIFF headers count bytes in
// 32 bits: a WAV announced larger than that (or of unknown length) becomes
// RF64 where the backend can write it, and any write that would pass the
// limit fails instead of wrapping the header's sizes.
class AudioWriter {
 public:
  static constexpr uint64_t kUnknownFrames = ~uint64_t{0};
  // Sample bytes a 32-bit RIFF or AIFF header can count, with room for the
  // header itself.
  static constexpr uint64_t kClassicLimitBytes = 0xffffffffull - 4096;

  explicit AudioWriter(const std::string& path);
  ~AudioWriter();
  AudioWriter(const AudioWriter&) = delete;
  AudioWriter& operator=(const AudioWriter&) = delete;

  // `expectedFrames`: the length the caller expects to write, at most.
  bool open(size_t channels, double sampleRate, SampleFormat format, std::string* error,
            uint64_t expectedFrames = 0);
  // block[channel][0..n).
  bool write(const std::vector<std::vector<double>>& block, size_t n, std::string* error);
  bool finish(std::string* error);
  // The 32-bit formats' limit, smaller for tests.
  void setClassicLimit(uint64_t bytes) { classicLimit = bytes; }
  // Which container open() chose ("WAV", "RF64", "FLAC", "AIFF").
  const char* container() const { return containerName; }

 private:
  // What every backend does before opening: checks the file type, the format
  // and the channel count, and prepares the temporary file.
  bool begin(size_t channels, SampleFormat format, std::string* error);

  // False with a message when `n` more frames would pass the limit.
  bool fits(size_t n, std::string* error);

  struct File;
  std::unique_ptr<File> file;
  std::string path;
  AtomicOutput output;
  std::vector<double> interleaved;
  uint64_t classicLimit = kClassicLimitBytes;
  uint64_t bytesWritten = 0;
  uint64_t frameBytes = 0;
  bool limited = false;  // a container whose header counts in 32 bits
  const char* containerName = "";
};

bool readAudioFile(const std::string& path, AudioData* audio, AudioFileInfo* info,
                   std::string* error);
bool writeAudioFile(const std::string& path, const AudioData& audio, SampleFormat format,
                    std::string* error);
// Checked before any work is done: known extension and a format it can hold.
bool checkAudioOutput(const std::string& path, SampleFormat format, std::string* error);
// FLAC holds no floats: the nearest format an output file can take.
SampleFormat formatForOutput(const std::string& path, SampleFormat wanted);

}  // namespace quillet::host
