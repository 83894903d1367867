// An audio file reader with any bytes, read to its end a block at a time as
// render reads its input. Built against each backend: libsndfile, and the
// Windows build's own WAV reader compiled for Linux. The bytes live in an
// in-memory file, opened by its /proc path as any file would be.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/audio/audio_file.h"

namespace {

// More than any seed or small input holds: a reader that goes on longer than
// this is not reading the bytes it was given. (FLAC packs thousands of
// frames into a few bytes, so the bound is generous.)
constexpr size_t kMaxFrames = 1u << 21;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = memfd_create("fuzz-audio", 0);
  if (fd < 0) std::abort();
  if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
  lseek(fd, 0, SEEK_SET);
  // Both readers go by the content, not the name.
  const std::string path = "/proc/self/fd/" + std::to_string(fd);

  quillet::host::AudioReader reader;
  std::string error;
  if (reader.open(path, &error)) {
    const size_t channels = reader.channels();
    if (channels == 0 || !(reader.sampleRate() > 0.0)) std::abort();
    // A header may announce thousands of channels: the block stays small.
    const size_t kBlock = std::max<size_t>(1, 65536 / channels);
    std::vector<std::vector<double>> block(channels, std::vector<double>(kBlock));
    size_t total = 0;
    for (;;) {
      const size_t got = reader.read(block, kBlock);
      if (got > kBlock) std::abort();
      if (got == 0) break;
      total += got;
#ifdef QUILLET_OWN_WAV_READER
      // Our reader decodes PCM and floats: at least one byte per frame.
      if (total > size) std::abort();
#endif
      if (total > kMaxFrames) break;
    }
  } else if (error.empty()) {
    std::abort();  // a refusal always says why
  }
  close(fd);
  return 0;
}
