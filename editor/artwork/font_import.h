// The generator's side of the glyph table: reads the printable ASCII
// characters of a TrueType file into a FontTable, and writes the characters a
// drawing used back out as C++ source (editor/artwork/glyph_table.cpp).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "editor/artwork/glyphs.h"

namespace quillet::artwork {

class ImportedFont {
 public:
  // False when the file is missing or not a font.
  bool load(const std::string& path);
  const FontTable& table() const { return view; }

 private:
  std::vector<Glyph> glyphs;
  std::vector<GlyphVertex> vertices;
  std::vector<KernPair> kerning;
  FontTable view{};
};

// Notes the characters and neighbouring pairs a drawing asks a font for.
class UsedGlyphs : public GlyphRecorder {
 public:
  void glyphUsed(uint32_t codepoint) override { glyphs.insert(codepoint); }
  void pairUsed(uint32_t left, uint32_t right) override { pairs.insert({left, right}); }
  std::set<uint32_t> glyphs;
  std::set<std::pair<uint32_t, uint32_t>> pairs;
};

struct TableToWrite {
  const char* name;    // the FontTable's name in C++
  const char* source;  // the font it came from, for the file's comment
  const FontTable* font;
  const UsedGlyphs* used;
};

// C++ source defining each table with only the glyphs and pairs used.
std::string glyphTableSource(const std::vector<TableToWrite>& tables);

}  // namespace quillet::artwork
