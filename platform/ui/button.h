#pragma once

#include <memory>

#include "platform/gfx/bitmap.h"
#include "platform/ui/widget.h"

namespace tv::ui {

// The pen and key handling that push buttons share: a button shows itself
// pressed while the pen is down inside it and clicks on release only when
// the pen is still inside.
class ButtonBase : public Widget {
 public:
  explicit ButtonBase(const ControlTemplate& tmpl) : Widget(tmpl) {}

  bool ClickFromUser() override;
  bool IsPressed() const { return pressed_; }

 protected:
  void OnPenDown(gfx::Point p) override;
  void OnPenMove(gfx::Point p) override;
  void OnPenUp(gfx::Point p) override;
  bool OnKey(Key key) override;
  void OnFocusChanged(bool focused) override;

 private:
  bool tracking_ = false;
  bool pressed_ = false;
};

// A text push button with a raised silver face.
class PushButton : public ButtonBase {
 public:
  explicit PushButton(const ControlTemplate& tmpl) : ButtonBase(tmpl) {}
  const char* KindName() const override { return "button"; }

 protected:
  void OnPaint(gfx::Canvas& canvas) override;
};

// An owner-drawn push button that shows only its face bitmap, at its
// top-left corner; without a face it draws nothing. The keyboard reaches it
// with Tab whatever its template says, as long as it shows a face; it then
// wears a dotted frame inside its edge.
class BitmapButton : public ButtonBase {
 public:
  explicit BitmapButton(const ControlTemplate& tmpl) : ButtonBase(tmpl) {}
  const char* KindName() const override { return "bitmapbutton"; }
  bool AcceptsFocus() const override { return IsEnabled() && face_ != nullptr; }

  void SetFace(std::shared_ptr<const gfx::Bitmap> face);
  const std::shared_ptr<const gfx::Bitmap>& Face() const { return face_; }
  // Resizes the button to its face, keeping the top-left corner; a button
  // without a face keeps its size.
  void SizeToContent();

 protected:
  void OnPaint(gfx::Canvas& canvas) override;

 private:
  std::shared_ptr<const gfx::Bitmap> face_;
};

}  // namespace tv::ui
