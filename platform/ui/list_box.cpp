#include "platform/ui/list_box.h"

#include <algorithm>

#include "platform/ui/control_style.h"
#include "platform/ui/desktop.h"

namespace tv::ui {

ListBox::ListBox(const ControlTemplate& tmpl) : ItemListWidget(tmpl), rows_(Scroller()) {
  rows_.AllowScrollBar(HasStyle(style::kVScroll));
  rows_.SetBounds(InsideBorder(ClientRect(), HasStyle(style::kBorder)));
  Layout();
}

void ListBox::Layout() { rows_.SetCount(Count()); }

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

void ListBox::OnPenDown(gfx::Point p) { OnPenMove(p); }

void ListBox::OnPenMove(gfx::Point p) {
  const int index = rows_.ItemAt(p);
  if (index >= 0 && index != selected_) {
    selected_ = index;
    caret_ = index;
    Invalidate();
  }
}

void ListBox::OnPenUp(gfx::Point p) {
  const int index = rows_.ItemAt(p);
  // Released away from the items: the highlight stays, nobody is told.
  if (index >= 0) PickAndNotify(index);
}

bool ListBox::OnKey(Key key) {
  if (Count() == 0) return false;
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
