// What every audio file backend shares: sample format names and whole-file
// reads and writes on top of the streaming reader and writer.
#include <algorithm>

#include "host/audio/audio_file.h"

namespace quillet::host {

namespace {
constexpr size_t kIoFrames = 8192;
}  // namespace

bool parseSampleFormat(const std::string& text, SampleFormat* format) {
  if (text == "16")
    *format = SampleFormat::Int16;
  else if (text == "24")
    *format = SampleFormat::Int24;
  else if (text == "float" || text == "32f" || text == "f32")
    *format = SampleFormat::Float32;
  else
    return false;
  return true;
}

const char* sampleFormatName(SampleFormat format) {
  switch (format) {
    case SampleFormat::Int16:
      return "16-bit";
    case SampleFormat::Int24:
      return "24-bit";
    case SampleFormat::Float32:
      return "32-bit float";
  }
  return "?";
}

bool AudioWriter::begin(size_t channels, SampleFormat format, std::string* error) {
  if (!checkAudioOutput(path, format, error)) return false;
  if (channels == 0) {
    *error = "cannot write " + path + ": no audio channels";
    return false;
  }
  return output.prepare(error);
}

bool AudioWriter::fits(size_t n, std::string* error) {
  const uint64_t more = static_cast<uint64_t>(n) * frameBytes;
  if (!limited || bytesWritten + more <= classicLimit) {
    bytesWritten += more;
    return true;
  }
  *error = "cannot write " + path + ": the audio passes the " + std::to_string(classicLimit) +
           " bytes a " + containerName + " file can count (longer than announced?)";
  return false;
}

bool readAudioFile(const std::string& path, AudioData* audio, AudioFileInfo* info,
                   std::string* error) {
  AudioReader reader;
  if (!reader.open(path, error)) return false;
  info->format = reader.format();
  audio->sampleRate = reader.sampleRate();
  audio->channels.assign(reader.channels(), {});
  std::vector<std::vector<double>> block(reader.channels(), std::vector<double>(kIoFrames));
  size_t got;
  while ((got = reader.read(block, kIoFrames)) > 0)
    for (size_t c = 0; c < block.size(); ++c)
      audio->channels[c].insert(audio->channels[c].end(), block[c].begin(),
                                block[c].begin() + static_cast<long>(got));
  if (!reader.failure().empty()) {
    *error = reader.failure();
    return false;
  }
  return true;
}

bool writeAudioFile(const std::string& path, const AudioData& audio, SampleFormat format,
                    std::string* error) {
  AudioWriter writer(path);
  if (!writer.open(audio.channels.size(), audio.sampleRate, format, error, audio.frames()))
    return false;
  std::vector<std::vector<double>> block(audio.channels.size(), std::vector<double>(kIoFrames));
  for (size_t start = 0; start < audio.frames(); start += kIoFrames) {
    const size_t n = std::min(static_cast<size_t>(kIoFrames), audio.frames() - start);
    for (size_t c = 0; c < block.size(); ++c)
      std::copy(audio.channels[c].begin() + static_cast<long>(start),
                audio.channels[c].begin() + static_cast<long>(start + n), block[c].begin());
    if (!writer.write(block, n, error)) return false;
  }
  return writer.finish(error);
}

}  // namespace quillet::host
