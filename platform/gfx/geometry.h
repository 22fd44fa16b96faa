#pragma once

#include <algorithm>

namespace tv::gfx {

struct Point {
  int x = 0;
  int y = 0;
  constexpr bool operator==(const Point&) const = default;
  constexpr Point operator+(Point o) const { return {x + o.x, y + o.y}; }
  constexpr Point operator-(Point o) const { return {x - o.x, y - o.y}; }
};

struct Size {
  int width = 0;
  int height = 0;
  constexpr bool operator==(const Size&) const = default;
};

// Right and bottom edges are exclusive everywhere in the program.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  static constexpr Rect FromSize(int x, int y, int w, int h) {
    return {x, y, x + w, y + h};
  }
  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
  constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
  constexpr bool Contains(Point p) const {
    return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
  }
  constexpr Rect Offset(int dx, int dy) const {
    return {left + dx, top + dy, right + dx, bottom + dy};
  }
  constexpr Rect Offset(Point p) const { return Offset(p.x, p.y); }
  constexpr Rect Inflate(int d) const {
    return {left - d, top - d, right + d, bottom + d};
  }
  // An empty result is normalised to {0,0,0,0} so that empties compare equal.
  constexpr Rect Intersect(const Rect& o) const {
    Rect r{std::max(left, o.left), std::max(top, o.top),
           std::min(right, o.right), std::min(bottom, o.bottom)};
    return r.IsEmpty() ? Rect{} : r;
  }
  constexpr Rect Union(const Rect& o) const {
    if (IsEmpty()) return o;
    if (o.IsEmpty()) return *this;
    return {std::min(left, o.left), std::min(top, o.top),
            std::max(right, o.right), std::max(bottom, o.bottom)};
  }
  constexpr Point TopLeft() const { return {left, top}; }
  constexpr bool operator==(const Rect&) const = default;
};

}  // namespace tv::gfx
