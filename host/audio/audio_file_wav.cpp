// Audio files without libsndfile, for builds where it is not available (the
// Windows cross build): RIFF WAVE only, 16- or 24-bit integer or 32-bit float
// samples, read and written a block at a time.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "host/audio/audio_file.h"
#include "host/files/file_output.h"

namespace quillet::host {

namespace {

constexpr uint16_t kPcm = 1;
constexpr uint16_t kFloat = 3;
constexpr uint16_t kExtensible = 0xfffe;
constexpr uint16_t kMaxReadChannels = 1024;

bool isWav(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == "wav";
}

uint32_t le32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void put32(std::vector<unsigned char>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void put16(std::vector<unsigned char>& out, uint16_t v) {
  out.push_back(static_cast<unsigned char>(v));
  out.push_back(static_cast<unsigned char>(v >> 8));
}

#ifdef _WIN32
int64_t tell64(FILE* f) { return _ftelli64(f); }
int seek64(FILE* f, int64_t offset, int whence) { return _fseeki64(f, offset, whence); }
#else
int64_t tell64(FILE* f) { return ftello(f); }
int seek64(FILE* f, int64_t offset, int whence) { return fseeko(f, offset, whence); }
#endif

// Bytes from the current position to the end of the file.
int64_t bytesLeft(FILE* f) {
  const int64_t here = tell64(f);
  if (here < 0 || seek64(f, 0, SEEK_END) != 0) return -1;
  const int64_t end = tell64(f);
  if (seek64(f, here, SEEK_SET) != 0 || end < here) return -1;
  return end - here;
}

int bytesPerSample(SampleFormat format) {
  return format == SampleFormat::Int16 ? 2 : format == SampleFormat::Int24 ? 3 : 4;
}

}  // namespace

SampleFormat formatForOutput(const std::string&, SampleFormat wanted) { return wanted; }

struct AudioReader::File {
  FILE* handle = nullptr;
  size_t dataLeft = 0;  // bytes of sample data not read yet
};

AudioReader::AudioReader() = default;

AudioReader::~AudioReader() {
  if (file && file->handle) std::fclose(file->handle);
}

bool AudioReader::open(const std::string& filePath, std::string* error) {
  path = filePath;
  file = std::make_unique<File>();
  file->handle = std::fopen(path.c_str(), "rb");
  if (!file->handle) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  unsigned char header[12];
  if (std::fread(header, 1, 12, file->handle) != 12 || std::memcmp(header, "RIFF", 4) != 0 ||
      std::memcmp(header + 8, "WAVE", 4) != 0) {
    *error = "cannot read " + path + ": not a WAV file";
    return false;
  }
  uint16_t tag = 0, channels = 0, bits = 0;
  uint32_t sampleRate = 0;
  for (;;) {
    unsigned char chunk[8];
    if (std::fread(chunk, 1, 8, file->handle) != 8) {
      *error = "cannot read " + path + ": no audio data";
      return false;
    }
    const uint32_t size = le32(chunk + 4);
    if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16 && size < 4096) {
      std::vector<unsigned char> fmt(size + (size & 1));
      if (std::fread(fmt.data(), 1, fmt.size(), file->handle) != fmt.size()) break;
      tag = le16(&fmt[0]);
      channels = le16(&fmt[2]);
      sampleRate = le32(&fmt[4]);
      bits = le16(&fmt[14]);
      if (tag == kExtensible && size >= 26) tag = le16(&fmt[24]);
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      // The header's size is a claim: streamed files say 0 or 0xffffffff, and
      // a damaged one anything. What the file holds is what is read.
      const int64_t left = bytesLeft(file->handle);
      if (left < 0) {
        *error = "cannot read " + path + ": cannot seek";
        return false;
      }
      const uint64_t held = static_cast<uint64_t>(left);
      file->dataLeft = static_cast<size_t>(size == 0 || size > held ? held : size);
      break;
    } else if (seek64(file->handle, static_cast<int64_t>(size) + (size & 1), SEEK_CUR) != 0) {
      break;
    }
  }
  // As many channels as libsndfile reads, no more: a render holds a block of
  // every channel, and a header may announce up to 65535.
  if (channels > kMaxReadChannels) {
    *error = "cannot read " + path + ": " + std::to_string(channels) + " channels (at most " +
             std::to_string(kMaxReadChannels) + " are read)";
    return false;
  }
  if (channels < 1 || sampleRate < 1 ||
      !((tag == kPcm && (bits == 16 || bits == 24)) || (tag == kFloat && bits == 32))) {
    *error = "cannot read " + path + ": only 16- or 24-bit or float WAV files are read here";
    return false;
  }
  sampleFormat = tag == kFloat ? SampleFormat::Float32
                 : bits == 16  ? SampleFormat::Int16
                               : SampleFormat::Int24;
  rate = sampleRate;
  channelCount = channels;
  frameCount = file->dataLeft / (channels * (bits / 8));
  return true;
}

size_t AudioReader::read(std::vector<std::vector<double>>& block, size_t n) {
  if (!file || !file->handle || n == 0) return 0;
  const size_t width = static_cast<size_t>(bytesPerSample(sampleFormat));
  const size_t frameBytes = width * channelCount;
  n = std::min(n, file->dataLeft / frameBytes);
  std::vector<unsigned char> raw(n * frameBytes);
  const size_t got = std::fread(raw.data(), 1, raw.size(), file->handle) / frameBytes;
  if (got < n && std::ferror(file->handle)) {
    readError = "cannot read " + path + ": " + std::strerror(errno);
    return 0;
  }
  file->dataLeft = got < n ? 0 : file->dataLeft - got * frameBytes;
  for (size_t i = 0; i < got; ++i) {
    for (size_t c = 0; c < channelCount; ++c) {
      const unsigned char* p = &raw[(i * channelCount + c) * width];
      double v;
      if (sampleFormat == SampleFormat::Float32) {
        float f;
        std::memcpy(&f, p, 4);
        v = f;
      } else if (sampleFormat == SampleFormat::Int16) {
        v = static_cast<int16_t>(le16(p)) / 32768.0;
      } else {
        const int32_t s = static_cast<int32_t>((p[0] << 8) | (p[1] << 16) |
                                               (static_cast<uint32_t>(p[2]) << 24)) >>
                          8;
        v = s / 8388608.0;
      }
      if (c < block.size()) block[c][i] = v;
    }
  }
  return got;
}

struct AudioWriter::File {
  FILE* handle = nullptr;
  SampleFormat format = SampleFormat::Float32;
  size_t channels = 0;
  uint64_t dataBytes = 0;
};

AudioWriter::AudioWriter(const std::string& target) : path(target), output(target) {}

AudioWriter::~AudioWriter() {
  if (file && file->handle) std::fclose(file->handle);
}

bool AudioWriter::open(size_t channels, double sampleRate, SampleFormat format, std::string* error,
                       uint64_t expectedFrames) {
  if (!checkAudioOutput(path, format, error)) return false;
  frameBytes = channels * static_cast<uint64_t>(bytesPerSample(format));
  containerName = "WAV";
  limited = true;
  // No RF64 here: what cannot be counted in 32 bits is refused before writing.
  if (expectedFrames != kUnknownFrames && frameBytes > 0 &&
      expectedFrames > classicLimit / frameBytes) {
    *error = "cannot write " + path + ": " + std::to_string(expectedFrames * frameBytes) +
             " bytes of audio do not fit a WAV file (this build writes at most " +
             std::to_string(classicLimit) + ")";
    return false;
  }
  if (!begin(channels, format, error)) return false;
  file = std::make_unique<File>();
  file->format = format;
  file->channels = channels;
  const int fd = output.takeDescriptor();
  file->handle = fdopen(fd, "wb");
  if (!file->handle) {
    close(fd);
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  const uint16_t width = static_cast<uint16_t>(bytesPerSample(format));
  const uint32_t rate = static_cast<uint32_t>(sampleRate + 0.5);
  std::vector<unsigned char> header;
  header.insert(header.end(), {'R', 'I', 'F', 'F'});
  put32(header, 0);  // sizes are filled in at finish()
  header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put32(header, 16);
  put16(header, format == SampleFormat::Float32 ? kFloat : kPcm);
  put16(header, static_cast<uint16_t>(channels));
  put32(header, rate);
  put32(header, rate * width * static_cast<uint32_t>(channels));
  put16(header, static_cast<uint16_t>(width * channels));
  put16(header, static_cast<uint16_t>(width * 8));
  header.insert(header.end(), {'d', 'a', 't', 'a'});
  put32(header, 0);
  if (std::fwrite(header.data(), 1, header.size(), file->handle) != header.size()) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool AudioWriter::write(const std::vector<std::vector<double>>& block, size_t n,
                        std::string* error) {
  if (!fits(n, error)) return false;
  const size_t channels = block.size();
  std::vector<unsigned char> raw;
  raw.reserve(n * channels * 4);
  for (size_t i = 0; i < n; ++i) {
    for (size_t c = 0; c < channels; ++c) {
      const double v = block[c][i];
      if (file->format == SampleFormat::Float32) {
        const float f = static_cast<float>(v);
        unsigned char bytes[4];
        std::memcpy(bytes, &f, 4);
        raw.insert(raw.end(), bytes, bytes + 4);
      } else {
        // Integer files clip overs instead of wrapping them around.
        const double full = file->format == SampleFormat::Int16 ? 32768.0 : 8388608.0;
        const double clipped = std::max(-full, std::min(full - 1.0, std::round(v * full)));
        const int32_t s = static_cast<int32_t>(clipped);
        const int width = bytesPerSample(file->format);
        for (int b = 0; b < width; ++b) raw.push_back(static_cast<unsigned char>(s >> (8 * b)));
      }
    }
  }
  if (std::fwrite(raw.data(), 1, raw.size(), file->handle) != raw.size()) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  file->dataBytes += raw.size();
  return true;
}

bool AudioWriter::finish(std::string* error) {
  // fits() kept the data within what 32 bits count.
  const uint32_t dataBytes = static_cast<uint32_t>(file->dataBytes);
  std::vector<unsigned char> size;
  put32(size, 36 + dataBytes);
  put32(size, dataBytes);
  const bool written = std::fseek(file->handle, 4, SEEK_SET) == 0 &&
                       std::fwrite(size.data(), 1, 4, file->handle) == 4 &&
                       std::fseek(file->handle, 40, SEEK_SET) == 0 &&
                       std::fwrite(size.data() + 4, 1, 4, file->handle) == 4;
  const bool closed = std::fclose(file->handle) == 0;
  file->handle = nullptr;
  if (!written || !closed) {
    *error = "cannot write " + path + ": closing failed";
    return false;
  }
  return output.commit(error);
}

bool checkAudioOutput(const std::string& path, SampleFormat, std::string* error) {
  if (!isWav(path)) {
    *error = "cannot write " + path + ": only .wav files are written by this build";
    return false;
  }
  return true;
}

}  // namespace quillet::host
