// terravue-artbuilder: draws the world map, the screen button faces and the
// program icon from the Natural Earth boundaries of the world-atlas package,
// checks them, and writes them where the resource list expects them.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "places/places.h"
#include "platform/base/utf.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/image_io.h"
#include "tools/common/options.h"
#include "tools/artbuilder/faces.h"
#include "tools/artbuilder/flags.h"
#include "tools/artbuilder/globe.h"
#include "tools/artbuilder/regionmap.h"
#include "tools/artbuilder/topojson.h"
#include "tools/artbuilder/worldmap.h"

namespace {

namespace fs = std::filesystem;
using tv::gfx::Bitmap;

struct Options {
  std::string atlas;
  fs::path out;
  fs::path preview;  // optional: enlarged PNGs for looking at the artwork
  fs::path flags;       // optional: the data builder's flag manifest
  fs::path flag_icons;  // the flag-icons package the manifest's codes name
  std::string facts;  // country data file, for the places' Factbook coordinates
  fs::path taps_out;  // optional: the generated table of tap points
};

constexpr std::string_view kUsage =
    "terravue-artbuilder --atlas countries-50m.json --out resources/ "
    "--facts QuorvelCountriesTerravue.txt [--taps-out FILE] "
    "[--flags place-flags.tsv --flag-icons DIR] [--preview DIR]";

// Nearest-pixel enlargement for looking at small artwork.
Bitmap Enlarge(const Bitmap& source, int factor) {
  Bitmap big(source.Width() * factor, source.Height() * factor, tv::gfx::PixelFormat::kRgb888);
  for (int y = 0; y < big.Height(); ++y) {
    for (int x = 0; x < big.Width(); ++x) big.Store(x, y, source.Load(x / factor, y / factor));
  }
  return big;
}

// Writes a bitmap and reads it back, so a writer fault cannot pass unseen.
bool WriteAndVerifyBmp(const Bitmap& bitmap, const fs::path& path) {
  fs::create_directories(path.parent_path());
  if (!tv::gfx::WriteBmpFile(bitmap, path.string())) {
    std::fprintf(stderr, "error: cannot write %s\n", path.c_str());
    return false;
  }
  const std::optional<Bitmap> back = tv::gfx::ReadBmpFile(path.string());
  bool same = back && back->Width() == bitmap.Width() && back->Height() == bitmap.Height() &&
              back->IsIndexed() == bitmap.IsIndexed();
  for (int y = 0; same && y < bitmap.Height(); ++y) {
    for (int x = 0; same && x < bitmap.Width(); ++x) same = back->Load(x, y) == bitmap.Load(x, y);
  }
  if (!same) std::fprintf(stderr, "error: %s does not read back as written\n", path.c_str());
  return same;
}

// Draws every flag the manifest names at 64 by 32 in 16 colours of its own,
// writes it under bitmaps/flags/ and lists it in the resource list.
bool BuildFlags(const Options& options) {
  std::string error;
  const auto flags = terravue::artbuilder::ReadFlagManifest(options.flags, error);
  if (!flags) {
    std::fprintf(stderr, "error: %s\n", error.c_str());
    return false;
  }
  // Files of flags no longer named would linger unseen, so the folder is
  // written afresh.
  fs::remove_all(options.out / "bitmaps" / "flags");
  std::vector<Bitmap> drawn;
  for (const terravue::artbuilder::FlagEntry& flag : *flags) {
    const fs::path svg = options.flag_icons / "flags" / "4x3" / (flag.code + ".svg");
    const auto full = terravue::artbuilder::RasteriseSvg(svg, terravue::artbuilder::kFlagWidth, terravue::artbuilder::kFlagHeight, error);
    const auto reduced = full ? terravue::artbuilder::QuantiseTo16Colors(*full, error) : std::nullopt;
    if (!reduced) {
      std::fprintf(stderr, "error: flag %s: %s\n", flag.stem.c_str(), error.c_str());
      return false;
    }
    if (!WriteAndVerifyBmp(*reduced, options.out / terravue::artbuilder::FlagFileName(flag.stem))) return false;
    drawn.push_back(*reduced);
  }
  const fs::path list_path = options.out / "terravue.list";
  std::ifstream in(list_path, std::ios::binary);
  std::ostringstream list;
  list << in.rdbuf();
  if (!in) {
    std::fprintf(stderr, "error: cannot read %s\n", list_path.c_str());
    return false;
  }
  in.close();
  std::ofstream out(list_path, std::ios::binary | std::ios::trunc);
  out << terravue::artbuilder::ReplaceFlagBlock(list.str(), *flags);
  if (!out) {
    std::fprintf(stderr, "error: cannot write %s\n", list_path.c_str());
    return false;
  }
  std::printf("wrote %zu flags under %s and listed them in %s\n", flags->size(),
              (options.out / "bitmaps" / "flags").c_str(), list_path.c_str());
  if (!options.preview.empty()) {
    // All flags side by side, eight a row, enlarged.
    const int per_row = 8;
    const int rows = static_cast<int>((drawn.size() + per_row - 1) / per_row);
    Bitmap sheet(per_row * 72 + 8, rows * 40 + 8, tv::gfx::PixelFormat::kRgb888);
    sheet.Fill(tv::gfx::kWhite);
    for (size_t k = 0; k < drawn.size(); ++k) {
      const int left = 8 + static_cast<int>(k % per_row) * 72;
      const int top = 8 + static_cast<int>(k / per_row) * 40;
      for (int y = 0; y < terravue::artbuilder::kFlagHeight; ++y) {
        for (int x = 0; x < terravue::artbuilder::kFlagWidth; ++x) sheet.Store(left + x, top + y, drawn[k].Load(x, y));
      }
    }
    fs::create_directories(options.preview);
    tv::gfx::WritePngFile(Enlarge(sheet, 2), (options.preview / "flags-x2.png").string());
  }
  return true;
}

// The seven region maps: fitted, drawn, measured against their targets and
// written with the table of tap points.
bool BuildRegionMaps(const std::vector<terravue::artbuilder::Feature>& countries, const Options& options) {
  const auto positions = terravue::artbuilder::ReadFactbookCoordinates(options.facts);
  if (positions.empty()) {
    std::fprintf(stderr, "error: no coordinates in %s\n", options.facts.c_str());
    return false;
  }
  bool ok = true;
  std::vector<terravue::artbuilder::RegionMap> maps;
  for (const terravue::artbuilder::RegionMapSheet& sheet : terravue::artbuilder::RegionMapSheets()) {
    terravue::artbuilder::RegionMap map = terravue::artbuilder::BuildRegionMap(sheet, countries, positions);
    const std::string region = tv::Utf16ToUtf8(terravue::RegionTable[sheet.region].name);
    std::printf("region map %d %s (%dx%d, %d-bit): %d of %d land pixels hit their place (%.2f %%)\n",
                sheet.resource, region.c_str(), sheet.width, sheet.height,
                map.bitmap.Format() == tv::gfx::PixelFormat::kIndexed4 ? 4 : 8, map.hit, map.owned,
                map.owned > 0 ? 100.0 * map.hit / map.owned : 0.0);
    // How far the fit strays from the plain plate carree: the local scale of
    // each axis relative to it, and the largest column offset.
    auto scale_range = [](const terravue::artbuilder::PiecewiseLinear& warp) {
      double lo = 1e9, hi = 0;
      for (size_t k = 1; k < warp.at.size(); ++k) {
        const double scale = (warp.at[k] - warp.at[k - 1]) / (warp.value[k] - warp.value[k - 1]);
        lo = std::min(lo, scale);
        hi = std::max(hi, scale);
      }
      return std::make_pair(lo, hi);
    };
    const auto [x_lo, x_hi] = scale_range(map.layout.warp_x);
    const auto [y_lo, y_hi] = scale_range(map.layout.warp_y);
    double offset = 0;
    for (double v : map.layout.shift.value) offset = std::max(offset, std::abs(v));
    std::printf("  scale west-east %.2f to %.2f, north-south %.2f to %.2f, column offsets up to %.1f px\n",
                x_lo, x_hi, y_lo, y_hi, offset);
    std::printf("  %-44s %6s %6s %7s %5s %9s %s\n", "place", "land", "hits", "share", "zoom",
                "tap", "coordinates");
    const int map_width = sheet.width;
    const int map_height = sheet.height;
    for (const terravue::artbuilder::CountryFigures& f : map.countries) {
      std::printf("  %-44s %6d %6d %6.1f%% %5.2f (%3d,%3d) %s\n", tv::Utf16ToUtf8(f.name).c_str(),
                  f.owned, f.hit, f.owned > 0 ? 100.0 * f.hit / f.owned : 0.0, f.zoom, f.tap.x,
                  f.tap.y,
                  !f.has_position ? "none"
                  : f.position_pixel.x < 1 || f.position_pixel.y < 1 ||
                          f.position_pixel.x > map_width - 2 || f.position_pixel.y > map_height - 2
                      ? "off the map"
                  : !f.position_on_land ? "not on its land"
                  : f.position_hits     ? "hit"
                                        : "MISSED");
    }
    for (const std::string& fault : terravue::artbuilder::CheckRegionMapTargets(map)) {
      std::fprintf(stderr, "error: %s\n", fault.c_str());
      ok = false;
    }
    const fs::path path = options.out / "bitmaps" / std::string(sheet.file);
    if (!WriteAndVerifyBmp(map.bitmap, path)) return false;
    std::printf("wrote %s\n", path.c_str());
    if (!options.preview.empty()) {
      fs::create_directories(options.preview);
      const std::string stem = fs::path(std::string(sheet.file)).stem().string();
      tv::gfx::WritePngFile(Enlarge(map.bitmap, 3), (options.preview / (stem + "-x3.png")).string());
    }
    maps.push_back(std::move(map));
  }
  if (!options.taps_out.empty()) {
    std::FILE* file = std::fopen(options.taps_out.c_str(), "w");
    const std::string text = terravue::artbuilder::TapTableSource(maps);
    if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
      std::fprintf(stderr, "error: cannot write %s\n", options.taps_out.c_str());
      ok = false;
    }
    if (file) std::fclose(file);
    std::printf("wrote %s\n", options.taps_out.c_str());
  }
  return ok;
}

