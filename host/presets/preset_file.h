// The preset files DAWs exchange: programs (.fxp) and banks (.fxb), each
// either an opaque chunk ('FPCh', 'FBCh') or plain parameters ('FxCk', 'FxBk').
// All numbers in the files are big-endian.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vst/interface/vst2_interface.h"

namespace quillet::host {

enum class PresetKind { ChunkProgram, ParamProgram, ChunkBank, ParamBank };

// One program of a plain bank, or the single program of a plain .fxp.
struct PresetProgram {
  std::string name;  // at most 27 characters in the file
  std::vector<float> params;
};

struct PresetFile {
  PresetKind kind = PresetKind::ChunkProgram;
  VstInt32 fxID = 0;       // the plug-in's unique ID
  VstInt32 fxVersion = 0;  // the plug-in's version
  VstInt32 numPrograms = 0;
  VstInt32 bankVersion = 2;             // banks only: 1, or 2 with the current program
  VstInt32 currentProgram = 0;          // banks of version 2 only
  std::string name;                     // chunk programs: the program name
  std::vector<uint8_t> chunk;           // chunk programs and banks
  std::vector<PresetProgram> programs;  // plain programs (one) and banks
};

// Larger files are refused before anything is read into memory.
constexpr size_t kMaxPresetFileBytes = 64u << 20;

bool isBank(PresetKind kind);
const char* presetKindName(PresetKind kind);

// False with a one-line reason for anything malformed, truncated or oversized.
bool parsePreset(const std::vector<uint8_t>& bytes, PresetFile* preset, std::string* error);
std::vector<uint8_t> serializePreset(const PresetFile& preset);

bool readPresetFile(const std::string& path, PresetFile* preset, std::string* error);
// Written to a temporary file first, so a failure leaves no partial file.
bool writePresetFile(const std::string& path, const PresetFile& preset, std::string* error);

}  // namespace quillet::host
