#pragma once

#include <string>
#include <string_view>

#include "platform/gfx/canvas.h"
#include "platform/gfx/geometry.h"
#include "platform/ui/widget.h"

namespace tv::ui {

// A single-line, read-only text box. A text wider than the box is never cut
// or wrapped: it scrolls sideways, by Left, Right, Home and End once the box
// has the focus, and by dragging the stylus across it. It shows no bar; its
// scroll host keeps the sideways position in pixels.
class LineEdit : public Widget {
 public:
  static constexpr int kHorizontalStep = 8;
  static constexpr int kLeftMargin = 2;

  explicit LineEdit(const ControlTemplate& tmpl);
  const char* KindName() const override { return "lineedit"; }

  // Replaces the text and shows its beginning, also when the text is the
  // one already shown (Window::SetText then changes nothing).
  void SetText(std::u16string_view text);

  // The text's width in pixels.
  int TextWidth() const { return text_width_; }
  int HorizontalOffset() const { return GetScrollInfo(ScrollOrientation::kHorizontal).pos; }
  int MaxHorizontalOffset() const;
  // Where the text is drawn, in client coordinates.
  gfx::Rect TextArea() const;
  // Moves the view, clamped.
  void ScrollTo(int x_offset) { SetScrollPos(ScrollOrientation::kHorizontal, x_offset); }

 protected:
  void OnPaint(gfx::Canvas& canvas) override;
  void OnPenDown(gfx::Point p) override;
  void OnPenMove(gfx::Point p) override;
  void OnPenUp(gfx::Point p) override;
  bool OnKey(Key key) override;
  void OnFocusChanged(bool focused) override;
  void OnTextChanged() override;

 private:
  int text_width_ = 0;
  bool dragging_ = false;
  int drag_start_x_ = 0;
  int drag_start_offset_ = 0;
};

}  // namespace tv::ui
