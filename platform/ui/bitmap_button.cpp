#include "platform/ui/button.h"

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
  // The face is the whole look: no border, no pressed or focused variant.
  if (face_ == nullptr) return;
  canvas.Blit({0, 0}, *face_, face_->Bounds());
}

}  // namespace tv::ui
