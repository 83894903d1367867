// effSetChunk with any bytes, then blocks in both precisions: a state the
// effect takes must give bounded audio, one it refuses must change nothing.
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/fuzz/fuzz_effect.h"

using namespace quillet::test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AEffect* e = openEffect();
  // A low rate keeps the lines short and the runs many; the paths are the same.
  call(e, effSetSampleRate, 0, 0, nullptr, 8000.0f);
  call(e, effSetBlockSize, 0, kMaxFrames);
  call(e, effMainsChanged, 0, 1);

  void* before = nullptr;
  const VstIntPtr chunkSize = call(e, effGetChunk, 0, 0, &before);
  if (chunkSize != 44 || !before) std::abort();
  std::vector<uint8_t> saved(static_cast<const uint8_t*>(before),
                             static_cast<const uint8_t*>(before) + chunkSize);

  // The host's copy: the plug-in may read exactly what it is told.
  std::vector<uint8_t> chunk(data, data + size);
  const bool isPreset = size > 0 && (data[0] & 1);
  call(e, effSetChunk, isPreset ? 1 : 0, static_cast<VstIntPtr>(chunk.size()),
       chunk.empty() ? nullptr : chunk.data());

  if (size < 44) {
    void* after = nullptr;
    call(e, effGetChunk, 0, 0, &after);
    if (std::memcmp(after, saved.data(), saved.size()) != 0) std::abort();
  }
  for (int i = 0; i < 11; ++i) {
    const float v = e->getParameter(e, i);
    if (!(v >= 0.0f && v <= 1.0f)) std::abort();
  }

  Stereo<float> single;
  Stereo<double> twice;
  for (int block = 0; block < 4; ++block) {
    processBlock(e, single, kMaxFrames);
    processBlock(e, twice, 37);
  }
  call(e, effMainsChanged, 0, 0);
  closeEffect(e);
  return 0;
}
