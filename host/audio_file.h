// Audio files through libsndfile: WAV, FLAC and AIFF in, the same out as 16-
// or 24-bit integer or 32-bit float samples.
#pragma once

#include <string>
#include <vector>

namespace vsthost {

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

bool readAudioFile(const std::string& path, AudioData* audio, AudioFileInfo* info,
                   std::string* error);
// The container follows the extension (.wav, .flac, .aif/.aiff). Written
// whole or not at all: a failed write leaves no file behind.
bool writeAudioFile(const std::string& path, const AudioData& audio, SampleFormat format,
                    std::string* error);
// Checked before any work is done: known extension and a format it can hold.
bool checkAudioOutput(const std::string& path, SampleFormat format, std::string* error);
// FLAC holds no floats: the nearest format an output file can take.
SampleFormat formatForOutput(const std::string& path, SampleFormat wanted);

}  // namespace vsthost
