#include "platform/ui/button.h"
#include "platform/ui/control_style.h"
#include "platform/ui/desktop.h"

namespace tv::ui {

bool ButtonBase::ClickFromUser() {
  NotifyParent(notify::kClicked);
  return true;
}

void ButtonBase::OnPenDown(gfx::Point p) {
  tracking_ = true;
  pressed_ = ClientRect().Contains(p);
  Invalidate();
}

void ButtonBase::OnPenMove(gfx::Point p) {
  if (!tracking_) return;
  const bool inside = ClientRect().Contains(p);
  if (inside == pressed_) return;
  pressed_ = inside;
  Invalidate();
}

void ButtonBase::OnPenUp(gfx::Point p) {
  if (!tracking_) return;
  tracking_ = false;
  pressed_ = false;
  Invalidate();
  // Sliding off the button before lifting the pen is how a user takes a tap
  // back.
  if (ClientRect().Contains(p)) NotifyParent(notify::kClicked);
}

bool ButtonBase::OnKey(Key key) {
  if (key != Key::kReturn && key != Key::kSpace) return false;
  NotifyParent(notify::kClicked);
  return true;
}

void ButtonBase::OnFocusChanged(bool focused) {
  (void)focused;
  Invalidate();
}

void PushButton::OnPaint(gfx::Canvas& canvas) {
  const gfx::Rect frame = ClientRect();
  const bool pressed = IsPressed();
  canvas.Save();
  canvas.SetPen({gfx::Pen::Style::kSolid, gfx::kBlack});
  canvas.SetBrush(gfx::Brush::Solid(gfx::kSilver));
  canvas.Rectangle(frame);
  gfx::Rect face = frame.Inflate(-1);
  if (HasStyle(style::kDefault)) {
    // The default button wears a second black line.
    canvas.SetBrush(gfx::Brush::Null());
    canvas.Rectangle(face);
    face = face.Inflate(-1);
  }
  if (!face.IsEmpty()) {
    if (pressed) {
      canvas.FillRect({face.left, face.top, face.right, face.top + 1}, gfx::kGrey);
      canvas.FillRect({face.left, face.top, face.left + 1, face.bottom}, gfx::kGrey);
    } else {
      canvas.FillRect({face.left, face.top, face.right - 1, face.top + 1}, gfx::kWhite);
      canvas.FillRect({face.left, face.top, face.left + 1, face.bottom - 1}, gfx::kWhite);
      canvas.FillRect({face.left, face.bottom - 1, face.right, face.bottom}, gfx::kGrey);
      canvas.FillRect({face.right - 1, face.top, face.right, face.bottom}, gfx::kGrey);
    }
  }

  canvas.SetFont(DialogFont());
  canvas.SetBackgroundMode(gfx::BackgroundMode::kTransparent);
  canvas.SetTextColor(IsEnabled() ? gfx::kBlack : gfx::kGrey);
  canvas.IntersectClip(face);
  const gfx::Size size = canvas.MeasureText(Text());
  // The label moves down and right by a pixel while pressed, like the face.
  const int shift = pressed ? 1 : 0;
  canvas.DrawText({(frame.Width() - size.width) / 2 + shift,
                   (frame.Height() - size.height) / 2 + shift},
                  Text());
  if (Desktop::Exists() && Desktop::Get().Focus() == this) {
    DrawFocusRect(canvas, face.Inflate(-2), gfx::kBlack);
  }
  canvas.Restore();
}

}  // namespace tv::ui
