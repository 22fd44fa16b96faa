#include "platform/ui/window.h"

#include <algorithm>

#include "platform/ui/desktop.h"

namespace tv::ui {

Window::Window() = default;

Window::~Window() {
  // Children go first so that they can still see their parent.
  children_.clear();
  if (Desktop::Exists()) Desktop::Get().ForgetWindow(this);
}

void Window::SetFrame(const gfx::Rect& frame) {
  if (frame == frame_) return;
  if (visible_ && parent_ != nullptr) parent_->Invalidate(frame_, true);
  frame_ = frame;
  LayoutBars();
  Invalidate(true);
  if (parent_ == nullptr && Desktop::Exists()) Desktop::Get().MarkDirty();
}

gfx::Rect Window::ClientRect() const {
  const int t = ScrollBar::kThickness;
  const int width = frame_.Width() - (vbar_ && vbar_->visible ? t : 0);
  const int height = frame_.Height() - (hbar_ && hbar_->visible ? t : 0);
  return {0, 0, std::max(0, width), std::max(0, height)};
}

gfx::Point Window::ScreenOrigin() const {
  gfx::Point origin = frame_.TopLeft();
  for (const Window* p = parent_; p != nullptr; p = p->parent_) {
    origin = origin + p->frame_.TopLeft();
  }
  return origin;
}

gfx::Rect Window::ScreenRect() const {
  const gfx::Point o = ScreenOrigin();
  return {o.x, o.y, o.x + frame_.Width(), o.y + frame_.Height()};
}

gfx::Rect Window::VisibleClientScreenRect() const {
  gfx::Rect rect = ClientRect().Offset(ScreenOrigin());
  for (const Window* p = parent_; p != nullptr; p = p->parent_) {
    rect = rect.Intersect(p->ClientRect().Offset(p->ScreenOrigin()));
  }
  return rect;
}

bool Window::IsShown() const {
  for (const Window* w = this; w != nullptr; w = w->parent_) {
    if (!w->visible_) return false;
  }
  return true;
}

void Window::Show(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (visible) {
    Invalidate(true);
    bars_invalid_ = true;
    OnShown();
  } else if (parent_ != nullptr) {
    parent_->Invalidate(frame_, true);
  }
  if (parent_ == nullptr && Desktop::Exists()) {
    Desktop& desktop = Desktop::Get();
    // What this window covered must be drawn again by the windows below.
    if (!visible) {
      for (Window* w : desktop.TopLevels()) {
        if (w == this) break;
        const gfx::Rect overlap = w->ScreenRect().Intersect(ScreenRect());
        if (!overlap.IsEmpty()) {
          const gfx::Point o = w->ScreenOrigin();
          w->InvalidateFrame(overlap.Offset(-o.x, -o.y), true);
        }
      }
    }
    desktop.InvalidateBars();
    desktop.MarkDirty();
  }
}

void Window::Enable(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Invalidate(true);
}

void Window::SetText(std::u16string_view text) {
  if (text == text_) return;
  text_ = text;
  OnTextChanged();
  Invalidate(true);
  if (parent_ == nullptr && Desktop::Exists()) Desktop::Get().InvalidateBars();
}

Window* Window::AddChild(std::unique_ptr<Window> child) {
  child->parent_ = this;
  children_.push_back(std::move(child));
  Window* added = children_.back().get();
  if (added->visible_) Invalidate(added->frame_, true);
  return added;
}

void Window::DestroyChildren() {
  if (children_.empty()) return;
  children_.clear();
  Invalidate(true);
}

Window* Window::FindChild(int id) const {
  for (const auto& child : children_) {
    if (child->id_ == id) return child.get();
  }
  return nullptr;
}

Window* Window::ChildAt(gfx::Point client) const {
  // The last child added is on top.
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    Window* child = it->get();
    if (!child->visible_ || !child->frame_.Contains(client)) continue;
    if (!child->enabled_) return nullptr;
    const gfx::Point local = client - child->frame_.TopLeft();
    // A child's own scroll bars belong to it, not to its children.
    if (!child->ClientRect().Contains(local)) return child;
    if (Window* deeper = child->ChildAt(local)) return deeper;
    return child;
  }
  return nullptr;
}

