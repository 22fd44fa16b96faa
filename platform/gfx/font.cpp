#include "platform/gfx/font.h"

#ifndef __EMSCRIPTEN__
#include <fontconfig/fontconfig.h>
#endif
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/base/utf.h"
#include "platform/gfx/bitmap.h"
#ifdef __EMSCRIPTEN__
#include "platform/files/files.h"
#endif

namespace tv::gfx {

namespace {

// Heights beyond this are taken for a caller's mistake rather than a font
// anybody can show on a 240-pixel screen; they would only cost memory.
constexpr int kMaxPixelHeight = 1024;

struct Glyph {
  FT_UInt index = 0;
  int left = 0;  // from the pen position to the bitmap's left edge
  int top = 0;   // from the baseline up to the bitmap's top edge
  int width = 0;
  int rows = 0;
  int advance = 0;
  std::vector<uint8_t> coverage;  // width * rows, 0 to 255
};

class FreeTypeFont final : public Font {
 public:
  FreeTypeFont(FontSpec spec, FT_Face face, bool embolden, int ascent, int cell_height)
      : Font(std::move(spec)),
        face_(face),
        embolden_(embolden),
        ascent_(ascent),
        cell_height_(cell_height) {}
  ~FreeTypeFont() override { FT_Done_Face(face_); }
  FreeTypeFont(const FreeTypeFont&) = delete;
  FreeTypeFont& operator=(const FreeTypeFont&) = delete;

  int Ascent() const override { return ascent_; }
  int CellHeight() const override { return cell_height_; }

  Size Measure(std::u16string_view text) const override {
    int width = 0;
    ForEachGlyph(text, [&](const Glyph& glyph, int pen_x) { width = pen_x + glyph.advance; });
    return {width, cell_height_};
  }

  void Draw(Bitmap& target, Point origin, std::u16string_view text, Color color,
            const Rect& clip) const override {
    const Rect area = clip.Intersect(target.Bounds());
    if (area.IsEmpty()) return;
    const int baseline = origin.y + ascent_;
    ForEachGlyph(text, [&](const Glyph& glyph, int pen_x) {
      DrawGlyph(target, glyph, origin.x + pen_x + glyph.left, baseline - glyph.top, color,
                area);
    });
  }

 private:
  // Calls fn(glyph, pen_x) for every code point, pen_x being the glyph's
  // pen position relative to the start of the text.
  template <typename Fn>
  void ForEachGlyph(std::u16string_view text, Fn fn) const {
    const bool kerning = FT_HAS_KERNING(face_);
    FT_UInt previous = 0;
    int pen_x = 0;
    size_t pos = 0;
    while (pos < text.size()) {
      const Glyph& glyph = GlyphFor(NextCodePoint(text, pos));
      if (kerning && previous != 0 && glyph.index != 0) {
        FT_Vector delta;
        if (FT_Get_Kerning(face_, previous, glyph.index, FT_KERNING_DEFAULT, &delta) == 0) {
          pen_x += static_cast<int>(delta.x >> 6);
        }
      }
      fn(glyph, pen_x);
      pen_x += glyph.advance;
      previous = glyph.index;
    }
  }

  const Glyph& GlyphFor(char32_t code_point) const {
    auto it = glyphs_.find(code_point);
    if (it != glyphs_.end()) return it->second;
    return glyphs_.emplace(code_point, Render(code_point)).first->second;
  }

  Glyph Render(char32_t code_point) const {
    Glyph glyph;
    glyph.index = FT_Get_Char_Index(face_, code_point);
    const bool antialias = Spec().antialias;
    const FT_Int32 load_flags = antialias ? FT_LOAD_DEFAULT : FT_LOAD_TARGET_MONO;
    if (FT_Load_Glyph(face_, glyph.index, load_flags) != 0) return glyph;
    FT_GlyphSlot slot = face_->glyph;
    glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    // A missing glyph keeps its advance but shows nothing, rather than the
    // face's empty-box glyph.
    if (glyph.index == 0) return glyph;
    if (embolden_ && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      // The same strength FreeType's synthetic bold uses.
      const FT_Pos strength = FT_MulFix(face_->units_per_EM, face_->size->metrics.y_scale) / 24;
      FT_Outline_Embolden(&slot->outline, strength);
      glyph.advance += static_cast<int>((strength + 32) >> 6);
    }
    const FT_Render_Mode mode = antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
    if (FT_Render_Glyph(slot, mode) != 0) return glyph;

    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.rows = static_cast<int>(bitmap.rows);
    glyph.coverage.assign(static_cast<size_t>(glyph.width) * glyph.rows, 0);
    for (int y = 0; y < glyph.rows; ++y) {
      const uint8_t* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
      uint8_t* out = glyph.coverage.data() + static_cast<size_t>(y) * glyph.width;
      for (int x = 0; x < glyph.width; ++x) {
        if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
          out[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
        } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
          out[x] = row[x];
        }
      }
    }
    return glyph;
  }

