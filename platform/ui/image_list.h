#pragma once

#include <memory>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/color.h"
#include "platform/gfx/geometry.h"

namespace tv::ui {

// Small images of one size for the rows of a list view. A masked list keeps
// with each image which pixels are transparent: those that had the mask
// colour when the image was added.
class ImageList {
 public:
  ImageList() = default;
  ImageList(const ImageList&) = delete;
  ImageList& operator=(const ImageList&) = delete;

  // Makes an empty list of `width` x `height` images. Fails (and stays
  // unusable) for a size that is not positive or larger than kMaxImageSide,
  // or a list that already exists.
  bool Create(int width, int height, bool masked);
  bool IsCreated() const { return created_; }

  static constexpr int kMaxImageSide = 256;

  // Adds `bitmap`, cut or padded to the image size from its top-left corner,
  // and returns its index; in a masked list pixels of `mask_color` become
  // transparent. Returns -1 for a null or empty bitmap or a list not created.
  int AddMasked(const gfx::Bitmap* bitmap, gfx::Color mask_color);

  int Count() const { return static_cast<int>(images_.size()); }
  gfx::Size ImageSize() const { return {width_, height_}; }
  bool IsMasked() const { return masked_; }
  // Whether the pixel of image `index` at (x, y) is drawn; false outside.
  bool IsOpaque(int index, int x, int y) const;

  // Draws image `index` with its top-left corner at `p`; transparent pixels
  // leave the canvas as it was. An index out of range draws nothing.
  void Draw(gfx::Canvas& canvas, int index, gfx::Point p) const;

 private:
  struct Image {
    gfx::Bitmap pixels;
    std::vector<bool> opaque;  // width * height, row by row
  };

  bool created_ = false;
  bool masked_ = false;
  int width_ = 0;
  int height_ = 0;
  std::vector<Image> images_;
};

}  // namespace tv::ui
