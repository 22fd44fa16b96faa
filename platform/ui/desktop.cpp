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
  window->InvalidateFrame({0, 0, window->Frame().Width(), window->Frame().Height()}, true);
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
        w->InvalidateFrame(overlap.Offset(-o.x, -o.y), true);
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
  if (pen_bar_window_ != nullptr && FocusOwner(pen_bar_window_) == window) {
    // The bar lets go of the pen, so that a held arrow stops repeating.
    Window* held = pen_bar_window_;
    pen_bar_window_ = nullptr;
    held->scroll_->PenUp({-1, -1});
  }
  if (pen_command_bar_ == window) pen_command_bar_ = nullptr;
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
  ++run_depth_;
  while (!done() && !quitting_) ProcessOneEvent();
  --run_depth_;
}

bool Desktop::HasRunnableTask() const {
  for (const Task& task : tasks_) {
    if (task.depth >= run_depth_) return true;
  }
  return false;
}

void Desktop::RunTasks() {
  // Tasks of an outer loop stay queued until that loop runs again.
  for (;;) {
    auto it = std::find_if(tasks_.begin(), tasks_.end(),
                           [this](const Task& task) { return task.depth >= run_depth_; });
    if (it == tasks_.end()) return;
    Task task = std::move(*it);
    tasks_.erase(it);
    task.run();
  }
}

void Desktop::ProcessOneEvent() {
  RunTasks();
  if (queue_.empty()) {
    // Work queued meanwhile (a window closing itself) is done, and painted,
    // before the next input.
    PaintPending();
    while (HasRunnableTask()) {
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
    if (RunDueTimers()) return;
    if (timers_.empty()) {
      event = backend_.WaitEvent();
    } else {
      auto next = std::min_element(timers_.begin(), timers_.end(),
                                   [](const Timer& a, const Timer& b) { return a.due < b.due; });
      if (!backend_.WaitEventUntil(next->due, event)) {
        RunDueTimers();
        return;
      }
    }
  }
  Dispatch(event);
  RunTasks();
}

int Desktop::StartTimer(const Window* owner, std::chrono::milliseconds delay,
                        std::chrono::milliseconds interval, std::function<void()> tick) {
  const int id = next_timer_id_++;
  timers_.push_back({id, owner, backend_.Now() + delay,
                     std::max(interval, std::chrono::milliseconds(1)), std::move(tick)});
  return id;
}

void Desktop::StopTimer(int id) {
  std::erase_if(timers_, [id](const Timer& timer) { return timer.id == id; });
}

bool Desktop::RunDueTimers() {
  const std::chrono::milliseconds now = backend_.Now();
  std::vector<int> due;
  for (const Timer& timer : timers_) {
    if (timer.due <= now) due.push_back(timer.id);
  }
  // A tick may stop or start timers, so each is looked up again.
  for (const int id : due) {
    auto it = std::find_if(timers_.begin(), timers_.end(),
                           [id](const Timer& timer) { return timer.id == id; });
    if (it == timers_.end()) continue;
    // A timer that fell behind skips the ticks it missed instead of
    // running them all at once.
    it->due += it->interval;
    if (it->due <= now) it->due = now + it->interval;
    std::function<void()> tick = it->tick;
    tick();
    RunTasks();
  }
  return !due.empty();
}

void Desktop::PostEvent(Event event) { queue_.push_back(std::move(event)); }

void Desktop::PostTask(std::function<void()> task, const Window* owner) {
  // Work posted before any loop runs (while the first screen is made) waits
  // for the first loop; otherwise no loop would ever count it as its own.
  tasks_.push_back({owner, std::move(task), std::max(run_depth_, 1)});
}

void Desktop::Quit(int exit_code) {
  if (!quitting_) exit_code_ = exit_code;
  quitting_ = true;
}

void Desktop::Pump() {
  // Called from inside a paint handler, only what is already drawn is shown.
  if (paint_depth_ == 0) PaintPending();
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
    case Event::Type::kWheel:
      DispatchWheel(event.point, event.wheel);
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
      if (screen != nullptr && screen == active && screen->GetCommandBar() != nullptr &&
          p.y >= kDisplayHeight - kBarHeight && screen->GetCommandBar()->PenDown(p)) {
        pen_command_bar_ = screen;
        return;
      }
      if (!active->ScreenRect().Contains(p)) return;
      Window* target = active->ChildAt(p - active->ScreenOrigin());
      if (target == nullptr) target = active;
      if (!target->IsEnabled()) return;
      if (target->AcceptsFocus()) SetFocus(target);
      pen_target_ = target;
    }
    // The pen on a window's scroll bar stays with the bar until it is lifted.
    Window* target = pen_target_;
    if (target->HasScrollBars() && target->scroll_->PenDown(p - target->ScreenOrigin())) {
      pen_target_ = nullptr;
      pen_bar_window_ = target;
      return;
    }
    target->OnPenDown(p - target->ScreenOrigin());
    return;
  }
  if (pen_command_bar_ != nullptr) {
    CommandBar* bar = pen_command_bar_->GetCommandBar();
    if (event.type == Event::Type::kPenMove) {
      if (bar != nullptr) bar->PenMove(p);
    } else if (event.type == Event::Type::kPenUp) {
      pen_command_bar_ = nullptr;
      if (bar != nullptr) bar->PenUp(p);
    }
    return;
  }
  if (pen_bar_window_ != nullptr) {
    Window* window = pen_bar_window_;
    if (event.type == Event::Type::kPenMove) {
      window->scroll_->PenMove(p - window->ScreenOrigin());
    } else if (event.type == Event::Type::kPenUp) {
      pen_bar_window_ = nullptr;
      window->scroll_->PenUp(p - window->ScreenOrigin());
    }
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
  Window* top = target;
  for (Window* w = target; w != nullptr; w = w->Parent()) {
    if (w->OnKey(key)) return;
    top = w;
  }
  // Keys nobody used scroll the window's own scroll bars.
  if (top->BarsInFrame()) top->scroll_->Key(key);
}

