#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/scroll_bar.h"
#include "platform/ui/widget.h"

namespace tv::ui {

// A multi-line, read-only text box. Lines end only at "\r\n" or "\n"; they
// are never wrapped, and longer lines are reached by scrolling sideways.
// Scroll bars follow the style (style::kVScroll, style::kHScroll).
class EditBox : public Widget {
 public:
  static constexpr int kHorizontalStep = 8;
  static constexpr int kLeftMargin = 2;

  explicit EditBox(const ControlTemplate& tmpl);
  const char* KindName() const override { return "editbox"; }

  // Deletes the selection; the box has none, so nothing changes.
  void Clear() {}

  int LineCount() const { return static_cast<int>(lines_.size()); }
  const std::u16string& Line(int index) const { return lines_[index]; }
  int FirstVisibleLine() const { return first_line_; }
  int HorizontalOffset() const { return x_offset_; }
  // The width of the longest line, in pixels.
  int MaxLineWidth() const { return max_line_width_; }
  int LineHeight() const { return line_height_; }
  // Lines that fit whole in the text area (at least one).
  int VisibleLines() const;
  // Where text is drawn, in client coordinates.
  gfx::Rect TextArea() const;
  int MaxFirstLine() const;
  int MaxHorizontalOffset() const;
  const ScrollBar* VerticalBar() const { return has_vbar_ ? &vbar_ : nullptr; }
  const ScrollBar* HorizontalBar() const { return has_hbar_ ? &hbar_ : nullptr; }

 protected:
  void OnPaint(gfx::Canvas& canvas) override;
  void OnPenDown(gfx::Point p) override;
  void OnPenMove(gfx::Point p) override;
  void OnPenUp(gfx::Point p) override;
  bool OnKey(Key key) override;
  // New text is split into lines and shown from its top-left corner at once,
  // whichever way it was set.
  void OnTextChanged() override;

 private:
  void SplitLines();
  void Layout();
  // Moves the view, clamped; invalidates when it changed.
  void ScrollTo(int first_line, int x_offset);
  void FollowBars();

  std::vector<std::u16string> lines_;
  int max_line_width_ = 0;
  int line_height_;
  int first_line_ = 0;
  int x_offset_ = 0;
  bool has_vbar_;
  bool has_hbar_;
  ScrollBar vbar_{ScrollBar::Orientation::kVertical};
  ScrollBar hbar_{ScrollBar::Orientation::kHorizontal};
  ScrollBar* tracked_bar_ = nullptr;
};

}  // namespace tv::ui
