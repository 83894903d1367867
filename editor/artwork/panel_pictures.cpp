#include "editor/artwork/panel_pictures.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "editor/panel_layout.h"
#include "editor/scale/scaled_layout.h"

namespace quillet::artwork {

namespace {

constexpr float kPi = 3.14159265f;

// Knob angle for a value 0..1: from 225 degrees (down-left) clockwise to -45.
float knobAngle(float value) { return (225.0f - 270.0f * value) * kPi / 180.0f; }
// Direction in image coordinates (y down).
float dirX(float angle) { return std::cos(angle); }
float dirY(float angle) { return -std::sin(angle); }

const RGBA kAmber = rgb(1.0f, 0.62f, 0.12f);
const RGBA kAmberHot = rgb(1.0f, 0.86f, 0.45f);
const RGBA kInk = rgb(0.13f, 0.13f, 0.14f);

// One frame of a picture at scale `s`: the description gives lengths in
// pixels of scale 1, multiplied by `s` here. Shapes sit around the frame's
// centre, so a frame whose size rounds up or down keeps them centred.
struct Frame {
  int width, height, top;
  float s;
  float centreX() const { return width / 2.0f; }
  float centreY() const { return top + height / 2.0f; }
  // A point given in the scale-1 frame of size `w1` x `h1`, moved with the
  // centre (exactly the point itself at scale 1).
  float x(float v, int w1) const { return v * s + (width / 2.0f - w1 / 2.0f * s); }
  float y(float v, int h1) const { return top + (v * s + (height / 2.0f - h1 / 2.0f * s)); }
};

Box rectBox(float left, float top, float right, float bottom) {
  return Box{left, top, right, bottom};
}

// Brushed aluminium cap lit from the upper left: a conic sheen plus fine
// concentric grooves, `s` pixels apart per pixel of scale 1.
RGBA aluminium(float x, float y, float cx, float cy, float r, float s) {
  const float dx = x - cx, dy = y - cy;
  const float theta = std::atan2(dy, dx);
  const float dist = std::hypot(dx, dy) / r;
  const float sheen = 0.5f * std::cos(2 * (theta + kPi / 4)) + 0.5f;
  const float grooves = 0.025f * std::sin(dist * r * (2.6f / s));
  const float light = 0.60f + 0.22f * sheen - 0.10f * (dy / r) + grooves;
  return rgb(light * 0.97f, light * 0.98f, light);
}

// A ring-shaped bevel: bright towards the upper left, dark towards the lower right.
RGBA bevel(float x, float y, float cx, float cy, float base, float depth) {
  const float theta = std::atan2(y - cy, x - cx);
  const float l = base + depth * -std::cos(theta - kPi / 4 + kPi) * -1.0f;
  return rgb(l, l, l * 1.02f);
}

// A hole of `r` - 1 inside a circle of radius `r`: pixels there are wholly inside it.
Hole coveredBy(float cx, float cy, float r) { return Hole{cx, cy, r - 1}; }

void circleGlow(Image& img, float cx, float cy, float r, const RGBA& colour, float softness,
                const Hole& hole = Hole()) {
  glow(
      img, around(cx, cy, r), [&](float x, float y) { return sdCircle(x, y, cx, cy, r); }, colour,
      softness, hole);
}

template <typename PaintAt>
void circleFill(Image& img, float cx, float cy, float r, const PaintAt& paint,
                const Hole& hole = Hole()) {
  fill(
      img, around(cx, cy, r), [&](float x, float y) { return sdCircle(x, y, cx, cy, r); }, paint,
      hole);
}

void segmentFill(Image& img, float ax, float ay, float bx, float by, float halfWidth,
                 const RGBA& colour) {
  fill(
      img, around(ax, ay, bx, by, halfWidth),
      [&](float x, float y) { return sdSegment(x, y, ax, ay, bx, by, halfWidth); }, Solid{colour});
}

// The bevelled rim and the aluminium cap: the same in every frame. With
// `edgeOnly`, just the rim's outer edge, outside radius rim - 1.
void drawLargeKnobCap(Image& img, float cx, float cy, float s, bool edgeOnly) {
  const float rim = 35.5f * s, cap = 33 * s;
  circleFill(
      img, cx, cy, rim, [&](float x, float y) { return bevel(x, y, cx, cy, 0.45f, 0.30f); },
      coveredBy(cx, cy, edgeOnly ? rim : cap));
  if (edgeOnly) return;
  circleFill(img, cx, cy, cap, [&](float x, float y) { return aluminium(x, y, cx, cy, cap, s); });
}

// Inside radius rim - 1 the rim covers whatever lies under it, so the pixels
// there after rim and cap are worked out in one frame and copied into the others.
void pasteLargeKnobCap(Image& img, const Frame& f, FrameCache& cache) {
  const float s = f.s;
  const Hole inside = coveredBy(f.centreX(), f.height / 2.0f, 35.5f * s);
  if (!cache.ready || cache.id != quillet::editor::kLargeKnob || cache.scale != s) {
    Image one(f.width, f.height);
    drawLargeKnobCap(one, f.centreX(), f.height / 2.0f, s, false);
    cache = FrameCache{quillet::editor::kLargeKnob, s, true, {}};
    for (int y = 0; y < f.height; ++y)
      for (int x = 0; x < f.width; ++x)
        if (inside.holds(x + 0.5f, y + 0.5f))
          cache.pixels.push_back({x + y * f.width, one.at(x, y)});
  }
  for (const auto& p : cache.pixels) {
    const int y = f.top + p.first / f.width;
    if (y >= img.firstRow() && y < img.endRow()) img.at(p.first % f.width, y) = p.second;
  }
}

void drawLargeKnobFrame(Image& img, const Frame& f, float value, FrameCache* cache) {
  const float s = f.s;
  const float cx = f.centreX(), cy = f.centreY();
  const float skirt = 44 * s, rim = 35.5f * s;
  // Drop shadow onto the plate.
  circleGlow(img, cx + 2 * s, cy + 3 * s, 42 * s, rgb(0, 0, 0, 0.55f), 4.0f * s,
             coveredBy(cx, cy, skirt));
  const float a = knobAngle(value);
  // Knurled black skirt; its ridges turn with the knob.
  circleFill(
      img, cx, cy, skirt,
      [&](float x, float y) {
        const float theta = std::atan2(y - cy, x - cx);
        const float ridge = 0.5f + 0.5f * std::cos((theta + a) * 48.0f);
        const float lit = 0.5f - 0.5f * ((x - cx) + (y - cy)) / (88.0f * s);
        const float l = 0.07f + 0.07f * ridge + 0.10f * lit;
        return rgb(l, l, l);
      },
      coveredBy(cx, cy, rim));
  // Bevel between skirt and cap, and the cap.
  if (cache && !drawEverywhere()) {
    drawLargeKnobCap(img, cx, cy, s, true);
    pasteLargeKnobCap(img, f, *cache);
  } else {
    drawLargeKnobCap(img, cx, cy, s, false);
  }
  // Pointer: an engraved line on the cap and a bright notch on the skirt.
  const float ux = dirX(a), uy = dirY(a);
  segmentFill(img, cx + ux * (12 * s), cy + uy * (12 * s), cx + ux * (30 * s), cy + uy * (30 * s),
              1.8f * s, rgb(0.12f, 0.12f, 0.13f));
  segmentFill(img, cx + ux * (37.5f * s), cy + uy * (37.5f * s), cx + ux * (42.5f * s),
              cy + uy * (42.5f * s), 1.6f * s, rgb(0.98f, 0.95f, 0.86f));
}

void drawSmallKnobFrame(Image& img, const Frame& f, float value) {
  const float s = f.s;
  const float cx = f.centreX(), cy = f.centreY();
  const float rim = 12.5f * s, face = 10.5f * s;
  circleGlow(img, cx + 1 * s, cy + 1.5f * s, 11.5f * s, rgb(0, 0, 0, 0.5f), 2.0f * s,
             coveredBy(cx, cy, rim));
  circleFill(
      img, cx, cy, rim, [&](float x, float y) { return bevel(x, y, cx, cy, 0.22f, 0.14f); },
      coveredBy(cx, cy, face));
  circleFill(img, cx, cy, face, [&](float x, float y) {
    const float l = 0.16f + 0.10f * (0.5f - 0.5f * ((x - cx) + (y - cy)) / (21.0f * s));
    return rgb(l, l, l * 1.05f);
  });
  const float a = knobAngle(value);
  const float ux = dirX(a), uy = dirY(a);
  segmentFill(img, cx + ux * (3.5f * s), cy + uy * (3.5f * s), cx + ux * (10.0f * s),
              cy + uy * (10.0f * s), 1.1f * s, rgb(0.97f, 0.95f, 0.90f));
}

void drawRangeFrame(Image& img, const Frame& f, float angleDegrees) {
  const float s = f.s;
  const float cx = f.centreX(), cy = f.centreY();
  const float rim = 23 * s, face = 20 * s;
  circleGlow(img, cx + 2 * s, cy + 3 * s, 22 * s, rgb(0, 0, 0, 0.5f), 3.0f * s,
             coveredBy(cx, cy, rim));
  circleFill(
      img, cx, cy, rim, [&](float x, float y) { return bevel(x, y, cx, cy, 0.30f, 0.18f); },
      coveredBy(cx, cy, face));
  circleFill(img, cx, cy, face, [&](float x, float y) {
    const float l = 0.12f + 0.06f * (0.5f - 0.5f * ((x - cx) + (y - cy)) / (40.0f * s));
    return rgb(l, l, l);
  });
  // The lever: a tapered bar, broad at the hub, with a white index line.
  const float a = angleDegrees * kPi / 180.0f;
  const float ux = dirX(a), uy = dirY(a);
  const float tipX = cx + ux * (30 * s), tipY = cy + uy * (30 * s);
  const float tailX = cx - ux * (12 * s), tailY = cy - uy * (12 * s);
  const float sx = tailX + 2 * s, sy = tailY + 3 * s, ex = tipX + 2 * s, ey = tipY + 3 * s;
  glow(
      img, around(sx, sy, ex, ey, 6 * s),
      [&](float x, float y) { return sdSegment(x, y, sx, sy, ex, ey, 6 * s); }, rgb(0, 0, 0, 0.45f),
      2.5f * s);
  fill(
      img, around(tailX, tailY, tipX, tipY, 8.0f * s),
      [&](float x, float y) {
        const float px = x - tailX, py = y - tailY;
        const float len = 42 * s;
        const float t = clamp01((px * ux + py * uy) / len);
        const float half = (8.0f - 4.5f * t) * s;
        return sdSegment(x, y, tailX, tailY, tipX, tipY, 0) - half;
      },
      [&](float x, float y) {
        const float side = (x - cx) * -uy + (y - cy) * ux;  // across the bar
        const float l = 0.62f + 0.16f * side / (8.0f * s) - 0.08f * ((y - cy) / (30.0f * s));
        return rgb(l, l, l * 1.02f);
      });
  segmentFill(img, cx + ux * (6 * s), cy + uy * (6 * s), cx + ux * (27 * s), cy + uy * (27 * s),
              1.0f * s, rgb(0.10f, 0.10f, 0.11f));
  circleFill(img, cx, cy, 3.2f * s, [&](float, float) { return rgb(0.25f, 0.25f, 0.26f); });
}

// A small key, grey when released and lit amber when pressed.
void drawKey(Image& img, const Frame& f, bool lit) {
  const float s = f.s;
  const float size = f.width;
  const int oy = f.top;
  const float m = 1.5f * s, radius = 4 * s;
  const Box box = rectBox(m, oy + m, size - m, oy + size - m);
  fill(
      img, box,
      [&](float x, float y) {
        return sdRoundRect(x, y, m, oy + m, size - m, oy + size - m, radius);
      },
      [&](float x, float y) {
        const float t = (y - oy) / size;
        if (lit) {
          const RGBA top = kAmberHot, bottom = kAmber;
          RGBA c = mix(top, bottom, t);
          const float centre = 1 - clamp01(std::hypot(x - size / 2, y - oy - size / 2) / size);
          return mix(c, rgb(1, 0.95f, 0.8f), 0.25f * centre);
        }
        const float l = 0.74f - 0.18f * t;
        return rgb(l, l, l * 1.02f);
      });
  // Edge highlight and shade for a raised look.
  fill(
      img, box,
      [&](float x, float y) {
        const float outer = sdRoundRect(x, y, m, oy + m, size - m, oy + size - m, radius);
        return std::fmax(outer, -(outer + 1.2f * s));
      },
      [&](float x, float y) {
        const bool upper = (y - oy) < size / 2 - (x - size / 2) * 0.2f;
        return upper ? rgb(1, 1, 1, 0.45f) : rgb(0, 0, 0, 0.35f);
      });
}

Box ellipseBox(float cx, float cy, float rx, float ry) {
  // The distance is a scaled circle's, so the edge pixels reach further out
  // along the longer axis.
  return around(cx, cy, std::fmax(rx, ry) * (1 + 1 / std::fmin(rx, ry)));
}

// Note symbols: whole (0) down to thirty-second (5), on a key 30 pixels square.
void drawNote(Image& img, const Frame& f, int kind, const RGBA& ink) {
  const float s = f.s;
  const float headX = f.x(kind == 0 ? 15.0f : 13.2f, 30),
              headY = f.y(kind == 0 ? 16.0f : 20.0f, 30);
  const float tilt = -0.35f;
  const float rx = (kind == 0 ? 5.0f : 4.2f) * s, ry = (kind == 0 ? 3.6f : 3.0f) * s;
  fill(
      img, ellipseBox(headX, headY, rx, ry),
      [&](float x, float y) { return sdEllipse(x, y, headX, headY, rx, ry, tilt); }, Solid{ink});
  if (kind <= 1) {
    // Hollow head: punch the inside out again with the key colour underneath.
    const RGBA hole = img.get(static_cast<int>(headX), static_cast<int>(headY - 6 * s));
    const float hx = rx * (kind == 0 ? 0.45f : 0.55f), hy = ry * (kind == 0 ? 0.65f : 0.45f);
    fill(
        img, ellipseBox(headX, headY, hx, hy),
        [&](float x, float y) {
          return sdEllipse(x, y, headX, headY, hx, hy, kind == 0 ? 0.9f : tilt);
        },
        Solid{hole});
  }
  if (kind == 0) return;
  const float stemX = headX + rx * 0.92f, stemTop = f.y(kind == 5 ? 4.5f : 6.0f, 30);
  segmentFill(img, stemX, headY - 1 * s, stemX, stemTop, 0.65f * s, ink);
  for (int flag = 0; flag < kind - 2; ++flag) {
    const float fy = stemTop + flag * 3.2f * s;
    const float bx = stemX + 4.5f * s, by = fy + 4.0f * s, cx = stemX + 4.0f * s,
                cy = fy + 7.0f * s;
    fill(
        img, unite(around(stemX, fy, bx, by, 0.8f * s), around(bx, by, cx, cy, 0.7f * s)),
        [&](float x, float y) {
          return std::fmin(sdSegment(x, y, stemX, fy, bx, by, 0.8f * s),
                           sdSegment(x, y, bx, by, cx, cy, 0.7f * s));
        },
        Solid{ink});
  }
}

// A round lamp in a metal bezel; lit lamps glow beyond the bezel.
void drawLamp(Image& img, float cx, float cy, float r, float s, bool lit, const RGBA& on,
              const RGBA& off) {
  const float rim = r + 2.2f * s;
  circleGlow(img, cx + 1 * s, cy + 1.5f * s, r + 1.5f * s, rgb(0, 0, 0, 0.45f), 1.8f * s,
             coveredBy(cx, cy, rim));
  circleFill(
      img, cx, cy, rim, [&](float x, float y) { return bevel(x, y, cx, cy, 0.55f, 0.28f); },
      coveredBy(cx, cy, r));
  if (lit)
    circleGlow(img, cx, cy, r, rgb(on.r, on.g, on.b, 0.55f), r * 0.55f, coveredBy(cx, cy, r));
  circleFill(img, cx, cy, r, [&](float x, float y) {
    const float d = std::hypot(x - cx, y - cy) / r;
    if (lit) return mix(rgb(1, 1, 0.92f), on, smoothstep(0.0f, 0.9f, d));
    return mix(mix(off, rgb(0, 0, 0), 0.2f), off, d);
  });
  // Specular spot on the lens.
  const float sx = cx - r * 0.35f, sy = cy - r * 0.4f, srx = r * 0.35f, sry = r * 0.22f;
  fill(
      img, ellipseBox(sx, sy, srx, sry),
      [&](float x, float y) { return sdEllipse(x, y, sx, sy, srx, sry, -0.6f); },
      Solid{rgb(1, 1, 1, lit ? 0.55f : 0.3f)});
}

// Frame `f` of a row of `count` lamps: lamp k is lit in frame k.
void drawLampRow(Image& img, const Frame& f, int frame, int count, const RGBA& on,
                 const RGBA& off) {
  const float slot = static_cast<float>(f.width) / count;
  for (int k = 0; k < count; ++k)
    drawLamp(img, slot * (k + 0.5f), f.centreY(), 8.0f * f.s, f.s, k == frame, on, off);
}

void drawLetterKey(Image& img, const Frame& f, bool lit, const Font& font, const std::string& text,
                   float textSize) {
  const float s = f.s;
  const int w = f.width, h = f.height, oy = f.top;
  const float gl = 3 * s, gt = oy + 4 * s, gr = w - 2 * s, gb = oy + h - 1.5f * s;
  glow(
      img, rectBox(gl, gt, gr, gb),
      [&](float x, float y) { return sdRoundRect(x, y, gl, gt, gr, gb, 4 * s); },
      rgb(0, 0, 0, 0.5f), 1.6f * s);
  const float kl = 2 * s, kt = oy + 2 * s, kr = w - 2 * s, kb = oy + h - 2.5f * s;
  const Box box = rectBox(kl, kt, kr, kb);
  fill(
      img, box, [&](float x, float y) { return sdRoundRect(x, y, kl, kt, kr, kb, 4 * s); },
      [&](float x, float y) {
        const float t = (y - oy) / h;
        if (lit) {
          const float centre =
              1 - clamp01(std::hypot(x - w / 2.0f, y - oy - h / 2.0f) / (w * 0.6f));
          return mix(mix(kAmberHot, kAmber, t), rgb(1, 0.97f, 0.85f), 0.35f * centre);
        }
        const float l = 0.30f - 0.12f * t;
        return rgb(l, l, l * 1.04f);
      });
  fill(
      img, box,
      [&](float x, float y) {
        const float outer = sdRoundRect(x, y, kl, kt, kr, kb, 4 * s);
        return std::fmax(outer, -(outer + 1.2f * s));
      },
      [&](float, float y) {
        return (y - oy) < h / 2.0f ? rgb(1, 1, 1, 0.35f) : rgb(0, 0, 0, 0.4f);
      });
  const RGBA letter = lit ? rgb(0.25f, 0.12f, 0.02f) : rgb(0.78f, 0.78f, 0.76f);
  const float size = textSize * s;
  font.drawCentred(img, text, size, w / 2.0f, oy + h / 2.0f + size * 0.36f, letter);
}

// ---- the background plate -------------------------------------------------

struct Printer {
  Image& img;
  const Font& font;
  float s;
  // Letterpress: dark ink with a faint highlight below it.
  void text(const std::string& t, float size, float cx, float baseline) const {
    font.drawCentred(img, t, size, cx, baseline + 1 * s, rgb(1, 1, 1, 0.45f));
    font.drawCentred(img, t, size, cx, baseline, kInk);
  }
  void line(float ax, float ay, float bx, float by, float width) const {
    const float below = 1 * s;
    segmentFill(img, ax, ay + below, bx, by + below, width / 2, rgb(1, 1, 1, 0.45f));
    segmentFill(img, ax, ay, bx, by, width / 2, kInk);
  }
};

void drawScale(const Printer& p, float cx, float cy, float inner, float outer, int ticks,
               float majorEvery, float width) {
  for (int i = 0; i < ticks; ++i) {
    const float v = static_cast<float>(i) / (ticks - 1);
    const float a = knobAngle(v);
    const bool major = majorEvery > 0 && std::fmod(static_cast<float>(i), majorEvery) == 0;
    const float o = major ? outer + 1.5f * p.s : outer;
    p.line(cx + dirX(a) * inner, cy + dirY(a) * inner, cx + dirX(a) * o, cy + dirY(a) * o,
           major ? width * 1.3f : width);
  }
}

void drawNumbers(const Printer& p, float cx, float cy, float r, float size) {
  for (int i = 0; i <= 10; ++i) {
    const float a = knobAngle(i / 10.0f);
    p.text(std::to_string(i), size, cx + dirX(a) * r, cy + dirY(a) * r + size * 0.36f);
  }
}

void drawScrew(Image& img, float cx, float cy, float slotAngle, float s) {
  circleGlow(img, cx + 0.8f * s, cy + 1.2f * s, 4.5f * s, rgb(0, 0, 0, 0.5f), 1.5f * s);
  const float r = 5 * s;
  circleFill(img, cx, cy, r, [&](float x, float y) { return aluminium(x, y, cx, cy, r, s); });
  const float half = 3.8f * s;
  segmentFill(img, cx - std::cos(slotAngle) * half, cy - std::sin(slotAngle) * half,
              cx + std::cos(slotAngle) * half, cy + std::sin(slotAngle) * half, 0.7f * s,
              rgb(0.2f, 0.2f, 0.22f));
}

// Brushed metal: horizontal streaks from noise smeared along the rows.
void brushMetal(Image& img, float s) {
  const int w = img.width(), h = img.height();
  Random random(0x51a7u);
  std::vector<float> noise(static_cast<size_t>(w) * h);
  for (float& n : noise) n = random.next();
  std::vector<float> rowTone(h);
  for (float& t : rowTone) t = random.next();
  const int span = quillet::editor::scaledLength(24, s);
  for (int y = 0; y < h; ++y) {
    float acc = 0;
    for (int x = -span; x < w + span; ++x) {
      const int xi = (x + w) % w;
      acc += noise[static_cast<size_t>(y) * w + xi];
      if (x - 2 * span >= -span)
        acc -= noise[static_cast<size_t>(y) * w + ((x - 2 * span + w) % w)];
      if (x >= span && x - span < w) {
        const int px = x - span;
        const float streak = acc / (2 * span) - 0.5f;
        const float fine = noise[static_cast<size_t>(y) * w + px] - 0.5f;
        const float vertical = 0.04f * (1.0f - static_cast<float>(y) / h);
        const float l =
            0.73f + vertical + 0.09f * streak * 3 + 0.018f * fine + 0.012f * (rowTone[y] - 0.5f);
        img.at(px, y) = rgb(l * 0.985f, l * 0.99f, l);
      }
    }
  }
}

void drawBackground(Image& img, float s, const Lettering& lettering) {
  const int w = img.width(), h = img.height();
  brushMetal(img, s);
  // Bevelled edge of the plate.
  fill(
      img, rectBox(0, 0, w, h),
      [&](float x, float y) {
        const float outer = sdRoundRect(x, y, 0, 0, w, h, 2 * s);
        return std::fmax(outer, -(outer + 2.0f * s));
      },
      [&](float x, float y) {
        const float edge = 3 * s;
        const bool lit = (x < edge || y < edge) && x < w - edge && y < h - edge;
        return lit ? rgb(1, 1, 1, 0.6f) : rgb(0, 0, 0, 0.45f);
      });
  const Printer p{img, lettering.bold, s};
  const Printer light{img, lettering.regular, s};
  auto at = [s](const quillet::editor::Place& place) {
    return quillet::editor::scaledPlace(place, s);
  };

  // Large knobs: ticks, numbers, captions.
  struct Large {
    quillet::editor::Place place;
    const char* caption;
  } large[] = {{quillet::editor::kDelayKnob, "DELAY TIME"},
               {quillet::editor::kRepeatKnob, "REPEAT"},
               {quillet::editor::kLevelKnob, "DELAY LEVEL"}};
  for (const Large& k : large) {
    const quillet::editor::Place r = at(k.place);
    const float cx = r.left + r.width / 2.0f, cy = r.top + r.height / 2.0f;
    // A shallow recess for the knob to sit in.
    circleGlow(img, cx, cy, 45 * s, rgb(0, 0, 0, 0.12f), 3.0f * s);
    drawScale(p, cx, cy, 47.5f * s, 51.5f * s, 21, 2, 1.1f * s);
    drawNumbers(light, cx, cy, 59.0f * s, 9.5f * s);
    p.text(k.caption, 11.5f * s, cx, r.top + 128.0f * s);
  }
  // Small knobs.
  struct Small {
    quillet::editor::Place place;
    const char* caption;
  } small[] = {{quillet::editor::kPanKnob, "PAN"},
               {quillet::editor::kDryKnob, "DRY"},
               {quillet::editor::kXFeedKnob, nullptr}};
  for (const Small& k : small) {
    const quillet::editor::Place r = at(k.place);
    const float cx = r.left + r.width / 2.0f, cy = r.top + r.height / 2.0f;
    drawScale(p, cx, cy, 15.5f * s, 18.5f * s, 11, 5, 0.9f * s);
    if (k.caption) p.text(k.caption, 10.0f * s, cx, r.top + 45.0f * s);
  }
  {
    const quillet::editor::Place x = at(quillet::editor::kXFeedKnob);
    const float cx = x.left + x.width / 2.0f, cy = x.top + x.height / 2.0f;
    const float r = 25.0f * s, size = 10.0f * s, drop = 3.6f * s;
    light.text("s", size, cx + dirX(knobAngle(0)) * r, cy + dirY(knobAngle(0)) * r + drop);
    light.text("m", size, cx, cy - r - 1.0f * s);
    light.text("x", size, cx + dirX(knobAngle(1)) * r, cy + dirY(knobAngle(1)) * r + drop);
  }
  // Range selector.
  {
    const quillet::editor::Place r = at(quillet::editor::kRangeSwitch);
    const float cx = r.left + r.width / 2.0f, cy = r.top + r.height / 2.0f;
    for (float deg : {135.0f, 90.0f, 45.0f}) {
      const float a = deg * kPi / 180.0f;
      p.line(cx + dirX(a) * (25 * s), cy + dirY(a) * (25 * s), cx + dirX(a) * (31 * s),
             cy + dirY(a) * (31 * s), 1.6f * s);
    }
    const float size = 9.5f * s;
    light.text("30-160", size, cx - 40 * s, cy - 27 * s);
    light.text("120-650", size, cx, cy - 41 * s);
    light.text("480-2600", size, cx + 44 * s, cy - 27 * s);
    light.text("ms", size, cx + 44 * s, cy - 16 * s);
    p.text("RANGE", 11.5f * s, cx, r.top + r.height + 10.0f * s);
  }
  // PingPong lamps.
  {
    const quillet::editor::Place r = at(quillet::editor::kPingPongSwitch);
    const float slot = r.width / 3.0f;
    const char* names[] = {"normal", "ping", "pong"};
    for (int k = 0; k < 3; ++k)
      light.text(names[k], 9.5f * s, r.left + slot * (k + 0.5f), r.top + r.height + 9.0f * s);
  }
  // Note keys: a dark strip behind them; note-mode lamps with captions.
  {
    const quillet::editor::Place first = at(quillet::editor::kFirstNoteKey);
    quillet::editor::Place lastKey = quillet::editor::kFirstNoteKey;
    lastKey.left += 5 * lastKey.width;
    const quillet::editor::Place last = at(lastKey);
    const float margin = 5.0f * s;
    const float left = first.left - margin, top = first.top - margin,
                right = last.left + last.width + margin, bottom = first.top + first.height + margin;
    const float below = 1 * s, radius = 4 * s;
    fill(
        img, rectBox(left, top + below, right, bottom + below),
        [&](float x, float y) {
          return sdRoundRect(x, y, left, top + below, right, bottom + below, radius);
        },
        Solid{rgb(1, 1, 1, 0.5f)});
    fill(
        img, rectBox(left, top, right, bottom),
        [&](float x, float y) { return sdRoundRect(x, y, left, top, right, bottom, radius); },
        [&](float, float y) {
          const float l = 0.10f + 0.05f * (y - top) / (bottom - top);
          return rgb(l, l, l * 1.05f);
        });
    const quillet::editor::Place m = at(quillet::editor::kNoteModeSwitch);
    const float slot = m.width / 3.0f;
    const char* modes[] = {"normal", "dotted", "triplet"};
    for (int k = 0; k < 3; ++k)
      light.text(modes[k], 9.5f * s, m.left + slot * (k + 0.5f), m.top + m.height + 10.0f * s);
  }
  // Recessed square behind the Mute key.
  {
    const quillet::editor::Place m = at(quillet::editor::kMuteKeyPlace);
    const float margin = 6.0f * s;
    const float left = m.left - margin, top = m.top - margin, right = m.left + m.width + margin,
                bottom = m.top + m.height + margin;
    const float below = 1 * s, radius = 3 * s;
    fill(
        img, rectBox(left, top, right, bottom + below),
        [&](float x, float y) {
          return sdRoundRect(x, y, left, top, right, bottom + below, radius);
        },
        Solid{rgb(1, 1, 1, 0.55f)});
    fill(
        img, rectBox(left, top, right, bottom),
        [&](float x, float y) { return sdRoundRect(x, y, left, top, right, bottom, radius); },
        [&](float x, float y) {
          const float l =
              0.34f + 0.10f * ((y - top) / (bottom - top)) + 0.02f * ((x - left) / (right - left));
          return rgb(l, l, l * 1.02f);
        });
    // Shade cast inwards from the rim. Outside the recess the distance is
    // negative, so this also lays the same shade over all of the plate drawn
    // so far: that is the plate's grey.
    glow(
        img, rectBox(0, 0, w, h),
        [&](float x, float y) { return -sdRoundRect(x, y, left, top, right, bottom, radius); },
        rgb(0, 0, 0, 0.35f), 2.0f * s);
  }
  // Dust lamp caption.
  {
    const quillet::editor::Place d = at(quillet::editor::kDustLampPlace);
    light.text("dust", 9.5f * s, d.left + d.width / 2.0f, d.top - 4.0f * s);
  }

  // Name plate, lower right.
  {
    const float left = 372 * s, top = 306 * s, right = 566 * s, bottom = 364 * s;
    const float dx = 1 * s, dy = 2 * s;
    glow(
        img, rectBox(left + dx, top + dy, right + dx, bottom + dy),
        [&](float x, float y) {
          return sdRoundRect(x, y, left + dx, top + dy, right + dx, bottom + dy, 5 * s);
        },
        rgb(0, 0, 0, 0.5f), 2.0f * s);
    fill(
        img, rectBox(left, top, right, bottom),
        [&](float x, float y) { return sdRoundRect(x, y, left, top, right, bottom, 5 * s); },
        [&](float, float y) {
          const float l = 0.16f - 0.06f * (y - top) / (bottom - top);
          return rgb(l, l * 1.02f, l * 1.08f);
        });
    const float inset = 3 * s;
    fill(
        img, rectBox(left + inset, top + inset, right - inset, bottom - inset),
        [&](float x, float y) {
          const float outer =
              sdRoundRect(x, y, left + inset, top + inset, right - inset, bottom - inset, 3 * s);
          return std::fmax(outer, -(outer + 0.8f * s));
        },
        Solid{rgb(0.78f, 0.70f, 0.50f, 0.8f)});
    lettering.plate.drawCentred(img, "QUILLET K3", 20.0f * s, (left + right) / 2, top + 30 * s,
                                rgb(0.93f, 0.86f, 0.68f));
    lettering.regular.drawCentred(img, "TAPE  ECHO", 9.0f * s, (left + right) / 2, top + 46 * s,
                                  rgb(0.75f, 0.72f, 0.64f));
    drawScrew(img, left + 10 * s, (top + bottom) / 2, 0.5f, s);
    drawScrew(img, right - 10 * s, (top + bottom) / 2, 1.9f, s);
  }
  drawScrew(img, 10 * s, 10 * s, 0.3f, s);
  drawScrew(img, w - 10 * s, 10 * s, 1.2f, s);
  drawScrew(img, 10 * s, h - 10 * s, 2.2f, s);
}

// ---- the pictures -----------------------------------------------------------

struct PictureDescription {
  int32_t id;
  int32_t width, frameHeight, frames;  // at scale 1
};

const PictureDescription kPictures[] = {
    {quillet::editor::kBackground, quillet::editor::kPanelWidth, quillet::editor::kPanelHeight, 1},
    {quillet::editor::kLargeKnob, 100, 100, quillet::editor::kLargeKnobFrames},
    {quillet::editor::kRangeSelector, 80, 80, 3},
    {quillet::editor::kWholeNoteKey + 0, 30, 30, 2},
    {quillet::editor::kWholeNoteKey + 1, 30, 30, 2},
    {quillet::editor::kWholeNoteKey + 2, 30, 30, 2},
    {quillet::editor::kWholeNoteKey + 3, 30, 30, 2},
    {quillet::editor::kWholeNoteKey + 4, 30, 30, 2},
    {quillet::editor::kWholeNoteKey + 5, 30, 30, 2},
    {quillet::editor::kNoteModeLamps, 150, 30, 3},
    {quillet::editor::kMuteKey, 60, 40, 2},
    {quillet::editor::kSmallKnob, 30, 30, quillet::editor::kSmallKnobFrames},
    {quillet::editor::kMonoOutKey, 30, 30, 2},
    {quillet::editor::kDustLamp, 28, 28, 2},
    {quillet::editor::kPingPongLamps, 120, 30, 3},
};

const PictureDescription* describe(int32_t id) {
  for (const PictureDescription& d : kPictures)
    if (d.id == id) return &d;
  return nullptr;
}

void drawFrame(int32_t id, Image& img, const Frame& f, int frame, int frames,
               const Lettering& lettering, FrameCache* cache) {
  const float s = f.s;
  switch (id) {
    case quillet::editor::kBackground:
      drawBackground(img, s, lettering);
      break;
    case quillet::editor::kLargeKnob:
      drawLargeKnobFrame(img, f, frame / static_cast<float>(frames - 1), cache);
      break;
    case quillet::editor::kRangeSelector: {
      const float leverAngles[] = {135.0f, 90.0f, 45.0f};
      drawRangeFrame(img, f, leverAngles[frame]);
      break;
    }
    case quillet::editor::kNoteModeLamps:
      drawLampRow(img, f, frame, 3, kAmber, rgb(0.30f, 0.18f, 0.06f));
      break;
    case quillet::editor::kMuteKey:
      drawLetterKey(img, f, frame == 1, lettering.bold, "MUTE", 12.0f);
      break;
    case quillet::editor::kSmallKnob:
      drawSmallKnobFrame(img, f, frame / static_cast<float>(frames - 1));
      break;
    case quillet::editor::kMonoOutKey:
      drawKey(img, f, frame == 1);
      lettering.bold.drawCentred(img, "m", 15.0f * s, f.centreX(), f.y(19.5f, 30),
                                 frame == 1 ? rgb(0.25f, 0.12f, 0.02f) : rgb(0.12f, 0.12f, 0.13f));
      break;
    case quillet::editor::kDustLamp:
      drawLamp(img, f.centreX(), f.centreY(), 8.5f * s, s, frame == 1, rgb(0.25f, 0.60f, 1.0f),
               rgb(0.08f, 0.12f, 0.20f));
      break;
    case quillet::editor::kPingPongLamps:
      drawLampRow(img, f, frame, 3, rgb(0.35f, 0.95f, 0.35f), rgb(0.07f, 0.20f, 0.08f));
      break;
    default:  // the note keys
      drawKey(img, f, frame == 1);
      drawNote(img, f, id - quillet::editor::kWholeNoteKey,
               frame == 1 ? rgb(0.22f, 0.10f, 0.0f) : rgb(0.08f, 0.08f, 0.09f));
      break;
  }
}

}  // namespace

bool pictureSize(int32_t id, float scale, PictureSize* size) {
  *size = PictureSize();
  const PictureDescription* d = describe(id);
  if (!d) return false;
  size->width = quillet::editor::scaledLength(d->width, scale);
  size->frameHeight = quillet::editor::scaledLength(d->frameHeight, scale);
  size->frames = d->frames;
  return true;
}

Lettering panelLettering(GlyphRecorder* recorder) {
  return Lettering{Font(kDejaVuSansBold, recorder), Font(kDejaVuSans, recorder),
                   Font(kDejaVuSansCondensedBold, recorder)};
}

Image drawBand(int32_t id, float scale, const Lettering& lettering, int band, FrameCache* cache) {
  PictureSize size;
  pictureSize(id, scale, &size);
  const RGBA clear = id == quillet::editor::kBackground ? rgb(0, 0, 0) : RGBA();
  Image img(size.width, size.frameHeight, clear, band * size.frameHeight);
  // A frame's shadow or glow may reach a little into the frames next to it,
  // so the band gets its neighbours' drawing too, in frame order.
  const int first = std::max(band - 1, 0), last = std::min(band + 1, size.frames - 1);
  for (int frame = first; frame <= last; ++frame) {
    const Frame f{size.width, size.frameHeight, frame * size.frameHeight, scale};
    drawFrame(id, img, f, frame, size.frames, lettering, cache);
  }
  return img;
}

bool drawPicture(int32_t id, float scale, const Lettering& lettering, const BandSink& take) {
  PictureSize size;
  if (!pictureSize(id, scale, &size)) return false;
  FrameCache cache;
  for (int band = 0; band < size.frames; ++band) take(drawBand(id, scale, lettering, band, &cache));
  return true;
}

}  // namespace quillet::artwork
