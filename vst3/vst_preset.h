// The VST3 preset file (.vstpreset) of a factory preset, as Steinberg's
// "Preset Format" page lays it out: a 48-byte header ('VST3', the format
// version, the processor's class ID as 32 hex digits, the offset of the
// chunk list), the chunks' data, and the chunk list ('List', a count, then
// each chunk's ID, offset and size). Numbers are little-endian, 32-bit
// (version, count) or 64-bit (offsets, sizes). Chunks: 'Comp', the
// component state as IComponent::getState writes it, and 'Info', the
// preset's meta information as XML. Our controller keeps no state of its
// own, so there is no 'Cont' chunk; a preset leaves the bypass alone, so the
// component state is the 44 bytes every edition saves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/factory_presets.h"

namespace quillet::vst3 {

constexpr int32_t kVstPresetVersion = 1;
constexpr size_t kVstPresetHeaderBytes = 48;

// `category` is the class's subcategories ("Fx|Delay").
std::vector<uint8_t> vstPresetBytes(const core::FactoryPreset& preset, const char* category);
// The 'Info' chunk: MediaType, PlugInName, PlugInCategory, Name and, where
// the preset has one, MusicalStyle.
std::string vstPresetMetaInfo(const core::FactoryPreset& preset, const char* category);
// The file's name: the preset's name, as hosts list a preset by its file
// name, with the characters file systems refuse replaced by '_'.
std::string vstPresetFileName(const core::FactoryPreset& preset);

}  // namespace quillet::vst3
