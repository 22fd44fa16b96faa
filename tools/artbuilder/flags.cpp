#include "tools/artbuilder/flags.h"

#include <cairo.h>
#include <libimagequant.h>
#include <librsvg/rsvg.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <memory>
#include <set>

#include "tools/artbuilder/faces.h"

namespace terravue::artbuilder {
namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const {
    if (p != nullptr) Free(p);
  }
};
using Surface = std::unique_ptr<cairo_surface_t, Deleter<cairo_surface_t, cairo_surface_destroy>>;
using Context = std::unique_ptr<cairo_t, Deleter<cairo_t, cairo_destroy>>;
using LiqAttr = std::unique_ptr<liq_attr, Deleter<liq_attr, liq_attr_destroy>>;
using LiqImage = std::unique_ptr<liq_image, Deleter<liq_image, liq_image_destroy>>;
using LiqResult = std::unique_ptr<liq_result, Deleter<liq_result, liq_result_destroy>>;

void UnrefHandle(RsvgHandle* handle) { g_object_unref(handle); }
using Handle = std::unique_ptr<RsvgHandle, Deleter<RsvgHandle, UnrefHandle>>;

bool IsStemChar(char c) {
  return c == '_' || (static_cast<unsigned char>(c) < 0x80 && std::isalnum(static_cast<unsigned char>(c)));
}

// The row images, one letter a pixel as for the button faces.
constexpr FaceArt kBullet = {"bullet.bmp", "425", {
    "................",
    "................",
    "................",
    "................",
    "......kkk.......",
    ".....kkkkk......",
    "....kkkkkkk.....",
    "....kkkkkkk.....",
    "....kkkkkkk.....",
    ".....kkkkk......",
    "......kkk.......",
    "................",
    "................",
    "................",
    "................",
    "................",
}};

}  // namespace

std::optional<std::vector<FlagEntry>> ReadFlagManifest(const std::filesystem::path& path,
                                                       std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read " + path.string();
    return std::nullopt;
  }
  std::vector<FlagEntry> entries;
  std::set<std::string> stems;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty()) continue;
    const size_t tab = line.find('\t');
    const std::string where = path.string() + ":" + std::to_string(number) + ": ";
    if (tab == std::string::npos || tab == 0 || tab + 1 == line.size() ||
        line.find('\t', tab + 1) != std::string::npos) {
      error = where + "expected \"stem<TAB>code\"";
      return std::nullopt;
    }
    FlagEntry entry{line.substr(0, tab), line.substr(tab + 1)};
    if (!std::all_of(entry.stem.begin(), entry.stem.end(), IsStemChar)) {
      error = where + "a stem is made of letters, digits and \"_\"";
      return std::nullopt;
    }
    // Resource names are matched without case, so stems must differ in more.
    std::string folded = entry.stem;
    for (char& c : folded) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!stems.insert(folded).second) {
      error = where + "stem " + entry.stem + " named twice";
      return std::nullopt;
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string FlagResourceName(std::string_view stem) {
  std::string name(stem);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name + "_FLAG";
}

std::string FlagFileName(std::string_view stem) {
  std::string name(stem);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return "bitmaps/flags/" + name + ".bmp";
}

std::optional<tv::gfx::Bitmap> RasteriseSvg(const std::filesystem::path& svg, int width, int height,
                                        std::string& error) {
  GError* gerror = nullptr;
  const Handle handle(rsvg_handle_new_from_file(svg.c_str(), &gerror));
  if (!handle) {
    error = svg.string() + ": " + (gerror != nullptr ? gerror->message : "cannot read");
    if (gerror != nullptr) g_error_free(gerror);
    return std::nullopt;
  }
  gboolean has_width = FALSE;
  gboolean has_height = FALSE;
  gboolean has_viewbox = FALSE;
  RsvgLength ignored_width;
  RsvgLength ignored_height;
  RsvgRectangle viewbox{};
  rsvg_handle_get_intrinsic_dimensions(handle.get(), &has_width, &ignored_width, &has_height,
                                       &ignored_height, &has_viewbox, &viewbox);
  if (!has_viewbox || viewbox.width <= 0 || viewbox.height <= 0) {
    error = svg.string() + ": no viewBox";
    return std::nullopt;
  }
  const Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  const Context cr(cairo_create(surface.get()));
  cairo_set_source_rgb(cr.get(), 1, 1, 1);
  cairo_paint(cr.get());
  // The document is drawn at its own size and scaled unevenly, so that a
  // flag of any proportion fills the whole bitmap.
  cairo_scale(cr.get(), width / viewbox.width, height / viewbox.height);
  const RsvgRectangle viewport{0, 0, viewbox.width, viewbox.height};
  if (!rsvg_handle_render_document(handle.get(), cr.get(), &viewport, &gerror)) {
    error = svg.string() + ": " + (gerror != nullptr ? gerror->message : "cannot draw");
    if (gerror != nullptr) g_error_free(gerror);
    return std::nullopt;
  }
  cairo_surface_flush(surface.get());
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  tv::gfx::Bitmap bitmap(width, height, tv::gfx::PixelFormat::kRgb888);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      // Opaque over the white ground, so premultiplication changes nothing.
      const uint32_t p = row[x];
      bitmap.Store(x, y, {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                          static_cast<uint8_t>(p)});
    }
  }
  return bitmap;
}

