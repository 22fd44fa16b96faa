// Feeds arbitrary bytes to the picture loader as a map file and checks that
// a load either fails and keeps the picture held before, or gives a picture
// within the size limit that can be copied and drawn.

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "maps/picture.h"
#include "platform/base/utf.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "picture invariant broken: %s\n", what);
  std::abort();
}

std::filesystem::path& ScratchFolder() {
  static std::filesystem::path folder = [] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "terravue-picture-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) Fail("no scratch folder");
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(ScratchFolder(), ignored);
    });
    return std::filesystem::path(pattern);
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One picture for the whole run, so that a failed load can be checked to
  // keep what an earlier input left; two file names in turn, so that every
  // input is read (the same path twice would not be).
  static terravue::Picture picture;
  static const tv::gfx::Bitmap reference(240, 320, tv::gfx::PixelFormat::kRgb565);
  static unsigned count = 0;
  const std::filesystem::path path = ScratchFolder() / (++count % 2 ? "a.gif" : "b.gif");
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

  const int width = picture.GetWidth();
  const int height = picture.GetHeight();
  const std::u16string wide = tv::Utf8ToUtf16(path.string());
  if (!picture.LoadFile(reference, terravue::CVOString(wide.c_str()))) {
    if (picture.GetWidth() != width || picture.GetHeight() != height) {
      Fail("a failed load changed the picture");
    }
    return 0;
  }
  if (picture.GetWidth() < 1 || picture.GetHeight() < 1 ||
      picture.GetWidth() > terravue::Picture::kMaxSide ||
      picture.GetHeight() > terravue::Picture::kMaxSide) {
    Fail("a picture outside the size limit");
  }
  // A copy 48 rows high, its width following the picture's shape, cut to a
  // small box: it samples the picture across, whatever its size.
  const auto copy = picture.CreateScaledCopy(-1, 48, 64, 64);
  if (!copy || copy->Width() != 64 || copy->Height() != 64) Fail("no copy of a loaded picture");
  return 0;
}
