#include "host/presets/preset_file.h"

#include <cstring>

#include "host/files/file_output.h"

namespace quillet::host {

namespace {

constexpr VstInt32 kChunkMagic = fourCharCode('C', 'c', 'n', 'K');
constexpr VstInt32 kFxProgramMagic = fourCharCode('F', 'x', 'C', 'k');
constexpr VstInt32 kFxChunkProgramMagic = fourCharCode('F', 'P', 'C', 'h');
constexpr VstInt32 kFxBankMagic = fourCharCode('F', 'x', 'B', 'k');
constexpr VstInt32 kFxChunkBankMagic = fourCharCode('F', 'B', 'C', 'h');

constexpr size_t kProgramHeaderBytes = 56;  // up to the parameters or the chunk size
constexpr size_t kBankHeaderBytes = 156;    // up to the chunk size or the programs
constexpr size_t kProgramNameBytes = 28;
constexpr size_t kBankReservedBytes = 128;

class Writer {
 public:
  void u32(uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
  }
  void i32(VstInt32 v) { u32(static_cast<uint32_t>(v)); }
  void f32(float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    u32(u);
  }
  void name(const std::string& text) {
    // NUL-padded, always terminated within the field.
    for (size_t i = 0; i < kProgramNameBytes; ++i)
      bytes.push_back(i + 1 < kProgramNameBytes && i < text.size() ? text[i] : 0);
  }
  void zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
  void raw(const std::vector<uint8_t>& data) {
    bytes.insert(bytes.end(), data.begin(), data.end());
  }
  // A record: 'CcnK', its byteSize (filled in by endRecord), its kind.
  size_t beginRecord(VstInt32 fxMagic) {
    const size_t start = bytes.size();
    i32(kChunkMagic);
    u32(0);
    i32(fxMagic);
    return start;
  }
  // byteSize counts everything after itself.
  void endRecord(size_t start) {
    const uint32_t size = static_cast<uint32_t>(bytes.size() - start - 8);
    for (int i = 0; i < 4; ++i) bytes[start + 4 + i] = static_cast<uint8_t>(size >> (24 - 8 * i));
  }
  std::vector<uint8_t> bytes;
};

class Reader {
 public:
  Reader(const std::vector<uint8_t>& data, size_t start, size_t end)
      : data(data), pos(start), end(end) {}
  bool has(size_t n) const { return n <= end - pos; }
  uint32_t u32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | data[pos++];
    return v;
  }
  VstInt32 i32() { return static_cast<VstInt32>(u32()); }
  float f32() {
    const uint32_t u = u32();
    float v;
    std::memcpy(&v, &u, 4);
    return v;
  }
  std::string name() {
    const char* text = reinterpret_cast<const char*>(&data[pos]);
    const std::string value(text, strnlen(text, kProgramNameBytes));
    pos += kProgramNameBytes;
    return value;
  }
  void skip(size_t n) { pos += n; }
  size_t position() const { return pos; }
  size_t left() const { return end - pos; }
  std::vector<uint8_t> take(size_t n) {
    std::vector<uint8_t> out(data.begin() + pos, data.begin() + pos + n);
    pos += n;
    return out;
  }
  // The chunk that ends the record: its announced size must be exactly what
  // is left. what names the record in the error ("program", "bank").
  bool takeChunk(const char* what, std::vector<uint8_t>* chunk, std::string* error) {
    const uint32_t size = u32();
    if (size != left()) {
      *error = std::string("malformed ") + what + ": chunk of " + std::to_string(size) +
               " bytes announced, " + std::to_string(left()) + " follow";
      return false;
    }
    *chunk = take(size);
    return true;
  }

 private:
  const std::vector<uint8_t>& data;
  size_t pos;
  size_t end;
};

std::string codeText(VstInt32 code) {
  std::string text = "'";
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((static_cast<uint32_t>(code) >> shift) & 0xff);
    text += (c >= 0x20 && c < 0x7f) ? c : '?';
  }
  return text + "'";
}

// The outer record: 'CcnK', byteSize matching what follows, and the kind.
bool readRecordHeader(Reader& r, VstInt32* fxMagic, std::string* error) {
  if (!r.has(8)) {
    *error = "truncated: no preset header";
    return false;
  }
  const VstInt32 magic = r.i32();
  if (magic != kChunkMagic) {
    *error = "not a preset file: it starts with " + codeText(magic) + ", not 'CcnK'";
    return false;
  }
  const uint32_t byteSize = r.u32();
  if (byteSize != r.left()) {
    *error = byteSize > r.left() ? "truncated: the header announces " + std::to_string(byteSize) +
                                       " bytes, " + std::to_string(r.left()) + " follow"
                                 : "malformed: " + std::to_string(r.left() - byteSize) +
                                       " bytes follow the announced end";
    return false;
  }
  if (!r.has(4)) {
    *error = "truncated: no preset kind";
    return false;
  }
  *fxMagic = r.i32();
  return true;
}

