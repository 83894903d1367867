// What a host or a user hands the core from outside: typed texts for every
// parameter, in both text forms, and saved states, strict and as VST 2.4
// has them. Nothing may crash or read beyond the input, every value taken
// lies in 0..1, and a refused state changes nothing.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/param_store.h"
#include "core/param_text.h"
#include "core/state_codec.h"

using namespace quillet;

namespace {

void require(bool ok) {
  if (!ok) std::abort();
}

bool inUnit(float v) { return v >= 0.0f && v <= 1.0f; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The text, NUL-terminated as hosts pass it; the first byte picks the context.
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  quillet::core::ParamTextContext context;
  context.range = size > 0 ? (data[0] % 3) * 0.5f : 0.5f;
  context.sampleRate = size > 0 && (data[0] & 4) ? 44100.0f : 0.0f;
  for (int32_t i = 0; i < quillet::core::kNumQuilletParams; ++i) {
    float v = -1.0f;
    if (quillet::core::parseParamText(i, text.data(), context, &v)) {
      require(inUnit(v));
      char shown[quillet::core::kMaxParamTextLength + 1];
      require(quillet::core::formatParamText(i, v, context, shown, sizeof shown));
    }
  }
  float v = -1.0f;
  if (quillet::core::parseVst24Text(text.data(), &v)) require(inUnit(v));

  // The same bytes as a saved state.
  quillet::core::ParamStore strict, lenient;
  uint8_t before[quillet::core::kStateBytes], after[quillet::core::kStateBytes];
  quillet::core::saveState(strict, before);
  const bool taken = quillet::core::loadStateStrict(strict, data, size);
  saveState(strict, after);
  if (!taken) require(std::memcmp(before, after, quillet::core::kStateBytes) == 0);
  quillet::core::loadState(lenient, data, size);
  for (int32_t i = 0; i < quillet::core::kNumQuilletParams; ++i) {
    require(inUnit(strict.value(i)));
    require(inUnit(lenient.value(i)));
  }
  return 0;
}
