// A small anti-aliased rasteriser for drawing the panel's pictures: shapes as
// signed distances, straight-alpha float pixels, text from a TrueType font.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace artwork {

struct RGBA {
  float r = 0, g = 0, b = 0, a = 0;
};

inline RGBA rgb(float r, float g, float b, float a = 1.0f) { return RGBA{r, g, b, a}; }
RGBA mix(const RGBA& x, const RGBA& y, float t);
float clamp01(float v);
float smoothstep(float e0, float e1, float x);

class Image {
 public:
  Image(int width, int height, RGBA fill = RGBA());
  int width() const { return w; }
  int height() const { return h; }
  RGBA& at(int x, int y) { return px[static_cast<size_t>(y) * w + x]; }
  const RGBA& at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
  // Source over, with the source's alpha scaled by `coverage`.
  void blend(int x, int y, const RGBA& c, float coverage);
  // Copies `src` into this image with its top-left corner at (x, y).
  void paste(const Image& src, int x, int y);

 private:
  int w, h;
  std::vector<RGBA> px;
};

// Signed distances, negative inside; coordinates are pixel-centre based
// (pixel x covers x..x+1).
float sdCircle(float x, float y, float cx, float cy, float r);
float sdSegment(float x, float y, float ax, float ay, float bx, float by, float halfWidth);
float sdRoundRect(float x, float y, float left, float top, float right, float bottom, float radius);
float sdEllipse(float x, float y, float cx, float cy, float rx, float ry, float angle);

using Distance = std::function<float(float x, float y)>;
using Paint = std::function<RGBA(float x, float y)>;

// Fills where the distance is negative, with an anti-aliased edge of one pixel.
void fill(Image& image, const Distance& shape, const Paint& paint);
void fill(Image& image, const Distance& shape, const RGBA& colour);
// A soft halo: alpha falls off over `softness` pixels outside the shape.
void glow(Image& image, const Distance& shape, const RGBA& colour, float softness);

class Font {
 public:
  explicit Font(const std::string& path);
  bool ok() const { return !data.empty(); }
  float textWidth(const std::string& text, float pixelHeight) const;
  // Draws `text` centred on `centreX` with its baseline at `baseline`.
  void drawCentred(Image& image, const std::string& text, float pixelHeight, float centreX,
                   float baseline, const RGBA& colour) const;
  void draw(Image& image, const std::string& text, float pixelHeight, float left, float baseline,
            const RGBA& colour) const;

 private:
  std::vector<unsigned char> data;
  std::vector<unsigned char> info;  // stbtt_fontinfo, kept opaque here
};

// A repeatable pseudo-random sequence, so regenerating gives the same files.
class Random {
 public:
  explicit Random(unsigned seed) : state(seed ? seed : 1) {}
  float next();  // 0..1
 private:
  unsigned state;
};

}  // namespace artwork
