#include "platform/ui/scroll_host.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace tv::ui {
namespace {

// Wheel notches move a control three lines, as desktops do, and a screen an
// eighth of its page.
constexpr int kWheelLines = 3;
constexpr int kWheelPageShare = 8;

}  // namespace

ScrollHost::ScrollHost(Owner owner) : owner_(std::move(owner)) {
  for (BarAxis* axis : {&h_, &v_}) {
    const ScrollOrientation bar = axis->part.GetOrientation();
    axis->part.SetReporter([this, bar](ScrollCode code, int pos) {
      if (owner_.bars_changed) owner_.bars_changed();
      owner_.request(bar, code, pos);
    });
  }
}

void ScrollHost::SetFrameSize(gfx::Size size) {
  placement_ = Placement::kFrame;
  area_ = {0, 0, size.width, size.height};
  Layout();
}

void ScrollHost::PlaceInside(const gfx::Rect& area) {
  placement_ = Placement::kInside;
  area_ = area;
  Layout();
}

void ScrollHost::SetContent(ScrollOrientation bar, int extent, int unit, int margin) {
  BarAxis& axis = Axis(bar);
  axis.configured = true;
  axis.extent = std::max(0, extent);
  axis.unit = std::max(1, unit);
  axis.margin = margin;
  Layout();
}

void ScrollHost::SetPolicy(ScrollOrientation bar, Policy policy) {
  Axis(bar).policy = policy;
  Layout();
}

void ScrollHost::SetLineStep(ScrollOrientation bar, int step) { Axis(bar).part.SetLineStep(step); }

void ScrollHost::Show(ScrollOrientation bar, bool show) {
  BarAxis& axis = Axis(bar);
  axis.configured = true;
  if (axis.visible == show) return;
  axis.visible = show;
  Layout();
}

void ScrollHost::SetRange(ScrollOrientation bar, int min, int max) {
  BarAxis& axis = Axis(bar);
  axis.configured = true;
  axis.info.min = min;
  axis.info.max = max;
  Sync(axis);
}

void ScrollHost::SetPage(ScrollOrientation bar, int page) {
  BarAxis& axis = Axis(bar);
  axis.configured = true;
  axis.info.page = page;
  Sync(axis);
}

int ScrollHost::SetPos(ScrollOrientation bar, int pos) {
  BarAxis& axis = Axis(bar);
  axis.configured = true;
  const int old = axis.info.pos;
  axis.info.pos = pos;
  Sync(axis);
  if (axis.info.pos != old && placement_ == Placement::kInside && owner_.moved) owner_.moved();
  return old;
}

int ScrollHost::MaxPos(ScrollOrientation bar) const {
  const ScrollInfo& info = Axis(bar).info;
  return std::max(info.min, info.max - std::max(info.page - 1, 0));
}

ScrollInfo ScrollHost::Info(ScrollOrientation bar) const {
  ScrollInfo info = Axis(bar).info;
  info.visible = Axis(bar).visible;
  return info;
}

const ScrollBar* ScrollHost::VisibleBar(ScrollOrientation bar) const {
  return Axis(bar).visible ? &Axis(bar).part : nullptr;
}

gfx::Rect ScrollHost::Viewport() const {
  const int t = ScrollBar::kThickness;
  gfx::Rect view = area_;
  if (v_.visible) view.right -= t;
  if (h_.visible) view.bottom -= t;
  view.right = std::max(view.left, view.right);
  view.bottom = std::max(view.top, view.bottom);
  return view;
}

gfx::Rect ScrollHost::BarsBounds() const {
  if (!HasVisibleBars()) return {};
  const gfx::Rect view = Viewport();
  return {v_.visible ? view.right : area_.left, h_.visible ? view.bottom : area_.top,
          area_.right, area_.bottom};
}

