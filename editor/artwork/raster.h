// A small anti-aliased rasteriser for drawing the panel's pictures: shapes as
// signed distances, straight-alpha float pixels.
#pragma once

#include <cmath>
#include <vector>

namespace quillet::artwork {

struct RGBA {
  float r = 0, g = 0, b = 0, a = 0;
};

inline RGBA rgb(float r, float g, float b, float a = 1.0f) { return RGBA{r, g, b, a}; }
RGBA mix(const RGBA& x, const RGBA& y, float t);
inline float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
float smoothstep(float e0, float e1, float x);

// Rows `firstRow` .. `firstRow + height - 1` of a picture; coordinates are
// always the picture's, so a strip can be drawn one band of rows at a time
// with the same calls. Pixels outside the band are neither read nor written.
class Image {
 public:
  Image(int width, int height, RGBA fill = RGBA(), int firstRow = 0);
  int width() const { return w; }
  int height() const { return h; }
  int firstRow() const { return top; }
  int endRow() const { return top + h; }
  RGBA& at(int x, int y) { return px[static_cast<size_t>(y - top) * w + x]; }
  const RGBA& at(int x, int y) const { return px[static_cast<size_t>(y - top) * w + x]; }
  bool holds(int x, int y) const { return x >= 0 && y >= top && x < w && y < top + h; }
  // A pixel drawing reads back; clear outside the band (where the drawing
  // that reads it writes nothing either).
  RGBA get(int x, int y) const { return holds(x, y) ? at(x, y) : RGBA(); }
  // Source over, with the source's alpha scaled by `coverage`.
  void blend(int x, int y, const RGBA& c, float coverage) {
    if (!holds(x, y)) return;
    const float sa = clamp01(c.a * coverage);
    if (sa <= 0) return;
    RGBA& d = at(x, y);
    if (sa == 1) {
      // What the general case gives for an opaque source, to the bit.
      d = RGBA{c.r, c.g, c.b, 1};
      return;
    }
    const float outA = sa + d.a * (1 - sa);
    if (outA <= 0) return;
    d.r = (c.r * sa + d.r * d.a * (1 - sa)) / outA;
    d.g = (c.g * sa + d.g * d.a * (1 - sa)) / outA;
    d.b = (c.b * sa + d.b * d.a * (1 - sa)) / outA;
    d.a = outA;
  }

 private:
  int w, h, top;
  std::vector<RGBA> px;
};

// Where a shape can leave a mark, in picture coordinates. Only pixels whose
// centres lie inside are looked at, so it must hold all of the shape's
// coverage (the half-pixel edge and a glow's tail included, which fill and
// glow add themselves).
struct Box {
  float left, top, right, bottom;
};
Box around(float cx, float cy, float radius);
Box around(float ax, float ay, float bx, float by, float margin);  // a segment's
Box unite(const Box& a, const Box& b);

// Signed distances, negative inside; coordinates are pixel-centre based
// (pixel x covers x..x+1).
float sdCircle(float x, float y, float cx, float cy, float r);
float sdSegment(float x, float y, float ax, float ay, float bx, float by, float halfWidth);
float sdRoundRect(float x, float y, float left, float top, float right, float bottom, float radius);
float sdEllipse(float x, float y, float cx, float cy, float rx, float ry, float angle);

// Pixels inside a circle that a later opaque layer covers completely, so the
// layer under it need not be worked out there (the pictures come out the
// same: an opaque pixel laid over another replaces it exactly).
struct Hole {
  float cx = 0, cy = 0, r = -1;
  bool holds(float x, float y) const {
    const float dx = x - cx, dy = y - cy;
    return dx * dx + dy * dy < r * r;
  }
};

// The pixels (x0..x1-1, y0..y1-1) of the band whose centres can lie within
// `margin` of `bounds`; the whole band while drawEverywhere() is on.
struct PixelRange {
  int x0, y0, x1, y1;
};
PixelRange pixelsNear(const Image& image, const Box& bounds, float margin);
// Draws over the whole band instead of `bounds` and ignores holes: what a
// test compares the bounded drawing with. Off unless a test turns it on.
void setDrawEverywhere(bool on);
bool drawEverywhere();

// A paint of one colour.
struct Solid {
  RGBA colour;
  RGBA operator()(float, float) const { return colour; }
};

// Fills where `shape` (a signed distance) is negative with `paint` (a colour
// for a point), with an anti-aliased edge of one pixel.
template <typename Shape, typename PaintAt>
void fill(Image& image, const Box& bounds, const Shape& shape, const PaintAt& paint,
          const Hole& hole = Hole()) {
  const PixelRange r = pixelsNear(image, bounds, 1.0f);
  const bool skipHole = hole.r > 0 && !drawEverywhere();
  for (int y = r.y0; y < r.y1; ++y)
    for (int x = r.x0; x < r.x1; ++x) {
      const float fx = x + 0.5f, fy = y + 0.5f;
      if (skipHole && hole.holds(fx, fy)) continue;
      const float coverage = clamp01(0.5f - shape(fx, fy));
      if (coverage > 0) image.blend(x, y, paint(fx, fy), coverage);
    }
}

// A soft halo: alpha falls off over `softness` pixels outside the shape, and
// stops where exp(-(d/softness)^2) falls under 0.003, at d < 2.42 softness.
template <typename Shape>
void glow(Image& image, const Box& bounds, const Shape& shape, const RGBA& colour, float softness,
          const Hole& hole = Hole()) {
  const PixelRange r = pixelsNear(image, bounds, 2.5f * softness + 1.0f);
  const bool skipHole = hole.r > 0 && !drawEverywhere();
  for (int y = r.y0; y < r.y1; ++y)
    for (int x = r.x0; x < r.x1; ++x) {
      const float fx = x + 0.5f, fy = y + 0.5f;
      if (skipHole && hole.holds(fx, fy)) continue;
      const float d = shape(fx, fy);
      const float t = d <= 0 ? 1.0f : std::exp(-(d * d) / (softness * softness));
      if (t > 0.003f) image.blend(x, y, colour, t);
    }
}

// A repeatable pseudo-random sequence, so regenerating gives the same files.
class Random {
 public:
  explicit Random(unsigned seed) : state(seed ? seed : 1) {}
  float next();  // 0..1
 private:
  unsigned state;
};

}  // namespace quillet::artwork
