// terravue_monkey: drives the whole program, in this process, with a seeded
// stream of random input (taps, drags, keys, and the script commands choose,
// press and open) chosen from what the top window actually shows, and checks
// that it survives: no crash (the sanitizers report those), no stuck modal
// loop, no stack of screens that cannot be closed, and a clean exit.
//
// Usage: terravue_monkey [--events N] [--seed S] [--report-at N]
//                        [--stall-seconds N] [--max-growth PERCENT]
//                        [--expect-screens N]
//                        [--trace FILE] [--clock ISO] [--data DIR]
//
// The same seed gives the same events: a failure replays with the seed the
// run printed first. --trace writes every event as it is sent, which
// survives a crash.

#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cinttypes>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define TV_MONKEY_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TV_MONKEY_ASAN 1
#endif
#endif

#ifdef TV_MONKEY_ASAN
// The sanitizer runtime's public interface (g++ installs no header for it).
extern "C" {
size_t __sanitizer_get_current_allocated_bytes(void);
void __sanitizer_print_stack_trace(void);
void __sanitizer_set_death_callback(void (*callback)(void));
}
#else
#include <execinfo.h>
#include <malloc.h>
#endif

#include "app/terravue_app.h"
#include "places/places.h"
#include "platform/base/utf.h"
#include "platform/clock/clock.h"
#include "platform/files/files.h"
#include "platform/store/object_store.h"
#include "platform/ui/automation.h"
#include "platform/ui/backend.h"
#include "platform/ui/command_bar.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialog.h"
#include "platform/ui/list_sink.h"
#include "platform/ui/message_box.h"
#include "platform/ui/widget.h"
#include "screens/navigator.h"

void RegisterTerravueResources();

namespace {

namespace fs = std::filesystem;
using tv::gfx::Point;
using tv::gfx::Rect;
using tv::ui::Desktop;
using tv::ui::Event;
using tv::ui::Key;

// The deepest stack of top-level windows the monkey builds on purpose: at
// this depth it only presses Escape.
constexpr int kMaxDepth = 12;
// A screen opened by a tap at the deepest level may bring a message box or
// a pop-up list with it; a stack deeper than this was not closed by Escape.
constexpr int kDepthLimit = kMaxDepth + 3;
// Escapes in a row at kMaxDepth or more before the stack counts as stuck.
constexpr int kMaxEscapesWhenDeep = 40;
// Escapes at the end that must close every screen and the program.
constexpr int kMaxClosingEscapes = 200;
// Events without any window closing before the stack counts as stuck.
constexpr long kMaxEventsWithoutClosing = 5000;
// Event loops running inside each other: one a window, and a few more for a
// pop-up list or a message box opened from a handler.
constexpr int kMaxRunDepth = 2 * kDepthLimit;

struct Options {
  long events = 10000;
  uint64_t seed = 0;
  bool seed_given = false;
  long report_at = 10000;
  int stall_seconds = 120;
  double max_growth = -1;  // percent; negative: not checked
  int expect_screens = 0;  // different screens the run must reach
  std::string trace;
  std::string clock = "2027-03-04T21:05:00Z";
  fs::path data;
};

size_t HeapInUse() {
#ifdef TV_MONKEY_ASAN
  return __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#else
  return 0;
#endif
}

long MaxRssKb() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

class Names : public tv::ui::ListSink {
 public:
  std::vector<std::u16string> names;
  int AddString(std::u16string_view text) override {
    names.emplace_back(text);
    return static_cast<int>(names.size()) - 1;
  }
};

// The last events, for the message of a failure.
class Trail {
 public:
  void Add(std::string line) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(std::move(line));
    if (lines_.size() > kKeep) lines_.pop_front();
  }
  void Print() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::fprintf(stderr, "monkey: the last %zu events, oldest first:\n", lines_.size());
    for (const std::string& line : lines_) std::fprintf(stderr, "  %s\n", line.c_str());
    std::fflush(stderr);
  }

 private:
  static constexpr size_t kKeep = 30;
  std::mutex mutex_;
  std::deque<std::string> lines_;
};

