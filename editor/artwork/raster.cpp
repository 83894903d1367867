#include "editor/artwork/raster.h"

#include <algorithm>
#include <cmath>

namespace quillet::artwork {

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
bool everywhere = false;
}  // namespace

void setDrawEverywhere(bool on) { everywhere = on; }
bool drawEverywhere() { return everywhere; }

PixelRange pixelsNear(const Image& image, const Box& bounds, float margin) {
  if (everywhere) return PixelRange{0, image.firstRow(), image.width(), image.endRow()};
  const int x0 = static_cast<int>(std::floor(bounds.left - margin));
  const int y0 = static_cast<int>(std::floor(bounds.top - margin));
  const int x1 = static_cast<int>(std::ceil(bounds.right + margin)) + 1;
  const int y1 = static_cast<int>(std::ceil(bounds.bottom + margin)) + 1;
  return PixelRange{std::max(x0, 0), std::max(y0, image.firstRow()), std::min(x1, image.width()),
                    std::min(y1, image.endRow())};
}

float Random::next() {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return (state & 0xffffff) / 16777216.0f;
}

}  // namespace quillet::artwork