// What every program record holds after its kind, plain or chunk: the
// format version, the plug-in's ID and version, a count (of parameters, or
// of the plug-in's programs beside a chunk) and the program's name.
struct ProgramHeader {
  VstInt32 fxID = 0;
  VstInt32 fxVersion = 0;
  VstInt32 count = 0;
  std::string name;
};

constexpr size_t kProgramFieldsBytes = kProgramHeaderBytes - 12;

void writeProgramHeader(Writer& w, const ProgramHeader& h) {
  w.i32(1);
  w.i32(h.fxID);
  w.i32(h.fxVersion);
  w.i32(h.count);
  w.name(h.name);
}

// The caller has checked that kProgramFieldsBytes are there.
ProgramHeader readProgramHeader(Reader& r) {
  ProgramHeader h;
  r.i32();  // format version: written as 1; older files carry other values and load all the same
  h.fxID = r.i32();
  h.fxVersion = r.i32();
  h.count = r.i32();
  h.name = r.name();
  return h;
}

// A whole plain program record, 'CcnK' to the last value: a .fxp of its
// own, or one program of a plain bank.
void writePlainProgram(Writer& w, VstInt32 fxID, VstInt32 fxVersion, const PresetProgram& program) {
  const size_t start = w.beginRecord(kFxProgramMagic);
  writeProgramHeader(w,
                     {fxID, fxVersion, static_cast<VstInt32>(program.params.size()), program.name});
  for (float v : program.params) w.f32(v);
  w.endRecord(start);
}

bool readPlainProgram(Reader& r, PresetProgram* program, VstInt32* fxID, VstInt32* fxVersion,
                      std::string* error) {
  if (!r.has(kProgramFieldsBytes)) {
    *error = "truncated program header";
    return false;
  }
  const ProgramHeader header = readProgramHeader(r);
  *fxID = header.fxID;
  *fxVersion = header.fxVersion;
  const VstInt32 numParams = header.count;
  program->name = header.name;
  if (numParams < 0 || static_cast<size_t>(numParams) * 4 != r.left()) {
    *error = "malformed program: " + std::to_string(numParams) + " parameters announced, " +
             std::to_string(r.left()) + " bytes of values follow";
    return false;
  }
  program->params.resize(static_cast<size_t>(numParams));
  for (float& v : program->params) v = r.f32();
  return true;
}

bool parseProgram(const std::vector<uint8_t>& bytes, VstInt32 fxMagic, PresetFile* preset,
                  std::string* error) {
  Reader r(bytes, 12, bytes.size());
  if (fxMagic == kFxProgramMagic) {
    preset->kind = PresetKind::ParamProgram;
    preset->programs.resize(1);
    if (!readPlainProgram(r, &preset->programs[0], &preset->fxID, &preset->fxVersion, error))
      return false;
    preset->numPrograms = static_cast<VstInt32>(preset->programs[0].params.size());
    preset->name = preset->programs[0].name;
    return true;
  }
  preset->kind = PresetKind::ChunkProgram;
  if (!r.has(kProgramFieldsBytes + 4)) {
    *error = "truncated program header";
    return false;
  }
  const ProgramHeader header = readProgramHeader(r);
  preset->fxID = header.fxID;
  preset->fxVersion = header.fxVersion;
  preset->numPrograms = header.count;
  preset->name = header.name;
  return r.takeChunk("program", &preset->chunk, error);
}

bool parseBank(const std::vector<uint8_t>& bytes, VstInt32 fxMagic, PresetFile* preset,
               std::string* error) {
  Reader r(bytes, 12, bytes.size());
  if (!r.has(kBankHeaderBytes - 12)) {
    *error = "truncated bank header";
    return false;
  }
  preset->bankVersion = r.i32();
  if (preset->bankVersion != 1 && preset->bankVersion != 2) {
    *error = "unsupported bank version " + std::to_string(preset->bankVersion);
    return false;
  }
  preset->fxID = r.i32();
  preset->fxVersion = r.i32();
  preset->numPrograms = r.i32();
  if (preset->numPrograms < 0) {
    *error = "malformed bank: negative number of programs";
    return false;
  }
  const size_t reservedStart = r.position();
  preset->currentProgram = preset->bankVersion >= 2 ? r.i32() : 0;
  r.skip(kBankReservedBytes - (r.position() - reservedStart));
  if (fxMagic == kFxChunkBankMagic) {
    preset->kind = PresetKind::ChunkBank;
    if (!r.has(4)) {
      *error = "truncated bank: no chunk size";
      return false;
    }
    return r.takeChunk("bank", &preset->chunk, error);
  }
  preset->kind = PresetKind::ParamBank;
  // Each program is a whole program record of its own; all must have the same size.
  for (VstInt32 i = 0; i < preset->numPrograms; ++i) {
    if (!r.has(8)) {
      *error = "truncated bank: program " + std::to_string(i) + " is missing";
      return false;
    }
    Reader peek(bytes, r.position() + 4, bytes.size());
    const uint32_t size = peek.u32();
    if (size > r.left() - 8) {
      *error = "truncated bank: program " + std::to_string(i) + " is cut short";
      return false;
    }
    Reader program(bytes, r.position(), r.position() + 8 + size);
    VstInt32 magic = 0;
    if (!readRecordHeader(program, &magic, error)) return false;
    if (magic != kFxProgramMagic) {
      *error = "malformed bank: program " + std::to_string(i) + " is " + codeText(magic) +
               ", not 'FxCk'";
      return false;
    }
    PresetProgram entry;
    VstInt32 id = 0, version = 0;
    if (!readPlainProgram(program, &entry, &id, &version, error)) {
      *error = "program " + std::to_string(i) + ": " + *error;
      return false;
    }
    if (id != preset->fxID) {
      *error = "malformed bank: program " + std::to_string(i) + " belongs to another plug-in";
      return false;
    }
    if (!preset->programs.empty() && entry.params.size() != preset->programs[0].params.size()) {
      *error = "malformed bank: programs differ in their number of parameters";
      return false;
    }
    preset->programs.push_back(std::move(entry));
    r.skip(8 + size);
  }
  if (r.left() != 0) {
    *error = "malformed bank: " + std::to_string(r.left()) + " bytes after the last program";
    return false;
  }
  return true;
}

}  // namespace

