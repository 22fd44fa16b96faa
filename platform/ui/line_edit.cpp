#include "platform/ui/line_edit.h"

#include <algorithm>

#include "platform/ui/control_style.h"
#include "platform/ui/desktop.h"

namespace tv::ui {

LineEdit::LineEdit(const ControlTemplate& tmpl) : Widget(tmpl) { Sync(); }

void LineEdit::SetText(std::u16string_view text) {
  Window::SetText(text);
  x_offset_ = 0;
  Invalidate();
}

void LineEdit::OnTextChanged() {
  Sync();
  x_offset_ = 0;
}

void LineEdit::Sync() {
  if (measured_text_ == Text()) return;
  measured_text_ = Text();
  const std::shared_ptr<const gfx::Font> font = DialogFont();
  text_width_ = font != nullptr ? font->Measure(measured_text_).width : 0;
  x_offset_ = 0;
}

gfx::Rect LineEdit::TextArea() const {
  const gfx::Rect client = ClientRect();
  gfx::Rect area = HasStyle(style::kBorder) ? client.Inflate(-1) : client;
  area.left += kLeftMargin;
  area.right -= kLeftMargin;
  area.right = std::max(area.left, area.right);
  return area;
}

int LineEdit::MaxHorizontalOffset() const {
  return std::max(0, text_width_ - TextArea().Width());
}

void LineEdit::ScrollTo(int x_offset) {
  x_offset = std::clamp(x_offset, 0, MaxHorizontalOffset());
  if (x_offset == x_offset_) return;
  x_offset_ = x_offset;
  Invalidate();
}

void LineEdit::OnPaint(gfx::Canvas& canvas) {
  Sync();
  const gfx::Rect client = ClientRect();
  canvas.Save();
  if (HasStyle(style::kBorder)) {
    canvas.SetPen({gfx::Pen::Style::kSolid, gfx::kBlack});
    canvas.SetBrush(gfx::Brush::Solid(gfx::kWhite));
    canvas.Rectangle(client);
  } else {
    canvas.FillRect(client, gfx::kWhite);
  }
  const gfx::Rect area = TextArea();
  canvas.IntersectClip(area);
  canvas.SetFont(DialogFont());
  canvas.SetBackgroundMode(gfx::BackgroundMode::kTransparent);
  canvas.SetTextColor(IsEnabled() ? gfx::kBlack : gfx::kGrey);
  const int top = area.top + (area.Height() - DialogLineHeight()) / 2;
  canvas.DrawText({area.left - x_offset_, top}, Text());
  canvas.Restore();
  const bool focused = Desktop::Exists() && Desktop::Get().Focus() == this;
  if (focused) DrawFocusRect(canvas, client.Inflate(-2), gfx::kGrey);
}

void LineEdit::OnPenDown(gfx::Point p) {
  Sync();
  dragging_ = true;
  drag_start_x_ = p.x;
  drag_start_offset_ = x_offset_;
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
  Sync();
  switch (key) {
    case Key::kHome:
      ScrollTo(0);
      return true;
    case Key::kEnd:
      ScrollTo(MaxHorizontalOffset());
      return true;
    case Key::kLeft:
      ScrollTo(x_offset_ - kHorizontalStep);
      return true;
    case Key::kRight:
      ScrollTo(x_offset_ + kHorizontalStep);
      return true;
    default:
      return false;
  }
}

void LineEdit::OnFocusChanged(bool focused) {
  (void)focused;
  Invalidate();
}

}  // namespace tv::ui
