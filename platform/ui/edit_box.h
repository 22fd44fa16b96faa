#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/widget.h"

namespace tv::ui {

// A multi-line, read-only text box. Lines end only at "\r\n" or "\n"; they
// are never wrapped, and longer lines are reached by scrolling sideways.
// Scroll bars follow the style (style::kVScroll, style::kHScroll); the
// vertical one counts lines, the horizontal one pixels.
class EditBox : public Widget {
 public:
  static constexpr int kHorizontalStep = 8;
  static constexpr int kLeftMargin = 2;

  explicit EditBox(const ControlTemplate& tmpl);
  const char* KindName() const override { return "editbox"; }

  int LineCount() const { return static_cast<int>(lines_.size()); }
  const std::u16string& Line(int index) const { return lines_[index]; }
  int FirstVisibleLine() const { return GetScrollInfo(ScrollOrientation::kVertical).pos; }
  int HorizontalOffset() const { return GetScrollInfo(ScrollOrientation::kHorizontal).pos; }
  // The width of the longest line, in pixels.
  int MaxLineWidth() const { return max_line_width_; }
  int LineHeight() const { return line_height_; }
  // Lines that fit whole in the text area (at least one).
  int VisibleLines() const { return GetScrollInfo(ScrollOrientation::kVertical).page; }
  // Where text is drawn, in client coordinates.
  gfx::Rect TextArea() const;
  int MaxHorizontalOffset() const;

 protected:
  void OnPaint(gfx::Canvas& canvas) override;
  bool OnKey(Key key) override;
  // New text is split into lines and shown from its top-left corner at once,
  // whichever way it was set.
  void OnTextChanged() override;

 private:
  void SplitLines();

  std::vector<std::u16string> lines_;
  int max_line_width_ = 0;
  int line_height_;
};

}  // namespace tv::ui
