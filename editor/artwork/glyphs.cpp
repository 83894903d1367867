#include "editor/artwork/glyphs.h"

#include <algorithm>
#include <cmath>
#include <vector>

// A private copy of stb_truetype: the compiler keeps only what this file
// calls.
#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb/stb_truetype.h>
#pragma GCC diagnostic pop

namespace quillet::artwork {

const Glyph* Font::find(uint32_t codepoint) const {
  if (recorder) recorder->glyphUsed(codepoint);
  const Glyph* end = table.glyphs + table.glyphCount;
  const Glyph* g = std::lower_bound(
      table.glyphs, end, codepoint,
      [](const Glyph& glyph, uint32_t wanted) { return glyph.codepoint < wanted; });
  if (g == end || g->codepoint != codepoint) {
    missed = true;
    return nullptr;
  }
  return g;
}

float Font::kern(uint32_t left, uint32_t right) const {
  if (recorder) recorder->pairUsed(left, right);
  const KernPair* end = table.kerning + table.kernCount;
  const KernPair* k = std::lower_bound(
      table.kerning, end, KernPair{left, right, 0}, [](const KernPair& a, const KernPair& b) {
        return a.left != b.left ? a.left < b.left : a.right < b.right;
      });
  return k != end && k->left == left && k->right == right ? k->adjust : 0;
}

// The font's units to pixels for a given height of ascent plus descent, as
// stb_truetype's stbtt_ScaleForPixelHeight computes it.
float Font::scaleFor(float pixelHeight) const {
  return pixelHeight / static_cast<float>(table.unitsHigh);
}

float Font::textWidth(const std::string& text, float pixelHeight) const {
  const float scale = scaleFor(pixelHeight);
  float width = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const uint32_t c = static_cast<unsigned char>(text[i]);
    const Glyph* g = find(c);
    width += (g ? g->advance : 0) * scale;
    if (i + 1 < text.size()) width += scale * kern(c, static_cast<unsigned char>(text[i + 1]));
  }
  return width;
}

void Font::drawCentred(Image& image, const std::string& text, float pixelHeight, float centreX,
                       float baseline, const RGBA& colour) const {
  draw(image, text, pixelHeight, centreX - textWidth(text, pixelHeight) / 2, baseline, colour);
}

void Font::draw(Image& image, const std::string& text, float pixelHeight, float left,
                float baseline, const RGBA& colour) const {
  const float scale = scaleFor(pixelHeight);
  std::vector<stbtt_vertex> outline;
  std::vector<unsigned char> coverage;
  float x = left;
  for (size_t i = 0; i < text.size(); ++i) {
    const uint32_t c = static_cast<unsigned char>(text[i]);
    const Glyph* g = find(c);
    if (g && g->hasBox) {
      const float shiftX = x - std::floor(x);
      const float shiftY = baseline - std::floor(baseline);
      // The pixels the outline touches, as stbtt_GetGlyphBitmapBoxSubpixel has them.
      const int x0 = static_cast<int>(std::floor(g->x0 * scale + shiftX));
      const int y0 = static_cast<int>(std::floor(-g->y1 * scale + shiftY));
      const int x1 = static_cast<int>(std::ceil(g->x1 * scale + shiftX));
      const int y1 = static_cast<int>(std::ceil(-g->y0 * scale + shiftY));
      const int gw = x1 - x0, gh = y1 - y0;
      if (gw > 0 && gh > 0) {
        outline.assign(g->vertexCount, stbtt_vertex{});
        for (uint32_t v = 0; v < g->vertexCount; ++v) {
          const GlyphVertex& p = table.vertices[g->firstVertex + v];
          outline[v].type = static_cast<unsigned char>(p.type);
          outline[v].x = p.x;
          outline[v].y = p.y;
          outline[v].cx = p.cx;
          outline[v].cy = p.cy;
        }
        coverage.assign(static_cast<size_t>(gw) * gh, 0);
        stbtt__bitmap bitmap{gw, gh, gw, coverage.data()};
        stbtt_Rasterize(&bitmap, 0.35f, outline.data(), static_cast<int>(outline.size()), scale,
                        scale, shiftX, shiftY, x0, y0, 1, nullptr);
        const int ox = static_cast<int>(std::floor(x)) + x0;
        const int oy = static_cast<int>(std::floor(baseline)) + y0;
        for (int gy = 0; gy < gh; ++gy)
          for (int gx = 0; gx < gw; ++gx)
            image.blend(ox + gx, oy + gy, colour,
                        coverage[static_cast<size_t>(gy) * gw + gx] / 255.0f);
      }
    }
    x += (g ? g->advance : 0) * scale;
    if (i + 1 < text.size()) x += scale * kern(c, static_cast<unsigned char>(text[i + 1]));
  }
}

}  // namespace quillet::artwork
