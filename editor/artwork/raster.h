// A small anti-aliased rasteriser for drawing the panel's pictures: shapes as
// signed distances, straight-alpha float pixels.
#pragma once

#include <functional>
#include <vector>

namespace artwork {

struct RGBA {
  float r = 0, g = 0, b = 0, a = 0;
};

inline RGBA rgb(float r, float g, float b, float a = 1.0f) { return RGBA{r, g, b, a}; }
RGBA mix(const RGBA& x, const RGBA& y, float t);
float clamp01(float v);
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
  // Source over, with the source's alpha scaled by `coverage`.
  void blend(int x, int y, const RGBA& c, float coverage);

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

using Distance = std::function<float(float x, float y)>;
using Paint = std::function<RGBA(float x, float y)>;

// Fills where the distance is negative, with an anti-aliased edge of one pixel.
void fill(Image& image, const Box& bounds, const Distance& shape, const Paint& paint);
void fill(Image& image, const Box& bounds, const Distance& shape, const RGBA& colour);
// A soft halo: alpha falls off over `softness` pixels outside the shape.
void glow(Image& image, const Box& bounds, const Distance& shape, const RGBA& colour,
          float softness);
// Over the whole band instead of `bounds`: what a test compares the bounded
// drawing with. Off unless a test turns it on.
void setDrawEverywhere(bool on);

// A repeatable pseudo-random sequence, so regenerating gives the same files.
class Random {
 public:
  explicit Random(unsigned seed) : state(seed ? seed : 1) {}
  float next();  // 0..1
 private:
  unsigned state;
};

}  // namespace artwork