bool ScrollHost::Meets(const gfx::Rect& area) const {
  for (const BarAxis* axis : {&h_, &v_}) {
    if (axis->visible && !axis->part.Bounds().Intersect(area).IsEmpty()) return true;
  }
  // The corner between two bars is theirs to paint.
  const gfx::Rect view = Viewport();
  return h_.visible && v_.visible &&
         !area.Intersect({view.right, view.bottom, area_.right, area_.bottom}).IsEmpty();
}

void ScrollHost::Layout() {
  if (placement_ == Placement::kInside) {
    for (BarAxis* axis : {&h_, &v_}) {
      if (axis->policy != Policy::kAsNeeded) axis->visible = axis->policy == Policy::kAlways;
    }
    // Each bar takes room from the other direction, so decide twice.
    auto page = [this](const BarAxis& axis, const gfx::Rect& view) {
      const int length = &axis == &v_ ? view.Height() : view.Width();
      return std::max(1, (length - axis.margin) / axis.unit);
    };
    if (h_.policy == Policy::kAsNeeded) h_.visible = false;
    if (v_.policy == Policy::kAsNeeded) v_.visible = false;
    for (int pass = 0; pass < 2; ++pass) {
      const gfx::Rect view = Viewport();
      const bool h_needed = h_.extent > page(h_, view);
      const bool v_needed = v_.extent > page(v_, view);
      if (h_.policy == Policy::kAsNeeded) h_.visible = h_needed;
      if (v_.policy == Policy::kAsNeeded) v_.visible = v_needed;
    }
    const gfx::Rect view = Viewport();
    for (BarAxis* axis : {&h_, &v_}) {
      if (!axis->configured) continue;
      axis->info.min = 0;
      axis->info.max = std::max(0, axis->extent - 1);
      axis->info.page = page(*axis, view);
    }
  }
  const int t = ScrollBar::kThickness;
  const gfx::Rect& a = area_;
  v_.part.SetBounds(v_.visible ? gfx::Rect{a.right - t, a.top, a.right, a.bottom - (h_.visible ? t : 0)}
                               : gfx::Rect{});
  h_.part.SetBounds(h_.visible ? gfx::Rect{a.left, a.bottom - t, a.right - (v_.visible ? t : 0), a.bottom}
                               : gfx::Rect{});
  Sync(h_);
  Sync(v_);
}

void ScrollHost::Sync(BarAxis& axis) {
  ScrollInfo& info = axis.info;
  if (info.max < info.min) info.max = info.min;
  info.page = std::max(0, info.page);
  const int last = std::max(info.min, info.max - std::max(info.page - 1, 0));
  info.pos = std::clamp(info.pos, info.min, last);
  // The part's content ends after the last position plus a page.
  axis.part.SetRange(info.min, last + std::max(info.page, 1), std::max(info.page, 1));
  axis.part.SetPos(info.pos);
  if (owner_.bars_changed) owner_.bars_changed();
}

bool ScrollHost::PenDown(gfx::Point p) {
  tracked_ = nullptr;
  for (BarAxis* axis : {&v_, &h_}) {
    if (axis->visible && axis->part.Bounds().Contains(p)) {
      tracked_ = axis;
      if (owner_.bars_changed) owner_.bars_changed();
      axis->part.PenDown(p);
      if (axis->part.IsHolding() && owner_.hold) owner_.hold(true);
      return true;
    }
  }
  return false;
}

void ScrollHost::PenMove(gfx::Point p) {
  if (tracked_ == nullptr) return;
  if (owner_.bars_changed) owner_.bars_changed();
  tracked_->part.PenMove(p);
}

void ScrollHost::PenUp(gfx::Point p) {
  BarAxis* axis = tracked_;
  tracked_ = nullptr;
  if (axis == nullptr) return;
  if (owner_.hold) owner_.hold(false);
  if (owner_.bars_changed) owner_.bars_changed();
  axis->part.PenUp(p);
}

void ScrollHost::Repeat() {
  if (tracked_ != nullptr) tracked_->part.Repeat();
}