void Window::Invalidate(const gfx::Rect& client, bool erase) {
  const gfx::Rect area = client.Intersect(ClientRect());
  if (area.IsEmpty()) return;
  invalid_.Add(area);
  erase_ = erase_ || erase;
}

void Window::InvalidateFrame(const gfx::Rect& area, bool erase) {
  Invalidate(area, erase);
  for (const WindowBar* bar : {hbar_.get(), vbar_.get()}) {
    if (bar != nullptr && bar->visible && !bar->part.Bounds().Intersect(area).IsEmpty()) {
      bars_invalid_ = true;
    }
  }
  // The corner between two bars is theirs to paint.
  if (hbar_ && vbar_ && hbar_->visible && vbar_->visible &&
      !area.Intersect({vbar_->part.Bounds().left, hbar_->part.Bounds().top, frame_.Width(),
                       frame_.Height()})
           .IsEmpty()) {
    bars_invalid_ = true;
  }
}

void Window::Update() {
  if (Desktop::Exists()) Desktop::Get().PaintPending();
}

gfx::Region Window::UncoveredRegion() const {
  Desktop& desktop = Desktop::Get();
  gfx::Region visible;
  if (IsShown()) visible.Add(VisibleClientScreenRect().Intersect(desktop.Display().Bounds()));
  // Whatever lies above this window's top-level window keeps its pixels.
  const Window* top = this;
  while (top->parent_ != nullptr) top = top->parent_;
  const std::vector<Window*>& tops = desktop.TopLevels();
  auto it = std::find(tops.begin(), tops.end(), top);
  if (it != tops.end()) {
    for (++it; it != tops.end(); ++it) {
      if ((*it)->IsVisible()) visible.Subtract((*it)->ScreenRect());
    }
  }
  return visible;
}

bool Window::IsCoveredByTopLevels() const {
  const Window* top = this;
  while (top->parent_ != nullptr) top = top->parent_;
  const std::vector<Window*>& tops = Desktop::Get().TopLevels();
  // Walked from the top down to this window: usually no step at all.
  bool covered = false;
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    if (*it == top) return covered;
    if (!covered && (*it)->IsVisible()) {
      covered = !(*it)->ScreenRect().Intersect(ScreenRect()).IsEmpty();
    }
  }
  return false;
}

gfx::Canvas Window::GetScreenCanvas() {
  Desktop& desktop = Desktop::Get();
  gfx::Bitmap& display = desktop.Display();
  desktop.MarkDirty();
  gfx::Canvas canvas(display, ScreenOrigin(), IsShown() ? VisibleClientScreenRect() : gfx::Rect{});
  // Only when something lies above is a region worked out.
  if (IsCoveredByTopLevels()) canvas.SetClipRegion(UncoveredRegion());
  canvas.SetFont(gfx::Font::Get(gfx::SystemFontSpec()));
  if (desktop.RecordsTexts()) canvas.SetTextLog(&screen_texts_);
  return canvas;
}

gfx::Bitmap Window::CreateCompatibleSurface(int width, int height) {
  const gfx::PixelFormat format =
      Desktop::Exists() ? Desktop::Get().Display().Format() : gfx::PixelFormat::kRgb888;
  gfx::Bitmap surface(std::max(0, width), std::max(0, height), format);
  surface.Fill(gfx::kWhite);
  return surface;
}

Window::WindowBar* Window::Bar(ScrollOrientation bar) const {
  return bar == ScrollOrientation::kHorizontal ? hbar_.get() : vbar_.get();
}

