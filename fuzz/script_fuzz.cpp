// Feeds arbitrary bytes to the script reader. Each line either gives a
// command, or nothing (blank, comment), or an error, never a command and an
// error at once; a command written back as a script line reads back as the
// same command. Then the whole input runs through the headless backend's
// reader, which must come to an end.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "platform/backend/headless_backend.h"
#include "platform/backend/script.h"
#include "platform/base/utf.h"

namespace {

using tv::backend::ScriptCommand;

[[noreturn]] void Fail(const char* what, const std::string& line) {
  std::fprintf(stderr, "script reader invariant broken: %s\nline: %s\n", what, line.c_str());
  std::abort();
}

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

const char* KeyName(tv::ui::Key key) {
  for (const char* name : {"Escape", "Return", "Up", "Down", "Left", "Right", "Tab", "PageUp",
                           "PageDown", "Home", "End", "BackTab", "Space"}) {
    if (tv::backend::KeyFromName(name) == key) return name;
  }
  return nullptr;
}

// The command as a script line; nothing for a command whose words cannot be
// written back unquoted (a path or screen name with a space, a quote or a
// '#' reads differently).
std::optional<std::string> Write(const ScriptCommand& c) {
  using Type = ScriptCommand::Type;
  auto bare = [](const std::string& word) {
    return !word.empty() && word.find_first_of(" \t\"#") == std::string::npos;
  };
  const std::string point = std::to_string(c.point.x) + " " + std::to_string(c.point.y);
  switch (c.type) {
    case Type::kTap: return "tap " + point;
    case Type::kDown: return "down " + point;
    case Type::kMove: return "move " + point;
    case Type::kUp: return "up " + point;
    case Type::kPress: return "press " + c.target;
    case Type::kChoose:
      if (std::holds_alternative<int>(c.item)) {
        return "choose " + std::to_string(c.control) + " " + std::to_string(std::get<int>(c.item));
      }
      return "choose " + std::to_string(c.control) + " " +
             Quote(tv::Utf16ToUtf8(std::get<std::u16string>(c.item)));
    case Type::kKey: {
      const char* name = KeyName(c.key);
      if (name == nullptr) return std::nullopt;
      return std::string("key ") + name;
    }
    case Type::kScreenshot:
      if (!bare(c.path)) return std::nullopt;
      return "screenshot " + c.path;
    case Type::kDump: return std::string("dump");
    case Type::kFrame:
      if (!bare(c.path)) return std::nullopt;
      return "frame " + std::to_string(c.frame) + " " + c.path;
    case Type::kWait: {
      const long long ms = c.wait.count();
      std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
      return "wait " + std::to_string(ms / 1000) + "." + fraction;
    }
    case Type::kOpen:
      if (!bare(c.screen)) return std::nullopt;
      return "open " + c.screen + (c.input ? " " + Quote(tv::Utf16ToUtf8(*c.input)) : "");
  }
  return std::nullopt;
}

bool Same(const ScriptCommand& a, const ScriptCommand& b) {
  return a.type == b.type && a.point.x == b.point.x && a.point.y == b.point.y &&
         a.target == b.target && a.control == b.control && a.item == b.item && a.key == b.key &&
         a.path == b.path && a.frame == b.frame && a.screen == b.screen && a.input == b.input &&
         a.wait == b.wait;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    std::string error;
    const std::optional<ScriptCommand> command =
        tv::backend::ParseScriptLine(line, number, error);
    if (command && !error.empty()) Fail("a command and an error at once", line);
    if (!command) continue;
    if (command->line != number) Fail("the command names another line", line);
    const std::optional<std::string> written = Write(*command);
    if (!written) continue;
    std::string again_error;
    const std::optional<ScriptCommand> again =
        tv::backend::ParseScriptLine(*written, number, again_error);
    if (!again) Fail(("a command written back does not read: " + *written).c_str(), line);
    if (!Same(*command, *again)) {
      Fail(("a command written back reads differently: " + *written).c_str(), line);
    }
  }

  // The backend reads the same text line by line: every line is taken or
  // refused and the reader ends, without running the commands.
  tv::backend::HeadlessBackend backend(std::make_unique<std::istringstream>(text), "fuzz");
  for (size_t events = 0;; ++events) {
    if (events > size + 2) Fail("the reader does not come to an end", "");
    if (backend.WaitEvent().type == tv::ui::Event::Type::kQuit) break;
  }
  backend.ReportCommandsLeft();
  return 0;
}
