#include "platform/ui/window.h"

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
  Invalidate(true);
  if (parent_ == nullptr && Desktop::Exists()) Desktop::Get().MarkDirty();
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
          w->Invalidate(overlap.Offset(-o.x, -o.y), true);
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
    if (Window* deeper = child->ChildAt(local)) return deeper;
    return child;
  }
  return nullptr;
}

void Window::Invalidate(const gfx::Rect& client, bool erase) {
  const gfx::Rect area = client.Intersect(ClientRect());
  if (area.IsEmpty()) return;
  invalid_ = invalid_.Union(area);
  erase_ = erase_ || erase;
}

void Window::Update() {
  if (Desktop::Exists()) Desktop::Get().PaintPending();
}

gfx::Canvas Window::GetScreenCanvas() {
  gfx::Bitmap& display = Desktop::Get().Display();
  const gfx::Rect screen = ScreenRect();
  Desktop::Get().MarkDirty();
  gfx::Canvas canvas(display, screen.TopLeft(), screen);
  canvas.SetFont(gfx::Font::Get(gfx::SystemFontSpec()));
  return canvas;
}

void Window::NotifyParent(int notification) {
  if (parent_ != nullptr) parent_->OnCommand(id_, notification);
}

void Window::OnEraseBackground(gfx::Canvas& canvas, const gfx::Rect& area) {
  canvas.FillRect(area, gfx::kWhite);
}

}  // namespace tv::ui