Trail* g_trail = nullptr;

#ifdef TV_MONKEY_ASAN
// A sanitizer report ends the process: the events that led to it follow.
void PrintTrailOnDeath() {
  if (g_trail != nullptr) g_trail->Print();
}
#endif

// The main thread's stack, printed when the watchdog finds it stuck.
void OnStuckSignal(int) {
#ifdef TV_MONKEY_ASAN
  __sanitizer_print_stack_trace();
#else
  void* frames[64];
  const int n = backtrace(frames, 64);
  backtrace_symbols_fd(frames, n, STDERR_FILENO);
#endif
  _exit(3);
}

// Aborts the run when the program stops coming back to the event source:
// a modal loop that spins without waiting for input, or work that never
// ends.
class Watchdog {
 public:
  Watchdog(int seconds, Trail& trail) : seconds_(seconds), trail_(trail) {
    main_ = pthread_self();
    signal(SIGUSR1, OnStuckSignal);
    Beat();
    thread_ = std::thread([this] { Watch(); });
  }
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  void Beat() { last_beat_.store(Now(), std::memory_order_relaxed); }

 private:
  static int64_t Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  void Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::seconds(1), [this] { return stop_; })) {
      const int64_t silent = Now() - last_beat_.load(std::memory_order_relaxed);
      if (silent > int64_t{seconds_} * 1000) {
        std::fprintf(stderr,
                     "monkey: FAILED: stuck: the program has not asked for input for %d s "
                     "(a modal loop that never returns to the event source); its stack:\n",
                     seconds_);
        trail_.Print();
        pthread_kill(main_, SIGUSR1);
        std::this_thread::sleep_for(std::chrono::seconds(10));
        _exit(3);
      }
    }
  }

  int seconds_;
  Trail& trail_;
  pthread_t main_;
  std::atomic<int64_t> last_beat_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

class Monkey : public tv::ui::Backend {
 public:
  Monkey(const Options& options, Trail& trail, Watchdog& watchdog)
      : options_(options), trail_(trail), watchdog_(watchdog), random_(options.seed) {
    Names all;
    terravue::AddAllPlaces(all);
    places_ = std::move(all.names);
    places_.push_back(u"World");
    if (!options.trace.empty()) trace_.open(options.trace);
  }

  Event WaitEvent() override {
    watchdog_.Beat();
    if (!pending_.empty()) {
      Event event = pending_.front();
      pending_.pop_front();
      return Count(event);
    }
    Desktop& desktop = Desktop::Get();
    Check(desktop);
    SampleMemory();
    if (events_done_ >= options_.events) closing_ = true;
    if (closing_) {
      if (++closing_escapes_ > kMaxClosingEscapes) {
        Fail("Escape did not close every screen at the end: " + StackText());
        return Event::Task([] {});
      }
      Note("key Escape (closing)");
      return Count(Event::KeyPress(Key::kEscape));
    }
    return Count(Next(desktop));
  }

  bool PollEvent(Event& event) override {
    (void)event;
    watchdog_.Beat();
    return false;
  }
  void Present(const tv::gfx::Bitmap& frame) override { (void)frame; }

  bool Closing() const { return closing_; }
  bool Failed() const { return failed_; }
  long EventsDone() const { return events_done_; }

  void Report() const {
    std::printf("monkey: %ld events (%ld could not apply and were skipped), %ld program starts, "
                "deepest stack %d windows\n",
                events_done_, skipped_, starts_, deepest_);
    std::printf("monkey: %d different screens; top windows seen:", ScreensSeen());
    for (const std::string& caption : captions_) std::printf(" [%s]", caption.c_str());
    std::printf("\n");
    if (at_report_) {
      std::printf("monkey: after %ld events: peak heap in use %.1f MiB, peak RSS %.1f MiB\n",
                  options_.report_at, at_report_->heap / 1048576.0, at_report_->rss / 1024.0);
    }
    std::printf("monkey: after %ld events: peak heap in use %.1f MiB, peak RSS %.1f MiB\n",
                events_done_, peak_heap_ / 1048576.0, MaxRssKb() / 1024.0);
  }
  // The growth of the peak heap from the report point to the end, percent.
  std::optional<double> HeapGrowth() const {
    if (!at_report_ || at_report_->heap == 0) return std::nullopt;
    return 100.0 * (static_cast<double>(peak_heap_) - static_cast<double>(at_report_->heap)) /
           static_cast<double>(at_report_->heap);
  }
  std::optional<double> RssGrowth() const {
    if (!at_report_ || at_report_->rss == 0) return std::nullopt;
    return 100.0 * static_cast<double>(MaxRssKb() - at_report_->rss) /
           static_cast<double>(at_report_->rss);
  }

