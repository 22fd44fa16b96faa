// O_CLOEXEC and the other POSIX 2008 names: declared by default
// with glibc, only on request by stricter C libraries.
#if !defined(_GNU_SOURCE) && !defined(_XOPEN_SOURCE)
#define _XOPEN_SOURCE 700
#endif

#include "maps/picture.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include <gif_lib.h>
#include <unistd.h>

#include "platform/files/files.h"

namespace terravue {

namespace {

using tv::gfx::Bitmap;
using tv::gfx::Color;

// What the decoder reads through: one zero-filled chunk of the file, refilled
// by ReadFileChunk whenever giflib asks for more than is left in it.
struct ChunkSource {
  int file = -1;
  uint8_t chunk[Picture::kChunkSize] = {};
  size_t size = 0;
  size_t pos = 0;
};

int ReadForGif(GifFileType* gif, GifByteType* out, int wanted) {
  auto* source = static_cast<ChunkSource*>(gif->UserData);
  int given = 0;
  while (given < wanted) {
    if (source->pos == source->size) {
      source->size = Picture::ReadFileChunk(source->chunk, sizeof source->chunk, source->file);
      source->pos = 0;
      if (source->size == 0) break;
    }
    const size_t n = std::min(static_cast<size_t>(wanted - given), source->size - source->pos);
    std::memcpy(out + given, source->chunk + source->pos, n);
    source->pos += n;
    given += static_cast<int>(n);
  }
  return given;
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

bool SkipExtension(GifFileType* gif) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
  while (block != nullptr) {
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  }
  return true;
}

// The rows of a frame in the order they are stored: top to bottom, or in the
// four passes of an interlaced frame.
std::vector<int> RowOrder(int height, bool interlaced) {
  std::vector<int> rows;
  rows.reserve(static_cast<size_t>(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  static constexpr int kStart[] = {0, 4, 2, 1};
  static constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = kStart[pass]; y < height; y += kStep[pass]) rows.push_back(y);
  }
  return rows;
}

// Decodes the first frame onto the logical screen. Anything a sound GIF does
// not have makes the whole picture fail: a screen of no size or larger than
// kMaxSide, a frame of no size or reaching outside the screen, a frame
// without a colour map, a pixel index past its colour map, a stream that
// breaks off before the frame is whole, or no frame at all.
std::unique_ptr<Bitmap> DecodeGif(int file) {
  ChunkSource source;
  source.file = file;
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&source, ReadForGif, &error));
  if (!gif) return nullptr;
  const int screen_width = gif->SWidth;
  const int screen_height = gif->SHeight;
  if (screen_width <= 0 || screen_height <= 0 || screen_width > Picture::kMaxSide ||
      screen_height > Picture::kMaxSide) {
    return nullptr;
  }

  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) return nullptr;
    if (type == EXTENSION_RECORD_TYPE) {
      if (!SkipExtension(gif.get())) return nullptr;
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) return nullptr;  // the end, or garbage
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) return nullptr;
    break;
  }

  const GifImageDesc& frame = gif->Image;
  if (frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0 ||
      frame.Left + frame.Width > screen_width || frame.Top + frame.Height > screen_height) {
    return nullptr;
  }
  const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
  if (map == nullptr || map->Colors == nullptr || map->ColorCount <= 0) return nullptr;

  auto bitmap = std::make_unique<Bitmap>(screen_width, screen_height,
                                         tv::gfx::PixelFormat::kRgb888);
  // What the frame leaves uncovered shows the screen's background colour.
  Color background = tv::gfx::kWhite;
  const ColorMapObject* screen_map = gif->SColorMap;
  if (screen_map != nullptr && gif->SBackGroundColor >= 0 &&
      gif->SBackGroundColor < screen_map->ColorCount) {
    const GifColorType& c = screen_map->Colors[gif->SBackGroundColor];
    background = {c.Red, c.Green, c.Blue};
  }
  if (frame.Width != screen_width || frame.Height != screen_height) bitmap->Fill(background);

  std::vector<Color> palette(static_cast<size_t>(map->ColorCount));
  for (int i = 0; i < map->ColorCount; ++i) {
    palette[static_cast<size_t>(i)] = {map->Colors[i].Red, map->Colors[i].Green,
                                       map->Colors[i].Blue};
  }
  std::vector<GifPixelType> line(static_cast<size_t>(frame.Width));
  for (int row : RowOrder(frame.Height, frame.Interlace)) {
    if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) return nullptr;
    for (int x = 0; x < frame.Width; ++x) {
      const GifPixelType index = line[static_cast<size_t>(x)];
      if (index >= palette.size()) return nullptr;
      bitmap->Store(frame.Left + x, frame.Top + row, palette[index]);
    }
  }
  return bitmap;
}

