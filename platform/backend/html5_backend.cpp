#include "platform/backend/html5_backend.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/backend/options.h"
#include "platform/base/utf.h"
#include "platform/ui/desktop.h"

namespace tv::backend {
namespace {

// The browser gets its thread back at least this often during long work
// (often enough for a progress screen; each time costs a few milliseconds).
constexpr double kYieldIntervalMs = 100;

// Waits until the page's input handlers wake the program. Each handler
// pushes its event first, so the queue is never empty after this returns
// unless the browser woke it for another reason.
// Module.terravueWake is set exactly while the program waits for input,
// with everything handled and drawn: the page's tests wait for that.
// With a timeout of zero or more milliseconds the wait also ends then (the
// next tick of a timer).
EM_ASYNC_JS(void, WaitForPageInput, (double timeout_ms), {
  Module.terravueWaits = (Module.terravueWaits || 0) + 1;
  await new Promise(function(resolve) {
    var timer = null;
    Module.terravueWake = function() {
      if (timer !== null) clearTimeout(timer);
      resolve();
    };
    if (timeout_ms >= 0) {
      timer = setTimeout(function() {
        Module.terravueWake = null;
        resolve();
      }, timeout_ms);
    }
  });
});

EM_JS(void, WakeProgram, (), {
  var wake = Module.terravueWake;
  Module.terravueWake = null;
  if (wake) wake();
});

// The page's room around the canvas: the margins of its column and, below
// the canvas, the status line (index.html).
constexpr int kPageFrameWidth = 2 * 16;
constexpr int kPageFrameHeight = 2 * 16 + 8 + 20;

EM_JS(int, BrowserWindowWidth, (), { return window.innerWidth | 0; });
EM_JS(int, BrowserWindowHeight, (), { return window.innerHeight | 0; });

EM_JS(void, SetUpCanvas, (const char* selector, int width, int height, int scale), {
  var canvas = document.querySelector(UTF8ToString(selector));
  canvas.width = width * scale;
  canvas.height = height * scale;
  canvas.style.width = (width * scale) + 'px';
  canvas.style.height = (height * scale) + 'px';
  var frame = document.createElement('canvas');
  frame.width = width;
  frame.height = height;
  Module.terravueCanvas = canvas;
  Module.terravueFrame = frame;
  Module.terravuePresents = 0;
});

// Draws the RGBA frame on the page's canvas, each pixel a scale-by-scale
// square (no smoothing, so the page shows the program's pixels exactly).
EM_JS(void, DrawFrame, (const uint8_t* rgba, int width, int height), {
  var frame = Module.terravueFrame;
  var canvas = Module.terravueCanvas;
  var pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
  frame.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(pixels), width, height), 0, 0);
  var context = canvas.getContext('2d');
  context.imageSmoothingEnabled = false;
  context.drawImage(frame, 0, 0, canvas.width, canvas.height);
  Module.terravuePresents += 1;
  Module.terravueLastPresent = performance.now();
  if (Module.onTerravuePresent) Module.onTerravuePresent();
});

EM_JS(void, CanvasOrigin, (const char* selector, double* left, double* top), {
  var rect = document.querySelector(UTF8ToString(selector)).getBoundingClientRect();
  HEAPF64[left >> 3] = rect.left;
  HEAPF64[top >> 3] = rect.top;
});

EM_ASYNC_JS(int, MountStorage, (const char* path), {
  var folder = UTF8ToString(path);
  try {
    FS.mkdirTree(folder);
  } catch (e) {
  }
  if (typeof indexedDB === 'undefined') return 0;
  FS.mount(IDBFS, {}, folder);
  return await new Promise(function(resolve) {
    FS.syncfs(true, function(error) {
      if (error) console.warn('terravue: cannot load the saved files', error);
      resolve(error ? 0 : 1);
    });
  });
});

// Saves to IndexedDB; a save asked for while one runs follows it.
EM_JS(void, SaveStorage, (), {
  if (typeof indexedDB === 'undefined') return;
  if (Module.terravueSaving) {
    Module.terravueSaveAgain = true;
    return;
  }
  Module.terravueSaving = true;
  var save = function() {
    Module.terravueSaveAgain = false;
    FS.syncfs(false, function(error) {
      if (error) console.warn('terravue: cannot save the files', error);
      if (Module.terravueSaveAgain) {
        save();
        return;
      }
      Module.terravueSaving = false;
      Module.terravueSaved = (Module.terravueSaved || 0) + 1;
    });
  };
  save();
});

