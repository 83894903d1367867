// Points, rectangles and the mouse-state bits of the view library.
#pragma once

#include <cstdint>

#include "platform/mouse_state.h"

namespace VSTGUI {

struct CPoint {
  int32_t h = 0;  // x
  int32_t v = 0;  // y
  CPoint() = default;
  CPoint(int32_t x, int32_t y) : h(x), v(y) {}
  bool operator==(const CPoint& o) const { return h == o.h && v == o.v; }
  bool operator!=(const CPoint& o) const { return !(*this == o); }
};

struct CRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  CRect() = default;
  CRect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}
  static CRect fromSize(int32_t l, int32_t t, int32_t w, int32_t h) {
    return CRect(l, t, l + w, t + h);
  }
  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
  bool isEmpty() const { return right <= left || bottom <= top; }
  // Edges included: a press on the right or bottom edge still hits the view.
  bool pointInside(const CPoint& p) const {
    return p.h >= left && p.h <= right && p.v >= top && p.v <= bottom;
  }
  bool overlaps(const CRect& o) const {
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
  CRect intersect(const CRect& o) const {
    CRect r(left > o.left ? left : o.left, top > o.top ? top : o.top,
            right < o.right ? right : o.right, bottom < o.bottom ? bottom : o.bottom);
    if (r.isEmpty()) return CRect();
    return r;
  }
  CRect unite(const CRect& o) const {
    if (isEmpty()) return o;
    if (o.isEmpty()) return *this;
    return CRect(left < o.left ? left : o.left, top < o.top ? top : o.top,
                 right > o.right ? right : o.right, bottom > o.bottom ? bottom : o.bottom);
  }
  bool operator==(const CRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// Mouse buttons and modifier keys, as one bit mask: the bits the window
// backends report.
enum CButtonState : int32_t {
  kLButton = quillet::platform::kButtonLeft,
  kMButton = quillet::platform::kButtonMiddle,
  kRButton = quillet::platform::kButtonRight,
  kShift = quillet::platform::kKeyShift,
  kControl = quillet::platform::kKeyControl,
  kAlt = quillet::platform::kKeyAlt,
};
constexpr int32_t kMouseButtons = kLButton | kMButton | kRButton;
constexpr int32_t kModifierKeys = kShift | kControl | kAlt;

// The pointer in frame coordinates and the CButtonState bits held.
struct MouseState {
  CPoint where;
  int32_t buttons;
};

// The knob modes a frame's owner can choose.
enum CKnobMode : int32_t { kCircularMode = 0, kRelativCircularMode = 1, kLinearMode = 2 };

}  // namespace VSTGUI
