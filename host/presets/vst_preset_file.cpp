#include "host/presets/vst_preset_file.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "host/files/file_output.h"
#include "host/presets/preset_file.h"

namespace quillet::host {

namespace {

constexpr size_t kHeaderBytes = 48;
constexpr size_t kListEntryBytes = 20;

uint64_t little(const std::vector<uint8_t>& bytes, size_t at, int count) {
  uint64_t v = 0;
  for (int i = count - 1; i >= 0; --i) v = (v << 8) | bytes[at + i];
  return v;
}

bool isHexDigit(uint8_t c) { return std::isxdigit(c) != 0; }

std::string unescaped(const std::string& text) {
  static const std::pair<const char*, char> entities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  for (size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& [entity, c] : entities) {
      const size_t n = std::strlen(entity);
      if (text.compare(i, n, entity) == 0) {
        out += c;
        i += n;
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

// The value of `name="..."` inside one element's text; empty when absent.
std::string attributeOf(const std::string& element, const char* name) {
  const std::string key = std::string(" ") + name + "=\"";
  const size_t start = element.find(key);
  if (start == std::string::npos) return "";
  const size_t from = start + key.size();
  const size_t end = element.find('"', from);
  return end == std::string::npos ? "" : unescaped(element.substr(from, end - from));
}

}  // namespace

const VstPresetChunk* VstPresetFile::chunk(const char* id) const {
  for (const VstPresetChunk& c : chunks)
    if (c.id == id) return &c;
  return nullptr;
}

bool isVstPresetPath(const std::string& path) {
  const std::string ext = ".vstpreset";
  if (path.size() < ext.size()) return false;
  std::string tail = path.substr(path.size() - ext.size());
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return tail == ext;
}

bool parseVstPreset(const std::vector<uint8_t>& bytes, VstPresetFile* preset, std::string* error) {
  if (bytes.size() < kHeaderBytes || std::memcmp(bytes.data(), "VST3", 4) != 0) {
    *error = "not a VST3 preset (no 'VST3' header)";
    return false;
  }
  VstPresetFile read;
  read.version = static_cast<int32_t>(little(bytes, 4, 4));
  read.classId.assign(reinterpret_cast<const char*>(&bytes[8]), 32);
  if (!std::all_of(bytes.begin() + 8, bytes.begin() + 40, isHexDigit)) {
    *error = "the preset's class ID is not 32 hex digits";
    return false;
  }
  const uint64_t listAt = little(bytes, 40, 8);
  if (listAt < kHeaderBytes || listAt > bytes.size() || bytes.size() - listAt < 8 ||
      std::memcmp(&bytes[listAt], "List", 4) != 0) {
    *error = "the preset's chunk list is missing or outside the file";
    return false;
  }
  const uint64_t count = little(bytes, listAt + 4, 4);
  if (count > (bytes.size() - listAt - 8) / kListEntryBytes) {
    *error = "the preset's chunk list runs past the end of the file";
    return false;
  }
  // Each entry's bytes, checked before any is copied: inside the file, and
  // no two entries (nor an entry and the list) sharing a byte, so that the
  // chunks together are never larger than the file.
  struct Span {
    uint64_t from, to;
  };
  std::vector<Span> spans;
  spans.reserve(static_cast<size_t>(count) + 1);
  spans.push_back({listAt, listAt + 8 + count * kListEntryBytes});
  for (uint64_t i = 0; i < count; ++i) {
    const size_t entry = listAt + 8 + i * kListEntryBytes;
    const uint64_t offset = little(bytes, entry + 4, 8);
    const uint64_t size = little(bytes, entry + 12, 8);
    if (offset < kHeaderBytes || offset > bytes.size() || size > bytes.size() - offset) {
      *error = "a chunk of the preset lies outside the file";
      return false;
    }
    if (size > 0) spans.push_back({offset, offset + size});
  }
  std::sort(spans.begin(), spans.end(),
            [](const Span& a, const Span& b) { return a.from < b.from; });
  for (size_t i = 1; i < spans.size(); ++i) {
    if (spans[i].from < spans[i - 1].to) {
      *error =
          "two chunks of the preset's list share bytes (a list entry overlaps or repeats "
          "another, or the list itself)";
      return false;
    }
  }
  for (uint64_t i = 0; i < count; ++i) {
    const size_t entry = listAt + 8 + i * kListEntryBytes;
    const uint64_t offset = little(bytes, entry + 4, 8);
    const uint64_t size = little(bytes, entry + 12, 8);
    VstPresetChunk chunk;
    chunk.id.assign(reinterpret_cast<const char*>(&bytes[entry]), 4);
    chunk.data.assign(bytes.begin() + offset, bytes.begin() + offset + size);
    read.chunks.push_back(std::move(chunk));
  }
  if (!read.chunk("Comp")) {
    *error = "the preset holds no component state ('Comp' chunk)";
    return false;
  }
  *preset = std::move(read);
  return true;
}

bool readVstPresetFile(const std::string& path, VstPresetFile* preset, std::string* error) {
  std::vector<uint8_t> bytes;
  std::string why;
  if (!readWholeFile(path, kMaxPresetFileBytes, &bytes, &why)) {
    *error = why;
    return false;
  }
  if (!parseVstPreset(bytes, preset, &why)) {
    *error = path + ": " + why;
    return false;
  }
  return true;
}

std::vector<std::pair<std::string, std::string>> vstPresetAttributes(const std::string& xml) {
  std::vector<std::pair<std::string, std::string>> found;
  for (size_t at = xml.find("<Attr"); at != std::string::npos; at = xml.find("<Attr", at + 1)) {
    const size_t end = xml.find('>', at);
    if (end == std::string::npos) break;
    const std::string element = xml.substr(at, end - at);
    const std::string id = attributeOf(element, "id");
    if (!id.empty()) found.emplace_back(id, attributeOf(element, "value"));
  }
  return found;
}

}  // namespace quillet::host
