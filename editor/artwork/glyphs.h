// Lettering for the panel's pictures: the outlines of the few characters the
// panel prints, kept in a table (editor/artwork/glyph_table.cpp, extracted from
// the DejaVu fonts by the generator) and rasterised with stb_truetype's
// scanline rasteriser, exactly as it rasterises the font files themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "editor/artwork/raster.h"

namespace quillet::artwork {

// One outline point, as stb_truetype hands it out (type 1 move, 2 line,
// 3 quadratic curve with control point cx, cy), in font units.
struct GlyphVertex {
  int16_t type, x, y, cx, cy;
};

struct Glyph {
  uint32_t codepoint;
  int16_t advance, leftBearing;
  // The outline's bounding box in font units; none for a blank such as space.
  bool hasBox;
  int16_t x0, y0, x1, y1;
  uint32_t firstVertex, vertexCount;
};

struct KernPair {
  uint32_t left, right;
  int16_t adjust;
};

struct FontTable {
  int32_t unitsHigh;  // ascent minus descent: the pixel height's reference
  const Glyph* glyphs;
  size_t glyphCount;  // sorted by codepoint
  const GlyphVertex* vertices;
  const KernPair* kerning;
  size_t kernCount;  // sorted by left, then right
};

// The three faces the panel prints with (glyph_table.cpp).
extern const FontTable kDejaVuSans;
extern const FontTable kDejaVuSansBold;
extern const FontTable kDejaVuSansCondensedBold;

// Receives every character and pair of neighbours a drawing asks for: how
// the generator learns which glyphs the table must hold.
class GlyphRecorder {
 public:
  virtual ~GlyphRecorder() = default;
  virtual void glyphUsed(uint32_t codepoint) = 0;
  virtual void pairUsed(uint32_t left, uint32_t right) = 0;
};

class Font {
 public:
  explicit Font(const FontTable& table, GlyphRecorder* recorder = nullptr)
      : table(table), recorder(recorder) {}
  float textWidth(const std::string& text, float pixelHeight) const;
  // Draws `text` centred on `centreX` with its baseline at `baseline`.
  void drawCentred(Image& image, const std::string& text, float pixelHeight, float centreX,
                   float baseline, const RGBA& colour) const;
  void draw(Image& image, const std::string& text, float pixelHeight, float left, float baseline,
            const RGBA& colour) const;
  // True once a character missing from the table was asked for (it draws as
  // nothing and advances by nothing).
  bool missedGlyph() const { return missed; }

 private:
  const Glyph* find(uint32_t codepoint) const;
  float kern(uint32_t left, uint32_t right) const;
  float scaleFor(float pixelHeight) const;

  const FontTable& table;
  GlyphRecorder* recorder;
  mutable bool missed = false;
};

}  // namespace quillet::artwork
