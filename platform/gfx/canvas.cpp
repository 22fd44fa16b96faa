#include "platform/gfx/canvas.h"

#include <cstdlib>
#include <vector>

#include "platform/base/check.h"

namespace tv::gfx {

namespace {

// A modulo whose result is never negative, for pattern brushes drawn left of
// or above the canvas origin.
int PositiveMod(int a, int m) {
  const int r = a % m;
  return r < 0 ? r + m : r;
}

}  // namespace

Canvas::Canvas(Bitmap& target, Point origin, const Rect& clip) : target_(&target) {
  state_.origin = origin;
  state_.clip = clip.Intersect(target.Bounds());
}

void Canvas::IntersectClip(const Rect& logical) {
  state_.clip = state_.clip.Intersect(logical.Offset(state_.origin));
}

void Canvas::SetClipRegion(const Region& device) {
  Region cut = device;
  cut.Intersect(state_.clip);
  state_.clip = cut.Bounds();
  if (cut.Rects().size() <= 1) {
    state_.pieces = nullptr;
  } else {
    state_.pieces = std::make_shared<const std::vector<Rect>>(cut.Rects());
  }
}

void Canvas::Save() { saved_.push_back(state_); }

void Canvas::Restore() {
  TV_CHECK(!saved_.empty());
  state_ = std::move(saved_.back());
  saved_.pop_back();
}

void Canvas::FillDeviceRect(const Rect& device, const Brush& brush) {
  switch (brush.style) {
    case Brush::Style::kNull:
      return;
    case Brush::Style::kSolid:
      target_->FillRect(device, brush.color);
      return;
    case Brush::Style::kPattern: {
      if (!brush.pattern || brush.pattern->IsEmpty()) return;
      const Bitmap& pattern = *brush.pattern;
      // A pattern that is the target itself is read through a copy so that
      // the fill never samples pixels it has already overwritten.
      const Bitmap copy = (&pattern == target_) ? pattern : Bitmap();
      const Bitmap& source = (&pattern == target_) ? copy : pattern;
      const int w = source.Width();
      const int h = source.Height();
      for (int y = device.top; y < device.bottom; ++y) {
        const int py = PositiveMod(y - state_.origin.y, h);
        int px = PositiveMod(device.left - state_.origin.x, w);
        for (int x = device.left; x < device.right; ++x) {
          target_->Store(x, y, source.Load(px, py));
          if (++px == w) px = 0;
        }
      }
      return;
    }
  }
}

void Canvas::FillRect(const Rect& r, Color c) {
  ForEachPiece([&] {
    const Rect device = r.Offset(state_.origin).Intersect(state_.clip);
    if (device.IsEmpty()) return;
    FillDeviceRect(device, Brush::Solid(c));
  });
}

void Canvas::Rectangle(const Rect& r) {
  ForEachPiece([&] {
    const Rect outer = r.Offset(state_.origin);
    if (outer.IsEmpty() || outer.Intersect(state_.clip).IsEmpty()) return;
    Rect inner = outer;
    if (state_.pen.style == Pen::Style::kSolid) {
      const Brush pen_brush = Brush::Solid(state_.pen.color);
      const Rect edges[] = {
          {outer.left, outer.top, outer.right, outer.top + 1},
          {outer.left, outer.bottom - 1, outer.right, outer.bottom},
          {outer.left, outer.top, outer.left + 1, outer.bottom},
          {outer.right - 1, outer.top, outer.right, outer.bottom},
      };
      for (const Rect& edge : edges) {
        const Rect visible = edge.Intersect(state_.clip);
        if (!visible.IsEmpty()) FillDeviceRect(visible, pen_brush);
      }
      inner = outer.Inflate(-1);
    }
    const Rect visible = inner.Intersect(state_.clip);
    if (!visible.IsEmpty()) FillDeviceRect(visible, state_.brush);
  });
}

void Canvas::Line(Point a, Point b) {
  ForEachPiece([&] {
    if (state_.pen.style != Pen::Style::kSolid) return;
    const Point from = a + state_.origin;
    const Point to = b + state_.origin;
    // The bounding box of the line (end point included, which is harmless).
    const Rect box{std::min(from.x, to.x), std::min(from.y, to.y),
                   std::max(from.x, to.x) + 1, std::max(from.y, to.y) + 1};
    if (box.Intersect(state_.clip).IsEmpty()) return;

    const int dx = std::abs(to.x - from.x);
    const int dy = -std::abs(to.y - from.y);
    const int sx = from.x < to.x ? 1 : -1;
    const int sy = from.y < to.y ? 1 : -1;
    int err = dx + dy;
    Point p = from;
    while (p != to) {
      if (state_.clip.Contains(p)) target_->Store(p.x, p.y, state_.pen.color);
      const int e2 = 2 * err;
      if (e2 >= dy) {
        err += dy;
        p.x += sx;
      }
      if (e2 <= dx) {
        err += dx;
        p.y += sy;
      }
    }
  });
}

std::u16string FitTextToWidth(const Font* font, std::u16string_view text, int max_width) {
  constexpr std::u16string_view kEllipsis = u"...";
  auto width = [font](std::u16string_view s) { return font->Measure(s).width; };
  if (font == nullptr || width(text) <= max_width) return std::u16string(text);
  auto with_ellipsis = [&](std::u16string_view kept) {
    while (!kept.empty() && std::u16string_view(u" ,;:-").find(kept.back()) != kept.npos) {
      kept.remove_suffix(1);
    }
    return kept.empty() ? std::u16string() : std::u16string(kept) + std::u16string(kEllipsis);
  };
  // The longest run of whole words that fits with the ellipsis after it.
  for (size_t space = text.rfind(u' '); space != text.npos && space > 0;
       space = text.rfind(u' ', space - 1)) {
    const std::u16string fitted = with_ellipsis(text.substr(0, space));
    if (!fitted.empty() && width(fitted) <= max_width) return fitted;
  }
  // A first word too long for the room is cut between characters, never
  // inside a surrogate pair.
  std::u16string best;
  for (size_t end = 1; end < text.size(); ++end) {
    if (text[end] >= 0xDC00 && text[end] <= 0xDFFF) continue;
    const std::u16string fitted = with_ellipsis(text.substr(0, end));
    if (fitted.empty()) continue;
    if (width(fitted) > max_width) break;
    best = fitted;
  }
  return best;
}

void Canvas::DrawTextWithin(Point p, std::u16string_view text, int right) {
  DrawText(p, FitTextToWidth(state_.font.get(), text, right - p.x));
}

void Canvas::DrawText(Point p, std::u16string_view text) {
  // The log keeps what the program asked to show, visible or not.
  if (text_log_ != nullptr) {
    text_log_->push_back({p, std::u16string(text), state_.font ? state_.font->Spec() : FontSpec{},
                          state_.text_color});
  }
  if (!state_.font || state_.clip.IsEmpty()) return;
  if (state_.pieces) {
    // The log above already holds the text once.
    std::vector<TextRecord>* log = text_log_;
    text_log_ = nullptr;
    ForEachPiece([&] { DrawText(p, text); });
    text_log_ = log;
    return;
  }
  const Point device = p + state_.origin;
  if (state_.background_mode == BackgroundMode::kOpaque) {
    const Size size = state_.font->Measure(text);
    const Rect cell =
        Rect::FromSize(device.x, device.y, size.width, size.height).Intersect(state_.clip);
    if (!cell.IsEmpty()) FillDeviceRect(cell, Brush::Solid(state_.background_color));
  }
  state_.font->Draw(*target_, device, text, state_.text_color, state_.clip);
}

Size Canvas::MeasureText(std::u16string_view text) const {
  if (!state_.font) return {};
  return state_.font->Measure(text);
}

std::optional<Color> Canvas::GetPixel(Point p) const {
  const Point device = p + state_.origin;
  if (!state_.clip.Contains(device)) return std::nullopt;
  if (state_.pieces) {
    bool inside = false;
    for (const Rect& piece : *state_.pieces) inside = inside || piece.Contains(device);
    if (!inside) return std::nullopt;
  }
  return target_->Load(device.x, device.y);
}

void Canvas::SetPixel(Point p, Color c) {
  ForEachPiece([&] {
    const Point device = p + state_.origin;
    if (!state_.clip.Contains(device)) return;
    target_->Store(device.x, device.y, c);
  });
}

void Canvas::Blit(Point dest, const Bitmap& src, const Rect& src_rect) {
  ForEachPiece([&] {
    const Rect source = src_rect.Intersect(src.Bounds());
    if (source.IsEmpty()) return;
    // Where the part of src_rect that lies inside the source lands.
    const Point dest_origin =
        dest + state_.origin + Point{source.left - src_rect.left, source.top - src_rect.top};
    const Rect visible = Rect::FromSize(dest_origin.x, dest_origin.y, source.Width(),
                                        source.Height())
                             .Intersect(state_.clip);
    if (visible.IsEmpty()) return;
    const int shift_x = source.left - dest_origin.x;
    const int shift_y = source.top - dest_origin.y;

    if (&src == target_) {
      // Moving pixels within one surface (scrolling): walk the rows and
      // columns in the order that reads each pixel before it is overwritten.
      const bool down = shift_y < 0;
      const bool right = shift_x < 0;
      for (int i = 0; i < visible.Height(); ++i) {
        const int y = down ? visible.bottom - 1 - i : visible.top + i;
        for (int j = 0; j < visible.Width(); ++j) {
          const int x = right ? visible.right - 1 - j : visible.left + j;
          target_->Store(x, y, src.Load(x + shift_x, y + shift_y));
        }
      }
      return;
    }
    for (int y = visible.top; y < visible.bottom; ++y) {
      for (int x = visible.left; x < visible.right; ++x) {
        target_->Store(x, y, src.Load(x + shift_x, y + shift_y));
      }
    }
  });
}

void Canvas::StretchBlit(const Rect& dest, const Bitmap& src, const Rect& src_rect) {
  ForEachPiece([&] {
    if (dest.IsEmpty() || src_rect.IsEmpty()) return;
    const Rect device = dest.Offset(state_.origin);
    const Rect visible = device.Intersect(state_.clip);
    if (visible.IsEmpty()) return;
    // Stretching a surface into itself reads from a copy, since source and
    // destination pixels do not correspond one to one.
    const Bitmap copy = (&src == target_) ? src : Bitmap();
    const Bitmap& source = (&src == target_) ? copy : src;

    const int64_t src_w = src_rect.Width();
    const int64_t src_h = src_rect.Height();
    const int64_t dest_w = device.Width();
    const int64_t dest_h = device.Height();
    // The source column of each visible column, worked out once rather than
    // for every row (-1: outside the source).
    std::vector<int> columns(static_cast<size_t>(visible.Width()));
    for (int x = visible.left; x < visible.right; ++x) {
      const int64_t sx = src_rect.left + (x - device.left) * src_w / dest_w;
      columns[static_cast<size_t>(x - visible.left)] =
          sx < 0 || sx >= source.Width() ? -1 : static_cast<int>(sx);
    }
    for (int y = visible.top; y < visible.bottom; ++y) {
      const int64_t sy = src_rect.top + (y - device.top) * src_h / dest_h;
      if (sy < 0 || sy >= source.Height()) continue;
      for (int x = visible.left; x < visible.right; ++x) {
        const int sx = columns[static_cast<size_t>(x - visible.left)];
        if (sx < 0) continue;
        target_->Store(x, y, source.Load(sx, static_cast<int>(sy)));
      }
    }
  });
}

void Canvas::Blit(Point dest, const Canvas& src, const Rect& src_rect) {
  // Pixels are read from the other canvas's surface wherever they are, as a
  // copy from the screen reads whatever the screen shows.
  Blit(dest, *src.target_, src_rect.Offset(src.state_.origin));
}

void Canvas::StretchBlit(const Rect& dest, const Canvas& src, const Rect& src_rect) {
  StretchBlit(dest, *src.target_, src_rect.Offset(src.state_.origin));
}

}  // namespace tv::gfx