EM_JS(char*, PageQueryText, (), {
  var text = (typeof location === "undefined") ? "" : location.search;
  var size = lengthBytesUTF8(text) + 1;
  var out = _malloc(size);
  stringToUTF8(text, out, size);
  return out;
});

EM_JS(void, ShowMessage, (const char* text), {
  var message = UTF8ToString(text);
  console.error(message);
  if (typeof document === 'undefined') return;
  var status = document.getElementById('status');
  if (status) status.textContent = message;
});

Html5Backend* Self(void* user_data) { return static_cast<Html5Backend*>(user_data); }

EM_BOOL OnMouse(int type, const EmscriptenMouseEvent* e, void* user_data) {
  Html5Backend& self = *Self(user_data);
  if (e->button != 0 && type != EMSCRIPTEN_EVENT_MOUSEMOVE) return EM_FALSE;
  const gfx::Point at = self.ToStylus(e->clientX, e->clientY);
  switch (type) {
    case EMSCRIPTEN_EVENT_MOUSEDOWN:
      self.SetPenDown(true);
      self.Push(ui::Event::Pen(ui::Event::Type::kPenDown, at));
      return EM_TRUE;
    case EMSCRIPTEN_EVENT_MOUSEMOVE:
      if (!self.PenDown()) return EM_FALSE;
      self.Push(ui::Event::Pen(ui::Event::Type::kPenMove, at));
      return EM_TRUE;
    case EMSCRIPTEN_EVENT_MOUSEUP:
      if (!self.PenDown()) return EM_FALSE;
      self.SetPenDown(false);
      self.Push(ui::Event::Pen(ui::Event::Type::kPenUp, at));
      return EM_TRUE;
    default:
      return EM_FALSE;
  }
}

// The first finger on the screen is the stylus.
EM_BOOL OnTouch(int type, const EmscriptenTouchEvent* e, void* user_data) {
  Html5Backend& self = *Self(user_data);
  if (e->numTouches < 1) return EM_FALSE;
  const EmscriptenTouchPoint& touch = e->touches[0];
  const gfx::Point at = self.ToStylus(touch.clientX, touch.clientY);
  switch (type) {
    case EMSCRIPTEN_EVENT_TOUCHSTART:
      if (self.PenDown()) return EM_TRUE;
      self.SetPenDown(true);
      self.Push(ui::Event::Pen(ui::Event::Type::kPenDown, at));
      return EM_TRUE;
    case EMSCRIPTEN_EVENT_TOUCHMOVE:
      if (!self.PenDown()) return EM_FALSE;
      self.Push(ui::Event::Pen(ui::Event::Type::kPenMove, at));
      return EM_TRUE;
    case EMSCRIPTEN_EVENT_TOUCHEND:
    case EMSCRIPTEN_EVENT_TOUCHCANCEL:
      if (!self.PenDown()) return EM_FALSE;
      self.SetPenDown(false);
      self.Push(ui::Event::Pen(ui::Event::Type::kPenUp, at));
      return EM_TRUE;
    default:
      return EM_FALSE;
  }
}

// The wheel scrolls what lies under the pointer, a notch at a time.
EM_BOOL OnWheel(int type, const EmscriptenWheelEvent* e, void* user_data) {
  (void)type;
  if (e->deltaY == 0) return EM_FALSE;
  Html5Backend& self = *Self(user_data);
  const gfx::Point at = self.ToStylus(e->mouse.clientX, e->mouse.clientY);
  self.Push(ui::Event::Wheel(at, e->deltaY > 0 ? 1 : -1));
  return EM_TRUE;  // the page itself must not scroll
}