Window::WindowBar& Window::MakeBar(ScrollOrientation bar) {
  std::unique_ptr<WindowBar>& slot = bar == ScrollOrientation::kHorizontal ? hbar_ : vbar_;
  if (!slot) {
    slot = std::make_unique<WindowBar>(bar);
    slot->part.SetReporter([this, bar](ScrollCode code, int pos) {
      bars_invalid_ = true;
      OnScroll(bar, code, pos);
    });
    SyncBar(*slot);
  }
  return *slot;
}

bool Window::HasScrollBars() const {
  return (hbar_ && hbar_->visible) || (vbar_ && vbar_->visible);
}

void Window::LayoutBars() {
  const int t = ScrollBar::kThickness;
  const int w = frame_.Width();
  const int h = frame_.Height();
  const bool h_on = hbar_ && hbar_->visible;
  const bool v_on = vbar_ && vbar_->visible;
  if (vbar_) vbar_->part.SetBounds(v_on ? gfx::Rect{w - t, 0, w, h - (h_on ? t : 0)} : gfx::Rect{});
  if (hbar_) hbar_->part.SetBounds(h_on ? gfx::Rect{0, h - t, w - (v_on ? t : 0), h} : gfx::Rect{});
  bars_invalid_ = true;
}

void Window::SyncBar(WindowBar& bar) {
  ScrollInfo& info = bar.info;
  if (info.max < info.min) info.max = info.min;
  info.page = std::max(0, info.page);
  const int last = std::max(info.min, info.max - std::max(info.page - 1, 0));
  info.pos = std::clamp(info.pos, info.min, last);
  // The part's content ends after the last position plus a page.
  bar.part.SetRange(info.min, last + std::max(info.page, 1), std::max(info.page, 1));
  bar.part.SetPos(info.pos);
  bars_invalid_ = true;
  if (Desktop::Exists() && IsShown()) Desktop::Get().MarkDirty();
}

void Window::ShowScrollBar(ScrollOrientation orientation, bool show) {
  if (!show && Bar(orientation) == nullptr) return;
  WindowBar& bar = MakeBar(orientation);
  if (bar.visible == show) return;
  bar.visible = show;
  LayoutBars();
  // The client area changed size.
  Invalidate(true);
  if (parent_ != nullptr && visible_) parent_->Invalidate(frame_, true);
}

void Window::SetScrollRange(ScrollOrientation orientation, int min, int max) {
  WindowBar& bar = MakeBar(orientation);
  bar.info.min = min;
  bar.info.max = max;
  SyncBar(bar);
}

void Window::SetScrollPage(ScrollOrientation orientation, int page) {
  WindowBar& bar = MakeBar(orientation);
  bar.info.page = page;
  SyncBar(bar);
}

int Window::SetScrollPos(ScrollOrientation orientation, int pos) {
  WindowBar& bar = MakeBar(orientation);
  const int old = bar.info.pos;
  bar.info.pos = pos;
  SyncBar(bar);
  return old;
}

ScrollInfo Window::GetScrollInfo(ScrollOrientation orientation) const {
  const WindowBar* bar = Bar(orientation);
  if (bar == nullptr) return {};
  ScrollInfo info = bar->info;
  info.visible = bar->visible;
  return info;
}

gfx::Rect Window::ScrollBarRect(ScrollOrientation orientation) const {
  const WindowBar* bar = Bar(orientation);
  return bar != nullptr && bar->visible ? bar->part.Bounds() : gfx::Rect{};
}

bool Window::ScrollBarPenDown(gfx::Point p) {
  tracked_bar_ = nullptr;
  for (WindowBar* bar : {vbar_.get(), hbar_.get()}) {
    if (bar != nullptr && bar->visible && bar->part.Bounds().Contains(p)) {
      tracked_bar_ = bar;
      bars_invalid_ = true;
      bar->part.PenDown(p);
      return true;
    }
  }
  return false;
}

void Window::ScrollBarPenMove(gfx::Point p) {
  if (tracked_bar_ == nullptr) return;
  bars_invalid_ = true;
  tracked_bar_->part.PenMove(p);
}

