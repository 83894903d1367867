// VST3 preset files (.vstpreset) as hosts read them: a header ('VST3', the
// format version, the class ID of the plug-in's processor as 32 hex digits,
// the offset of the chunk list), the chunks' data, and the chunk list
// ('List', a count, each chunk's four-letter ID, offset and size). Numbers
// are little-endian. 'Comp' holds the component's state, 'Cont' the
// controller's own (optional), 'Info' the meta information as XML.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quillet::host {

struct VstPresetChunk {
  std::string id;  // four characters
  std::vector<uint8_t> data;
};

struct VstPresetFile {
  int32_t version = 0;
  std::string classId;  // 32 hex digits, as the file spells them
  std::vector<VstPresetChunk> chunks;

  // Null when the file has no chunk of that ID.
  const VstPresetChunk* chunk(const char* id) const;
};

// True for a path ending in ".vstpreset" (any letter case).
bool isVstPresetPath(const std::string& path);

// False with a one-line reason for a file that is not one: a wrong header,
// a class ID that is not 32 hex digits, a chunk list or chunk outside the
// file, two list entries that share bytes (or one and the list), no 'Comp'
// chunk. What it reads is never larger than the file, plus a few dozen
// bytes per list entry.
bool parseVstPreset(const std::vector<uint8_t>& bytes, VstPresetFile* preset, std::string* error);
bool readVstPresetFile(const std::string& path, VstPresetFile* preset, std::string* error);

// The attributes of an 'Info' chunk (<Attr id="..." value="..."/>), in file
// order, with &amp; &lt; &gt; &quot; &apos; read back.
std::vector<std::pair<std::string, std::string>> vstPresetAttributes(const std::string& xml);

}  // namespace quillet::host