void Desktop::DispatchWheel(gfx::Point p, int lines) {
  Window* active = ActiveWindow();
  if (active == nullptr || !active->ScreenRect().Contains(p)) return;
  Window* target = active->ChildAt(p - active->ScreenOrigin());
  // The innermost window under the pointer that scrolls takes the wheel.
  for (Window* w = target != nullptr ? target : active; w != nullptr; w = w->Parent()) {
    if (w->scroll_ && w->scroll_->Wheel(lines)) return;
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
  if (pen_bar_window_ == window) pen_bar_window_ = nullptr;
  RemoveTopLevel(window);
  if (focus_ == window) focus_ = nullptr;
  if (capture_ == window) capture_ = nullptr;
  if (pen_target_ == window) pen_target_ = nullptr;
  if (pen_bar_window_ == window) pen_bar_window_ = nullptr;
  if (pen_command_bar_ == window) pen_command_bar_ = nullptr;
  if (bars_screen_ == window) bars_screen_ = nullptr;
  std::erase_if(saved_focus_, [window](const auto& entry) {
    return entry.first == window || entry.second == window;
  });
  std::erase_if(tasks_, [window](const Task& task) { return task.owner == window; });
  std::erase_if(timers_, [window](const Timer& timer) { return timer.owner == window; });
}

gfx::Rect Desktop::OkButtonRect() { return NavigationOkRect(); }

void Desktop::PaintPending() {
  ++paint_depth_;
  PaintAll();
  --paint_depth_;
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
    gfx::Region painted;
    PaintTree(window, painted);
    if (painted.IsEmpty()) continue;
    for (size_t j = i + 1; j < top_levels_.size(); ++j) {
      Window* above = top_levels_[j];
      if (!above->IsVisible()) continue;
      const gfx::Point o = above->ScreenOrigin();
      for (const gfx::Rect& piece : painted.Rects()) {
        const gfx::Rect overlap = above->ScreenRect().Intersect(piece);
        if (!overlap.IsEmpty()) above->InvalidateFrame(overlap.Offset(-o.x, -o.y), false);
      }
    }
  }
}

