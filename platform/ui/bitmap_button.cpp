#include "platform/ui/button.h"
#include "platform/ui/control_style.h"
#include "platform/ui/desktop.h"

namespace tv::ui {

void BitmapButton::SetFace(std::shared_ptr<const gfx::Bitmap> face) {
  face_ = std::move(face);
  Invalidate();
}

void BitmapButton::SizeToContent() {
  if (face_ == nullptr || face_->IsEmpty()) return;
  const gfx::Rect frame = Frame();
  SetFrame(gfx::Rect::FromSize(frame.left, frame.top, face_->Width(), face_->Height()));
}

void BitmapButton::OnPaint(gfx::Canvas& canvas) {
  // The face is the whole look: no border and no pressed variant. Only the
  // keyboard focus adds its dotted frame, one pixel inside the edge.
  if (face_ == nullptr) return;
  canvas.Blit({0, 0}, *face_, face_->Bounds());
  if (Desktop::Exists() && Desktop::Get().Focus() == this) {
    DrawFocusRect(canvas, ClientRect().Inflate(-1), gfx::kBlack);
  }
}

}  // namespace tv::ui