  void StartedProgram() { ++starts_; }
  // How many different screens (dialog templates) came to the top.
  int ScreensSeen() const { return static_cast<int>(screens_.size()); }
  // The share of events that could not apply.
  double SkippedShare() const {
    return events_done_ > 0 ? static_cast<double>(skipped_) / static_cast<double>(events_done_)
                            : 0.0;
  }

  void Fail(const std::string& message) {
    if (failed_) return;
    failed_ = true;
    std::fprintf(stderr, "monkey: FAILED after %ld events: %s\n", events_done_, message.c_str());
    trail_.Print();
    Desktop::Get().Quit(1);
  }

 private:
  struct Memory {
    size_t heap;
    long rss;
  };

  Event Count(const Event& event) {
    ++events_done_;
    return event;
  }

  int Depth() const { return static_cast<int>(Desktop::Get().TopLevels().size()); }

  std::string StackText() const {
    std::string out;
    for (const tv::ui::Window* window : Desktop::Get().TopLevels()) {
      out += '[';
      out += window->KindName();
      out += ' ';
      out += tv::Utf16ToUtf8(window->Text());
      if (const auto* box = dynamic_cast<const tv::ui::MessageBoxWindow*>(window)) {
        out += ": " + tv::Utf16ToUtf8(box->Message());
      }
      if (!window->IsVisible()) out += " (hidden)";
      out += "]";
    }
    return out;
  }

  void Check(Desktop& desktop) {
    const int depth = Depth();
    if (depth > deepest_) deepest_ = depth;
    // Escape is pressed often enough that some window closes every few
    // dozen events; a stack that never gets lower keeps bringing windows
    // back (a message that reappears as soon as it is dismissed).
    if (depth < last_depth_ || depth <= 1) {
      events_at_depth_change_ = events_done_;
    } else if (events_done_ - events_at_depth_change_ > kMaxEventsWithoutClosing) {
      Fail("no window closed for " + std::to_string(kMaxEventsWithoutClosing) +
           " events: " + StackText());
      events_at_depth_change_ = events_done_;
    }
    last_depth_ = depth;
    if (depth > kDepthLimit) Fail("the window stack grew past " + std::to_string(kDepthLimit) +
                                  ": " + StackText());
    if (desktop.RunDepth() > kMaxRunDepth) {
      Fail(std::to_string(desktop.RunDepth()) + " event loops run inside each other: " +
           StackText());
    }
    if (tv::ui::Window* top = desktop.ActiveWindow()) {
      std::string name = top->KindName();
      if (auto* dialog = dynamic_cast<tv::ui::Dialog*>(top)) {
        name += " " + std::to_string(dialog->TemplateNumber());
        screens_.insert(dialog->TemplateNumber());
      }
      captions_.insert(name + " " + tv::Utf16ToUtf8(top->Text()));
    }
  }

  void SampleMemory() {
    const size_t heap = HeapInUse();
    if (heap > peak_heap_) peak_heap_ = heap;
    if (!at_report_ && events_done_ >= options_.report_at) {
      at_report_ = Memory{peak_heap_, MaxRssKb()};
    }
  }

  // Writes an event down for the trail and the trace file.
  void Note(const std::string& what) {
    std::string line = "#";
    line += std::to_string(events_done_ + 1);
    line += " depth ";
    line += std::to_string(Depth());
    line += ": ";
    line += what;
    if (trace_.is_open()) {
      trace_ << line << std::endl;
    }
    trail_.Add(std::move(line));
  }

