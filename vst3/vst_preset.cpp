#include "vst3/vst_preset.h"

#include <cstring>

#include "core/identity.h"
#include "core/state_codec.h"
#include "vst3/class_ids.h"
#include "vst3/interface/preset_keys.h"

namespace quillet::vst3 {

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void put64(std::vector<uint8_t>& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void patch64(std::vector<uint8_t>& out, size_t at, uint64_t v) {
  for (int i = 0; i < 8; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Byte by byte: GCC 12 takes a ranged insert of the literal for an overflow
// in the mingw Release build (-Wstringop-overflow).
void putId(std::vector<uint8_t>& out, const char id[5]) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(id[i]));
}

// An XML attribute value.
std::string escaped(const char* text) {
  std::string out;
  for (const char* c = text; *c; ++c) {
    switch (*c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += *c;
    }
  }
  return out;
}

std::string attribute(const char* id, const char* value) {
  return std::string("\t<Attr id=\"") + id + "\" value=\"" + escaped(value) +
         "\" type=\"string\" flags=\"writeProtected\"/>\n";
}

struct Chunk {
  const char* id;
  uint64_t offset, size;
};

}  // namespace

std::string vstPresetMetaInfo(const core::FactoryPreset& preset, const char* category) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<MetaInfo>\n";
  xml += attribute("MediaType", "VstPreset");
  xml += attribute(kPresetPlugInNameAttribute, core::identity::kProductName);
  xml += attribute(kPresetPlugInCategoryAttribute, category);
  xml += attribute(kPresetNameAttribute, preset.name);
  if (preset.style) xml += attribute(kPresetStyleAttribute, preset.style);
  return xml + "</MetaInfo>\n";
}

std::vector<uint8_t> vstPresetBytes(const core::FactoryPreset& preset, const char* category) {
  std::vector<uint8_t> out;
  putId(out, "VST3");
  put32(out, static_cast<uint32_t>(kVstPresetVersion));
  char classId[33];
  kProcessorClassId.toString(classId);
  out.insert(out.end(), classId, classId + 32);
  const size_t listOffsetAt = out.size();
  put64(out, 0);  // patched once the chunks are written

  Chunk chunks[2] = {{"Comp", 0, 0}, {"Info", 0, 0}};
  chunks[0].offset = out.size();
  uint8_t state[core::kStateBytes];
  core::encodeState(preset.values, state);
  out.insert(out.end(), state, state + sizeof state);
  chunks[0].size = sizeof state;
  chunks[1].offset = out.size();
  const std::string info = vstPresetMetaInfo(preset, category);
  out.insert(out.end(), info.begin(), info.end());
  chunks[1].size = info.size();

  patch64(out, listOffsetAt, out.size());
  putId(out, "List");
  put32(out, 2);
  for (const Chunk& chunk : chunks) {
    putId(out, chunk.id);
    put64(out, chunk.offset);
    put64(out, chunk.size);
  }
  return out;
}

std::string vstPresetFileName(const core::FactoryPreset& preset) {
  std::string name = preset.name;
  for (char& c : name)
    if (std::strchr("\\*?/:<>|\"", c)) c = '_';
  return name + ".vstpreset";
}

}  // namespace quillet::vst3