bool ScrollHost::Scrolls(const BarAxis& axis) const {
  return placement_ == Placement::kFrame ? axis.visible : axis.configured;
}

void ScrollHost::Ask(ScrollOrientation bar, ScrollCode code) {
  if (owner_.bars_changed) owner_.bars_changed();
  owner_.request(bar, code, Axis(bar).info.pos);
  owner_.request(bar, ScrollCode::kEndScroll, Axis(bar).info.pos);
}

bool ScrollHost::Key(tv::ui::Key key) {
  const bool v_on = Scrolls(v_);
  const bool h_on = Scrolls(h_);
  if (!v_on && !h_on) return false;
  static constexpr std::pair<tv::ui::Key, ScrollCode> kCodes[] = {
      {Key::kUp, ScrollCode::kLineUp},     {Key::kDown, ScrollCode::kLineDown},
      {Key::kLeft, ScrollCode::kLineUp},   {Key::kRight, ScrollCode::kLineDown},
      {Key::kPageUp, ScrollCode::kPageUp}, {Key::kPageDown, ScrollCode::kPageDown},
      {Key::kHome, ScrollCode::kTop},      {Key::kEnd, ScrollCode::kBottom},
  };
  for (const auto& [named, code] : kCodes) {
    if (named != key) continue;
    const bool sideways = key == Key::kLeft || key == Key::kRight;
    if (sideways ? !h_on : (!v_on && (key == Key::kUp || key == Key::kDown))) return false;
    Ask(sideways || !v_on ? ScrollOrientation::kHorizontal : ScrollOrientation::kVertical, code);
    return true;
  }
  return false;
}

bool ScrollHost::Wheel(int lines) {
  const bool v_on = Scrolls(v_);
  if (lines == 0 || (!v_on && !Scrolls(h_))) return false;
  const ScrollOrientation bar = v_on ? ScrollOrientation::kVertical : ScrollOrientation::kHorizontal;
  const BarAxis& axis = Axis(bar);
  const int step = placement_ == Placement::kInside
                       ? kWheelLines * axis.part.LineStepSize()
                       : std::max(1, axis.info.page / kWheelPageShare);
  const int target = std::clamp(axis.info.pos + lines * step, axis.info.min, MaxPos(bar));
  if (target == axis.info.pos) return true;
  if (owner_.bars_changed) owner_.bars_changed();
  owner_.request(bar, ScrollCode::kThumbPosition, target);
  owner_.request(bar, ScrollCode::kEndScroll, Axis(bar).info.pos);
  return true;
}

int ScrollHost::TargetPos(ScrollOrientation bar, ScrollCode code, int pos) const {
  const BarAxis& axis = Axis(bar);
  const int now = axis.info.pos;
  switch (code) {
    case ScrollCode::kLineUp:
      return now - axis.part.LineStepSize();
    case ScrollCode::kLineDown:
      return now + axis.part.LineStepSize();
    case ScrollCode::kPageUp:
      return now - axis.part.PageStepSize();
    case ScrollCode::kPageDown:
      return now + axis.part.PageStepSize();
    case ScrollCode::kThumbTrack:
    case ScrollCode::kThumbPosition:
      return pos;
    case ScrollCode::kTop:
      return axis.info.min;
    case ScrollCode::kBottom:
      return MaxPos(bar);
    case ScrollCode::kEndScroll:
      break;
  }
  return now;
}

void ScrollHost::Paint(gfx::Canvas& canvas) const {
  if (h_.visible) h_.part.Paint(canvas);
  if (v_.visible) v_.part.Paint(canvas);
  if (h_.visible && v_.visible) {
    canvas.FillRect({v_.part.Bounds().left, h_.part.Bounds().top, v_.part.Bounds().right,
                     h_.part.Bounds().bottom},
                    gfx::kSilver);
  }
}

}  // namespace tv::ui
