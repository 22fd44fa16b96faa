#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/gfx/geometry.h"
#include "platform/ui/event.h"

namespace tv::backend {

// One parsed line of an automation script.
struct ScriptCommand {
  enum class Type { kTap, kDown, kMove, kUp, kPress, kChoose, kKey, kScreenshot, kDump };
  Type type;
  int line = 0;
  gfx::Point point;                       // tap, down, move, up
  std::string target;                     // press: an id or "ok"
  int control = 0;                        // choose
  std::variant<int, std::u16string> item; // choose: index or text
  ui::Key key = ui::Key::kNone;           // key
  std::string path;                       // screenshot
};

// Parses one line. Blank lines and comments give nothing; a malformed line
// sets `error` and gives nothing.
std::optional<ScriptCommand> ParseScriptLine(const std::string& text, int line,
                                             std::string& error);

// The key for a name such as "Escape" or "PageDown".
std::optional<ui::Key> KeyFromName(std::string_view name);

}  // namespace tv::backend