int Run(const Options& options) {
  std::string error;
  const std::optional<std::vector<terravue::artbuilder::Feature>> countries =
      terravue::artbuilder::ReadTopoJsonFile(options.atlas, "countries", error);
  if (!countries) {
    std::fprintf(stderr, "error: %s: %s\n", options.atlas.c_str(), error.c_str());
    return 1;
  }
  std::printf("atlas: %zu country features from %s\n", countries->size(), options.atlas.c_str());
  bool ok = true;

  terravue::artbuilder::WorldMap map = terravue::artbuilder::BuildWorldMap(*countries);
  if (!terravue::artbuilder::DrawMapLabels(map, error)) {
    std::fprintf(stderr, "error: %s\n", error.c_str());
    return 1;
  }

  std::printf("world map: key-coloured land pixels per region before settling\n");
  for (int region = 0; region < terravue::kRegionCount; ++region) {
    const std::string name = tv::Utf16ToUtf8(terravue::RegionTable[region].name);
    std::printf("  %-14s %5d\n", name.c_str(), map.region_pixels[region]);
    if (map.region_pixels[region] == 0) {
      std::fprintf(stderr, "error: region %s has no pixels\n", name.c_str());
      ok = false;
    }
  }
  std::printf("settled (drawn silver: the key colour would resolve to another region or lies at x = 0)\n");
  for (const auto& [place, count] : map.settled) std::printf("  %-45s %4d\n", place.c_str(), count);
  std::printf("land of no place in the tables (drawn silver)\n");
  for (const std::string& name : map.unassigned_features) {
    const auto it = map.unassigned.find(name);
    std::printf("  %-45s %4d\n", name.c_str(), it == map.unassigned.end() ? 0 : it->second);
  }
  std::printf("labels: position, ink pixels, on their region, on another region\n");
  for (const auto& label : map.labels) {
    std::printf("  %-14s (%3d, %3d) %4d %4d %4d\n", label.text.c_str(), label.position.x,
                label.position.y, label.ink, label.on_region, label.on_other_region);
    // A label may graze a neighbouring region where regions are narrow (the
    // Middle East), but only by a pixel or two.
    if (label.ink == 0 || label.on_other_region * 50 > label.ink) {
      std::fprintf(stderr, "error: label %s is not drawn on its own region\n", label.text.c_str());
      ok = false;
    }
    // White ink is lost on the white sea.
    if (label.color == tv::gfx::kWhite && label.on_region != label.ink) {
      std::fprintf(stderr, "error: white label %s leaves its region\n", label.text.c_str());
      ok = false;
    }
  }

  const fs::path map_path = options.out / "bitmaps" / "worldmap.bmp";
  if (!WriteAndVerifyBmp(map.bitmap, map_path)) return 1;
  const std::optional<Bitmap> written = tv::gfx::ReadBmpFile(map_path.string());
  for (const std::string& fault : terravue::artbuilder::CheckWorldMap(*written, map.intended)) {
    std::fprintf(stderr, "error: world map: %s\n", fault.c_str());
    ok = false;
  }
  std::printf("wrote %s\n", map_path.c_str());

  std::vector<Bitmap> faces;
  for (const terravue::artbuilder::FaceArt& face : terravue::artbuilder::ScreenButtonFaces()) {
    std::optional<Bitmap> bitmap = terravue::artbuilder::FaceBitmap(face, error);
    if (!bitmap) {
      std::fprintf(stderr, "error: %s\n", error.c_str());
      return 1;
    }
    const fs::path path = options.out / "bitmaps" / face.file;
    if (!WriteAndVerifyBmp(*bitmap, path)) return 1;
    std::printf("wrote %s (%.*s)\n", path.c_str(), static_cast<int>(face.resource.size()),
                face.resource.data());
    faces.push_back(std::move(*bitmap));
  }

  // The map screens' toolbar image strips.
  for (const terravue::artbuilder::ToolbarArt& toolbar : terravue::artbuilder::Toolbars()) {
    std::optional<Bitmap> bitmap = terravue::artbuilder::ToolbarBitmap(toolbar, error);
    if (!bitmap) {
      std::fprintf(stderr, "error: %s\n", error.c_str());
      return 1;
    }
    const fs::path path = options.out / "bitmaps" / toolbar.file;
    if (!WriteAndVerifyBmp(*bitmap, path)) return 1;
    std::printf("wrote %s (%d)\n", path.c_str(), toolbar.number);
  }

  // The country list's row images: 425 the bullet, 426 blank.
  if (!WriteAndVerifyBmp(terravue::artbuilder::BulletBitmap(), options.out / "bitmaps" / "bullet.bmp") ||
      !WriteAndVerifyBmp(terravue::artbuilder::BlankBitmap(), options.out / "bitmaps" / "blank.bmp")) {
    return 1;
  }
  std::printf("wrote the row images bullet.bmp (425) and blank.bmp (426)\n");

  // The globe faces Europe and Africa, the middle of the world map. The
  // program's own icon and every size a desktop asks for are drawn from the
  // one globe, so that they agree.
  const terravue::artbuilder::LandMask land(*countries, 0.1);
  const Bitmap icon = terravue::artbuilder::RenderGlobe(land, 15, 20, 32);
  const fs::path icon_path = options.out / "icons" / "terravue.bmp";
  if (!WriteAndVerifyBmp(icon, icon_path)) return 1;
  std::printf("wrote %s\n", icon_path.c_str());
  for (const int size : terravue::artbuilder::kDesktopIconSizes) {
    const fs::path png_path =
        options.out / "icons" / ("terravue-" + std::to_string(size) + ".png");
    const Bitmap desktop_icon = terravue::artbuilder::RenderGlobe(land, 15, 20, size);
    if (!tv::gfx::WritePngFile(desktop_icon, png_path.string())) {
      std::fprintf(stderr, "error: cannot write %s\n", png_path.c_str());
      return 1;
    }
    std::printf("wrote %s\n", png_path.c_str());
  }

  if (!options.flags.empty() && !BuildFlags(options)) return 1;

  if (!options.preview.empty()) {
    fs::create_directories(options.preview);
    tv::gfx::WritePngFile(Enlarge(map.bitmap, 4), (options.preview / "worldmap-x4.png").string());
    Bitmap strip(faces.size() * 24 + 8, 32, tv::gfx::PixelFormat::kRgb888);
    strip.Fill(tv::gfx::kWhite);
    for (size_t k = 0; k < faces.size(); ++k) {
      for (int y = 0; y < terravue::artbuilder::kFaceSize; ++y) {
        for (int x = 0; x < terravue::artbuilder::kFaceSize; ++x) {
          strip.Store(8 + k * 24 + x, 8 + y, faces[k].Load(x, y));
        }
      }
    }
    tv::gfx::WritePngFile(Enlarge(strip, 8), (options.preview / "faces-x8.png").string());
    tv::gfx::WritePngFile(Enlarge(icon, 8), (options.preview / "icon32-x8.png").string());
    std::printf("previews in %s\n", options.preview.c_str());
  }

  if (!BuildRegionMaps(*countries, options)) ok = false;

  if (!ok) {
    std::fprintf(stderr, "artwork checks failed\n");
    return 1;
  }
  std::printf("all checks passed\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  // The flag manifest names its icons by code, so it comes with their folder.
  if (!terravue::tools::ParseOptions(
          argc, argv,
          {{"--atlas", &options.atlas, true}, {"--out", &options.out, true},
           {"--facts", &options.facts, true}, {"--taps-out", &options.taps_out},
           {"--flags", &options.flags}, {"--flag-icons", &options.flag_icons},
           {"--preview", &options.preview}}) ||
      options.flags.empty() != options.flag_icons.empty()) {
    return terravue::tools::UsageError(kUsage);
  }
  return Run(options);
}
