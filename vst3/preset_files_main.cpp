// Build-time writer of the VST3 edition's factory presets: one .vstpreset
// per preset of core/factory_presets.h, into the folder given.
//   quillet_vst3_preset_files DIR
#include <cstdio>
#include <string>
#include <vector>

#include "vst3/vst_preset.h"

#ifndef QUILLET_VST3_SUBCATEGORIES
#error "the build passes the VST3 class's subcategories from vst3/CMakeLists.txt"
#endif

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quillet_vst3_preset_files DIR\n");
    return 2;
  }
  bool ok = true;
  for (const quillet::core::FactoryPreset& preset : quillet::core::kFactoryPresets) {
    const std::vector<uint8_t> bytes =
        quillet::vst3::vstPresetBytes(preset, QUILLET_VST3_SUBCATEGORIES);
    const std::string path = std::string(argv[1]) + "/" + quillet::vst3::vstPresetFileName(preset);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
      std::fprintf(stderr, "quillet_vst3_preset_files: cannot write %s\n", path.c_str());
      return 1;
    }
    ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && ok;
    ok = std::fclose(file) == 0 && ok;
  }
  return ok ? 0 : 1;
}
