#include "platform/ui/desktop.h"

#include <algorithm>
#include <chrono>

#include "platform/base/check.h"
#include "platform/ui/chrome.h"
#include "platform/ui/dialog.h"

namespace tv::ui {
namespace {
Desktop* g_desktop = nullptr;
}  // namespace

Desktop::Desktop(Backend& backend, gfx::PixelFormat format)
    : backend_(backend), display_(kDisplayWidth, kDisplayHeight, format) {
  TV_CHECK(g_desktop == nullptr);
  display_.Fill(gfx::kWhite);
  g_desktop = this;
}

Desktop::~Desktop() { g_desktop = nullptr; }

Desktop& Desktop::Get() {
  TV_CHECK(g_desktop != nullptr);
  return *g_desktop;
}

bool Desktop::Exists() { return g_desktop != nullptr; }

void Desktop::AddTopLevel(Window* window) {
  if (std::find(top_levels_.begin(), top_levels_.end(), window) != top_levels_.end()) return;
  top_levels_.push_back(window);
  window->Invalidate(true);
  bars_dirty_ = true;
  dirty_ = true;
}

void Desktop::RemoveTopLevel(Window* window) {
  auto it = std::find(top_levels_.begin(), top_levels_.end(), window);
  if (it == top_levels_.end()) return;
  const gfx::Rect covered = window->ScreenRect();
  const bool was_visible = window->IsVisible();
  top_levels_.erase(it);
  if (was_visible) {
    // What the window covered is drawn again by those below it, only there.
    for (Window* w : top_levels_) {
      const gfx::Rect overlap = w->ScreenRect().Intersect(covered);
      if (!overlap.IsEmpty()) {
        const gfx::Point o = w->ScreenOrigin();
        w->Invalidate(overlap.Offset(-o.x, -o.y), true);
      }
    }
  }
  if (FocusOwner(focus_) == window || focus_ == nullptr) {
    focus_ = nullptr;
    if (Window* active = ActiveWindow()) {
      for (auto& [top, focused] : saved_focus_) {
        if (top == active) focus_ = focused;
      }
      if (focus_ != nullptr) focus_->OnFocusChanged(true);
    }
  }
  if (capture_ != nullptr && FocusOwner(capture_) == window) capture_ = nullptr;
  if (pen_target_ != nullptr && FocusOwner(pen_target_) == window) pen_target_ = nullptr;
  bars_dirty_ = true;
  dirty_ = true;
}

Window* Desktop::ActiveWindow() const {
  for (auto it = top_levels_.rbegin(); it != top_levels_.rend(); ++it) {
    if ((*it)->IsVisible()) return *it;
  }
  return nullptr;
}

Window* Desktop::ActiveScreen() const {
  for (auto it = top_levels_.rbegin(); it != top_levels_.rend(); ++it) {
    if ((*it)->IsVisible() && (*it)->Frame() == kScreenArea) return *it;
  }
  return nullptr;
}

void Desktop::RunUntil(const std::function<bool()>& done) {
  while (!done() && !quitting_) ProcessOneEvent();
}

void Desktop::RunTasks() {
  while (!tasks_.empty()) {
    Task task = std::move(tasks_.front());
    tasks_.pop_front();
    task.run();
  }
}

void Desktop::ProcessOneEvent() {
  RunTasks();
  if (queue_.empty()) {
    // A paint may close its window (the installation screen does), so the
    // work it queues is done, and painted, before the next input.
    PaintPending();
    while (!tasks_.empty()) {
      RunTasks();
      PaintPending();
    }
    Present();
  }
  if (quitting_) return;
  Event event;
  if (!queue_.empty()) {
    event = std::move(queue_.front());
    queue_.pop_front();
  } else {
    for (const auto& hook : idle_hooks_) hook();
    event = backend_.WaitEvent();
  }
  Dispatch(event);
  RunTasks();
}

void Desktop::PostEvent(Event event) { queue_.push_back(std::move(event)); }

void Desktop::PostTask(std::function<void()> task, const Window* owner) {
  tasks_.push_back({owner, std::move(task)});
}

void Desktop::Quit(int exit_code) {
  if (!quitting_) exit_code_ = exit_code;
  quitting_ = true;
}

void Desktop::Pump() {
  // Called from inside a paint handler, only what is already drawn is shown.
  if (!painting_) PaintPending();
  const auto now = std::chrono::steady_clock::now();
  if (now - last_pump_present_ >= kPumpPresentInterval) {
    last_pump_present_ = now;
    Present();
  }
  Event event;
  while (backend_.PollEvent(event)) {
    if (event.type == Event::Type::kQuit) {
      Quit(0);
    } else if (event.type != Event::Type::kExpose) {
      // Input that arrives during long work is handled once it is done.
      queue_.push_back(std::move(event));
    } else {
      dirty_ = true;
    }
  }
}

void Desktop::Dispatch(const Event& event) {
  switch (event.type) {
    case Event::Type::kPenDown:
    case Event::Type::kPenMove:
    case Event::Type::kPenUp:
      DispatchPen(event);
      break;
    case Event::Type::kKey:
      DispatchKey(event.key);
      break;
    case Event::Type::kQuit:
      Quit(0);
      break;
    case Event::Type::kExpose:
      dirty_ = true;
      break;
    case Event::Type::kTask:
      if (event.task) event.task();
      break;
  }
}

void Desktop::DispatchPen(const Event& event) {
  const gfx::Point p = event.point;
  if (event.type == Event::Type::kPenDown) {
    if (capture_ != nullptr) {
      pen_target_ = capture_;
    } else {
      Window* active = ActiveWindow();
      if (active == nullptr) return;
      auto* screen = dynamic_cast<Dialog*>(ActiveScreen());
      if (screen != nullptr && screen == active && screen->HasOkButton() &&
          NavigationOkRect().Contains(p)) {
        pen_on_ok_ = true;
        return;
      }
      if (!active->ScreenRect().Contains(p)) return;
      Window* target = active->ChildAt(p - active->ScreenOrigin());
      if (target == nullptr) target = active;
      if (!target->IsEnabled()) return;
      if (target->AcceptsFocus()) SetFocus(target);
      pen_target_ = target;
    }
    pen_target_->OnPenDown(p - pen_target_->ScreenOrigin());
    return;
  }
  if (event.type == Event::Type::kPenMove) {
    if (pen_target_ != nullptr) pen_target_->OnPenMove(p - pen_target_->ScreenOrigin());
    return;
  }
  // Pen up.
  if (pen_on_ok_) {
    pen_on_ok_ = false;
    auto* screen = dynamic_cast<Dialog*>(ActiveScreen());
    if (screen != nullptr && screen == ActiveWindow() && NavigationOkRect().Contains(p)) {
      screen->PressOk();
    }
    return;
  }
  Window* target = pen_target_;
  pen_target_ = nullptr;
  if (target != nullptr) target->OnPenUp(p - target->ScreenOrigin());
}

Window* Desktop::FocusOwner(Window* window) const {
  Window* top = window;
  while (top != nullptr && top->Parent() != nullptr) top = top->Parent();
  return top;
}

void Desktop::DispatchKey(Key key) {
  Window* target = capture_;
  if (target == nullptr) {
    Window* active = ActiveWindow();
    if (active == nullptr) return;
    target = (focus_ != nullptr && FocusOwner(focus_) == active) ? focus_ : active;
  }
  for (Window* w = target; w != nullptr; w = w->Parent()) {
    if (w->OnKey(key)) return;
  }
}

void Desktop::SetFocus(Window* window) {
  if (window == focus_) return;
  Window* old = focus_;
  focus_ = window;
  if (old != nullptr) old->OnFocusChanged(false);
  if (window != nullptr) {
    Window* top = FocusOwner(window);
    bool saved = false;
    for (auto& [owner, focused] : saved_focus_) {
      if (owner == top) {
        focused = window;
        saved = true;
      }
    }
    if (!saved) saved_focus_.emplace_back(top, window);
    window->OnFocusChanged(true);
  }
}

void Desktop::CycleFocus(bool forward) {
  Window* active = ActiveWindow();
  if (active == nullptr) return;
  std::vector<Window*> focusable;
  for (const auto& child : active->Children()) {
    if (child->IsVisible() && child->AcceptsFocus()) focusable.push_back(child.get());
  }
  if (focusable.empty()) return;
  auto it = std::find(focusable.begin(), focusable.end(), focus_);
  size_t index = 0;
  if (it != focusable.end()) {
    const size_t current = static_cast<size_t>(it - focusable.begin());
    index = forward ? (current + 1) % focusable.size()
                    : (current + focusable.size() - 1) % focusable.size();
  } else if (!forward) {
    index = focusable.size() - 1;
  }
  SetFocus(focusable[index]);
}

void Desktop::ForgetWindow(Window* window) {
  RemoveTopLevel(window);
  if (focus_ == window) focus_ = nullptr;
  if (capture_ == window) capture_ = nullptr;
  if (pen_target_ == window) pen_target_ = nullptr;
  if (bars_screen_ == window) bars_screen_ = nullptr;
  std::erase_if(saved_focus_, [window](const auto& entry) {
    return entry.first == window || entry.second == window;
  });
  std::erase_if(tasks_, [window](const Task& task) { return task.owner == window; });
}

gfx::Rect Desktop::OkButtonRect() { return NavigationOkRect(); }

void Desktop::PaintPending() {
  painting_ = true;
  PaintAll();
  painting_ = false;
}

void Desktop::PaintAll() {
  if (bars_dirty_ || bars_screen_ != ActiveScreen()) PaintBars();
  for (size_t i = 0; i < top_levels_.size(); ++i) {
    Window* window = top_levels_[i];
    if (!window->IsVisible()) continue;
    const gfx::Rect rect = window->ScreenRect();
    bool covered = false;
    for (size_t j = i + 1; j < top_levels_.size() && !covered; ++j) {
      const Window* above = top_levels_[j];
      covered = above->IsVisible() && above->ScreenRect().Intersect(rect) == rect;
    }
    // A hidden window keeps its invalid area until it is uncovered.
    if (covered) continue;
    const gfx::Rect painted = [&] {
      gfx::Rect area;
      PaintTree(window, area);
      return area;
    }();
    if (painted.IsEmpty()) continue;
    for (size_t j = i + 1; j < top_levels_.size(); ++j) {
      Window* above = top_levels_[j];
      const gfx::Rect overlap = above->ScreenRect().Intersect(painted);
      if (above->IsVisible() && !overlap.IsEmpty()) {
        const gfx::Point o = above->ScreenOrigin();
        above->Invalidate(overlap.Offset(-o.x, -o.y), false);
      }
    }
  }
}

void Desktop::PaintTree(Window* window, gfx::Rect& painted) {
  const gfx::Point origin = window->ScreenOrigin();
  gfx::Rect clip = window->ScreenRect().Intersect(display_.Bounds());
  for (const Window* p = window->Parent(); p != nullptr; p = p->Parent()) {
    clip = clip.Intersect(p->ScreenRect());
  }
  gfx::Rect here;
  if (!window->invalid_.IsEmpty()) {
    here = window->invalid_.Offset(origin).Intersect(clip);
    const bool erase = window->erase_;
    window->invalid_ = {};
    window->erase_ = false;
    if (!here.IsEmpty()) {
      gfx::Canvas canvas(display_, origin, here);
      canvas.SetFont(gfx::Font::Get(gfx::SystemFontSpec()));
      if (erase) window->OnEraseBackground(canvas, here.Offset(-origin.x, -origin.y));
      window->last_texts_.clear();
      canvas.SetTextLog(&window->last_texts_);
      window->OnPaint(canvas);
      dirty_ = true;
    }
  }
  painted = painted.Union(here);
  for (const auto& child : window->Children()) {
    if (!child->IsVisible()) continue;
    const gfx::Rect overlap = child->ScreenRect().Intersect(here);
    if (!overlap.IsEmpty()) {
      const gfx::Point o = child->ScreenOrigin();
      child->Invalidate(overlap.Offset(-o.x, -o.y), true);
    }
    PaintTree(child.get(), painted);
  }
}

void Desktop::PaintBars() {
  Window* screen = ActiveScreen();
  bars_screen_ = screen;
  bars_dirty_ = false;
  gfx::Canvas canvas(display_);
  const auto* dialog = dynamic_cast<const Dialog*>(screen);
  PaintNavigationBar(canvas, screen != nullptr ? std::u16string_view(screen->Text()) : u"",
                     dialog != nullptr && dialog->HasOkButton());
  PaintCommandBar(canvas);
  // Pop-ups that reach into the bars are drawn over them again.
  const gfx::Rect bars[] = {{0, 0, kDisplayWidth, kBarHeight},
                            {0, kDisplayHeight - kBarHeight, kDisplayWidth, kDisplayHeight}};
  for (Window* w : top_levels_) {
    if (!w->IsVisible()) continue;
    const gfx::Point o = w->ScreenOrigin();
    for (const gfx::Rect& bar : bars) {
      const gfx::Rect overlap = w->ScreenRect().Intersect(bar);
      if (!overlap.IsEmpty()) w->Invalidate(overlap.Offset(-o.x, -o.y), false);
    }
  }
  dirty_ = true;
}

void Desktop::Present() {
  if (!dirty_) return;
  dirty_ = false;
  ++present_count_;
  backend_.Present(display_);
}

}  // namespace tv::ui
