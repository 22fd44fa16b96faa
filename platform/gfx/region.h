#pragma once

#include <vector>

#include "platform/gfx/geometry.h"

namespace tv::gfx {

// An area made of rectangles that never overlap. Two separate rectangles
// stay two, so what lies between them is not part of the area; this is what
// a window's invalid area and a clip made of several pieces need.
class Region {
 public:
  Region() = default;
  explicit Region(const Rect& rect) { Add(rect); }

  bool IsEmpty() const { return rects_.empty(); }
  const std::vector<Rect>& Rects() const { return rects_; }
  // The smallest rectangle holding the whole area (empty when it is empty).
  Rect Bounds() const;
  bool Contains(Point p) const;
  bool Intersects(const Rect& rect) const;

  void Clear() { rects_.clear(); }
  void Add(const Rect& rect);
  void Subtract(const Rect& rect);
  void Intersect(const Rect& rect);
  void Offset(int dx, int dy);

  bool operator==(const Region&) const = default;

 private:
  std::vector<Rect> rects_;
};

// The parts of `rect` that `hole` does not cover: up to four rectangles.
void SubtractRect(const Rect& rect, const Rect& hole, std::vector<Rect>& out);

}  // namespace tv::gfx
