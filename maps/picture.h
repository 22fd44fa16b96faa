#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "text/cvo_string.h"

namespace terravue {

// One image decoded from a GIF file into a 24-bit bitmap, ready to be copied
// or stretched onto other surfaces. The file is streamed to the decoder in
// chunks of kChunkSize bytes and never held whole in memory.
//
// Calling order: construct, LoadFile, then any number of GetWidth,
// GetHeight, CreateScaledCopy and DrawTo.
class Picture {
 public:
  static constexpr size_t kChunkSize = 1024;
  // The largest picture accepted, in pixels on either side.
  static constexpr int kMaxSide = 10000;

  Picture() = default;
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  virtual ~Picture();

  // Decodes the GIF file at `path`. The first load takes the pixel format of
  // `reference` (the surface the picture is meant for) for the copies that
  // CreateScaledCopy makes. Loading the path already loaded reads nothing
  // and succeeds; paths are compared as the file system does, so one that
  // differs only in letter case names another file. A file that cannot be
  // opened, or that does not decode to a whole, sound picture, gives false
  // and leaves the earlier picture as it was.
  [[nodiscard]] bool LoadFile(const tv::gfx::Bitmap& reference, const CVOString& path);

  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }

  // A new bitmap of box_width x box_height, white, with the picture
  // stretched to width x height at its top-left corner; what does not fit is
  // cut off. Width and height both -1 mean the natural size; one of them -1
  // keeps the aspect ratio. Box width or height -1 makes a square box whose
  // side is the larger of width and height. Null before the first load or
  // for a negative size.
  [[nodiscard]] std::unique_ptr<tv::gfx::Bitmap> CreateScaledCopy(int width, int height,
                                                                  int box_width,
                                                                  int box_height) const;

  // Copies the picture with its top-left corner at (x, y): at its natural
  // size when width and height are both -1, else stretched into width x
  // height. False when there is no picture.
  bool DrawTo(tv::gfx::Canvas& canvas, int x, int y, int width = -1, int height = -1) const;

  // The decoder's input: up to `maximum` bytes from the file's current
  // position, 0 at the end of the file, on a read error or for a negative
  // file descriptor.
  static size_t ReadFileChunk(uint8_t* buffer, size_t maximum, int file);

 private:
  std::unique_ptr<tv::gfx::Bitmap> bitmap_;
  CVOString path_;
  int height_ = 0;
  int width_ = 0;
  // The format of the surface the picture is drawn onto, fixed by the first
  // load; the copies are made in it.
  tv::gfx::PixelFormat copy_format_ = tv::gfx::PixelFormat::kRgb888;
  bool has_copy_format_ = false;
};

}  // namespace terravue
