#include "platform/backend/script.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdlib>

#include "platform/base/utf.h"

namespace tv::backend {
namespace {

// Splits a line into words; a word in double quotes may hold spaces, and \"
// and \\ escape inside it. Returns false on an unterminated quote.
bool SplitWords(std::string_view text, std::vector<std::string>& words,
                std::vector<bool>& quoted) {
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i >= text.size() || text[i] == '#') break;
    std::string word;
    if (text[i] == '"') {
      ++i;
      bool closed = false;
      while (i < text.size()) {
        if (text[i] == '\\' && i + 1 < text.size()) {
          word += text[i + 1];
          i += 2;
        } else if (text[i] == '"') {
          closed = true;
          ++i;
          break;
        } else {
          word += text[i++];
        }
      }
      if (!closed) return false;
      words.push_back(word);
      quoted.push_back(true);
    } else {
      while (i < text.size() && text[i] != ' ' && text[i] != '\t') word += text[i++];
      words.push_back(word);
      quoted.push_back(false);
    }
  }
  return true;
}

std::optional<int> ParseInt(std::string_view s) {
  int value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<ui::Key> KeyFromName(std::string_view name) {
  static constexpr std::pair<std::string_view, ui::Key> kKeys[] = {
      {"Escape", ui::Key::kEscape}, {"Return", ui::Key::kReturn},
      {"Up", ui::Key::kUp},         {"Down", ui::Key::kDown},
      {"Left", ui::Key::kLeft},     {"Right", ui::Key::kRight},
      {"Tab", ui::Key::kTab},       {"PageUp", ui::Key::kPageUp},
      {"PageDown", ui::Key::kPageDown}, {"Home", ui::Key::kHome},
      {"End", ui::Key::kEnd},       {"BackTab", ui::Key::kBackTab},
      {"Space", ui::Key::kSpace},
  };
  for (const auto& [key_name, key] : kKeys) {
    if (key_name == name) return key;
  }
  return std::nullopt;
}

std::optional<ScriptCommand> ParseScriptLine(const std::string& text, int line,
                                             std::string& error) {
  std::vector<std::string> words;
  std::vector<bool> quoted;
  if (!SplitWords(text, words, quoted)) {
    error = "unterminated quote";
    return std::nullopt;
  }
  if (words.empty()) return std::nullopt;
  ScriptCommand command{};
  command.line = line;
  const std::string& verb = words[0];
  const size_t args = words.size() - 1;
  auto expect = [&](size_t n, const char* usage) {
    if (args != n) error = std::string("usage: ") + usage;
    return args == n;
  };
  if (verb == "tap" || verb == "down" || verb == "move" || verb == "up") {
    if (!expect(2, (verb + " X Y").c_str())) return std::nullopt;
    // Far beyond the screen either way, yet far from overflowing when a
    // window's origin is added.
    constexpr int kMaxCoordinate = 10000;
    const auto x = ParseInt(words[1]);
    const auto y = ParseInt(words[2]);
    auto sane = [](std::optional<int> v) {
      return v && *v >= -kMaxCoordinate && *v <= kMaxCoordinate;
    };
    if (!sane(x) || !sane(y)) {
      error = "coordinates must be whole numbers from -10000 to 10000";
      return std::nullopt;
    }
    command.type = verb == "tap"    ? ScriptCommand::Type::kTap
                   : verb == "down" ? ScriptCommand::Type::kDown
                   : verb == "move" ? ScriptCommand::Type::kMove
                                    : ScriptCommand::Type::kUp;
    command.point = {*x, *y};
    return command;
  }
  if (verb == "press") {
    if (!expect(1, "press ID|ok")) return std::nullopt;
    if (words[1] != "ok" && !ParseInt(words[1])) {
      error = "press needs a control id or ok";
      return std::nullopt;
    }
    command.type = ScriptCommand::Type::kPress;
    command.target = words[1];
    return command;
  }
  if (verb == "choose") {
    if (!expect(2, "choose ID N|\"text\"")) return std::nullopt;
    const auto id = ParseInt(words[1]);
    if (!id) {
      error = "choose needs a control id";
      return std::nullopt;
    }
    command.type = ScriptCommand::Type::kChoose;
    command.control = *id;
    if (quoted[2]) {
      command.item = Utf8ToUtf16(words[2]);
    } else if (const auto index = ParseInt(words[2])) {
      command.item = *index;
    } else {
      error = "choose needs an item number or a quoted text";
      return std::nullopt;
    }
    return command;
  }
  if (verb == "key") {
    if (!expect(1, "key NAME")) return std::nullopt;
    const auto key = KeyFromName(words[1]);
    if (!key) {
      error = "unknown key " + words[1];
      return std::nullopt;
    }
    command.type = ScriptCommand::Type::kKey;
    command.key = *key;
    return command;
  }
  if (verb == "screenshot") {
    if (!expect(1, "screenshot FILE")) return std::nullopt;
    command.type = ScriptCommand::Type::kScreenshot;
    command.path = words[1];
    return command;
  }
  if (verb == "frame") {
    if (!expect(2, "frame N FILE")) return std::nullopt;
    const auto n = ParseInt(words[1]);
    if (!n || *n < 1) {
      error = "frame needs a frame number from 1";
      return std::nullopt;
    }
    command.type = ScriptCommand::Type::kFrame;
    command.frame = *n;
    command.path = words[2];
    return command;
  }
  if (verb == "open") {
    if (args != 1 && args != 2) {
      error = "usage: open SCREEN [INPUT]";
      return std::nullopt;
    }
    command.type = ScriptCommand::Type::kOpen;
    command.screen = words[1];
    if (args == 2) command.input = Utf8ToUtf16(words[2]);
    return command;
  }
  if (verb == "wait") {
    if (!expect(1, "wait SECONDS")) return std::nullopt;
    // Seconds may have a fraction; the clock moves in whole milliseconds.
    char* end = nullptr;
    const double seconds = std::strtod(words[1].c_str(), &end);
    if (words[1].empty() || *end != '\0' || !std::isfinite(seconds) || seconds < 0 ||
        seconds > 86400.0 * 366) {
      error = "wait needs a number of seconds from 0 to a year";
      return std::nullopt;
    }
    command.type = ScriptCommand::Type::kWait;
    command.wait = std::chrono::milliseconds(std::llround(seconds * 1000));
    return command;
  }
  if (verb == "dump") {
    if (!expect(0, "dump")) return std::nullopt;
    command.type = ScriptCommand::Type::kDump;
    return command;
  }
  error = "unknown command " + verb;
  return std::nullopt;
}

}  // namespace tv::backend