// The same keys as the window's: the handheld's buttons and navigation.
ui::Key KeyFor(const EmscriptenKeyboardEvent& e) {
  const std::string_view key = e.key;
  if (key == "Escape") return ui::Key::kEscape;
  if (key == "Enter") return ui::Key::kReturn;
  if (key == "ArrowUp") return ui::Key::kUp;
  if (key == "ArrowDown") return ui::Key::kDown;
  if (key == "ArrowLeft") return e.ctrlKey ? ui::Key::kCtrlLeft : ui::Key::kLeft;
  if (key == "ArrowRight") return e.ctrlKey ? ui::Key::kCtrlRight : ui::Key::kRight;
  if (key == "F10") return ui::Key::kF10;
  if (key == "Alt") return ui::Key::kAlt;
  if (key == "Tab") return e.shiftKey ? ui::Key::kBackTab : ui::Key::kTab;
  if (key == "PageUp") return ui::Key::kPageUp;
  if (key == "PageDown") return ui::Key::kPageDown;
  if (key == "Home") return ui::Key::kHome;
  if (key == "End") return ui::Key::kEnd;
  if (key == " ") return ui::Key::kSpace;
  return ui::Key::kNone;
}

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* e, void* user_data) {
  if (type != EMSCRIPTEN_EVENT_KEYDOWN || e->metaKey) return EM_FALSE;
  const ui::Key key = KeyFor(*e);
  // Ctrl goes only with the word moves, Alt only alone; other chords are
  // the browser's.
  const bool word_move = key == ui::Key::kCtrlLeft || key == ui::Key::kCtrlRight;
  if ((e->ctrlKey && !word_move) || (e->altKey && key != ui::Key::kAlt)) return EM_FALSE;
  if (key != ui::Key::kNone) {
    Self(user_data)->Push(ui::Event::KeyPress(key));
    // A space is a key and a typed character both, as in the window.
    if (key == ui::Key::kSpace) Self(user_data)->Push(ui::Event::Text(u" "));
    return EM_TRUE;  // the page must not scroll or move the focus
  }
  // A key that types one character names it; longer names ("Shift",
  // "Backspace") are keys that type nothing.
  const std::string_view name = e->key;
  size_t pos = 0;
  char32_t code_point = 0;
  if (name.empty() || !DecodeUtf8(name, pos, code_point) || pos != name.size()) return EM_FALSE;
  Self(user_data)->Push(ui::Event::Text(Utf8ToUtf16(name)));
  return EM_TRUE;
}

}  // namespace

// Without ?scale= the page shows the display at the largest whole scale that
// fits the browser window, as the native window does with the screen.
Html5Backend::Html5Backend(std::string canvas, int scale)
    : canvas_(std::move(canvas)),
      scale_(scale > 0 ? scale
                       : FitScale(BrowserWindowWidth(), BrowserWindowHeight(), kPageFrameWidth,
                                  kPageFrameHeight)) {
  SetUpCanvas(canvas_.c_str(), ui::kDisplayWidth, ui::kDisplayHeight, scale_);
  const char* target = canvas_.c_str();
  emscripten_set_mousedown_callback(target, this, EM_TRUE, OnMouse);
  // Moves and the release are followed outside the canvas too, so a stroke
  // that leaves it still ends.
  emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, this, EM_TRUE, OnMouse);
  emscripten_set_mouseup_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, this, EM_TRUE, OnMouse);
  emscripten_set_touchstart_callback(target, this, EM_TRUE, OnTouch);
  emscripten_set_touchmove_callback(target, this, EM_TRUE, OnTouch);
  emscripten_set_touchend_callback(target, this, EM_TRUE, OnTouch);
  emscripten_set_touchcancel_callback(target, this, EM_TRUE, OnTouch);
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_TRUE, OnKey);
  emscripten_set_wheel_callback(target, this, EM_TRUE, OnWheel);
}

Html5Backend::~Html5Backend() {
  const char* target = canvas_.c_str();
  emscripten_set_mousedown_callback(target, nullptr, EM_TRUE, nullptr);
  emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE, nullptr);
  emscripten_set_mouseup_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE, nullptr);
  emscripten_set_touchstart_callback(target, nullptr, EM_TRUE, nullptr);
  emscripten_set_touchmove_callback(target, nullptr, EM_TRUE, nullptr);
  emscripten_set_touchend_callback(target, nullptr, EM_TRUE, nullptr);
  emscripten_set_touchcancel_callback(target, nullptr, EM_TRUE, nullptr);
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, nullptr);
  emscripten_set_wheel_callback(target, nullptr, EM_TRUE, nullptr);
}

