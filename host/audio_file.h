// Audio files through libsndfile: WAV, FLAC and AIFF in, the same out as 16-
// or 24-bit integer or 32-bit float samples. Read and written a block at a
// time, so long files never have to fit in memory.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/file_output.h"

namespace vsthost {

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
  size_t frames() const { return frameCount; }
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
  SampleFormat sampleFormat = SampleFormat::Float32;
  std::vector<double> interleaved;
  std::string readError;
};

// Writes to a temporary file that becomes the target only at finish(): a
// failed or abandoned write leaves no file behind. The container follows the
// extension (.wav, .flac, .aif/.aiff).
class AudioWriter {
 public:
  explicit AudioWriter(const std::string& path);
  ~AudioWriter();
  AudioWriter(const AudioWriter&) = delete;
  AudioWriter& operator=(const AudioWriter&) = delete;

  bool open(size_t channels, double sampleRate, SampleFormat format, std::string* error);
  // block[channel][0..n).
  bool write(const std::vector<std::vector<double>>& block, size_t n, std::string* error);
  bool finish(std::string* error);

 private:
  // What every backend does before opening: checks the file type, the format
  // and the channel count, and prepares the temporary file.
  bool begin(size_t channels, SampleFormat format, std::string* error);

  struct File;
  std::unique_ptr<File> file;
  std::string path;
  AtomicOutput output;
  std::vector<double> interleaved;
};

bool readAudioFile(const std::string& path, AudioData* audio, AudioFileInfo* info,
                   std::string* error);
bool writeAudioFile(const std::string& path, const AudioData& audio, SampleFormat format,
                    std::string* error);
// Checked before any work is done: known extension and a format it can hold.
bool checkAudioOutput(const std::string& path, SampleFormat format, std::string* error);
// FLAC holds no floats: the nearest format an output file can take.
SampleFormat formatForOutput(const std::string& path, SampleFormat wanted);

}  // namespace vsthost
