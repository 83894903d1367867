// Points and rectangles in window pixels, as the window backends exchange
// them with whatever draws into their windows.
#pragma once

#include <cstdint>

namespace quillet::platform {

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  Point() = default;
  Point(int32_t x, int32_t y) : x(x), y(y) {}
  bool operator==(const Point& o) const { return x == o.x && y == o.y; }
  bool operator!=(const Point& o) const { return !(*this == o); }
};

// Right and bottom are exclusive: a rectangle (0, 0, 2, 2) covers four pixels.
struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  Rect() = default;
  Rect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}
  static Rect fromSize(int32_t l, int32_t t, int32_t w, int32_t h) {
    return Rect(l, t, l + w, t + h);
  }
  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
  bool isEmpty() const { return right <= left || bottom <= top; }
  Rect intersect(const Rect& o) const {
    Rect r(left > o.left ? left : o.left, top > o.top ? top : o.top,
           right < o.right ? right : o.right, bottom < o.bottom ? bottom : o.bottom);
    return r.isEmpty() ? Rect() : r;
  }
  Rect unite(const Rect& o) const {
    if (isEmpty()) return o;
    if (o.isEmpty()) return *this;
    return Rect(left < o.left ? left : o.left, top < o.top ? top : o.top,
                right > o.right ? right : o.right, bottom > o.bottom ? bottom : o.bottom);
  }
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const Rect& o) const { return !(*this == o); }
};

}  // namespace quillet::platform
