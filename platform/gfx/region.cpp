#include "platform/gfx/region.h"

namespace tv::gfx {

void SubtractRect(const Rect& rect, const Rect& hole, std::vector<Rect>& out) {
  const Rect cut = rect.Intersect(hole);
  if (cut.IsEmpty()) {
    if (!rect.IsEmpty()) out.push_back(rect);
    return;
  }
  // Full-width bands above and below the hole, then the pieces left and
  // right of it within the hole's rows.
  if (cut.top > rect.top) out.push_back({rect.left, rect.top, rect.right, cut.top});
  if (cut.bottom < rect.bottom) out.push_back({rect.left, cut.bottom, rect.right, rect.bottom});
  if (cut.left > rect.left) out.push_back({rect.left, cut.top, cut.left, cut.bottom});
  if (cut.right < rect.right) out.push_back({cut.right, cut.top, rect.right, cut.bottom});
}

Rect Region::Bounds() const {
  Rect bounds;
  for (const Rect& r : rects_) bounds = bounds.Union(r);
  return bounds;
}

bool Region::Contains(Point p) const {
  for (const Rect& r : rects_) {
    if (r.Contains(p)) return true;
  }
  return false;
}

bool Region::Intersects(const Rect& rect) const {
  for (const Rect& r : rects_) {
    if (!r.Intersect(rect).IsEmpty()) return true;
  }
  return false;
}

void Region::Add(const Rect& rect) {
  if (rect.IsEmpty()) return;
  // Only the parts not already in the region are added, so the pieces never
  // overlap and nothing is painted twice.
  std::vector<Rect> pieces{rect};
  for (const Rect& existing : rects_) {
    if (pieces.empty()) return;
    std::vector<Rect> rest;
    for (const Rect& piece : pieces) SubtractRect(piece, existing, rest);
    pieces = std::move(rest);
  }
  rects_.insert(rects_.end(), pieces.begin(), pieces.end());
  // A region that keeps growing in pieces is merged into its bounds when the
  // pieces fill it anyway, which keeps a full repaint one rectangle.
  const Rect bounds = Bounds();
  long long area = 0;
  for (const Rect& r : rects_) area += static_cast<long long>(r.Width()) * r.Height();
  if (rects_.size() > 1 && area == static_cast<long long>(bounds.Width()) * bounds.Height()) {
    rects_.assign(1, bounds);
  }
}

void Region::Subtract(const Rect& rect) {
  if (rect.IsEmpty() || rects_.empty()) return;
  std::vector<Rect> rest;
  for (const Rect& r : rects_) SubtractRect(r, rect, rest);
  rects_ = std::move(rest);
}

void Region::Intersect(const Rect& rect) {
  std::vector<Rect> kept;
  for (const Rect& r : rects_) {
    const Rect cut = r.Intersect(rect);
    if (!cut.IsEmpty()) kept.push_back(cut);
  }
  rects_ = std::move(kept);
}

void Region::Offset(int dx, int dy) {
  for (Rect& r : rects_) r = r.Offset(dx, dy);
}

}  // namespace tv::gfx
