#include "platform/ui/edit_box.h"

#include <algorithm>

#include "platform/ui/control_style.h"
#include "platform/ui/list_rows.h"

namespace tv::ui {

EditBox::EditBox(const ControlTemplate& tmpl) : Widget(tmpl), line_height_(DialogLineHeight()) {
  ScrollHost& scroller = Scroller();
  scroller.SetPolicy(ScrollOrientation::kVertical,
                     HasStyle(style::kVScroll) ? ScrollHost::Policy::kAlways
                                               : ScrollHost::Policy::kNever);
  scroller.SetPolicy(ScrollOrientation::kHorizontal,
                     HasStyle(style::kHScroll) ? ScrollHost::Policy::kAlways
                                               : ScrollHost::Policy::kNever);
  scroller.SetLineStep(ScrollOrientation::kHorizontal, kHorizontalStep);
  scroller.PlaceInside(InsideBorder(ClientRect(), HasStyle(style::kBorder)));
  OnTextChanged();
}

void EditBox::OnTextChanged() {
  SplitLines();
  ScrollHost& scroller = Scroller();
  scroller.SetContent(ScrollOrientation::kVertical, LineCount(), line_height_);
  scroller.SetContent(ScrollOrientation::kHorizontal, max_line_width_, 1, kLeftMargin);
  SetScrollPos(ScrollOrientation::kVertical, 0);
  SetScrollPos(ScrollOrientation::kHorizontal, 0);
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
  gfx::Rect area = FindScroller()->Viewport();
  area.left = std::min(area.left + kLeftMargin, area.right);
  return area;
}

int EditBox::MaxHorizontalOffset() const {
  return FindScroller()->MaxPos(ScrollOrientation::kHorizontal);
}

void EditBox::OnPaint(gfx::Canvas& canvas) {
  DrawControlBox(canvas, ClientRect(), HasStyle(style::kBorder));
  const gfx::Rect area = TextArea();
  const gfx::Rect dirty = area.Intersect(canvas.ClipBox());
  if (dirty.IsEmpty()) return;
  const int first_line = FirstVisibleLine();
  const int x_offset = HorizontalOffset();
  canvas.IntersectClip(area);
  canvas.SetFont(DialogFont());
  canvas.SetBackgroundMode(gfx::BackgroundMode::kTransparent);
  canvas.SetTextColor(gfx::kBlack);
  // Only the lines that meet the area being painted are drawn.
  const RowRange visible = VisibleRows(area, dirty, first_line, line_height_, LineCount());
  for (int i = visible.begin; i < visible.end; ++i) {
    canvas.DrawText({area.left - x_offset, area.top + (i - first_line) * line_height_}, lines_[i]);
  }
}

bool EditBox::OnKey(Key key) {
  // A box that takes Return as a line break keeps it from the screen's
  // default action, even though this one cannot be typed into.
  if (key == Key::kReturn) return HasStyle(style::kWantReturn);
  return Scroller().Key(key);
}

}  // namespace tv::ui
