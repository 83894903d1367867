// The .fxp/.fxb reader with any bytes. What it accepts must write back to a
// file that reads as the same preset.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "host/presets/preset_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  quillet::host::PresetFile preset;
  std::string error;
  if (!quillet::host::parsePreset(bytes, &preset, &error)) {
    if (error.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  const std::vector<uint8_t> written = quillet::host::serializePreset(preset);
  quillet::host::PresetFile again;
  if (!quillet::host::parsePreset(written, &again, &error)) std::abort();
  if (quillet::host::serializePreset(again) != written) std::abort();
  return 0;
}
