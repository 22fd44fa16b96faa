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
  if (BarsInFrame()) scroll_->SetFrameSize(gfx::Size{frame_.Width(), frame_.Height()});
  Invalidate(true);
  if (parent_ == nullptr && Desktop::Exists()) Desktop::Get().MarkDirty();
}

gfx::Rect Window::ClientRect() const {
  if (BarsInFrame()) return scroll_->Viewport();
  return {0, 0, std::max(0, frame_.Width()), std::max(0, frame_.Height())};
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
  if (BarsInFrame() && scroll_->Meets(area)) bars_invalid_ = true;
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

ScrollHost& Window::Scroller() {
  if (!scroll_) {
    ScrollHost::Owner owner;
    owner.request = [this](ScrollOrientation bar, ScrollCode code, int pos) {
      OnScroll(bar, code, pos);
    };
    owner.bars_changed = [this] {
      if (BarsInFrame()) {
        bars_invalid_ = true;
        if (Desktop::Exists() && IsShown()) Desktop::Get().MarkDirty();
      } else if (scroll_) {
        Invalidate(scroll_->BarsBounds(), false);
      }
    };
    owner.moved = [this] { Invalidate(); };
    owner.hold = [this](bool held) {
      if (!Desktop::Exists()) return;
      Desktop& desktop = Desktop::Get();
      desktop.StopTimer(repeat_timer_);
      repeat_timer_ = 0;
      if (held) {
        repeat_timer_ = desktop.StartTimer(this, ScrollBar::kRepeatDelay,
                                           ScrollBar::kRepeatInterval,
                                           [this] { scroll_->Repeat(); });
      }
    };
    scroll_ = std::make_unique<ScrollHost>(std::move(owner));
    scroll_->SetFrameSize(gfx::Size{frame_.Width(), frame_.Height()});
  }
  return *scroll_;
}

void Window::OnScroll(ScrollOrientation bar, ScrollCode code, int pos) {
  if (scroll_ && code != ScrollCode::kEndScroll) {
    scroll_->SetPos(bar, scroll_->TargetPos(bar, code, pos));
  }
}

void Window::ShowScrollBar(ScrollOrientation bar, bool show) {
  if (!show && !scroll_) return;
  ScrollHost& host = Scroller();
  if (host.IsVisible(bar) == show) return;
  host.Show(bar, show);
  // The client area changed size.
  Invalidate(true);
  if (parent_ != nullptr && visible_) parent_->Invalidate(frame_, true);
}

void Window::SetScrollRange(ScrollOrientation bar, int min, int max) {
  Scroller().SetRange(bar, min, max);
}

void Window::SetScrollPage(ScrollOrientation bar, int page) { Scroller().SetPage(bar, page); }

int Window::SetScrollPos(ScrollOrientation bar, int pos) { return Scroller().SetPos(bar, pos); }

ScrollInfo Window::GetScrollInfo(ScrollOrientation bar) const {
  return scroll_ ? scroll_->Info(bar) : ScrollInfo{};
}

gfx::Rect Window::ScrollBarRect(ScrollOrientation bar) const {
  const ScrollBar* part = scroll_ ? scroll_->VisibleBar(bar) : nullptr;
  return part != nullptr ? part->Bounds() : gfx::Rect{};
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
