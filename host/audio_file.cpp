#include "host/audio_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/file_output.h"

namespace vsthost {

namespace {

constexpr sf_count_t kIoFrames = 8192;

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

SampleFormat formatForOutput(const std::string& path, SampleFormat wanted) {
  if (containerFor(path) == SF_FORMAT_FLAC && wanted == SampleFormat::Float32)
    return SampleFormat::Int24;
  return wanted;
}

bool readAudioFile(const std::string& path, AudioData* audio, AudioFileInfo* info,
                   std::string* error) {
  // fopen first: libsndfile's own message for a missing file is vague.
  FILE* probe = std::fopen(path.c_str(), "rb");
  if (!probe) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  std::fclose(probe);
  SF_INFO sfinfo{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &sfinfo);
  if (!file) {
    *error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  if (sfinfo.channels < 1 || sfinfo.samplerate < 1) {
    sf_close(file);
    *error = "cannot read " + path + ": no channels or no sample rate";
    return false;
  }
  switch (sfinfo.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
      info->format = SampleFormat::Int16;
      break;
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
      info->format = SampleFormat::Float32;
      break;
    default:
      info->format = SampleFormat::Int24;
  }
  audio->sampleRate = sfinfo.samplerate;
  audio->channels.assign(static_cast<size_t>(sfinfo.channels), {});
  std::vector<double> interleaved(static_cast<size_t>(kIoFrames * sfinfo.channels));
  sf_count_t got;
  while ((got = sf_readf_double(file, interleaved.data(), kIoFrames)) > 0) {
    for (sf_count_t i = 0; i < got; ++i)
      for (int c = 0; c < sfinfo.channels; ++c)
        audio->channels[static_cast<size_t>(c)].push_back(
            interleaved[static_cast<size_t>(i * sfinfo.channels + c)]);
  }
  const int failure = sf_error(file);
  sf_close(file);
  if (failure != SF_ERR_NO_ERROR) {
    *error = "cannot read " + path + ": " + sf_error_number(failure);
    return false;
  }
  return true;
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

bool writeAudioFile(const std::string& path, const AudioData& audio, SampleFormat format,
                    std::string* error) {
  if (!checkAudioOutput(path, format, error)) return false;
  if (audio.channels.empty()) {
    *error = "cannot write " + path + ": no audio channels";
    return false;
  }
  AtomicOutput output(path);
  if (!output.prepare(error)) return false;
  SF_INFO sfinfo{};
  sfinfo.channels = static_cast<int>(audio.channels.size());
  sfinfo.samplerate = static_cast<int>(audio.sampleRate + 0.5);
  sfinfo.format = containerFor(path) | subtypeFor(format);
  SNDFILE* file = sf_open(output.temporaryPath().c_str(), SFM_WRITE, &sfinfo);
  if (!file) {
    *error = "cannot write " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  // Integer files clip overs instead of wrapping them around.
  sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  const size_t channels = audio.channels.size();
  std::vector<double> interleaved(static_cast<size_t>(kIoFrames) * channels);
  bool ok = true;
  for (size_t start = 0; ok && start < audio.frames(); start += kIoFrames) {
    const size_t n = std::min(static_cast<size_t>(kIoFrames), audio.frames() - start);
    for (size_t i = 0; i < n; ++i)
      for (size_t c = 0; c < channels; ++c)
        interleaved[i * channels + c] = audio.channels[c][start + i];
    ok = sf_writef_double(file, interleaved.data(), static_cast<sf_count_t>(n)) ==
         static_cast<sf_count_t>(n);
  }
  if (!ok) *error = "cannot write " + path + ": " + sf_strerror(file);
  if (sf_close(file) != 0 && ok) {
    ok = false;
    *error = "cannot write " + path + ": closing failed";
  }
  return ok && output.commit(error);
}

}  // namespace vsthost
