// Draws the fifteen pictures of the Quillet K3 panel and writes them as
// <id>.png into the folder given on the command line. Deterministic: the
// same fonts give the same files.
//
//   quillet_artwork_generator editor/artwork/png
#include <cmath>
#include <cstdio>
#include <string>

#include "editor/artwork/png_writer.h"
#include "editor/artwork/raster.h"
#include "editor/panel_layout.h"

using namespace artwork;

namespace {

constexpr float kPi = 3.14159265f;
const char* kFontDir = "/usr/share/fonts/truetype/dejavu/";

// Knob angle for a value 0..1: from 225 degrees (down-left) clockwise to -45.
float knobAngle(float value) { return (225.0f - 270.0f * value) * kPi / 180.0f; }
// Direction in image coordinates (y down).
float dirX(float angle) { return std::cos(angle); }
float dirY(float angle) { return -std::sin(angle); }

const RGBA kAmber = rgb(1.0f, 0.62f, 0.12f);
const RGBA kAmberHot = rgb(1.0f, 0.86f, 0.45f);
const RGBA kInk = rgb(0.13f, 0.13f, 0.14f);

// Brushed aluminium cap lit from the upper left: a conic sheen plus fine
// concentric grooves.
RGBA aluminium(float x, float y, float cx, float cy, float r) {
  const float dx = x - cx, dy = y - cy;
  const float theta = std::atan2(dy, dx);
  const float dist = std::hypot(dx, dy) / r;
  const float sheen = 0.5f * std::cos(2 * (theta + kPi / 4)) + 0.5f;
  const float grooves = 0.025f * std::sin(dist * r * 2.6f);
  const float light = 0.60f + 0.22f * sheen - 0.10f * (dy / r) + grooves;
  return rgb(light * 0.97f, light * 0.98f, light);
}

// A ring-shaped bevel: bright towards the upper left, dark towards the lower right.
RGBA bevel(float x, float y, float cx, float cy, float base, float depth) {
  const float theta = std::atan2(y - cy, x - cx);
  const float l = base + depth * -std::cos(theta - kPi / 4 + kPi) * -1.0f;
  return rgb(l, l, l * 1.02f);
}

void drawLargeKnobFrame(Image& img, int oy, float value) {
  const float cx = 50, cy = oy + 50;
  // Drop shadow onto the plate.
  glow(
      img, [&](float x, float y) { return sdCircle(x, y, cx + 2, cy + 3, 42); },
      rgb(0, 0, 0, 0.55f), 4.0f);
  const float a = knobAngle(value);
  // Knurled black skirt; its ridges turn with the knob.
  fill(
      img, [&](float x, float y) { return sdCircle(x, y, cx, cy, 44); },
      [&](float x, float y) {
        const float theta = std::atan2(y - cy, x - cx);
        const float ridge = 0.5f + 0.5f * std::cos((theta + a) * 48.0f);
        const float lit = 0.5f - 0.5f * ((x - cx) + (y - cy)) / 88.0f;
        const float l = 0.07f + 0.07f * ridge + 0.10f * lit;
        return rgb(l, l, l);
      });
  // Bevel between skirt and cap.
  fill(
      img, [&](float x, float y) { return sdCircle(x, y, cx, cy, 35.5f); },
      [&](float x, float y) { return bevel(x, y, cx, cy, 0.45f, 0.30f); });
  fill(
      img, [&](float x, float y) { return sdCircle(x, y, cx, cy, 33); },
      [&](float x, float y) { return aluminium(x, y, cx, cy, 33); });
  // Pointer: an engraved line on the cap and a bright notch on the skirt.
  const float ux = dirX(a), uy = dirY(a);
  fill(
      img,
      [&](float x, float y) {
        return sdSegment(x, y, cx + ux * 12, cy + uy * 12, cx + ux * 30, cy + uy * 30, 1.8f);
      },
      rgb(0.12f, 0.12f, 0.13f));
  fill(
      img,
      [&](float x, float y) {
        return sdSegment(x, y, cx + ux * 37.5f, cy + uy * 37.5f, cx + ux * 42.5f, cy + uy * 42.5f,
                         1.6f);
      },
      rgb(0.98f, 0.95f, 0.86f));
}

void drawSmallKnobFrame(Image& img, int oy, float value) {
  const float cx = 15, cy = oy + 15;
  glow(
      img, [&](float x, float y) { return sdCircle(x, y, cx + 1, cy + 1.5f, 11.5f); },
      rgb(0, 0, 0, 0.5f), 2.0f);
  fill(
      img, [&](float x, float y) { return sdCircle(x, y, cx, cy, 12.5f); },
      [&](float x, float y) { return bevel(x, y, cx, cy, 0.22f, 0.14f); });
  fill(
      img, [&](float x, float y) { return sdCircle(x, y, cx, cy, 10.5f); },
      [&](float x, float y) {
        const float l = 0.16f + 0.10f * (0.5f - 0.5f * ((x - cx) + (y - cy)) / 21.0f);
        return rgb(l, l, l * 1.05f);
      });
  const float a = knobAngle(value);
  const float ux = dirX(a), uy = dirY(a);
  fill(
      img,
      [&](float x, float y) {
        return sdSegment(x, y, cx + ux * 3.5f, cy + uy * 3.5f, cx + ux * 10.0f, cy + uy * 10.0f,
                         1.1f);
      },
      rgb(0.97f, 0.95f, 0.90f));
}

void drawRangeFrame(Image& img, int oy, float angleDegrees) {
  const float cx = 40, cy = oy + 40;
  glow(
      img, [&](float x, float y) { return sdCircle(x, y, cx + 2, cy + 3, 22); }, rgb(0, 0, 0, 0.5f),
      3.0f);
  fill(
      img, [&](float x, float y) { return sdCircle(x, y, cx, cy, 23); },
      [&](float x, float y) { return bevel(x, y, cx, cy, 0.30f, 0.18f); });
  fill(
      img, [&](float x, float y) { return sdCircle(x, y, cx, cy, 20); },
      [&](float x, float y) {
        const float l = 0.12f + 0.06f * (0.5f - 0.5f * ((x - cx) + (y - cy)) / 40.0f);
        return rgb(l, l, l);
      });
  // The lever: a tapered bar, broad at the hub, with a white index line.
  const float a = angleDegrees * kPi / 180.0f;
  const float ux = dirX(a), uy = dirY(a);
  const float tipX = cx + ux * 30, tipY = cy + uy * 30;
  const float tailX = cx - ux * 12, tailY = cy - uy * 12;
  glow(
      img,
      [&](float x, float y) {
        return sdSegment(x, y, tailX + 2, tailY + 3, tipX + 2, tipY + 3, 6);
      },
      rgb(0, 0, 0, 0.45f), 2.5f);
  fill(
      img,
      [&](float x, float y) {
        const float px = x - tailX, py = y - tailY;
        const float len = 42;
        const float t = clamp01((px * ux + py * uy) / len);
        const float half = 8.0f - 4.5f * t;
        return sdSegment(x, y, tailX, tailY, tipX, tipY, 0) - half;
      },
      [&](float x, float y) {
        const float side = (x - cx) * -uy + (y - cy) * ux;  // across the bar
        const float l = 0.62f + 0.16f * side / 8.0f - 0.08f * ((y - cy) / 30.0f);
        return rgb(l, l, l * 1.02f);
      });
  fill(
      img,
      [&](float x, float y) {
        return sdSegment(x, y, cx + ux * 6, cy + uy * 6, cx + ux * 27, cy + uy * 27, 1.0f);
      },
      rgb(0.10f, 0.10f, 0.11f));
  fill(
      img, [&](float x, float y) { return sdCircle(x, y, cx, cy, 3.2f); },
      rgb(0.25f, 0.25f, 0.26f));
}

// A small key, grey when released and lit amber when pressed.
void drawKey(Image& img, int oy, bool lit, float size) {
  const float m = 1.5f;
  fill(
      img,
      [&](float x, float y) { return sdRoundRect(x, y, m, oy + m, size - m, oy + size - m, 4); },
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
      img,
      [&](float x, float y) {
        const float outer = sdRoundRect(x, y, m, oy + m, size - m, oy + size - m, 4);
        return std::fmax(outer, -(outer + 1.2f));
      },
      [&](float x, float y) {
        const bool upper = (y - oy) < size / 2 - (x - size / 2) * 0.2f;
        return upper ? rgb(1, 1, 1, 0.45f) : rgb(0, 0, 0, 0.35f);
      });
}

// Note symbols: whole (0) down to thirty-second (5).
void drawNote(Image& img, int oy, int kind, const RGBA& ink) {
  const float headX = kind == 0 ? 15.0f : 13.2f, headY = oy + (kind == 0 ? 16.0f : 20.0f);
  const float tilt = -0.35f;
  const float rx = kind == 0 ? 5.0f : 4.2f, ry = kind == 0 ? 3.6f : 3.0f;
  fill(
      img, [&](float x, float y) { return sdEllipse(x, y, headX, headY, rx, ry, tilt); }, ink);
  if (kind <= 1) {
    // Hollow head: punch the inside out again with the key colour underneath.
    const RGBA hole = img.at(static_cast<int>(headX), static_cast<int>(headY) - 6);
    fill(
        img,
        [&](float x, float y) {
          return sdEllipse(x, y, headX, headY, rx * (kind == 0 ? 0.45f : 0.55f),
                           ry * (kind == 0 ? 0.65f : 0.45f), kind == 0 ? 0.9f : tilt);
        },
        hole);
  }
  if (kind == 0) return;
  const float stemX = headX + rx * 0.92f, stemTop = oy + (kind == 5 ? 4.5f : 6.0f);
  fill(
      img,
      [&](float x, float y) { return sdSegment(x, y, stemX, headY - 1, stemX, stemTop, 0.65f); },
      ink);
  for (int flag = 0; flag < kind - 2; ++flag) {
    const float fy = stemTop + flag * 3.2f;
    fill(
        img,
        [&](float x, float y) {
          return std::fmin(sdSegment(x, y, stemX, fy, stemX + 4.5f, fy + 4.0f, 0.8f),
                           sdSegment(x, y, stemX + 4.5f, fy + 4.0f, stemX + 4.0f, fy + 7.0f, 0.7f));
        },
        ink);
  }
}

// A round lamp in a metal bezel; lit lamps glow beyond the bezel.
void drawLamp(Image& img, float cx, float cy, float r, bool lit, const RGBA& on, const RGBA& off) {
  glow(
      img, [&](float x, float y) { return sdCircle(x, y, cx + 1, cy + 1.5f, r + 1.5f); },
      rgb(0, 0, 0, 0.45f), 1.8f);
  fill(
      img, [&](float x, float y) { return sdCircle(x, y, cx, cy, r + 2.2f); },
      [&](float x, float y) { return bevel(x, y, cx, cy, 0.55f, 0.28f); });
  if (lit)
    glow(
        img, [&](float x, float y) { return sdCircle(x, y, cx, cy, r); },
        rgb(on.r, on.g, on.b, 0.55f), r * 0.55f);
  fill(
      img, [&](float x, float y) { return sdCircle(x, y, cx, cy, r); },
      [&](float x, float y) {
        const float d = std::hypot(x - cx, y - cy) / r;
        if (lit) return mix(rgb(1, 1, 0.92f), on, smoothstep(0.0f, 0.9f, d));
        return mix(mix(off, rgb(0, 0, 0), 0.2f), off, d);
      });
  // Specular spot on the lens.
  fill(
      img,
      [&](float x, float y) {
        return sdEllipse(x, y, cx - r * 0.35f, cy - r * 0.4f, r * 0.35f, r * 0.22f, -0.6f);
      },
      rgb(1, 1, 1, lit ? 0.55f : 0.3f));
}

void drawLampRow(Image& img, int count, int frameWidth, int frameHeight, const RGBA& on,
                 const RGBA& off) {
  const float slot = static_cast<float>(frameWidth) / count;
  for (int frame = 0; frame < count; ++frame)
    for (int k = 0; k < count; ++k)
      drawLamp(img, slot * (k + 0.5f), frame * frameHeight + frameHeight / 2.0f, 8.0f, k == frame,
               on, off);
}

void drawLetterKey(Image& img, int oy, int w, int h, bool lit, const Font& font,
                   const std::string& text, float textSize) {
  glow(
      img, [&](float x, float y) { return sdRoundRect(x, y, 3, oy + 4, w - 2, oy + h - 1.5f, 4); },
      rgb(0, 0, 0, 0.5f), 1.6f);
  fill(
      img, [&](float x, float y) { return sdRoundRect(x, y, 2, oy + 2, w - 2, oy + h - 2.5f, 4); },
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
      img,
      [&](float x, float y) {
        const float outer = sdRoundRect(x, y, 2, oy + 2, w - 2, oy + h - 2.5f, 4);
        return std::fmax(outer, -(outer + 1.2f));
      },
      [&](float, float y) {
        return (y - oy) < h / 2.0f ? rgb(1, 1, 1, 0.35f) : rgb(0, 0, 0, 0.4f);
      });
  const RGBA letter = lit ? rgb(0.25f, 0.12f, 0.02f) : rgb(0.78f, 0.78f, 0.76f);
  font.drawCentred(img, text, textSize, w / 2.0f, oy + h / 2.0f + textSize * 0.36f, letter);
}

// ---- the background plate -------------------------------------------------

struct Printer {
  Image& img;
  const Font& font;
  // Letterpress: dark ink with a faint highlight below it.
  void text(const std::string& s, float size, float cx, float baseline) const {
    font.drawCentred(img, s, size, cx, baseline + 1, rgb(1, 1, 1, 0.45f));
    font.drawCentred(img, s, size, cx, baseline, kInk);
  }
  void line(float ax, float ay, float bx, float by, float width) const {
    fill(
        img, [&](float x, float y) { return sdSegment(x, y, ax, ay + 1, bx, by + 1, width / 2); },
        rgb(1, 1, 1, 0.45f));
    fill(
        img, [&](float x, float y) { return sdSegment(x, y, ax, ay, bx, by, width / 2); }, kInk);
  }
};

void drawScale(const Printer& p, float cx, float cy, float inner, float outer, int ticks,
               float majorEvery, float width) {
  for (int i = 0; i < ticks; ++i) {
    const float v = static_cast<float>(i) / (ticks - 1);
    const float a = knobAngle(v);
    const bool major = majorEvery > 0 && std::fmod(static_cast<float>(i), majorEvery) == 0;
    const float o = major ? outer + 1.5f : outer;
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

void drawScrew(Image& img, float cx, float cy, float slotAngle) {
  glow(
      img, [&](float x, float y) { return sdCircle(x, y, cx + 0.8f, cy + 1.2f, 4.5f); },
      rgb(0, 0, 0, 0.5f), 1.5f);
  fill(
      img, [&](float x, float y) { return sdCircle(x, y, cx, cy, 5); },
      [&](float x, float y) { return aluminium(x, y, cx, cy, 5); });
  fill(
      img,
      [&](float x, float y) {
        return sdSegment(x, y, cx - std::cos(slotAngle) * 3.8f, cy - std::sin(slotAngle) * 3.8f,
                         cx + std::cos(slotAngle) * 3.8f, cy + std::sin(slotAngle) * 3.8f, 0.7f);
      },
      rgb(0.2f, 0.2f, 0.22f));
}

Image drawBackground(const Font& bold, const Font& regular, const Font& plateFont) {
  const int w = 586, h = 385;
  Image img(w, h, rgb(0, 0, 0));
  // Brushed metal: horizontal streaks from noise smeared along the rows.
  Random random(0x51a7u);
  std::vector<float> noise(static_cast<size_t>(w) * h);
  for (float& n : noise) n = random.next();
  std::vector<float> rowTone(h);
  for (float& t : rowTone) t = random.next();
  for (int y = 0; y < h; ++y) {
    float acc = 0;
    const int span = 24;
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
  // Bevelled edge of the plate.
  fill(
      img,
      [&](float x, float y) {
        const float outer = sdRoundRect(x, y, 0, 0, w, h, 2);
        return std::fmax(outer, -(outer + 2.0f));
      },
      [&](float x, float y) {
        const bool lit = (x < 3 || y < 3) && x < w - 3 && y < h - 3;
        return lit ? rgb(1, 1, 1, 0.6f) : rgb(0, 0, 0, 0.45f);
      });
  Printer p{img, bold};
  Printer light{img, regular};

  // Large knobs: ticks, numbers, captions.
  struct Large {
    panel::Place place;
    const char* caption;
  } large[] = {{panel::kDelayKnob, "DELAY TIME"},
               {panel::kRepeatKnob, "REPEAT"},
               {panel::kLevelKnob, "DELAY LEVEL"}};
  for (const Large& k : large) {
    const float cx = k.place.left + 50.0f, cy = k.place.top + 50.0f;
    // A shallow recess for the knob to sit in.
    glow(
        img, [&](float x, float y) { return sdCircle(x, y, cx, cy, 45); }, rgb(0, 0, 0, 0.12f),
        3.0f);
    drawScale(p, cx, cy, 47.5f, 51.5f, 21, 2, 1.1f);
    drawNumbers(light, cx, cy, 59.0f, 9.5f);
    p.text(k.caption, 11.5f, cx, k.place.top + 128.0f);
  }
  // Small knobs.
  struct Small {
    panel::Place place;
    const char* caption;
  } small[] = {{panel::kPanKnob, "PAN"}, {panel::kDryKnob, "DRY"}, {panel::kXFeedKnob, nullptr}};
  for (const Small& k : small) {
    const float cx = k.place.left + 15.0f, cy = k.place.top + 15.0f;
    drawScale(p, cx, cy, 15.5f, 18.5f, 11, 5, 0.9f);
    if (k.caption) p.text(k.caption, 10.0f, cx, k.place.top + 45.0f);
  }
  {
    const float cx = panel::kXFeedKnob.left + 15.0f, cy = panel::kXFeedKnob.top + 15.0f;
    const float r = 25.0f;
    light.text("s", 10.0f, cx + dirX(knobAngle(0)) * r, cy + dirY(knobAngle(0)) * r + 3.6f);
    light.text("m", 10.0f, cx, cy - r - 1.0f);
    light.text("x", 10.0f, cx + dirX(knobAngle(1)) * r, cy + dirY(knobAngle(1)) * r + 3.6f);
  }
  // Range selector.
  {
    const panel::Place& r = panel::kRangeSwitch;
    const float cx = r.left + 40.0f, cy = r.top + 40.0f;
    for (float deg : {135.0f, 90.0f, 45.0f}) {
      const float a = deg * kPi / 180.0f;
      p.line(cx + dirX(a) * 25, cy + dirY(a) * 25, cx + dirX(a) * 31, cy + dirY(a) * 31, 1.6f);
    }
    light.text("30-160", 9.5f, cx - 40, cy - 27);
    light.text("120-650", 9.5f, cx, cy - 41);
    light.text("480-2600", 9.5f, cx + 44, cy - 27);
    light.text("ms", 9.5f, cx + 44, cy - 16);
    p.text("RANGE", 11.5f, cx, r.top + r.height + 10.0f);
  }
  // PingPong lamps.
  {
    const panel::Place& r = panel::kPingPongSwitch;
    const char* names[] = {"normal", "ping", "pong"};
    for (int k = 0; k < 3; ++k)
      light.text(names[k], 9.5f, r.left + 20.0f + 40.0f * k, r.top + r.height + 9.0f);
  }
  // Note keys: a dark strip behind them; note-mode lamps with captions.
  {
    const panel::Place& f = panel::kFirstNoteKey;
    const float left = f.left - 5.0f, top = f.top - 5.0f, right = f.left + 6 * f.width + 5.0f,
                bottom = f.top + f.height + 5.0f;
    fill(
        img,
        [&](float x, float y) { return sdRoundRect(x, y, left, top + 1, right, bottom + 1, 4); },
        rgb(1, 1, 1, 0.5f));
    fill(
        img, [&](float x, float y) { return sdRoundRect(x, y, left, top, right, bottom, 4); },
        [&](float, float y) {
          const float l = 0.10f + 0.05f * (y - top) / (bottom - top);
          return rgb(l, l, l * 1.05f);
        });
    const panel::Place& m = panel::kNoteModeSwitch;
    const char* modes[] = {"normal", "dotted", "triplet"};
    for (int k = 0; k < 3; ++k)
      light.text(modes[k], 9.5f, m.left + 25.0f + 50.0f * k, m.top + m.height + 10.0f);
  }
  // Recessed square behind the Mute key.
  {
    const panel::Place& m = panel::kMuteKeyPlace;
    const float left = m.left - 6.0f, top = m.top - 6.0f, right = m.left + m.width + 6.0f,
                bottom = m.top + m.height + 6.0f;
    fill(
        img, [&](float x, float y) { return sdRoundRect(x, y, left, top, right, bottom + 1, 3); },
        rgb(1, 1, 1, 0.55f));
    fill(
        img, [&](float x, float y) { return sdRoundRect(x, y, left, top, right, bottom, 3); },
        [&](float x, float y) {
          const float l =
              0.34f + 0.10f * ((y - top) / (bottom - top)) + 0.02f * ((x - left) / (right - left));
          return rgb(l, l, l * 1.02f);
        });
    glow(
        img, [&](float x, float y) { return -sdRoundRect(x, y, left, top, right, bottom, 3); },
        rgb(0, 0, 0, 0.35f), 2.0f);
  }
  // Dust lamp caption.
  light.text("dust", 9.5f, panel::kDustLampPlace.left + 14.0f, panel::kDustLampPlace.top - 4.0f);

  // Name plate, lower right.
  {
    const float left = 372, top = 306, right = 566, bottom = 364;
    glow(
        img,
        [&](float x, float y) {
          return sdRoundRect(x, y, left + 1, top + 2, right + 1, bottom + 2, 5);
        },
        rgb(0, 0, 0, 0.5f), 2.0f);
    fill(
        img, [&](float x, float y) { return sdRoundRect(x, y, left, top, right, bottom, 5); },
        [&](float, float y) {
          const float l = 0.16f - 0.06f * (y - top) / (bottom - top);
          return rgb(l, l * 1.02f, l * 1.08f);
        });
    fill(
        img,
        [&](float x, float y) {
          const float outer = sdRoundRect(x, y, left + 3, top + 3, right - 3, bottom - 3, 3);
          return std::fmax(outer, -(outer + 0.8f));
        },
        rgb(0.78f, 0.70f, 0.50f, 0.8f));
    plateFont.drawCentred(img, "QUILLET K3", 20.0f, (left + right) / 2, top + 30,
                          rgb(0.93f, 0.86f, 0.68f));
    regular.drawCentred(img, "TAPE  ECHO", 9.0f, (left + right) / 2, top + 46,
                        rgb(0.75f, 0.72f, 0.64f));
    drawScrew(img, left + 10, (top + bottom) / 2, 0.5f);
    drawScrew(img, right - 10, (top + bottom) / 2, 1.9f);
  }
  drawScrew(img, 10, 10, 0.3f);
  drawScrew(img, w - 10, 10, 1.2f);
  drawScrew(img, 10, h - 10, 2.2f);
  (void)bold;
  return img;
}

bool save(const std::string& dir, int id, const Image& img, const char* how) {
  const std::string path = dir + "/" + std::to_string(id) + ".png";
  bool ok = false;
  if (std::string(how) == "rgb")
    ok = writeRGB(path, img);
  else if (std::string(how) == "indexed")
    ok = writeIndexed(path, img, rgb(0.12f, 0.12f, 0.13f));
  else
    ok = writeRGBA(path, img);
  if (!ok) std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const Font bold(std::string(kFontDir) + "DejaVuSans-Bold.ttf");
  const Font regular(std::string(kFontDir) + "DejaVuSans.ttf");
  const Font condensed(std::string(kFontDir) + "DejaVuSansCondensed-Bold.ttf");
  if (!bold.ok() || !regular.ok() || !condensed.ok()) {
    std::fprintf(stderr, "DejaVu fonts not found under %s (Debian: fonts-dejavu-core)\n", kFontDir);
    return 1;
  }
  bool ok = true;
  ok &= save(dir, panel::kBackground, drawBackground(bold, regular, condensed), "rgb");

  Image large(100, 100 * panel::kLargeKnobFrames);
  for (int i = 0; i < panel::kLargeKnobFrames; ++i)
    drawLargeKnobFrame(large, i * 100, i / static_cast<float>(panel::kLargeKnobFrames - 1));
  ok &= save(dir, panel::kLargeKnob, large, "rgba");

  Image range(80, 240);
  const float leverAngles[] = {135.0f, 90.0f, 45.0f};
  for (int i = 0; i < 3; ++i) drawRangeFrame(range, i * 80, leverAngles[i]);
  ok &= save(dir, panel::kRangeSelector, range, "rgba");

  // The note keys are stored with a palette and one transparent entry.
  for (int kind = 0; kind < 6; ++kind) {
    Image key(30, 60);
    for (int frame = 0; frame < 2; ++frame) {
      drawKey(key, frame * 30, frame == 1, 30);
      drawNote(key, frame * 30, kind,
               frame == 1 ? rgb(0.22f, 0.10f, 0.0f) : rgb(0.08f, 0.08f, 0.09f));
    }
    ok &= save(dir, panel::kWholeNoteKey + kind, key, "indexed");
  }

  Image modes(150, 90);
  drawLampRow(modes, 3, 150, 30, kAmber, rgb(0.30f, 0.18f, 0.06f));
  ok &= save(dir, panel::kNoteModeLamps, modes, "rgba");

  Image mute(60, 80);
  for (int frame = 0; frame < 2; ++frame)
    drawLetterKey(mute, frame * 40, 60, 40, frame == 1, bold, "MUTE", 12.0f);
  ok &= save(dir, panel::kMuteKey, mute, "rgba");

  Image small(30, 30 * panel::kSmallKnobFrames);
  for (int i = 0; i < panel::kSmallKnobFrames; ++i)
    drawSmallKnobFrame(small, i * 30, i / static_cast<float>(panel::kSmallKnobFrames - 1));
  ok &= save(dir, panel::kSmallKnob, small, "rgba");

  Image mono(30, 60);
  for (int frame = 0; frame < 2; ++frame) {
    drawKey(mono, frame * 30, frame == 1, 30);
    bold.drawCentred(mono, "m", 15.0f, 15.0f, frame * 30 + 19.5f,
                     frame == 1 ? rgb(0.25f, 0.12f, 0.02f) : rgb(0.12f, 0.12f, 0.13f));
  }
  ok &= save(dir, panel::kMonoOutKey, mono, "rgba");

  Image dust(28, 56);
  for (int frame = 0; frame < 2; ++frame)
    drawLamp(dust, 14.0f, frame * 28 + 14.0f, 8.5f, frame == 1, rgb(0.25f, 0.60f, 1.0f),
             rgb(0.08f, 0.12f, 0.20f));
  ok &= save(dir, panel::kDustLamp, dust, "rgba");

  Image pingPong(120, 90);
  drawLampRow(pingPong, 3, 120, 30, rgb(0.35f, 0.95f, 0.35f), rgb(0.07f, 0.20f, 0.08f));
  ok &= save(dir, panel::kPingPongLamps, pingPong, "rgba");
  return ok ? 0 : 1;
}
