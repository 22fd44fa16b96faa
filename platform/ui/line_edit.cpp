#include "platform/ui/line_edit.h"

#include <algorithm>

#include "platform/ui/control_style.h"
#include "platform/ui/desktop.h"

namespace tv::ui {

LineEdit::LineEdit(const ControlTemplate& tmpl) : Widget(tmpl) {
  Scroller().SetLineStep(ScrollOrientation::kHorizontal, kHorizontalStep);
  Scroller().PlaceInside(InsideBorder(ClientRect(), HasStyle(style::kBorder)));
  OnTextChanged();
}

void LineEdit::SetText(std::u16string_view text) {
  Window::SetText(text);
  ScrollTo(0);
  Invalidate();
}

void LineEdit::OnTextChanged() {
  const std::shared_ptr<const gfx::Font> font = DialogFont();
  text_width_ = font != nullptr ? font->Measure(Text()).width : 0;
  // The margins on both sides are not part of the page.
  Scroller().SetContent(ScrollOrientation::kHorizontal, text_width_, 1, 2 * kLeftMargin);
  ScrollTo(0);
}

gfx::Rect LineEdit::TextArea() const {
  gfx::Rect area = FindScroller()->Viewport();
  area.left += kLeftMargin;
  area.right -= kLeftMargin;
  area.right = std::max(area.left, area.right);
  return area;
}

int LineEdit::MaxHorizontalOffset() const {
  return FindScroller()->MaxPos(ScrollOrientation::kHorizontal);
}

void LineEdit::OnPaint(gfx::Canvas& canvas) {
  const gfx::Rect client = ClientRect();
  DrawControlBox(canvas, client, HasStyle(style::kBorder));
  const gfx::Rect area = TextArea();
  canvas.Save();
  canvas.IntersectClip(area);
  canvas.SetFont(DialogFont());
  canvas.SetBackgroundMode(gfx::BackgroundMode::kTransparent);
  canvas.SetTextColor(IsEnabled() ? gfx::kBlack : gfx::kGrey);
  const int top = area.top + (area.Height() - DialogLineHeight()) / 2;
  canvas.DrawText({area.left - HorizontalOffset(), top}, Text());
  canvas.Restore();
  const bool focused = Desktop::Exists() && Desktop::Get().Focus() == this;
  if (focused) DrawFocusRect(canvas, client.Inflate(-2), gfx::kGrey);
}

void LineEdit::OnPenDown(gfx::Point p) {
  dragging_ = true;
  drag_start_x_ = p.x;
  drag_start_offset_ = HorizontalOffset();
}

void LineEdit::OnPenMove(gfx::Point p) {
  // The text follows the pen, as if it were pushed along.
  if (dragging_) ScrollTo(drag_start_offset_ + drag_start_x_ - p.x);
}

void LineEdit::OnPenUp(gfx::Point p) {
  if (!dragging_) return;
  ScrollTo(drag_start_offset_ + drag_start_x_ - p.x);
  dragging_ = false;
}

bool LineEdit::OnKey(Key key) {
  switch (key) {
    case Key::kHome:
    case Key::kEnd:
    case Key::kLeft:
    case Key::kRight:
      return Scroller().Key(key);
    default:
      return false;
  }
}

void LineEdit::OnFocusChanged(bool focused) {
  (void)focused;
  Invalidate();
}

}  // namespace tv::ui