void Window::ScrollBarPenUp(gfx::Point p) {
  WindowBar* bar = tracked_bar_;
  tracked_bar_ = nullptr;
  if (bar == nullptr) return;
  bars_invalid_ = true;
  bar->part.PenUp(p);
}

bool Window::ScrollBarKey(Key key) {
  const bool v_on = vbar_ && vbar_->visible;
  const bool h_on = hbar_ && hbar_->visible;
  if (!v_on && !h_on) return false;
  // Up and down, the page keys and the ends move the vertical bar, or the
  // horizontal one when the window has no other.
  const ScrollOrientation main = v_on ? ScrollOrientation::kVertical : ScrollOrientation::kHorizontal;
  ScrollOrientation bar = main;
  ScrollCode code;
  switch (key) {
    case Key::kUp:
      code = ScrollCode::kLineUp;
      break;
    case Key::kDown:
      code = ScrollCode::kLineDown;
      break;
    case Key::kLeft:
    case Key::kRight:
      if (!h_on) return false;
      bar = ScrollOrientation::kHorizontal;
      code = key == Key::kLeft ? ScrollCode::kLineUp : ScrollCode::kLineDown;
      break;
    case Key::kPageUp:
      code = ScrollCode::kPageUp;
      break;
    case Key::kPageDown:
      code = ScrollCode::kPageDown;
      break;
    case Key::kHome:
      code = ScrollCode::kTop;
      break;
    case Key::kEnd:
      code = ScrollCode::kBottom;
      break;
    default:
      return false;
  }
  if ((key == Key::kUp || key == Key::kDown) && !v_on) return false;
  const int pos = Bar(bar)->info.pos;
  bars_invalid_ = true;
  OnScroll(bar, code, pos);
  OnScroll(bar, ScrollCode::kEndScroll, Bar(bar)->info.pos);
  return true;
}

void Window::PaintScrollBars(gfx::Canvas& canvas) const {
  const bool h_on = hbar_ && hbar_->visible;
  const bool v_on = vbar_ && vbar_->visible;
  if (h_on) hbar_->part.Paint(canvas);
  if (v_on) vbar_->part.Paint(canvas);
  if (h_on && v_on) {
    canvas.FillRect({vbar_->part.Bounds().left, hbar_->part.Bounds().top, frame_.Width(),
                     frame_.Height()},
                    gfx::kSilver);
  }
}

void Window::ScrollWindow(int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  const gfx::Rect client = ClientRect();
  for (const auto& child : children_) child->frame_ = child->frame_.Offset(dx, dy);
  // A pending invalid area moves with the content it belongs to.
  gfx::Region moved = invalid_;
  moved.Offset(dx, dy);
  moved.Intersect(client);
  invalid_ = moved;
  bool copied = false;
  if (Desktop::Exists() && IsShown()) {
    // The pixels move only where the whole client area is on the screen;
    // anywhere else the whole area is painted again.
    const gfx::Rect whole = client.Offset(ScreenOrigin());
    if (UncoveredRegion() == gfx::Region(whole)) {
      gfx::Canvas screen = GetScreenCanvas();
      screen.Blit({dx, dy}, Desktop::Get().Display(), whole);
      copied = true;
    }
  }
  if (!copied) {
    Invalidate(client, true);
    return;
  }
  std::vector<gfx::Rect> uncovered;
  gfx::SubtractRect(client, client.Offset(dx, dy), uncovered);
  for (const gfx::Rect& strip : uncovered) Invalidate(strip, true);
}

void Window::NotifyParent(int notification) {
  if (parent_ != nullptr) parent_->OnCommand(id_, notification);
}

void Window::OnEraseBackground(gfx::Canvas& canvas, const gfx::Rect& area) {
  canvas.FillRect(area, gfx::kWhite);
}

}  // namespace tv::ui
