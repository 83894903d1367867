// The preset attribute keys ("vstpresetkeys.h"): what IUnitInfo's
// getProgramInfo is asked for, and the attribute IDs of a .vstpreset file's
// meta information.
#pragma once

namespace quillet::vst3 {

constexpr const char* kPresetPlugInNameAttribute = "PlugInName";
constexpr const char* kPresetPlugInCategoryAttribute = "PlugInCategory";  // "Fx|Delay"
constexpr const char* kPresetInstrumentAttribute = "MusicalInstrument";
constexpr const char* kPresetStyleAttribute = "MusicalStyle";  // "Rock/Metal|Rockabilly"
constexpr const char* kPresetCharacterAttribute = "MusicalCharacter";
constexpr const char* kPresetStateTypeAttribute = "StateType";
constexpr const char* kPresetNameAttribute = "Name";
constexpr const char* kPresetFileNameAttribute = "FileName";

}  // namespace quillet::vst3