void Desktop::PaintTree(Window* window, gfx::Region& painted) {
  const gfx::Point origin = window->ScreenOrigin();
  const gfx::Rect clip = window->VisibleClientScreenRect().Intersect(display_.Bounds());
  gfx::Region here;
  if (!window->invalid_.IsEmpty()) {
    here = window->invalid_;
    here.Offset(origin.x, origin.y);
    here.Intersect(clip);
    const bool erase = window->erase_;
    window->invalid_.Clear();
    window->erase_ = false;
    if (!here.IsEmpty()) {
      // The paint draws only inside the invalid pieces: what lies between
      // two of them keeps its pixels.
      gfx::Canvas canvas(display_, origin, here.Bounds());
      if (here.Rects().size() > 1) canvas.SetClipRegion(here);
      canvas.SetFont(gfx::Font::Get(gfx::SystemFontSpec()));
      if (erase) {
        for (const gfx::Rect& piece : here.Rects()) {
          window->OnEraseBackground(canvas, piece.Offset(-origin.x, -origin.y));
        }
      }
      window->last_texts_.clear();
      window->screen_texts_.clear();
      if (record_texts_) canvas.SetTextLog(&window->last_texts_);
      canvas.Save();
      window->OnPaint(canvas);
      canvas.Restore();
      // A control's bars lie over what it draws.
      if (window->scroll_ && !window->BarsInFrame()) window->scroll_->Paint(canvas);
      dirty_ = true;
    }
  }
  if (window->bars_invalid_) {
    window->bars_invalid_ = false;
    if (window->BarsInFrame() && window->HasScrollBars()) {
      gfx::Rect frame_clip = window->ScreenRect().Intersect(display_.Bounds());
      for (const Window* p = window->Parent(); p != nullptr; p = p->Parent()) {
        frame_clip = frame_clip.Intersect(p->VisibleClientScreenRect());
      }
      gfx::Canvas canvas(display_, origin, frame_clip);
      window->scroll_->Paint(canvas);
      const gfx::Rect client = window->ClientRect().Offset(origin);
      std::vector<gfx::Rect> bars;
      gfx::SubtractRect(frame_clip, client, bars);
      for (const gfx::Rect& bar : bars) painted.Add(bar);
      dirty_ = true;
    }
  }
  for (const gfx::Rect& piece : here.Rects()) painted.Add(piece);
  for (const auto& child : window->Children()) {
    if (!child->IsVisible()) continue;
    const gfx::Point o = child->ScreenOrigin();
    for (const gfx::Rect& piece : here.Rects()) {
      const gfx::Rect overlap = child->ScreenRect().Intersect(piece);
      if (!overlap.IsEmpty()) child->InvalidateFrame(overlap.Offset(-o.x, -o.y), true);
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
  if (dialog != nullptr && dialog->GetCommandBar() != nullptr) dialog->GetCommandBar()->Paint(canvas);
  // Pop-ups that reach into the bars are drawn over them again.
  const gfx::Rect bars[] = {{0, 0, kDisplayWidth, kBarHeight},
                            {0, kDisplayHeight - kBarHeight, kDisplayWidth, kDisplayHeight}};
  for (Window* w : top_levels_) {
    if (!w->IsVisible()) continue;
    const gfx::Point o = w->ScreenOrigin();
    for (const gfx::Rect& bar : bars) {
      const gfx::Rect overlap = w->ScreenRect().Intersect(bar);
      if (!overlap.IsEmpty()) w->InvalidateFrame(overlap.Offset(-o.x, -o.y), false);
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