  // Blends one glyph with its bitmap's top-left at (x0, y0); `area` is
  // already within the target.
  static void DrawGlyph(Bitmap& target, const Glyph& glyph, int x0, int y0, Color color,
                        const Rect& area) {
    const Rect visible = Rect::FromSize(x0, y0, glyph.width, glyph.rows).Intersect(area);
    if (visible.IsEmpty()) return;
    for (int y = visible.top; y < visible.bottom; ++y) {
      const uint8_t* row = glyph.coverage.data() + static_cast<size_t>(y - y0) * glyph.width;
      for (int x = visible.left; x < visible.right; ++x) {
        const int a = row[x - x0];
        if (a == 0) continue;
        if (a == 255) {
          target.Store(x, y, color);
          continue;
        }
        const Color bg = target.Load(x, y);
        auto mix = [a](int b, int f) { return static_cast<uint8_t>(b + (f - b) * a / 255); };
        target.Store(x, y, {mix(bg.r, color.r), mix(bg.g, color.g), mix(bg.b, color.b)});
      }
    }
  }

  FT_Face face_;
  bool embolden_;
  int ascent_;
  int cell_height_;
  mutable std::unordered_map<char32_t, Glyph> glyphs_;
};

#ifndef __EMSCRIPTEN__
// Wine's free font made to Tahoma's metrics, the handheld's system font.
constexpr const char* kWineTahomaFiles[] = {"/usr/share/wine/fonts/tahoma.ttf",
                                            "/usr/share/wine/fonts/tahomabd.ttf"};
#endif

// FreeType's library and the fonts made so far. It lives until the process
// ends (fonts may be held by objects destroyed after any static would be).
struct FontSystem {
  FT_Library library = nullptr;
  bool fontconfig_ready = false;
  std::vector<std::pair<FontSpec, std::shared_ptr<const Font>>> cache;
};

FontSystem& System() {
  static FontSystem* system = [] {
    auto* s = new FontSystem;
    if (FT_Init_FreeType(&s->library) != 0) s->library = nullptr;
#ifdef __EMSCRIPTEN__
    // The page has no fontconfig: its own table picks the bundled files.
    s->fontconfig_ready = true;
#else
    s->fontconfig_ready = FcInit() == FcTrue;
    // Debian's fonts-wine keeps Wine's Tahoma outside fontconfig's folders;
    // made known to this process, it answers the system font's face.
    if (s->fontconfig_ready) {
      for (const char* file : kWineTahomaFiles) {
        FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(file));
      }
    }
    // Fontconfig keeps its configuration where leak checkers cannot see it;
    // releasing it at exit keeps sanitizer runs clean. No fontconfig object
    // outlives a lookup, so nothing refers to it by then.
    if (s->fontconfig_ready) std::atexit(FcFini);
#endif
    return s;
  }();
  return *system;
}

