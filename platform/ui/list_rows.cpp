#include "platform/ui/list_rows.h"

#include <algorithm>

#include "platform/ui/control_style.h"

namespace tv::ui {
namespace {

constexpr int kTextInset = 2;

}  // namespace

ListRows::ListRows() : item_height_(ListItemHeight()) {}

void ListRows::SetBounds(const gfx::Rect& bounds) {
  bounds_ = bounds;
  UpdateBar();
}

void ListRows::SetCount(int count) {
  count_ = std::max(0, count);
  UpdateBar();
}

int ListRows::FullRows() const { return std::max(1, bounds_.Height() / item_height_); }

int ListRows::MaxTop() const { return std::max(0, count_ - FullRows()); }

void ListRows::UpdateBar() {
  has_bar_ = allow_bar_ && count_ > FullRows();
  bar_.SetBounds(has_bar_ ? gfx::Rect{bounds_.right - ScrollBar::kThickness, bounds_.top,
                                      bounds_.right, bounds_.bottom}
                          : gfx::Rect{});
  bar_.SetRange(0, count_, FullRows());
  top_ = std::clamp(top_, 0, MaxTop());
  bar_.SetPos(top_);
}

bool ListRows::SetTop(int top) {
  top = std::clamp(top, 0, MaxTop());
  bar_.SetPos(top);
  if (top == top_) return false;
  top_ = top;
  return true;
}

bool ListRows::ScrollIntoView(int index) {
  if (index < 0 || index >= count_) return false;
  if (index < top_) return SetTop(index);
  if (index >= top_ + FullRows()) return SetTop(index - FullRows() + 1);
  return false;
}

gfx::Rect ListRows::RowsArea() const {
  gfx::Rect area = bounds_;
  if (has_bar_) area.right = bar_.Bounds().left;
  return area;
}

gfx::Rect ListRows::RowRect(int index) const {
  const gfx::Rect area = RowsArea();
  const int y = area.top + (index - top_) * item_height_;
  return {area.left, y, area.right, y + item_height_};
}

int ListRows::ItemAt(gfx::Point p) const {
  const gfx::Rect area = RowsArea();
  if (!area.Contains(p)) return -1;
  const int index = top_ + (p.y - area.top) / item_height_;
  return index < count_ ? index : -1;
}

int ListRows::PenDown(gfx::Point p) {
  if (has_bar_ && bar_.PenDown(p)) {
    tracking_ = Tracking::kBar;
    SetTop(bar_.Pos());
    return -1;
  }
  tracking_ = Tracking::kRows;
  return ItemAt(p);
}

int ListRows::PenMove(gfx::Point p) {
  switch (tracking_) {
    case Tracking::kBar:
      bar_.PenMove(p);
      SetTop(bar_.Pos());
      return -1;
    case Tracking::kRows:
      return ItemAt(p);
    case Tracking::kNone:
      break;
  }
  return -1;
}

int ListRows::PenUp(gfx::Point p) {
  const Tracking tracking = tracking_;
  tracking_ = Tracking::kNone;
  if (tracking == Tracking::kBar) {
    bar_.PenUp(p);
    SetTop(bar_.Pos());
    return -1;
  }
  return tracking == Tracking::kRows ? ItemAt(p) : -1;
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
    const RowRange visible = VisibleRows(area, dirty, top_, item_height_, count);
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
  if (has_bar_) bar_.Paint(canvas);
}

}  // namespace tv::ui
