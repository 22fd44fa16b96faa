#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/ui/backend.h"
#include "platform/ui/event.h"
#include "platform/ui/window.h"

namespace tv::ui {

inline constexpr int kDisplayWidth = 240;
inline constexpr int kDisplayHeight = 320;
inline constexpr int kBarHeight = 26;
// Where every screen lives: below the navigation bar, above the command bar.
inline constexpr gfx::Rect kScreenArea{0, kBarHeight, kDisplayWidth,
                                       kDisplayHeight - kBarHeight};

// The window system of the handheld: the framebuffer, the stack of top-level
// windows, pen capture and keyboard focus, and the event loop that nested
// modal runs share. There is one per program, reachable through Get().
class Dialog;

class Desktop {
 public:
  Desktop(Backend& backend, gfx::PixelFormat format);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  static Desktop& Get();
  static bool Exists();

  gfx::Bitmap& Display() { return display_; }
  Backend& GetBackend() { return backend_; }

  // Top-level windows, bottom to top.
  void AddTopLevel(Window* window);
  void RemoveTopLevel(Window* window);
  const std::vector<Window*>& TopLevels() const { return top_levels_; }
  // The topmost visible top-level window: the one that takes input.
  Window* ActiveWindow() const;
  // The topmost visible window that fills the screen area (its caption is the
  // one the navigation bar shows).
  Window* ActiveScreen() const;

  // Runs the event loop until `done` returns true or the program quits.
  void RunUntil(const std::function<bool()>& done);
  // Handles queued work and one event, painting and presenting before it
  // waits.
  void ProcessOneEvent();
  void PostEvent(Event event);
  // Runs a callback after the current event, before the next one (windows
  // closing themselves are taken off the screen this way). A task with an
  // owner is dropped if the owner is destroyed first. A task waits for the
  // event loop it was posted in: a nested loop that the current handler
  // starts (a message box) does not run it.
  void PostTask(std::function<void()> task, const Window* owner = nullptr);

  // Calls `tick` after `delay` and then every `interval` until StopTimer, or
  // until `owner` is destroyed; returns the timer's number (never 0). Ticks
  // come between events, on the backend's clock, while the program waits for
  // input.
  int StartTimer(const Window* owner, std::chrono::milliseconds delay,
                 std::chrono::milliseconds interval, std::function<void()> tick);
  // Stops a timer; 0 or a stopped timer's number does nothing.
  void StopTimer(int id);

  // Runs `hook` each time the program has handled all its input and is about
  // to wait for more (the record stores release their file locks there).
  void AddIdleHook(std::function<void()> hook) { idle_hooks_.push_back(std::move(hook)); }

  // Ends every modal run and the program with `exit_code`.
  void Quit(int exit_code);
  bool Quitting() const { return quitting_; }
  int ExitCode() const { return exit_code_; }

  // Paints every invalid area and the bars when they changed.
  void PaintPending();
  // Shows the framebuffer now if it changed (used during long work too).
  void Present();
  // Paints, presents and handles pending input without blocking, for long
  // work inside a handler.
  void Pump();
  void MarkDirty() { dirty_ = true; }
  // Whether a paint is running, also while a message box opened from a
  // paint handler runs its own loop.
  bool IsPainting() const { return paint_depth_ > 0; }
  // How many event loops are running inside each other.
  int RunDepth() const { return run_depth_; }
  void InvalidateBars() { bars_dirty_ = true; }
  // Whether windows keep the texts they draw (LastPaintTexts, ScreenTexts)
  // for automation to report. Off unless a script or test turns it on, so
  // that painting in a real window keeps no record.
  void RecordTexts(bool on) { record_texts_ = on; }
  bool RecordsTexts() const { return record_texts_; }

  // A window holding the capture receives every pen event, also outside
  // itself (an open drop-down list), until it releases it.
  void SetCapture(Window* window) { capture_ = window; }
  void ReleaseCapture(const Window* window) {
    if (capture_ == window) capture_ = nullptr;
  }
  Window* Capture() const { return capture_; }
  void SetFocus(Window* window);
  Window* Focus() const { return focus_; }
  // Moves the focus to the next (or previous) focusable control of the
  // active window.
  void CycleFocus(bool forward);

  // Forgets every reference to a window that is going away.
  void ForgetWindow(Window* window);

  // The navigation bar's OK button, in display coordinates.
  static gfx::Rect OkButtonRect();
  // The number of frames presented so far.
  int PresentCount() const { return present_count_; }

 private:
  void Dispatch(const Event& event);
  void DispatchPen(const Event& event);
  void DispatchKey(Key key);
  void DispatchWheel(gfx::Point p, int lines);
  // Paints a window's invalid area and then its children, adding what it
  // painted (display coordinates) to `painted`.
  void PaintTree(Window* window, gfx::Region& painted);
  void PaintBars();
  void PaintAll();

  Backend& backend_;
  gfx::Bitmap display_;
  std::vector<Window*> top_levels_;
  std::deque<Event> queue_;
  struct Task {
    const Window* owner;
    std::function<void()> run;
    int depth;  // the event loop it was posted in
  };
  void RunTasks();
  bool HasRunnableTask() const;
  Window* FocusOwner(Window* window) const;

  std::deque<Task> tasks_;
  struct Timer {
    int id;
    const Window* owner;
    std::chrono::milliseconds due;
    std::chrono::milliseconds interval;
    std::function<void()> tick;
  };
  // Runs the ticks that are due; returns whether any ran.
  bool RunDueTimers();
  std::vector<Timer> timers_;
  int next_timer_id_ = 1;
  std::vector<std::function<void()>> idle_hooks_;
  Window* capture_ = nullptr;
  Window* pen_target_ = nullptr;
  // The window whose own scroll bar the pen went down on.
  Window* pen_bar_window_ = nullptr;
  // The screen whose command bar the pen went down on.
  Dialog* pen_command_bar_ = nullptr;
  // The control that had the focus in each top-level window, restored when
  // the window becomes active again.
  std::vector<std::pair<Window*, Window*>> saved_focus_;
  Window* focus_ = nullptr;
  bool pen_on_ok_ = false;
  bool quitting_ = false;
  int exit_code_ = 0;
  bool dirty_ = true;
  bool bars_dirty_ = true;
  bool record_texts_ = false;
  Window* bars_screen_ = nullptr;
  int present_count_ = 0;
  int paint_depth_ = 0;
  int run_depth_ = 0;
  // Long work shows its progress at most this often.
  static constexpr std::chrono::milliseconds kPumpPresentInterval{15};
  std::chrono::steady_clock::time_point last_pump_present_;
};

}  // namespace tv::ui