void Html5Backend::Push(ui::Event event) {
  queue_.push_back(std::move(event));
  WakeProgram();
}

gfx::Point Html5Backend::ToStylus(double client_x, double client_y) const {
  double left = 0;
  double top = 0;
  CanvasOrigin(canvas_.c_str(), &left, &top);
  return {static_cast<int>(std::floor((client_x - left) / scale_)),
          static_cast<int>(std::floor((client_y - top) / scale_))};
}

ui::Event Html5Backend::WaitEvent() {
  ShowFrame();
  while (queue_.empty()) WaitForPageInput(-1);
  last_yield_ms_ = emscripten_get_now();
  ui::Event event = std::move(queue_.front());
  queue_.pop_front();
  return event;
}

bool Html5Backend::WaitEventUntil(std::chrono::milliseconds deadline, ui::Event& event) {
  ShowFrame();
  for (;;) {
    if (!queue_.empty()) break;
    const auto left = (deadline - Now()).count();
    if (left <= 0) return false;
    WaitForPageInput(static_cast<double>(left));
  }
  last_yield_ms_ = emscripten_get_now();
  event = std::move(queue_.front());
  queue_.pop_front();
  return true;
}

bool Html5Backend::PollEvent(ui::Event& event) {
  YieldIfDue();
  if (queue_.empty()) return false;
  event = std::move(queue_.front());
  queue_.pop_front();
  return true;
}

void Html5Backend::YieldIfDue() {
  const double now = emscripten_get_now();
  if (now - last_yield_ms_ < kYieldIntervalMs) return;
  ShowFrame();
  emscripten_sleep(0);
  last_yield_ms_ = emscripten_get_now();
}

void Html5Backend::Present(const gfx::Bitmap& frame) {
  frame_ = frame;
  frame_pending_ = true;
  // The page shows a frame only when the browser runs, so it is put on the
  // canvas then: before waiting for input, or when long work lets the
  // browser run.
  YieldIfDue();
}

void Html5Backend::ShowFrame() {
  if (!frame_pending_) return;
  frame_pending_ = false;
  rgba_.resize(static_cast<size_t>(frame_.Width()) * frame_.Height() * 4);
  uint8_t* out = rgba_.data();
  for (int y = 0; y < frame_.Height(); ++y) {
    for (int x = 0; x < frame_.Width(); ++x) {
      const gfx::Color c = frame_.Load(x, y);
      *out++ = c.r;
      *out++ = c.g;
      *out++ = c.b;
      *out++ = 255;
    }
  }
  DrawFrame(rgba_.data(), frame_.Width(), frame_.Height());
}

namespace {

// What the files under the folder are now: names, sizes and times.
std::string FolderSignature(const std::string& path) {
  std::string signature;
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(path, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code entry_ec;
    if (!it->is_regular_file(entry_ec)) continue;
    const auto size = it->file_size(entry_ec);
    const auto time = it->last_write_time(entry_ec).time_since_epoch().count();
    signature += it->path().string();
    signature += '\t' + std::to_string(static_cast<unsigned long long>(size)) + '\t' +
                 std::to_string(static_cast<long long>(time)) + '\n';
  }
  return signature;
}

// What the browser's storage holds, as FolderSignature sees it.
std::string& SavedSignature() {
  static std::string saved;
  return saved;
}

}  // namespace

bool MountDeviceStorage(const std::string& path) {
  if (MountStorage(path.c_str()) == 0) return false;
  // What was just loaded is what the storage holds: a later visit that
  // changes nothing writes nothing back.
  SavedSignature() = FolderSignature(path);
  return true;
}

void SaveDeviceStorage(const std::string& path) {
  std::string now = FolderSignature(path);
  if (now == SavedSignature()) return;
  SavedSignature() = std::move(now);
  SaveStorage();
}

std::string PageQuery() {
  char* text = PageQueryText();
  std::string query(text);
  std::free(text);
  return query;
}

void ShowPageMessage(const std::string& text) { ShowMessage(text.c_str()); }

}  // namespace tv::backend
