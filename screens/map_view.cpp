#include "screens/map_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/ui/message_box.h"

namespace terravue {
namespace {

namespace gfx = tv::gfx;
using tv::ui::ScrollCode;
using tv::ui::ScrollOrientation;

constexpr std::u16string_view kCaption = u"Terravue";

gfx::Size Scaled(gfx::Size size, double factor) {
  return {static_cast<int>(size.width * factor), static_cast<int>(size.height * factor)};
}

}  // namespace

void MapView::Open(std::unique_ptr<gfx::Bitmap> base, int width, int height) {
  base_ = std::move(base);
  zoom_.reset();
  natural_ = current_ = {width, height};
  maximum_ = Scaled(natural_, steps_.max_scale);
  minimum_ = Scaled(natural_, steps_.min_scale);
  scroll_ = {};
  SetScrollRanges(kNaturalScrollMargin);
}

bool MapView::Step(double factor) {
  // The bounds are checked before truncation, so a step that would end a
  // fraction of a pixel past a bound is refused.
  const double width = current_.width * factor;
  const double height = current_.height * factor;
  if (width > maximum_.width || height > maximum_.height || width < minimum_.width ||
      height < minimum_.height) {
    return false;
  }
  current_ = Scaled(current_, factor);
  return true;
}

bool MapView::ZoomIn() {
  const bool taken = Step(steps_.in);
  if (!taken && !steps_.refused_in.empty()) tv::ui::MessageBox(steps_.refused_in, kCaption);
  ShowZoomed();
  return taken;
}

bool MapView::ZoomOut() {
  const bool taken = Step(steps_.out);
  if (!taken && !steps_.refused_out.empty()) tv::ui::MessageBox(steps_.refused_out, kCaption);
  ShowZoomed();
  return taken;
}

void MapView::ShowZoomed() {
  if (base_ == nullptr) return;
  if (zoom_ == nullptr || zoom_->Width() != current_.width || zoom_->Height() != current_.height) {
    zoom_ = std::make_unique<gfx::Bitmap>(
        tv::ui::Window::CreateCompatibleSurface(current_.width, current_.height));
  }
  gfx::Canvas(*zoom_).StretchBlit(gfx::Rect::FromSize(0, 0, current_.width, current_.height), *base_,
                                  gfx::Rect::FromSize(0, 0, natural_.width, natural_.height));
  scroll_ = {};
  window_.SetScrollPos(ScrollOrientation::kHorizontal, 0);
  window_.SetScrollPos(ScrollOrientation::kVertical, 0);
  SetScrollRanges(0);
  window_.Invalidate();
  window_.Update();
}

void MapView::SetScrollRanges(int margin) {
  const gfx::Rect client = window_.ClientRect();
  window_.SetScrollRange(ScrollOrientation::kHorizontal, 0,
                         ScrollRangeMax(current_.width, client.Width(), margin));
  window_.SetScrollRange(ScrollOrientation::kVertical, 0,
                         ScrollRangeMax(current_.height, client.Height(), margin));
}

gfx::Point MapView::Scroll(ScrollOrientation bar, ScrollCode code, int thumb) {
  if (code == ScrollCode::kEndScroll) return {};
  const bool vertical = bar == ScrollOrientation::kVertical;
  const gfx::Rect client = window_.ClientRect();
  if (vertical ? current_.height <= client.bottom : current_.width <= client.right) return {};
  const tv::ui::ScrollInfo info = window_.GetScrollInfo(bar);
  const int limit = info.max - std::max(info.page - 1, 0);
  const int wanted = NextScrollPosition(code, info.pos, thumb, info.min, limit, info.page);
  const int old = window_.SetScrollPos(bar, wanted);
  const int now = window_.GetScrollInfo(bar).pos;
  (vertical ? scroll_.y : scroll_.x) = now;
  const gfx::Point moved = vertical ? gfx::Point{0, old - now} : gfx::Point{old - now, 0};
  window_.ScrollWindow(moved.x, moved.y);
  window_.Update();
  return moved;
}

void MapView::Paint(gfx::Canvas& canvas) const {
  const gfx::Rect client = window_.ClientRect();
  canvas.FillRect(client, gfx::kWhite);
  if (base_ == nullptr) return;
  // The canvas is clipped to the invalid area, so copying the whole client
  // area at the scroll offsets redraws just that part.
  const gfx::Bitmap& shown = zoom_ != nullptr ? *zoom_ : *base_;
  canvas.Blit({0, 0}, shown, client.Offset(scroll_));
}

MapPoint MapView::WindowToMap(gfx::Point p) const {
  if (current_.width <= 0 || current_.height <= 0) return {};
  return {(p.x + scroll_.x + 0.5) * natural_.width / current_.width - 0.5,
          (p.y + scroll_.y + 0.5) * natural_.height / current_.height - 0.5};
}

gfx::Point MapView::MapToWindow(MapPoint m) const {
  if (natural_.width <= 0 || natural_.height <= 0) return {};
  return {static_cast<int>(std::lround((m.x + 0.5) * current_.width / natural_.width - 0.5)) -
              scroll_.x,
          static_cast<int>(std::lround((m.y + 0.5) * current_.height / natural_.height - 0.5)) -
              scroll_.y};
}

gfx::Rect MapView::PictureRect() const {
  return gfx::Rect::FromSize(-scroll_.x, -scroll_.y, current_.width, current_.height)
      .Intersect(window_.ClientRect());
}

std::vector<std::pair<std::string, std::string>> MapView::ForDump() const {
  return {
      {"natural", DumpPair(natural_.width, natural_.height)},
      {"current", DumpPair(current_.width, current_.height)},
      {"maximum", DumpPair(maximum_.width, maximum_.height)},
      {"minimum", DumpPair(minimum_.width, minimum_.height)},
      {"scroll", DumpPair(scroll_.x, scroll_.y)},
      {"zoomed", Zoomed() ? "true" : "false"},
  };
}

std::string DumpPair(int a, int b) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "[%d,%d]", a, b);
  return buffer;
}

int ScrollRangeMax(int content, int client, int margin) {
  // A margin larger than the overhang would give a negative limit.
  return content > client ? std::max(content - client - margin, 0) : 1;
}

int NextScrollPosition(ScrollCode code, int pos, int thumb, int min, int max, int page) {
  switch (code) {
    case ScrollCode::kLineUp:
      return pos > min ? pos - 1 : pos;
    case ScrollCode::kLineDown:
      return pos < max ? pos + 1 : pos;
    case ScrollCode::kPageUp:
      return pos > min ? std::max(pos - page, min) : pos;
    case ScrollCode::kPageDown:
      return pos < max ? std::min(pos + page, max) : pos;
    case ScrollCode::kThumbPosition:
    case ScrollCode::kThumbTrack:
      return thumb;
    case ScrollCode::kTop:
      return min;
    case ScrollCode::kBottom:
      return max;
    case ScrollCode::kEndScroll:
      break;
  }
  return pos;
}

}  // namespace terravue
