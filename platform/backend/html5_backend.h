#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/ui/backend.h"

namespace tv::backend {

// The display in a web page: the frame is drawn on the page's canvas at an
// integer scale, the mouse (or a finger) acts as the stylus with positions
// divided by the scale, and the keyboard as the handheld's keys. Waiting for
// input gives the browser back its thread (the program is built with
// emscripten's asyncify, so the blocking loops stay as they are).
class Html5Backend : public ui::Backend {
 public:
  // `canvas` is the canvas's CSS selector ("#canvas"); a `scale` of 0 picks
  // the largest that fits the browser window.
  Html5Backend(std::string canvas, int scale);
  ~Html5Backend() override;
  Html5Backend(const Html5Backend&) = delete;
  Html5Backend& operator=(const Html5Backend&) = delete;

  ui::Event WaitEvent() override;
  bool WaitEventUntil(std::chrono::milliseconds deadline, ui::Event& event) override;
  bool PollEvent(ui::Event& event) override;
  void Present(const gfx::Bitmap& frame) override;

  // Where the page's input goes; public for the C callbacks of html5.h.
  void Push(ui::Event event);
  bool PenDown() const { return pen_down_; }
  void SetPenDown(bool down) { pen_down_ = down; }
  // Converts a position in the page's viewport to display coordinates.
  gfx::Point ToStylus(double client_x, double client_y) const;

 private:
  // Lets the browser run (paint, handle input) when it has not for a while,
  // so that long work shows its progress.
  void YieldIfDue();
  // Puts the last frame presented on the page's canvas, if not yet there.
  void ShowFrame();

  std::string canvas_;
  int scale_;
  bool pen_down_ = false;
  std::deque<ui::Event> queue_;
  // The last frame presented, kept as it was until the browser shows it:
  // long work presents far more often than the browser gets to paint.
  gfx::Bitmap frame_;
  std::vector<uint8_t> rgba_;  // its pixels as the canvas takes them
  bool frame_pending_ = false;
  double last_yield_ms_ = 0;
};

// The browser's storage for the device root (IndexedDB through emscripten's
// IDBFS). Mounts it at `path` and loads what an earlier visit saved; returns
// false when the browser offers no such storage (the files then last only
// as long as the page).
bool MountDeviceStorage(const std::string& path);
// Writes the files under the mounted folder back to the browser's storage
// when they have changed since the last save. Cheap when nothing changed.
void SaveDeviceStorage(const std::string& path);

// The page address's query ("?scale=3&depth=24"), as typed.
std::string PageQuery();

// Shows a message on the page, for errors before the display exists.
void ShowPageMessage(const std::string& text);

}  // namespace tv::backend