  int Uniform(int low, int high) {  // inclusive
    return std::uniform_int_distribution<int>(low, high)(random_);
  }
  bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<size_t>(Uniform(0, static_cast<int>(items.size()) - 1))];
  }

  static Point Clamp(Point p) {
    return {std::clamp(p.x, 0, tv::ui::kDisplayWidth - 1),
            std::clamp(p.y, 0, tv::ui::kDisplayHeight - 1)};
  }

  // The visible controls of the top window.
  static std::vector<tv::ui::Widget*> Widgets(tv::ui::Window& top) {
    std::vector<tv::ui::Widget*> widgets;
    for (const auto& child : top.Children()) {
      auto* widget = dynamic_cast<tv::ui::Widget*>(child.get());
      if (widget != nullptr && widget->IsShown()) widgets.push_back(widget);
    }
    return widgets;
  }

  // A display point somewhere useful in the top window: on one of its
  // controls, on a scroll bar, anywhere in its client area, or anywhere on
  // the display (the navigation bar's OK, the command bar).
  // A random point of a display rectangle.
  Point Inside(const Rect& r) {
    if (r.IsEmpty()) return Clamp({r.left, r.top});
    return Clamp({Uniform(r.left, r.right - 1), Uniform(r.top, r.bottom - 1)});
  }

  Point AnyPoint(tv::ui::Window& top) {
    const int where = Uniform(0, 99);
    const Point origin = top.ScreenOrigin();
    if (where < 40) {
      const std::vector<tv::ui::Widget*> widgets = Widgets(top);
      if (!widgets.empty()) return Inside(Pick(widgets)->ScreenRect());
    }
    if (where < 50) {
      for (const auto bar : {tv::ui::ScrollOrientation::kVertical,
                             tv::ui::ScrollOrientation::kHorizontal}) {
        const Rect r = top.ScrollBarRect(bar);
        if (!r.IsEmpty() && Chance(0.7)) return Inside(r.Offset(origin));
      }
    }
    if (where < 85) return Inside(top.ClientRect().Offset(origin));
    if (where < 92) return Inside(Desktop::OkButtonRect());
    const Rect display = Rect::FromSize(0, 0, tv::ui::kDisplayWidth, tv::ui::kDisplayHeight);
    if (where < 97) {
      return Inside(Rect::FromSize(0, tv::ui::kDisplayHeight - tv::ui::kBarHeight,
                                   tv::ui::kDisplayWidth, tv::ui::kBarHeight));
    }
    return Inside(display);
  }

  static std::string PointText(Point p) {
    return std::to_string(p.x) + " " + std::to_string(p.y);
  }

  // Runs an automation step as a task, so that it sees the stack as it is
  // when its turn comes; one that cannot apply counts as skipped.
  Event Step(std::function<bool(std::string&)> step) {
    return Event::Task([this, step = std::move(step)] {
      std::string error;
      if (!step(error)) ++skipped_;
    });
  }

  Event Tap(tv::ui::Window& top) {
    const Point p = AnyPoint(top);
    Note("tap " + PointText(p) + " (display)");
    pending_.push_back(Event::Pen(Event::Type::kPenUp, p));
    return Event::Pen(Event::Type::kPenDown, p);
  }

  Event Drag(tv::ui::Window& top) {
    const Point start = AnyPoint(top);
    Point p = start;
    std::string text = "drag " + PointText(p);
    const int moves = Uniform(1, 8);
    const int dx = Uniform(-30, 30);
    const int dy = Uniform(-30, 30);
    for (int i = 0; i < moves; ++i) {
      p = Clamp({p.x + dx + Uniform(-6, 6), p.y + dy + Uniform(-6, 6)});
      pending_.push_back(Event::Pen(Event::Type::kPenMove, p));
      text += " > " + PointText(p);
    }
    pending_.push_back(Event::Pen(Event::Type::kPenUp, p));
    Note(text + " (display)");
    return Event::Pen(Event::Type::kPenDown, start);
  }

  Event PressKey(Key key, const char* name) {
    Note(std::string("key ") + name);
    return Event::KeyPress(key);
  }

  Event AnyKey() {
    static constexpr std::pair<Key, const char*> kKeys[] = {
        {Key::kReturn, "Return"}, {Key::kUp, "Up"},         {Key::kDown, "Down"},
        {Key::kLeft, "Left"},     {Key::kRight, "Right"},   {Key::kTab, "Tab"},
        {Key::kBackTab, "BackTab"}, {Key::kPageUp, "PageUp"}, {Key::kPageDown, "PageDown"},
        {Key::kHome, "Home"},     {Key::kEnd, "End"},       {Key::kSpace, "Space"},
    };
    const auto& [key, name] = kKeys[Uniform(0, static_cast<int>(std::size(kKeys)) - 1)];
    return PressKey(key, name);
  }

  Event Choose(tv::ui::Window& top) {
    std::vector<tv::ui::Widget*> lists;
    for (tv::ui::Widget* widget : Widgets(top)) {
      if (!widget->Items().empty()) lists.push_back(widget);
    }
    if (lists.empty()) return AnyKey();
    tv::ui::Widget* list = Pick(lists);
    const int id = list->Id();
    const std::vector<std::u16string> items = list->Items();
    const int count = static_cast<int>(items.size());
    if (Chance(0.1)) {
      const std::u16string text = items[static_cast<size_t>(Uniform(0, count - 1))];
      Note("choose " + std::to_string(id) + " \"" + tv::Utf16ToUtf8(text) + "\"");
      return Step([id, text](std::string& error) {
        return tv::ui::automation::Choose(id, text, error);
      });
    }
    // Now and then an item that is not there: it must be refused, not taken.
    const int index = Chance(0.03) ? (Chance(0.5) ? -1 : count) : Uniform(0, count - 1);
    Note("choose " + std::to_string(id) + " " + std::to_string(index));
    return Step([id, index](std::string& error) {
      return tv::ui::automation::Choose(id, index, error);
    });
  }

  Event Press(tv::ui::Window& top) {
    std::vector<std::string> targets;
    for (tv::ui::Widget* widget : Widgets(top)) {
      if (widget->IsEnabled()) targets.push_back(std::to_string(widget->Id()));
    }
    if (auto* dialog = dynamic_cast<tv::ui::Dialog*>(&top)) {
      if (dialog->HasOkButton()) targets.push_back("ok");
      if (const tv::ui::CommandBar* bar = dialog->GetCommandBar()) {
        // Commands weigh as much as controls: the command bar holds the
        // zoom, the distance tool and the units.
        for (int i = 0; i < 2; ++i) {
          for (const tv::ui::Menu& menu : bar->Menus()) {
            for (const tv::ui::MenuItem& item : menu.items) {
              targets.push_back(std::to_string(item.id));
            }
          }
          for (const tv::ui::ToolButton& button : bar->Buttons()) {
            targets.push_back(std::to_string(button.id));
          }
        }
      }
    } else if (dynamic_cast<tv::ui::MessageBoxWindow*>(&top) != nullptr) {
      targets.push_back("ok");
    }
    if (targets.empty()) return AnyKey();
    const std::string target = Pick(targets);
    Note("press " + target);
    return Step([target](std::string& error) {
      return tv::ui::automation::Press(target, error);
    });
  }

  Event Open() {
    static const char* const kScreens[] = {"country-info", "country-map", "continent-map",
                                           "reference-map", "compare",    "world-facts",
                                           "day-night",     "help"};
    const std::string screen = kScreens[Uniform(0, static_cast<int>(std::size(kScreens)) - 1)];
    std::optional<std::u16string> input;
    if (screen == "country-info" || screen == "country-map") {
      input = Chance(0.02) ? std::u16string(u"Atlantis") : Pick(places_);
    } else if (screen == "continent-map" || screen == "reference-map") {
      input = tv::Utf8ToUtf16(std::to_string(Uniform(0, terravue::kRegionCount - 1)));
    } else if (screen == "help") {
      input = u"Help for the monkey: " + std::u16string(Pick(places_));
    }
    Note("open " + screen + (input ? " \"" + tv::Utf16ToUtf8(*input) + "\"" : ""));
    return Step([screen, input](std::string& error) {
      return terravue::OpenScreenByName(terravue::GetNavigator(), screen, input, error);
    });
  }

  Event Next(Desktop& desktop) {
    tv::ui::Window* top = desktop.ActiveWindow();
    if (top == nullptr) return PressKey(Key::kEscape, "Escape");
    const int depth = Depth();
    if (depth >= kMaxDepth) {
      if (++escapes_when_deep_ > kMaxEscapesWhenDeep) {
        Fail("Escape does not bring the stack below " + std::to_string(kMaxDepth) + ": " +
             StackText());
      }
      return PressKey(Key::kEscape, "Escape");
    }
    escapes_when_deep_ = 0;
    // Escape grows likelier as the stack deepens, so that it wanders up and
    // down; on the main screen alone it ends the program, which then starts
    // again.
    const double escape = depth == 1 ? 0.002 : 0.04 + 0.02 * depth;
    if (Chance(escape)) return PressKey(Key::kEscape, "Escape");
    if (dynamic_cast<tv::ui::MessageBoxWindow*>(top) != nullptr) {
      const int what = Uniform(0, 9);
      if (what < 3) return PressKey(Key::kReturn, "Return");
      if (what < 6) return Press(*top);
      if (what < 8) return Tap(*top);
      return AnyKey();
    }
    const int what = Uniform(0, 99);
    if (what < 28) return Tap(*top);
    if (what < 40) return Drag(*top);
    if (what < 60) return AnyKey();
    if (what < 74) return Choose(*top);
    if (what < 92) return Press(*top);
    return Open();
  }

  const Options& options_;
  Trail& trail_;
  Watchdog& watchdog_;
  std::mt19937_64 random_;
  std::vector<std::u16string> places_;
  std::ofstream trace_;
  std::deque<Event> pending_;
  long events_done_ = 0;
  long skipped_ = 0;
  long starts_ = 0;
  int deepest_ = 0;
  int last_depth_ = 0;
  long events_at_depth_change_ = 0;
  int escapes_when_deep_ = 0;
  int closing_escapes_ = 0;
  bool closing_ = false;
  bool failed_ = false;
  size_t peak_heap_ = 0;
  std::optional<Memory> at_report_;
  std::set<std::string> captions_;
  std::set<int> screens_;
};

