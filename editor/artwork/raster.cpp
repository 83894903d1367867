#include "editor/artwork/raster.h"

#include <algorithm>
#include <cmath>

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

Image::Image(int width, int height, RGBA fill, int firstRow)
    : w(width), h(height), top(firstRow), px(static_cast<size_t>(width) * height, fill) {}

void Image::blend(int x, int y, const RGBA& c, float coverage) {
  if (x < 0 || y < top || x >= w || y >= top + h) return;
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

Box around(float cx, float cy, float radius) {
  return Box{cx - radius, cy - radius, cx + radius, cy + radius};
}

Box around(float ax, float ay, float bx, float by, float margin) {
  return Box{std::fmin(ax, bx) - margin, std::fmin(ay, by) - margin, std::fmax(ax, bx) + margin,
             std::fmax(ay, by) + margin};
}

Box unite(const Box& a, const Box& b) {
  return Box{std::fmin(a.left, b.left), std::fmin(a.top, b.top), std::fmax(a.right, b.right),
             std::fmax(a.bottom, b.bottom)};
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

namespace {

bool drawEverywhere = false;

// The pixels whose centres can lie within `margin` of `bounds`, inside the band.
struct PixelRange {
  int x0, y0, x1, y1;  // x1, y1 exclusive
};

PixelRange pixelsNear(const Image& image, const Box& bounds, float margin) {
  if (drawEverywhere) return PixelRange{0, image.firstRow(), image.width(), image.endRow()};
  const int x0 = static_cast<int>(std::floor(bounds.left - margin));
  const int y0 = static_cast<int>(std::floor(bounds.top - margin));
  const int x1 = static_cast<int>(std::ceil(bounds.right + margin)) + 1;
  const int y1 = static_cast<int>(std::ceil(bounds.bottom + margin)) + 1;
  return PixelRange{std::max(x0, 0), std::max(y0, image.firstRow()), std::min(x1, image.width()),
                    std::min(y1, image.endRow())};
}

// A fill covers pixels whose centres are less than half a pixel outside; a
// glow stops where exp(-(d/softness)^2) falls under 0.003, at d < 2.42 softness.
constexpr float kEdgeMargin = 1.0f;
float glowMargin(float softness) { return 2.5f * softness + 1.0f; }

}  // namespace

void setDrawEverywhere(bool on) { drawEverywhere = on; }

void fill(Image& image, const Box& bounds, const Distance& shape, const Paint& paint) {
  const PixelRange r = pixelsNear(image, bounds, kEdgeMargin);
  for (int y = r.y0; y < r.y1; ++y)
    for (int x = r.x0; x < r.x1; ++x) {
      const float fx = x + 0.5f, fy = y + 0.5f;
      const float coverage = clamp01(0.5f - shape(fx, fy));
      if (coverage > 0) image.blend(x, y, paint(fx, fy), coverage);
    }
}

void fill(Image& image, const Box& bounds, const Distance& shape, const RGBA& colour) {
  fill(image, bounds, shape, [&](float, float) { return colour; });
}

void glow(Image& image, const Box& bounds, const Distance& shape, const RGBA& colour,
          float softness) {
  const PixelRange r = pixelsNear(image, bounds, glowMargin(softness));
  for (int y = r.y0; y < r.y1; ++y)
    for (int x = r.x0; x < r.x1; ++x) {
      const float d = shape(x + 0.5f, y + 0.5f);
      const float t = d <= 0 ? 1.0f : std::exp(-(d * d) / (softness * softness));
      if (t > 0.003f) image.blend(x, y, colour, t);
    }
}

float Random::next() {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return (state & 0xffffff) / 16777216.0f;
}

}  // namespace artwork