#ifdef __EMSCRIPTEN__
// The faces fontconfig picks on a Debian system with fonts-dejavu-core,
// fonts-liberation2 and fonts-wine, whose files the page bundles under /fonts
// (or the folder TERRAVUE_FONT_DIR names, where the program runs on the
// host's files): Arial (and Helvetica) is Liberation Sans, Tahoma is Wine's
// Tahoma, every other face (Verdana, ...) DejaVu Sans; all have real bold
// faces.
bool MatchFontFile(const FontSpec& spec, std::string& file, int& index, bool& embolden) {
  auto is = [&spec](std::string_view name) {
    return spec.face.size() == name.size() &&
           std::equal(name.begin(), name.end(), spec.face.begin(), [](char a, char b) {
             return std::tolower(static_cast<unsigned char>(a)) ==
                    std::tolower(static_cast<unsigned char>(b));
           });
  };
  const char* folder = std::getenv("TERRAVUE_FONT_DIR");
  file = folder != nullptr && *folder != '\0' ? folder : "/fonts";
  const bool bold = spec.weight >= 600;
  if (is("Arial") || is("Helvetica") || is("Liberation Sans")) {
    file += bold ? "/LiberationSans-Bold.ttf" : "/LiberationSans-Regular.ttf";
  } else if (is("Tahoma")) {
    file += bold ? "/tahomabd.ttf" : "/tahoma.ttf";
  } else {
    file += bold ? "/DejaVuSans-Bold.ttf" : "/DejaVuSans.ttf";
  }
  // A page bundles only the system font's files; it fetches the others
  // when a screen first asks for their face.
  files::FetchIfOnDemand(file);
  index = 0;
  embolden = false;
  return true;
}
#else
// Asks fontconfig for the file that best answers the face name and weight.
bool MatchFontFile(const FontSpec& spec, std::string& file, int& index, bool& embolden) {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(spec.face.c_str()));
  if (pattern == nullptr) return false;
  FcPatternDel(pattern, FC_WEIGHT);
  FcPatternAddInteger(pattern, FC_WEIGHT,
                      spec.weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  bool found = false;
  FcChar8* path = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr) {
    file = reinterpret_cast<const char*>(path);
    int face_index = 0;
    if (FcPatternGetInteger(match, FC_INDEX, 0, &face_index) != FcResultMatch) face_index = 0;
    index = face_index;
    FcBool bold = FcFalse;
    embolden = FcPatternGetBool(match, FC_EMBOLDEN, 0, &bold) == FcResultMatch && bold;
    found = true;
  }
  FcPatternDestroy(match);
  return found;
}
#endif

// The face's cell ascent and descent in font units: the Windows metrics of
// the OS/2 table, which define a character cell, or else the face's own.
std::pair<int, int> CellUnits(FT_Face face) {
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    return {os2->usWinAscent, os2->usWinDescent};
  }
  return {face->ascender, -face->descender};
}

std::shared_ptr<const Font> LoadFont(const FontSpec& spec) {
  FontSystem& system = System();
  if (system.library == nullptr || !system.fontconfig_ready) return nullptr;
  const int height = spec.height == 0 ? SystemFontSpec().height : spec.height;
  if (height < -kMaxPixelHeight || height > kMaxPixelHeight) return nullptr;

  std::string file;
  int index = 0;
  bool embolden = false;
  if (!MatchFontFile(spec, file, index, embolden)) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(system.library, file.c_str(), index, &face) != 0) return nullptr;
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
    FT_Done_Face(face);
    return nullptr;
  }
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);

  const auto [ascent_units, descent_units] = CellUnits(face);
  const int cell_units = std::max(ascent_units + descent_units, 1);
  // A positive height asks for the cell, a negative one for the em.
  const double em_pixels = height > 0
                               ? static_cast<double>(height) * face->units_per_EM / cell_units
                               : static_cast<double>(-height);
  const auto char_size = static_cast<FT_F26Dot6>(std::lround(em_pixels * 64));
  if (FT_Set_Char_Size(face, 0, std::max<FT_F26Dot6>(char_size, 64), 72, 72) != 0) {
    FT_Done_Face(face);
    return nullptr;
  }
  const double scale = em_pixels / face->units_per_EM;
  const int ascent = static_cast<int>(std::lround(ascent_units * scale));
  const int cell_height =
      height > 0 ? height : ascent + static_cast<int>(std::lround(descent_units * scale));
  return std::make_shared<FreeTypeFont>(spec, face, embolden, ascent, cell_height);
}

}  // namespace

FontSpec SystemFontSpec() { return {std::string(kSystemFontFace), -11, kWeightNormal, true}; }

std::shared_ptr<const Font> Font::Get(const FontSpec& spec) {
  FontSystem& system = System();
  for (const auto& [cached_spec, font] : system.cache) {
    if (cached_spec == spec) return font;
  }
  // Failures are remembered too, so a missing face is looked for only once.
  std::shared_ptr<const Font> font = LoadFont(spec);
  system.cache.emplace_back(spec, font);
  return font;
}

}  // namespace tv::gfx