// A float result truncated toward zero, kept inside the range of int.
int TruncateToInt(float value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483520.0f) return 2147483520;
  if (value <= -2147483520.0f) return -2147483520;
  return static_cast<int>(value);
}

}  // namespace

Picture::~Picture() = default;

size_t Picture::ReadFileChunk(uint8_t* buffer, size_t maximum, int file) {
  if (file < 0) return 0;
  for (;;) {
    const ssize_t n = read(file, buffer, maximum);
    if (n >= 0) return static_cast<size_t>(n);
    if (errno != EINTR) return 0;
  }
}

bool Picture::LoadFile(const tv::gfx::Bitmap& reference, const CVOString& path) {
  if (bitmap_ && !path_.IsEmpty() && path_.ToUtf8() == path.ToUtf8()) return true;
  if (!has_copy_format_) {
    copy_format_ = reference.IsIndexed() ? tv::gfx::PixelFormat::kRgb888 : reference.Format();
    has_copy_format_ = true;
  }
  // A folder or a pipe in the file's place cannot be opened as a picture;
  // a pipe would otherwise block the screen waiting for a writer.
  const int file = tv::files::OpenRegularFile(path.ToUtf8());
  if (file < 0) return false;
  std::unique_ptr<Bitmap> decoded = DecodeGif(file);
  close(file);
  if (!decoded) return false;
  bitmap_ = std::move(decoded);
  width_ = bitmap_->Width();
  height_ = bitmap_->Height();
  path_ = path;
  return true;
}

std::unique_ptr<tv::gfx::Bitmap> Picture::CreateScaledCopy(int width, int height, int box_width,
                                                           int box_height) const {
  if (!bitmap_) return nullptr;
  // Single precision, truncated toward zero, as the copies have always been
  // sized.
  if (width == -1 && height == -1) {
    width = width_;
    height = height_;
  } else if (width == -1) {
    width = TruncateToInt(static_cast<float>(width_) / static_cast<float>(height_) *
                          static_cast<float>(height));
  } else if (height == -1) {
    height = TruncateToInt(static_cast<float>(height_) / static_cast<float>(width_) *
                           static_cast<float>(width));
  }
  if (box_width == -1 || box_height == -1) box_width = box_height = std::max(width, height);
  if (width < 0 || height < 0 || box_width < 0 || box_height < 0) return nullptr;

  auto copy = std::make_unique<Bitmap>(box_width, box_height, copy_format_);
  tv::gfx::Canvas scratch(*copy);
  scratch.FillRect(copy->Bounds(), tv::gfx::kWhite);
  DrawTo(scratch, 0, 0, width, height);
  return copy;
}

bool Picture::DrawTo(tv::gfx::Canvas& canvas, int x, int y, int width, int height) const {
  if (!bitmap_) return false;
  if (width == -1 && height == -1) {
    canvas.Blit({x, y}, *bitmap_, bitmap_->Bounds());
  } else {
    canvas.StretchBlit(tv::gfx::Rect::FromSize(x, y, width, height), *bitmap_,
                       bitmap_->Bounds());
  }
  return true;
}

}  // namespace terravue