std::optional<tv::gfx::Bitmap> QuantiseTo16Colors(const tv::gfx::Bitmap& source, std::string& error) {
  const int width = source.Width();
  const int height = source.Height();
  std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const tv::gfx::Color c = source.Load(x, y);
      unsigned char* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
      p[3] = 255;
    }
  }
  const LiqAttr attr(liq_attr_create());
  if (!attr || liq_set_max_colors(attr.get(), kFlagColors) != LIQ_OK ||
      liq_set_speed(attr.get(), 1) != LIQ_OK) {
    error = "libimagequant: cannot set up";
    return std::nullopt;
  }
  const LiqImage image(liq_image_create_rgba(attr.get(), rgba.data(), width, height, 0));
  liq_result* raw_result = nullptr;
  if (!image || liq_image_quantize(image.get(), attr.get(), &raw_result) != LIQ_OK) {
    error = "libimagequant: cannot quantise";
    return std::nullopt;
  }
  const LiqResult result(raw_result);
  liq_set_dithering_level(result.get(), 0.0f);
  std::vector<unsigned char> indices(static_cast<size_t>(width) * height);
  if (liq_write_remapped_image(result.get(), image.get(), indices.data(), indices.size()) != LIQ_OK) {
    error = "libimagequant: cannot remap";
    return std::nullopt;
  }
  const liq_palette* palette = liq_get_palette(result.get());
  std::vector<tv::gfx::Color> colors;
  for (unsigned i = 0; i < palette->count && i < kFlagColors; ++i) {
    colors.push_back({palette->entries[i].r, palette->entries[i].g, palette->entries[i].b});
  }
  tv::gfx::Bitmap out(width, height, tv::gfx::PixelFormat::kIndexed4);
  out.SetPalette(colors);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) out.SetIndex(x, y, indices[static_cast<size_t>(y) * width + x]);
  }
  return out;
}

std::string ReplaceFlagBlock(std::string_view list, const std::vector<FlagEntry>& flags) {
  std::string block = std::string(kFlagBlockBegin) + "\n";
  for (const FlagEntry& flag : flags) {
    block += "bitmap 0 " + FlagResourceName(flag.stem) + " " + FlagFileName(flag.stem) + "\n";
  }
  block += std::string(kFlagBlockEnd) + "\n";
  const size_t begin = list.find(kFlagBlockBegin);
  const size_t end = begin == std::string_view::npos ? begin : list.find(kFlagBlockEnd, begin);
  if (begin == std::string_view::npos || end == std::string_view::npos) {
    std::string out(list);
    if (!out.empty() && out.back() != '\n') out += '\n';
    return out + block;
  }
  size_t after = end + kFlagBlockEnd.size();
  if (after < list.size() && list[after] == '\n') ++after;
  return std::string(list.substr(0, begin)) + block + std::string(list.substr(after));
}

tv::gfx::Bitmap BulletBitmap() {
  std::string error;
  return *FaceBitmap(kBullet, error);
}

tv::gfx::Bitmap BlankBitmap() {
  tv::gfx::Bitmap blank(kFaceSize, kFaceSize, tv::gfx::PixelFormat::kIndexed4);
  blank.SetPalette(tv::gfx::Vga16Palette());
  blank.Fill(tv::gfx::kWhite);
  return blank;
}

}  // namespace terravue::artbuilder
