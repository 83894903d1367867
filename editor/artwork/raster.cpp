#include "editor/artwork/raster.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>

namespace artwork {

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float smoothstep(float e0, float e1, float x) {
  const float t = clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

RGBA mix(const RGBA& x, const RGBA& y, float t) {
  return RGBA{x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
              x.a + (y.a - x.a) * t};
}

Image::Image(int width, int height, RGBA fill)
    : w(width), h(height), px(static_cast<size_t>(width) * height, fill) {}

void Image::blend(int x, int y, const RGBA& c, float coverage) {
  if (x < 0 || y < 0 || x >= w || y >= h) return;
  const float sa = clamp01(c.a * coverage);
  if (sa <= 0) return;
  RGBA& d = at(x, y);
  const float outA = sa + d.a * (1 - sa);
  if (outA <= 0) return;
  d.r = (c.r * sa + d.r * d.a * (1 - sa)) / outA;
  d.g = (c.g * sa + d.g * d.a * (1 - sa)) / outA;
  d.b = (c.b * sa + d.b * d.a * (1 - sa)) / outA;
  d.a = outA;
}

void Image::paste(const Image& src, int x0, int y0) {
  for (int y = 0; y < src.height(); ++y)
    for (int x = 0; x < src.width(); ++x)
      if (x + x0 >= 0 && y + y0 >= 0 && x + x0 < w && y + y0 < h) at(x + x0, y + y0) = src.at(x, y);
}

float sdCircle(float x, float y, float cx, float cy, float r) {
  return std::hypot(x - cx, y - cy) - r;
}

float sdSegment(float x, float y, float ax, float ay, float bx, float by, float halfWidth) {
  const float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
  const float len2 = dx * dx + dy * dy;
  const float t = len2 > 0 ? clamp01((px * dx + py * dy) / len2) : 0;
  return std::hypot(px - dx * t, py - dy * t) - halfWidth;
}

float sdRoundRect(float x, float y, float left, float top, float right, float bottom,
                  float radius) {
  const float cx = (left + right) / 2, cy = (top + bottom) / 2;
  const float hx = (right - left) / 2 - radius, hy = (bottom - top) / 2 - radius;
  const float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
  const float outside = std::hypot(qx > 0 ? qx : 0, qy > 0 ? qy : 0);
  const float inside = std::fmin(std::fmax(qx, qy), 0.0f);
  return outside + inside - radius;
}

float sdEllipse(float x, float y, float cx, float cy, float rx, float ry, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  const float dx = x - cx, dy = y - cy;
  const float u = dx * c + dy * s, v = -dx * s + dy * c;
  // Scaled-circle distance: close enough for small, nearly round shapes.
  const float k = std::hypot(u / rx, v / ry);
  return (k - 1) * std::fmin(rx, ry);
}

void fill(Image& image, const Distance& shape, const Paint& paint) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const float fx = x + 0.5f, fy = y + 0.5f;
      const float coverage = clamp01(0.5f - shape(fx, fy));
      if (coverage > 0) image.blend(x, y, paint(fx, fy), coverage);
    }
}

void fill(Image& image, const Distance& shape, const RGBA& colour) {
  fill(image, shape, [&](float, float) { return colour; });
}

void glow(Image& image, const Distance& shape, const RGBA& colour, float softness) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const float d = shape(x + 0.5f, y + 0.5f);
      const float t = d <= 0 ? 1.0f : std::exp(-(d * d) / (softness * softness));
      if (t > 0.003f) image.blend(x, y, colour, t);
    }
}

Font::Font(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return;
  unsigned char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    data.insert(data.end(), buffer, buffer + n);
  std::fclose(file);
  info.resize(sizeof(stbtt_fontinfo));
  if (!stbtt_InitFont(reinterpret_cast<stbtt_fontinfo*>(info.data()), data.data(), 0)) data.clear();
}

float Font::textWidth(const std::string& text, float pixelHeight) const {
  if (!ok()) return 0;
  auto* font = reinterpret_cast<const stbtt_fontinfo*>(info.data());
  const float scale = stbtt_ScaleForPixelHeight(font, pixelHeight);
  float width = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    int advance, lsb;
    stbtt_GetCodepointHMetrics(font, text[i], &advance, &lsb);
    width += advance * scale;
    if (i + 1 < text.size())
      width += scale * stbtt_GetCodepointKernAdvance(font, text[i], text[i + 1]);
  }
  return width;
}

void Font::drawCentred(Image& image, const std::string& text, float pixelHeight, float centreX,
                       float baseline, const RGBA& colour) const {
  draw(image, text, pixelHeight, centreX - textWidth(text, pixelHeight) / 2, baseline, colour);
}

void Font::draw(Image& image, const std::string& text, float pixelHeight, float left,
                float baseline, const RGBA& colour) const {
  if (!ok()) return;
  auto* font = reinterpret_cast<const stbtt_fontinfo*>(info.data());
  const float scale = stbtt_ScaleForPixelHeight(font, pixelHeight);
  float x = left;
  for (size_t i = 0; i < text.size(); ++i) {
    const int c = static_cast<unsigned char>(text[i]);
    const float shiftX = x - std::floor(x);
    const float shiftY = baseline - std::floor(baseline);
    int x0, y0, x1, y1;
    stbtt_GetCodepointBitmapBoxSubpixel(font, c, scale, scale, shiftX, shiftY, &x0, &y0, &x1, &y1);
    const int gw = x1 - x0, gh = y1 - y0;
    if (gw > 0 && gh > 0) {
      std::vector<unsigned char> glyph(static_cast<size_t>(gw) * gh);
      stbtt_MakeCodepointBitmapSubpixel(font, glyph.data(), gw, gh, gw, scale, scale, shiftX,
                                        shiftY, c);
      const int ox = static_cast<int>(std::floor(x)) + x0;
      const int oy = static_cast<int>(std::floor(baseline)) + y0;
      for (int gy = 0; gy < gh; ++gy)
        for (int gx = 0; gx < gw; ++gx)
          image.blend(ox + gx, oy + gy, colour, glyph[static_cast<size_t>(gy) * gw + gx] / 255.0f);
    }
    int advance, lsb;
    stbtt_GetCodepointHMetrics(font, c, &advance, &lsb);
    x += advance * scale;
    if (i + 1 < text.size()) x += scale * stbtt_GetCodepointKernAdvance(font, c, text[i + 1]);
  }
}

float Random::next() {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return (state & 0xffffff) / 16777216.0f;
}

}  // namespace artwork
