#include "platform/ui/edit_box.h"

#include <algorithm>

#include "platform/ui/control_style.h"
#include "platform/ui/list_rows.h"

namespace tv::ui {

EditBox::EditBox(const ControlTemplate& tmpl)
    : Widget(tmpl),
      line_height_(DialogLineHeight()),
      has_vbar_(HasStyle(style::kVScroll)),
      has_hbar_(HasStyle(style::kHScroll)) {
  hbar_.SetLineStep(kHorizontalStep);
  SplitLines();
  Layout();
}

void EditBox::OnTextChanged() {
  SplitLines();
  first_line_ = 0;
  x_offset_ = 0;
  Layout();
  Invalidate();
}

void EditBox::SplitLines() {
  lines_.clear();
  const std::u16string_view text = Text();
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\n') continue;
    size_t end = i;
    if (end > start && text[end - 1] == u'\r') --end;
    lines_.emplace_back(text.substr(start, end - start));
    start = i + 1;
  }
  // The text after the last break is a line too, empty when the text ends
  // with a break or is empty.
  lines_.emplace_back(text.substr(start));

  max_line_width_ = 0;
  const std::shared_ptr<const gfx::Font> font = DialogFont();
  if (font != nullptr) {
    for (const std::u16string& line : lines_) {
      max_line_width_ = std::max(max_line_width_, font->Measure(line).width);
    }
  }
}

gfx::Rect EditBox::TextArea() const {
  const gfx::Rect client = ClientRect();
  gfx::Rect area = HasStyle(style::kBorder) ? client.Inflate(-1) : client;
  area.left += kLeftMargin;
  if (has_vbar_) area.right -= ScrollBar::kThickness;
  if (has_hbar_) area.bottom -= ScrollBar::kThickness;
  area.right = std::max(area.left, area.right);
  area.bottom = std::max(area.top, area.bottom);
  return area;
}

int EditBox::VisibleLines() const { return std::max(1, TextArea().Height() / line_height_); }

int EditBox::MaxFirstLine() const { return std::max(0, LineCount() - VisibleLines()); }

int EditBox::MaxHorizontalOffset() const {
  return std::max(0, max_line_width_ - TextArea().Width());
}

void EditBox::Layout() {
  const gfx::Rect client = ClientRect();
  const gfx::Rect inner = HasStyle(style::kBorder) ? client.Inflate(-1) : client;
  const int t = ScrollBar::kThickness;
  vbar_.SetBounds(has_vbar_ ? gfx::Rect{inner.right - t, inner.top, inner.right,
                                        inner.bottom - (has_hbar_ ? t : 0)}
                            : gfx::Rect{});
  hbar_.SetBounds(has_hbar_ ? gfx::Rect{inner.left, inner.bottom - t,
                                        inner.right - (has_vbar_ ? t : 0), inner.bottom}
                            : gfx::Rect{});
  vbar_.SetRange(0, LineCount(), VisibleLines());
  hbar_.SetRange(0, max_line_width_, TextArea().Width());
  first_line_ = std::clamp(first_line_, 0, MaxFirstLine());
  x_offset_ = std::clamp(x_offset_, 0, MaxHorizontalOffset());
  vbar_.SetPos(first_line_);
  hbar_.SetPos(x_offset_);
}

void EditBox::ScrollTo(int first_line, int x_offset) {
  first_line = std::clamp(first_line, 0, MaxFirstLine());
  x_offset = std::clamp(x_offset, 0, MaxHorizontalOffset());
  vbar_.SetPos(first_line);
  hbar_.SetPos(x_offset);
  if (first_line == first_line_ && x_offset == x_offset_) return;
  first_line_ = first_line;
  x_offset_ = x_offset;
  Invalidate();
}

void EditBox::FollowBars() { ScrollTo(vbar_.Pos(), hbar_.Pos()); }

void EditBox::OnPaint(gfx::Canvas& canvas) {
  Layout();
  const gfx::Rect client = ClientRect();
  canvas.Save();
  if (HasStyle(style::kBorder)) {
    canvas.SetPen({gfx::Pen::Style::kSolid, gfx::kBlack});
    canvas.SetBrush(gfx::Brush::Solid(gfx::kWhite));
    canvas.Rectangle(client);
  } else {
    canvas.FillRect(client, gfx::kWhite);
  }
  if (has_vbar_ && has_hbar_) {
    // The corner between the two bars.
    canvas.FillRect({vbar_.Bounds().left, hbar_.Bounds().top, vbar_.Bounds().right,
                     hbar_.Bounds().bottom},
                    gfx::kSilver);
  }

  const gfx::Rect area = TextArea();
  const gfx::Rect dirty = area.Intersect(canvas.ClipBox());
  if (!dirty.IsEmpty()) {
    canvas.Save();
    canvas.IntersectClip(area);
    canvas.SetFont(DialogFont());
    canvas.SetBackgroundMode(gfx::BackgroundMode::kTransparent);
    canvas.SetTextColor(gfx::kBlack);
    // Only the lines that meet the area being painted are drawn.
    const RowRange visible = VisibleRows(area, dirty, first_line_, line_height_, LineCount());
    for (int i = visible.begin; i < visible.end; ++i) {
      canvas.DrawText({area.left - x_offset_, area.top + (i - first_line_) * line_height_},
                      lines_[i]);
    }
    canvas.Restore();
  }
  canvas.Restore();
  if (has_vbar_) vbar_.Paint(canvas);
  if (has_hbar_) hbar_.Paint(canvas);
}

void EditBox::OnPenDown(gfx::Point p) {
  Layout();
  tracked_bar_ = nullptr;
  if (has_vbar_ && vbar_.PenDown(p)) {
    tracked_bar_ = &vbar_;
  } else if (has_hbar_ && hbar_.PenDown(p)) {
    tracked_bar_ = &hbar_;
  } else {
    return;
  }
  FollowBars();
  Invalidate();
}

void EditBox::OnPenMove(gfx::Point p) {
  if (tracked_bar_ == nullptr) return;
  tracked_bar_->PenMove(p);
  FollowBars();
  Invalidate();
}

void EditBox::OnPenUp(gfx::Point p) {
  if (tracked_bar_ == nullptr) return;
  tracked_bar_->PenUp(p);
  tracked_bar_ = nullptr;
  FollowBars();
  Invalidate();
}

bool EditBox::OnKey(Key key) {
  Layout();
  switch (key) {
    case Key::kUp:
      ScrollTo(first_line_ - 1, x_offset_);
      return true;
    case Key::kDown:
      ScrollTo(first_line_ + 1, x_offset_);
      return true;
    case Key::kPageUp:
      ScrollTo(first_line_ - VisibleLines(), x_offset_);
      return true;
    case Key::kPageDown:
      ScrollTo(first_line_ + VisibleLines(), x_offset_);
      return true;
    case Key::kHome:
      ScrollTo(0, x_offset_);
      return true;
    case Key::kEnd:
      ScrollTo(MaxFirstLine(), x_offset_);
      return true;
    case Key::kLeft:
      ScrollTo(first_line_, x_offset_ - kHorizontalStep);
      return true;
    case Key::kRight:
      ScrollTo(first_line_, x_offset_ + kHorizontalStep);
      return true;
    case Key::kReturn:
      // A box that takes Return as a line break keeps it from the screen's
      // default action, even though this one cannot be typed into.
      return HasStyle(style::kWantReturn);
    default:
      return false;
  }
}

}  // namespace tv::ui