bool ParseArgs(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) {
      std::fprintf(stderr, "terravue_monkey: %s needs a value\n", arg.c_str());
      return false;
    }
    const std::string value = argv[++i];
    try {
      if (arg == "--events") {
        options.events = std::stol(value);
      } else if (arg == "--seed") {
        options.seed = std::stoull(value);
        options.seed_given = true;
      } else if (arg == "--report-at") {
        options.report_at = std::stol(value);
      } else if (arg == "--stall-seconds") {
        options.stall_seconds = std::stoi(value);
      } else if (arg == "--max-growth") {
        options.max_growth = std::stod(value);
      } else if (arg == "--expect-screens") {
        options.expect_screens = std::stoi(value);
      } else if (arg == "--trace") {
        options.trace = value;
      } else if (arg == "--clock") {
        options.clock = value;
      } else if (arg == "--data") {
        options.data = value;
      } else {
        std::fprintf(stderr, "terravue_monkey: unknown option %s\n", arg.c_str());
        return false;
      }
    } catch (const std::exception&) {
      std::fprintf(stderr, "terravue_monkey: bad value for %s: %s\n", arg.c_str(), value.c_str());
      return false;
    }
  }
  return options.events >= 0 && options.stall_seconds > 0;
}

// A fresh device root with the installation files in its windows/ folder,
// so that the first start imports them as the handheld's installer did.
std::optional<fs::path> MakeDevice(const fs::path& data) {
  std::string pattern = (fs::temp_directory_path() / "terravue-monkey-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return std::nullopt;
  const fs::path root = pattern;
  std::error_code ec;
  fs::create_directories(root / "windows", ec);
  for (const char* file : {"QuorvelCountriesTerravue.txt", "QuorvelZones.txt"}) {
    fs::copy_file(data / file, root / "windows" / file, ec);
    if (ec) {
      std::fprintf(stderr, "terravue_monkey: cannot copy %s: %s\n", (data / file).c_str(),
                   ec.message().c_str());
      fs::remove_all(root, ec);
      return std::nullopt;
    }
  }
  return root;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
#ifdef TERRAVUE_DATA_DIR
  options.data = TERRAVUE_DATA_DIR;
#endif
  if (!ParseArgs(argc, argv, options)) return 2;
  if (!options.seed_given) options.seed = std::random_device{}();
  // First, so that a failure can be replayed.
  std::printf("monkey: seed %" PRIu64 ", %ld events\n", options.seed, options.events);
  std::fflush(stdout);

  const std::optional<fs::path> root = MakeDevice(options.data);
  if (!root) return 2;
  tv::files::SetDeviceRoot(*root);
  tv::clock::SetFixedUtc(tv::clock::ParseIsoUtc(options.clock));
  RegisterTerravueResources();

  Trail trail;
  g_trail = &trail;
#ifdef TV_MONKEY_ASAN
  __sanitizer_set_death_callback(PrintTrailOnDeath);
#endif
  int status = 0;
  {
    Watchdog watchdog(options.stall_seconds, trail);
    Monkey monkey(options, trail, watchdog);
    {
      Desktop desktop(monkey, tv::gfx::PixelFormat::kRgb565);
      desktop.AddIdleHook([] { tv::store::ObjectStore::EndSharedReadTransactions(); });
      // Escape on the main screen ends the program; it starts again until
      // the events are spent.
      while (!desktop.Quitting()) {
        const long before = monkey.EventsDone();
        monkey.StartedProgram();
        terravue::RunTerravue();
        if (monkey.Closing()) break;
        if (monkey.EventsDone() == before) {
          monkey.Fail("the program ended without asking for input");
          break;
        }
      }
      if (!monkey.Failed() && desktop.ExitCode() != 0) {
        std::fprintf(stderr, "monkey: FAILED: the program quit with status %d\n",
                     desktop.ExitCode());
        status = 1;
      }
      if (!monkey.Failed() && !desktop.TopLevels().empty()) {
        std::fprintf(stderr, "monkey: FAILED: %zu windows left open at the end\n",
                     desktop.TopLevels().size());
        status = 1;
      }
    }
    tv::store::ObjectStore::CloseShared();
    if (monkey.Failed()) status = 1;
    monkey.Report();
    const std::optional<double> heap = monkey.HeapGrowth();
    const std::optional<double> rss = monkey.RssGrowth();
    if (heap) std::printf("monkey: peak heap grew %.1f %% from event %ld to the end\n", *heap,
                          options.report_at);
    if (rss) std::printf("monkey: peak RSS grew %.1f %% from event %ld to the end\n", *rss,
                         options.report_at);
    // A run whose events mostly miss, or that never reaches most screens,
    // proves little: say so rather than pass.
    if (monkey.ScreensSeen() < options.expect_screens) {
      std::fprintf(stderr, "monkey: FAILED: only %d different screens came to the top, not %d\n",
                   monkey.ScreensSeen(), options.expect_screens);
      status = 1;
    }
    if (monkey.SkippedShare() > 0.5) {
      std::fprintf(stderr, "monkey: FAILED: %.0f %% of the events could not apply\n",
                   100 * monkey.SkippedShare());
      status = 1;
    }
    if (options.max_growth >= 0 && heap && *heap > options.max_growth) {
      std::fprintf(stderr, "monkey: FAILED: the peak heap grew by more than %.0f %%\n",
                   options.max_growth);
      status = 1;
    }
  }
  g_trail = nullptr;
  std::error_code ec;
  fs::remove_all(*root, ec);
  tv::files::SetDeviceRoot(std::nullopt);
  std::printf("monkey: %s\n", status == 0 ? "passed" : "FAILED");
  return status;
}