bool isBank(PresetKind kind) {
  return kind == PresetKind::ChunkBank || kind == PresetKind::ParamBank;
}

const char* presetKindName(PresetKind kind) {
  switch (kind) {
    case PresetKind::ChunkProgram:
      return "program with chunk (FPCh)";
    case PresetKind::ParamProgram:
      return "program of parameters (FxCk)";
    case PresetKind::ChunkBank:
      return "bank with chunk (FBCh)";
    case PresetKind::ParamBank:
      return "bank of parameter programs (FxBk)";
  }
  return "?";
}

bool parsePreset(const std::vector<uint8_t>& bytes, PresetFile* preset, std::string* error) {
  *preset = PresetFile{};
  if (bytes.size() > kMaxPresetFileBytes) {
    *error = "oversized: " + std::to_string(bytes.size()) + " bytes is more than a preset holds";
    return false;
  }
  Reader r(bytes, 0, bytes.size());
  VstInt32 fxMagic = 0;
  if (!readRecordHeader(r, &fxMagic, error)) return false;
  if (fxMagic == kFxProgramMagic || fxMagic == kFxChunkProgramMagic)
    return parseProgram(bytes, fxMagic, preset, error);
  if (fxMagic == kFxBankMagic || fxMagic == kFxChunkBankMagic)
    return parseBank(bytes, fxMagic, preset, error);
  *error = "not a preset: unknown kind " + codeText(fxMagic);
  return false;
}

std::vector<uint8_t> serializePreset(const PresetFile& p) {
  Writer w;
  switch (p.kind) {
    case PresetKind::ParamProgram: {
      const PresetProgram empty;
      writePlainProgram(w, p.fxID, p.fxVersion, p.programs.empty() ? empty : p.programs[0]);
      break;
    }
    case PresetKind::ChunkProgram: {
      const size_t start = w.beginRecord(kFxChunkProgramMagic);
      writeProgramHeader(w, {p.fxID, p.fxVersion, p.numPrograms, p.name});
      w.u32(static_cast<uint32_t>(p.chunk.size()));
      w.raw(p.chunk);
      w.endRecord(start);
      break;
    }
    case PresetKind::ChunkBank:
    case PresetKind::ParamBank: {
      const bool chunk = p.kind == PresetKind::ChunkBank;
      const size_t start = w.beginRecord(chunk ? kFxChunkBankMagic : kFxBankMagic);
      w.i32(p.bankVersion);
      w.i32(p.fxID);
      w.i32(p.fxVersion);
      w.i32(chunk ? p.numPrograms : static_cast<VstInt32>(p.programs.size()));
      if (p.bankVersion >= 2) {
        w.i32(p.currentProgram);
        w.zeros(kBankReservedBytes - 4);
      } else {
        w.zeros(kBankReservedBytes);
      }
      if (chunk) {
        w.u32(static_cast<uint32_t>(p.chunk.size()));
        w.raw(p.chunk);
      } else {
        for (const PresetProgram& program : p.programs)
          writePlainProgram(w, p.fxID, p.fxVersion, program);
      }
      w.endRecord(start);
      break;
    }
  }
  return w.bytes;
}

bool readPresetFile(const std::string& path, PresetFile* preset, std::string* error) {
  std::vector<uint8_t> bytes;
  std::string why;
  if (!readWholeFile(path, kMaxPresetFileBytes, &bytes, &why)) {
    *error = why;
    return false;
  }
  if (!parsePreset(bytes, preset, &why)) {
    *error = path + ": " + why;
    return false;
  }
  return true;
}

bool writePresetFile(const std::string& path, const PresetFile& preset, std::string* error) {
  return writeWholeFile(path, serializePreset(preset), error);
}

}  // namespace quillet::host
