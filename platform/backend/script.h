#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/gfx/geometry.h"
#include "platform/ui/event.h"

namespace tv::backend {

// One parsed line of an automation script.
struct ScriptCommand {
  enum class Type {
    kTap, kDown, kMove, kUp, kPress, kChoose, kKey, kScreenshot, kDump, kOpen, kFrame, kWait
  };
  Type type;
  int line = 0;
  gfx::Point point;                       // tap, down, move, up
  std::string target;                     // press: an id or "ok"
  int control = 0;                        // choose
  std::variant<int, std::u16string> item; // choose: index or text
  ui::Key key = ui::Key::kNone;           // key
  std::string path;                       // screenshot, frame
  int frame = 0;                          // frame: which presented frame, from 1
  std::string screen;                     // open: the screen's name
  std::optional<std::u16string> input;    // open: its input, if given
  std::chrono::milliseconds wait{0};      // wait: how long
};

// Opens a screen by the name a script gives it, with its input; returns
// false with `error` set when it cannot (unknown screen, bad input).
using OpenScreenHandler = std::function<bool(
    std::string_view screen, const std::optional<std::u16string>& input, std::string& error)>;

// Parses one line. Blank lines and comments give nothing; a malformed line
// sets `error` and gives nothing.
std::optional<ScriptCommand> ParseScriptLine(const std::string& text, int line,
                                             std::string& error);

// The key for a name such as "Escape" or "PageDown".
std::optional<ui::Key> KeyFromName(std::string_view name);

}  // namespace tv::backend
