#include "platform/ui/image_list.h"

#include <algorithm>

namespace tv::ui {

bool ImageList::Create(int width, int height, bool masked) {
  if (created_) return false;
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) return false;
  width_ = width;
  height_ = height;
  masked_ = masked;
  created_ = true;
  return true;
}

int ImageList::AddMasked(const gfx::Bitmap* bitmap, gfx::Color mask_color) {
  if (!created_ || bitmap == nullptr || bitmap->IsEmpty()) return -1;
  Image image{gfx::Bitmap(width_, height_, gfx::PixelFormat::kRgb888),
              std::vector<bool>(static_cast<size_t>(width_) * height_, false)};
  const int w = std::min(width_, bitmap->Width());
  const int h = std::min(height_, bitmap->Height());
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const gfx::Color c = bitmap->Load(x, y);
      image.pixels.Store(x, y, c);
      image.opaque[static_cast<size_t>(y) * width_ + x] = !masked_ || c != mask_color;
    }
  }
  images_.push_back(std::move(image));
  return Count() - 1;
}

bool ImageList::IsOpaque(int index, int x, int y) const {
  if (index < 0 || index >= Count() || x < 0 || y < 0 || x >= width_ || y >= height_) {
    return false;
  }
  return images_[index].opaque[static_cast<size_t>(y) * width_ + x];
}

void ImageList::Draw(gfx::Canvas& canvas, int index, gfx::Point p) const {
  if (index < 0 || index >= Count()) return;
  const gfx::Rect box = gfx::Rect::FromSize(p.x, p.y, width_, height_);
  if (box.Intersect(canvas.ClipBox()).IsEmpty()) return;
  const Image& image = images_[index];
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (image.opaque[static_cast<size_t>(y) * width_ + x]) {
        canvas.SetPixel({p.x + x, p.y + y}, image.pixels.Load(x, y));
      }
    }
  }
}

}  // namespace tv::ui
