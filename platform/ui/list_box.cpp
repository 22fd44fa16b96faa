#include <algorithm>

#include "platform/ui/controls.h"
#include "platform/ui/desktop.h"

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

bool ListRows::BarPenDown(gfx::Point p) {
  if (!has_bar_ || !bar_.PenDown(p)) return false;
  SetTop(bar_.Pos());
  return true;
}

void ListRows::BarPenMove(gfx::Point p) {
  bar_.PenMove(p);
  SetTop(bar_.Pos());
}

void ListRows::BarPenUp(gfx::Point p) {
  bar_.PenUp(p);
  SetTop(bar_.Pos());
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
    const int first = top_ + (dirty.top - area.top) / item_height_;
    const int last = std::min(count, top_ + (dirty.bottom - 1 - area.top) / item_height_ + 1);
    for (int i = first; i < last; ++i) {
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

ListBox::ListBox(const ControlTemplate& tmpl) : ItemListWidget(tmpl) {
  rows_.AllowScrollBar(HasStyle(style::kVScroll));
  Layout();
}

void ListBox::Layout() {
  const gfx::Rect client = ClientRect();
  rows_.SetBounds(HasStyle(style::kBorder) ? client.Inflate(-1) : client);
  rows_.SetCount(Count());
}

void ListBox::OnItemInserted(int index) {
  // The caret follows its item once there is a selection; before that it
  // stays at the top, where keyboard users expect to start.
  if (selected_ >= 0 && caret_ >= index && Count() > 1) ++caret_;
  Layout();
  Invalidate();
}

void ListBox::OnItemsCleared() {
  caret_ = 0;
  rows_.SetTop(0);
  Layout();
  Invalidate();
}

void ListBox::OnSelectionSet(int index) {
  if (index >= 0) {
    caret_ = index;
    Layout();
    rows_.ScrollIntoView(index);
  }
  Invalidate();
}

bool ListBox::ChooseFromUser(int index) {
  if (index < 0 || index >= Count()) return false;
  PickAndNotify(index);
  return true;
}

void ListBox::PickAndNotify(int index) {
  selected_ = index;
  caret_ = index;
  Layout();
  rows_.ScrollIntoView(index);
  Invalidate();
  // The parent may open a whole screen from here, so the list is in its
  // final state before it hears about the choice.
  if (HasStyle(style::kNotify)) NotifyParent(notify::kSelChange);
}

void ListBox::MoveCaret(int index) {
  caret_ = std::clamp(index, 0, Count() - 1);
  rows_.ScrollIntoView(caret_);
  Invalidate();
}

void ListBox::OnPaint(gfx::Canvas& canvas) {
  Layout();
  if (HasStyle(style::kBorder)) {
    canvas.Save();
    canvas.SetPen({gfx::Pen::Style::kSolid, gfx::kBlack});
    canvas.SetBrush(gfx::Brush::Null());
    canvas.Rectangle(ClientRect());
    canvas.Restore();
  }
  const bool focused = Desktop::Exists() && Desktop::Get().Focus() == this;
  rows_.Paint(canvas, items_, selected_, focused && Count() > 0 ? caret_ : -1, IsEnabled());
}

void ListBox::OnPenDown(gfx::Point p) {
  Layout();
  tracking_ = false;
  if (rows_.BarPenDown(p)) {
    bar_tracking_ = true;
    Invalidate();
    return;
  }
  tracking_ = true;
  const int index = rows_.ItemAt(p);
  if (index >= 0) {
    selected_ = index;
    caret_ = index;
    Invalidate();
  }
}

void ListBox::OnPenMove(gfx::Point p) {
  if (bar_tracking_) {
    rows_.BarPenMove(p);
    Invalidate();
    return;
  }
  if (!tracking_) return;
  const int index = rows_.ItemAt(p);
  if (index >= 0 && index != selected_) {
    selected_ = index;
    caret_ = index;
    Invalidate();
  }
}

void ListBox::OnPenUp(gfx::Point p) {
  if (bar_tracking_) {
    bar_tracking_ = false;
    rows_.BarPenUp(p);
    Invalidate();
    return;
  }
  if (!tracking_) return;
  tracking_ = false;
  const int index = rows_.ItemAt(p);
  // Released away from the items: the highlight stays, nobody is told.
  if (index < 0) return;
  PickAndNotify(index);
}

bool ListBox::OnKey(Key key) {
  if (Count() == 0) return false;
  Layout();
  const int page = std::max(1, rows_.FullRows() - 1);
  switch (key) {
    case Key::kUp:
      MoveCaret(caret_ - 1);
      return true;
    case Key::kDown:
      MoveCaret(caret_ + 1);
      return true;
    case Key::kPageUp:
      MoveCaret(caret_ - page);
      return true;
    case Key::kPageDown:
      MoveCaret(caret_ + page);
      return true;
    case Key::kHome:
      MoveCaret(0);
      return true;
    case Key::kEnd:
      MoveCaret(Count() - 1);
      return true;
    case Key::kReturn:
      PickAndNotify(std::clamp(caret_, 0, Count() - 1));
      return true;
    default:
      return false;
  }
}

void ListBox::OnFocusChanged(bool focused) {
  (void)focused;
  Invalidate();
}

}  // namespace tv::ui
