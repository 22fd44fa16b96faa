#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/color.h"
#include "platform/gfx/font.h"
#include "platform/gfx/geometry.h"
#include "platform/gfx/region.h"

namespace tv::gfx {

struct Pen {
  enum class Style { kSolid, kNone };
  Style style = Style::kSolid;
  Color color = kBlack;
};

// A solid colour, nothing, or a bitmap repeated from the canvas origin (so a
// pattern drawn into a window lines up with the window's top-left corner).
struct Brush {
  enum class Style { kSolid, kNull, kPattern };
  Style style = Style::kSolid;
  Color color = kWhite;
  std::shared_ptr<const Bitmap> pattern;

  static Brush Solid(Color c) { return {Style::kSolid, c, nullptr}; }
  static Brush Null() { return {Style::kNull, {}, nullptr}; }
  static Brush Pattern(std::shared_ptr<const Bitmap> bitmap) {
    return {Style::kPattern, {}, std::move(bitmap)};
  }
};

enum class BackgroundMode { kOpaque, kTransparent };

// One text drawn through a canvas, in the canvas's logical coordinates.
struct TextRecord {
  Point position;
  std::u16string text;
  // The font as it was asked for (empty face when the canvas had none) and
  // the text colour.
  FontSpec font;
  Color color;
};

// The text as it fits in `max_width` pixels of `font`: whole when it fits,
// else cut after the last word that fits with "..." in place of the rest
// (the spaces and the , ; : - before the cut dropped), or after the last
// character that fits when not even the first word does. Empty when not
// even "..." fits; the text itself without a font.
std::u16string FitTextToWidth(const Font* font, std::u16string_view text, int max_width);

// A drawing context on a bitmap: origin, clip, pen, brush, font and text
// colours, with Save/Restore. Coordinates given to the drawing calls are
// logical: device = logical + origin. Every public primitive translates,
// intersects with the clip and returns early when nothing is left.
class Canvas {
 public:
  // `clip` is in device coordinates; it is intersected with the target.
  Canvas(Bitmap& target, Point origin, const Rect& clip);
  explicit Canvas(Bitmap& target) : Canvas(target, {}, target.Bounds()) {}

  Bitmap& Target() { return *target_; }
  Point Origin() const { return state_.origin; }
  void SetOrigin(Point origin) { state_.origin = origin; }
  // The clip in logical coordinates.
  Rect ClipBox() const { return state_.clip.Offset(-state_.origin.x, -state_.origin.y); }
  void IntersectClip(const Rect& logical);
  // Limits drawing to the pieces of `device` (device coordinates) as well as
  // to the clip rectangle: what lies between the pieces keeps its pixels.
  void SetClipRegion(const Region& device);

  void Save();
  void Restore();

  void SetTextColor(Color c) { state_.text_color = c; }
  Color TextColor() const { return state_.text_color; }
  void SetBackgroundColor(Color c) { state_.background_color = c; }
  void SetBackgroundMode(BackgroundMode m) { state_.background_mode = m; }
  void SetPen(const Pen& pen) { state_.pen = pen; }
  void SetBrush(const Brush& brush) { state_.brush = brush; }
  // A null font makes text calls draw nothing and measure zero.
  void SetFont(std::shared_ptr<const Font> font) { state_.font = std::move(font); }
  const std::shared_ptr<const Font>& CurrentFont() const { return state_.font; }

  void FillRect(const Rect& r, Color c);
  // Outlines `r` with the pen (one pixel, inside the rectangle) and fills the
  // inside with the brush.
  void Rectangle(const Rect& r);
  // A one-pixel line from `a` to `b`, the end point excluded.
  void Line(Point a, Point b);
  // Text with the top-left of its cell at `p`; with an opaque background the
  // cell is filled with the background colour first.
  void DrawText(Point p, std::u16string_view text);
  // The same for a text that must end by x = `right` (logical), such as the
  // screen's edge: where it would run past, it is drawn at the same place cut
  // as FitTextToWidth cuts it, and recorded as drawn.
  void DrawTextWithin(Point p, std::u16string_view text, int right);
  Size MeasureText(std::u16string_view text) const;

  // The colour as the target holds it (so 248 for a full red on a 16-bit
  // display), or nothing when the point lies outside the clip.
  std::optional<Color> GetPixel(Point p) const;
  void SetPixel(Point p, Color c);

  // Copies `src_rect` of `src` to `dest` (top-left), one to one.
  void Blit(Point dest, const Bitmap& src, const Rect& src_rect);
  // Copies `src_rect` of `src` scaled into `dest` (nearest pixel).
  void StretchBlit(const Rect& dest, const Bitmap& src, const Rect& src_rect);
  // The same from what another canvas draws on (a window or a memory
  // surface): `src_rect` is in that canvas's logical coordinates.
  void Blit(Point dest, const Canvas& src, const Rect& src_rect);
  void StretchBlit(const Rect& dest, const Canvas& src, const Rect& src_rect);

  // Records every DrawText call (for the automation's dump).
  void SetTextLog(std::vector<TextRecord>* log) { text_log_ = log; }

 private:
  struct State {
    Point origin;
    Rect clip;  // device coordinates, within the target
    Color text_color = kBlack;
    Color background_color = kWhite;
    BackgroundMode background_mode = BackgroundMode::kOpaque;
    Pen pen;
    Brush brush;
    std::shared_ptr<const Font> font;
    // Pieces the clip is further limited to (device coordinates); null when
    // the clip rectangle is the whole clip.
    std::shared_ptr<const std::vector<Rect>> pieces;
  };
  // Runs `draw` once for each piece of the clip, with the clip rectangle
  // narrowed to that piece; the primitives inside clip to the rectangle.
  template <class F>
  void ForEachPiece(F&& draw) {
    if (!state_.pieces) {
      draw();
      return;
    }
    const Rect whole = state_.clip;
    const auto pieces = state_.pieces;
    state_.pieces = nullptr;
    for (const Rect& piece : *pieces) {
      state_.clip = whole.Intersect(piece);
      if (!state_.clip.IsEmpty()) draw();
    }
    state_.clip = whole;
    state_.pieces = pieces;
  }
  // Fills a device rectangle already clipped by the caller.
  void FillDeviceRect(const Rect& device, const Brush& brush);

  Bitmap* target_;
  State state_;
  std::vector<State> saved_;
  std::vector<TextRecord>* text_log_ = nullptr;
};

}  // namespace tv::gfx
