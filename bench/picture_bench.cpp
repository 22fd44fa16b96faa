// Opening a map picture as the country map screen does (read the file,
// decode, make the square copy), one zoom step's copy, and formatting a
// distance label.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <unistd.h>

#include "maps/picture.h"
#include "platform/base/utf.h"
#include "text/cvo_string.h"

namespace {

namespace fs = std::filesystem;

int Collect(GifFileType* gif, const GifByteType* data, int n) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), data, data + n);
  return n;
}

// A 480 x 480 picture of a few colours in curved regions with borders, as a
// map is, compressed by giflib's encoder.
std::vector<uint8_t> MapLikeGif(int size) {
  std::vector<uint8_t> bytes;
  int error = 0;
  GifFileType* gif = EGifOpen(&bytes, Collect, &error);
  ColorMapObject* map = GifMakeMapObject(16, nullptr);
  for (int i = 0; i < 16; ++i) {
    map->Colors[i] = {static_cast<GifByteType>(i * 15), static_cast<GifByteType>(200 - i * 9),
                      static_cast<GifByteType>(90 + i * 10)};
  }
  EGifPutScreenDesc(gif, size, size, 4, 0, map);
  EGifPutImageDesc(gif, 0, 0, size, size, false, nullptr);
  std::vector<GifPixelType> line(static_cast<size_t>(size));
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const int d = ((x - 200) * (x - 200) + (y - 260) * (y - 260) * 2) / 3000;
      const int region = (d + x / 97 + y / 131) % 6;
      const bool border = ((x * 7 + y * 3) % 181) == 0;
      line[static_cast<size_t>(x)] = static_cast<GifPixelType>(border ? 15 : region);
    }
    EGifPutLine(gif, line.data(), size);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return bytes;
}

class MapFile {
 public:
  MapFile() {
    path_ = fs::temp_directory_path() / ("picture_bench_" + std::to_string(getpid()) + ".gif");
    const std::vector<uint8_t> bytes = MapLikeGif(480);
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    path_text_ = terravue::CVOString(tv::Utf8ToUtf16(path_.string()).c_str());
  }
  ~MapFile() { fs::remove(path_); }
  const terravue::CVOString& Path() const { return path_text_; }

 private:
  fs::path path_;
  terravue::CVOString path_text_;
};

const tv::gfx::Bitmap& Display() {
  static const tv::gfx::Bitmap display(240, 320, tv::gfx::PixelFormat::kRgb565);
  return display;
}

void BM_OpenMapPicture(benchmark::State& state) {
  const MapFile file;
  for (auto _ : state) {
    terravue::Picture picture;
    if (!picture.LoadFile(Display(), file.Path())) state.SkipWithError("load failed");
    auto square = picture.CreateScaledCopy(-1, -1, -1, -1);
    benchmark::DoNotOptimize(square.get());
  }
}
BENCHMARK(BM_OpenMapPicture)->Unit(benchmark::kMillisecond);

void BM_DecodeOnly(benchmark::State& state) {
  const MapFile file;
  for (auto _ : state) {
    terravue::Picture picture;
    benchmark::DoNotOptimize(picture.LoadFile(Display(), file.Path()));
  }
}
BENCHMARK(BM_DecodeOnly)->Unit(benchmark::kMillisecond);

// One zoom step in: the 480 x 480 picture stretched by 1.3 into its square.
void BM_ZoomStepCopy(benchmark::State& state) {
  const MapFile file;
  terravue::Picture picture;
  if (!picture.LoadFile(Display(), file.Path())) state.SkipWithError("load failed");
  for (auto _ : state) {
    auto zoomed = picture.CreateScaledCopy(624, -1, -1, -1);
    benchmark::DoNotOptimize(zoomed.get());
  }
}
BENCHMARK(BM_ZoomStepCopy)->Unit(benchmark::kMillisecond);

void BM_FormatDistanceLabel(benchmark::State& state) {
  terravue::CVOString label;
  double km = 0.0;
  for (auto _ : state) {
    km += 1.25;
    benchmark::DoNotOptimize(label.Format(u"%.2f Kms", km));
  }
}
BENCHMARK(BM_FormatDistanceLabel);

}  // namespace

BENCHMARK_MAIN();
