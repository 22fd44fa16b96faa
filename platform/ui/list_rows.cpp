#include "platform/ui/list_rows.h"

#include <algorithm>

#include "platform/ui/control_style.h"

namespace tv::ui {
namespace {

constexpr int kTextInset = 2;

}  // namespace

ListRows::ListRows(ScrollHost& scroller)
    : scroller_(scroller), item_height_(ListItemHeight()) {
  AllowScrollBar(true);
}

void ListRows::SetBounds(const gfx::Rect& bounds) { scroller_.PlaceInside(bounds); }

void ListRows::AllowScrollBar(bool allow) {
  scroller_.SetPolicy(ScrollOrientation::kVertical,
                      allow ? ScrollHost::Policy::kAsNeeded : ScrollHost::Policy::kNever);
}

void ListRows::SetCount(int count) {
  count_ = std::max(0, count);
  scroller_.SetContent(ScrollOrientation::kVertical, count_, item_height_);
}

void ListRows::ScrollIntoView(int index) {
  if (index < 0 || index >= count_) return;
  if (index < Top()) {
    SetTop(index);
  } else if (index >= Top() + FullRows()) {
    SetTop(index - FullRows() + 1);
  }
}

gfx::Rect ListRows::RowRect(int index) const {
  const gfx::Rect area = RowsArea();
  const int y = area.top + (index - Top()) * item_height_;
  return {area.left, y, area.right, y + item_height_};
}

int ListRows::ItemAt(gfx::Point p) const {
  const gfx::Rect area = RowsArea();
  if (!area.Contains(p)) return -1;
  const int index = Top() + (p.y - area.top) / item_height_;
  return index < count_ ? index : -1;
}

RowRange VisibleRows(const gfx::Rect& area, const gfx::Rect& dirty, int first, int row_height,
                     int count) {
  const gfx::Rect cut = area.Intersect(dirty);
  if (cut.IsEmpty() || row_height <= 0) return {first, first};
  const int begin = first + (cut.top - area.top) / row_height;
  const int end = std::min(count, first + (cut.bottom - 1 - area.top) / row_height + 1);
  return {begin, std::max(begin, end)};
}

void ListRows::Paint(gfx::Canvas& canvas, const std::vector<std::u16string>& items,
                     int highlighted, int caret, bool enabled) const {
  const gfx::Rect area = RowsArea();
  const gfx::Rect dirty = area.Intersect(canvas.ClipBox());
  if (!dirty.IsEmpty()) {
    canvas.Save();
    canvas.IntersectClip(area);
    canvas.SetFont(DialogFont());
    canvas.SetBackgroundMode(gfx::BackgroundMode::kTransparent);
    canvas.FillRect(dirty, gfx::kWhite);
    // Only the rows that meet the area being painted are drawn, so a long
    // list costs no more than a short one.
    const int count = std::min(count_, static_cast<int>(items.size()));
    const RowRange visible = VisibleRows(area, dirty, Top(), item_height_, count);
    for (int i = visible.begin; i < visible.end; ++i) {
      const gfx::Rect row = RowRect(i);
      const bool selected = i == highlighted;
      if (selected) canvas.FillRect(row, kSelectionColor);
      canvas.SetTextColor(selected ? gfx::kWhite : (enabled ? gfx::kBlack : gfx::kGrey));
      canvas.DrawText({row.left + kTextInset, row.top}, items[i]);
      if (i == caret) DrawFocusRect(canvas, row, selected ? gfx::kWhite : gfx::kBlack);
    }
    canvas.Restore();
  }
}

}  // namespace tv::ui
