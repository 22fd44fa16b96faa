#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/gfx/color.h"
#include "platform/gfx/geometry.h"

namespace tv::gfx {

class Bitmap;

enum FontWeight { kWeightNormal = 400, kWeightBold = 700 };

// What a screen asks for. The face name is resolved by fontconfig ("Verdana"
// answers DejaVu Sans on Debian); text lands at the same pixel positions
// whatever face answers. A positive height is the character cell height
// (ascent plus descent), a negative one the em height, as on the handheld.
struct FontSpec {
  std::string face;
  int height = 13;
  int weight = kWeightNormal;
  bool antialias = true;
  bool operator==(const FontSpec&) const = default;
};

// The face the dialogs and the default context use: the handheld's system
// font, Tahoma at 8 points. Wine's font made to Tahoma's metrics (Debian's
// fonts-wine) answers it, so texts fit the boxes their screens were laid out
// for, such as the 32-character lines of the facts list.
inline constexpr std::string_view kSystemFontFace = "Tahoma";
// Its character cell at 8 points (an 11-pixel em on the handheld's 96-dpi
// screen), which layouts follow also where no font can be found.
inline constexpr int kSystemFontCellHeight = 13;
FontSpec SystemFontSpec();

// A rasterising font. Fonts are shared and cached by spec; Get returns null
// when no font file can be found or loaded, and callers then draw no text.
class Font {
 public:
  static std::shared_ptr<const Font> Get(const FontSpec& spec);
  virtual ~Font() = default;

  const FontSpec& Spec() const { return spec_; }
  // Cell metrics in pixels.
  virtual int Ascent() const = 0;
  virtual int CellHeight() const = 0;
  virtual Size Measure(std::u16string_view text) const = 0;
  // Draws the text with its cell's top-left at `origin` into `target`,
  // blending with the pixels there; only pixels inside `clip` (surface
  // coordinates, already within the surface) are touched.
  virtual void Draw(Bitmap& target, Point origin, std::u16string_view text,
                    Color color, const Rect& clip) const = 0;

 protected:
  explicit Font(FontSpec spec) : spec_(std::move(spec)) {}

 private:
  FontSpec spec_;
};

}  // namespace tv::gfx
