#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "host/audio/audio_file.h"
#include "host/files/file_output.h"

namespace quillet::host {

namespace {

std::string extensionOf(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

int containerFor(const std::string& path) {
  const std::string ext = extensionOf(path);
  if (ext == "wav") return SF_FORMAT_WAV;
  if (ext == "flac") return SF_FORMAT_FLAC;
  if (ext == "aif" || ext == "aiff") return SF_FORMAT_AIFF;
  return 0;
}

int subtypeFor(SampleFormat format) {
  switch (format) {
    case SampleFormat::Int16:
      return SF_FORMAT_PCM_16;
    case SampleFormat::Int24:
      return SF_FORMAT_PCM_24;
    case SampleFormat::Float32:
      return SF_FORMAT_FLOAT;
  }
  return SF_FORMAT_PCM_24;
}

}  // namespace

SampleFormat formatForOutput(const std::string& path, SampleFormat wanted) {
  if (containerFor(path) == SF_FORMAT_FLAC && wanted == SampleFormat::Float32)
    return SampleFormat::Int24;
  return wanted;
}

struct AudioReader::File {
  SNDFILE* handle = nullptr;
};

AudioReader::AudioReader() = default;

AudioReader::~AudioReader() {
  if (file && file->handle) sf_close(file->handle);
}

bool AudioReader::open(const std::string& filePath, std::string* error) {
  path = filePath;
  // fopen first: libsndfile's own message for a missing file is vague.
  FILE* probe = std::fopen(path.c_str(), "rb");
  if (!probe) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  std::fclose(probe);
  SF_INFO sfinfo{};
  file = std::make_unique<File>();
  file->handle = sf_open(path.c_str(), SFM_READ, &sfinfo);
  if (!file->handle) {
    *error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  if (sfinfo.channels < 1 || sfinfo.samplerate < 1) {
    *error = "cannot read " + path + ": no channels or no sample rate";
    return false;
  }
  switch (sfinfo.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
      sampleFormat = SampleFormat::Int16;
      break;
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
      sampleFormat = SampleFormat::Float32;
      break;
    default:
      sampleFormat = SampleFormat::Int24;
  }
  rate = sfinfo.samplerate;
  channelCount = static_cast<size_t>(sfinfo.channels);
  // FLAC may say "length unknown": libsndfile then reports the largest count.
  knownLength = sfinfo.frames >= 0 && sfinfo.frames < std::numeric_limits<sf_count_t>::max() / 2;
  frameCount = knownLength ? static_cast<size_t>(sfinfo.frames) : 0;
  return true;
}

size_t AudioReader::read(std::vector<std::vector<double>>& block, size_t n) {
  if (!file || !file->handle || n == 0) return 0;
  interleaved.resize(n * channelCount);
  const sf_count_t got =
      sf_readf_double(file->handle, interleaved.data(), static_cast<sf_count_t>(n));
  if (got < 0 || sf_error(file->handle) != SF_ERR_NO_ERROR) {
    readError = "cannot read " + path + ": " + sf_strerror(file->handle);
    return 0;
  }
  const size_t frames = static_cast<size_t>(got);
  for (size_t c = 0; c < channelCount && c < block.size(); ++c)
    for (size_t i = 0; i < frames; ++i) block[c][i] = interleaved[i * channelCount + c];
  return frames;
}

struct AudioWriter::File {
  SNDFILE* handle = nullptr;
};

AudioWriter::AudioWriter(const std::string& target) : path(target), output(target) {}

AudioWriter::~AudioWriter() {
  if (file && file->handle) sf_close(file->handle);
}

bool AudioWriter::open(size_t channels, double sampleRate, SampleFormat format, std::string* error,
                       uint64_t expectedFrames) {
  if (!begin(channels, format, error)) return false;
  frameBytes = channels * (format == SampleFormat::Int16   ? 2u
                           : format == SampleFormat::Int24 ? 3u
                                                           : 4u);
  const bool unknown = expectedFrames == kUnknownFrames;
  const bool large = unknown || expectedFrames > classicLimit / frameBytes;
  int container = containerFor(path);
  containerName = container == SF_FORMAT_FLAC   ? "FLAC"
                  : container == SF_FORMAT_AIFF ? "AIFF"
                                                : "WAV";
  limited = container != SF_FORMAT_FLAC;
  if (container == SF_FORMAT_WAV && large) {
    // RF64 counts in 64 bits.
    container = SF_FORMAT_RF64;
    containerName = "RF64";
    limited = false;
  } else if (container == SF_FORMAT_AIFF && large && !unknown) {
    *error = "cannot write " + path + ": " + std::to_string(expectedFrames * frameBytes) +
             " bytes of audio do not fit an AIFF file (use .wav or .flac)";
    return false;
  }
  SF_INFO sfinfo{};
  sfinfo.channels = static_cast<int>(channels);
  sfinfo.samplerate = static_cast<int>(sampleRate + 0.5);
  sfinfo.format = container | subtypeFor(format);
  file = std::make_unique<File>();
  const int fd = output.takeDescriptor();
  file->handle = sf_open_fd(fd, SFM_WRITE, &sfinfo, SF_TRUE);
  if (!file->handle) {
    close(fd);
    *error = "cannot write " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  // Integer files clip overs instead of wrapping them around.
  sf_command(file->handle, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  // Of unknown length: RF64 only if it turns out to need it.
  if (container == SF_FORMAT_RF64 && unknown)
    sf_command(file->handle, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
  return true;
}

bool AudioWriter::write(const std::vector<std::vector<double>>& block, size_t n,
                        std::string* error) {
  if (!fits(n, error)) return false;
  const size_t channels = block.size();
  interleaved.resize(n * channels);
  for (size_t i = 0; i < n; ++i)
    for (size_t c = 0; c < channels; ++c) interleaved[i * channels + c] = block[c][i];
  if (sf_writef_double(file->handle, interleaved.data(), static_cast<sf_count_t>(n)) !=
      static_cast<sf_count_t>(n)) {
    *error = "cannot write " + path + ": " + sf_strerror(file->handle);
    return false;
  }
  return true;
}

bool AudioWriter::finish(std::string* error) {
  const int closed = sf_close(file->handle);
  file->handle = nullptr;
  if (closed != 0) {
    *error = "cannot write " + path + ": closing failed";
    return false;
  }
  return output.commit(error);
}

bool checkAudioOutput(const std::string& path, SampleFormat format, std::string* error) {
  const int container = containerFor(path);
  if (!container) {
    *error = "cannot write " + path + ": unknown audio file type (use .wav, .flac or .aiff)";
    return false;
  }
  SF_INFO probe{};
  probe.channels = 2;
  probe.samplerate = 48000;
  probe.format = container | subtypeFor(format);
  if (!sf_format_check(&probe)) {
    *error = "cannot write " + path + ": " + sampleFormatName(format) +
             " samples do not fit this file type";
    return false;
  }
  return true;
}

}  // namespace quillet::host
