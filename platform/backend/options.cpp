#include "platform/backend/options.h"

#include "platform/clock/clock.h"
#include "platform/ui/desktop.h"

#include <algorithm>
#include <charconv>

namespace tv::backend {
namespace {

std::optional<int> ParseInt(const std::string& s) {
  int value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

// Decodes %XX escapes and '+' (a space in a form's query); nothing when an
// escape is malformed.
std::optional<std::string> DecodeQueryPart(std::string_view part) {
  std::string out;
  for (size_t i = 0; i < part.size(); ++i) {
    const char c = part[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%') {
      if (i + 2 >= part.size()) return std::nullopt;
      unsigned value = 0;
      const auto [end, ec] = std::from_chars(part.data() + i + 1, part.data() + i + 3, value, 16);
      if (ec != std::errc() || end != part.data() + i + 3) return std::nullopt;
      out += static_cast<char>(value);
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::optional<std::vector<std::string>> ArgumentsFromPageQuery(std::string_view query,
                                                                std::string& error) {
  if (!query.empty() && query.front() == '?') query.remove_prefix(1);
  std::vector<std::string> args;
  while (!query.empty()) {
    const size_t amp = query.find('&');
    const std::string_view item = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    if (item.empty()) continue;
    const size_t eq = item.find('=');
    const auto name = DecodeQueryPart(item.substr(0, eq));
    const auto value = eq == std::string_view::npos
                           ? std::optional<std::string>(std::string())
                           : DecodeQueryPart(item.substr(eq + 1));
    if (!name || !value) {
      error = "malformed address option " + std::string(item);
      return std::nullopt;
    }
    std::string option;
    if (*name == "scale") {
      option = "--scale";
    } else if (*name == "depth" || *name == "display-depth") {
      option = "--display-depth";
    } else if (*name == "clock") {
      option = "--clock";
    } else {
      error = "unknown address option " + *name;
      return std::nullopt;
    }
    if (value->empty()) {
      error = "address option " + *name + " needs a value";
      return std::nullopt;
    }
    args.push_back(option);
    args.push_back(*value);
  }
  return args;
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
  Options options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string text;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--headless") {
      options.headless = true;
    } else if (arg == "--script") {
      if (!value(options.script)) return std::nullopt;
      if (options.script.empty()) {
        error = "--script needs a file name";
        return std::nullopt;
      }
    } else if (arg == "--device-root") {
      if (!value(options.device_root)) return std::nullopt;
      if (options.device_root.empty()) {
        error = "--device-root needs a folder";
        return std::nullopt;
      }
    } else if (arg == "--display-depth") {
      if (!value(text)) return std::nullopt;
      const auto depth = ParseInt(text);
      if (!depth || (*depth != 16 && *depth != 24)) {
        error = "--display-depth must be 16 or 24";
        return std::nullopt;
      }
      options.display_depth = *depth;
    } else if (arg == "--clock") {
      if (!value(options.clock)) return std::nullopt;
      if (!tv::clock::ParseIsoUtc(options.clock)) {
        error = "--clock needs a UTC time from the years " +
                std::to_string(tv::clock::kFirstClockYear) + " to " +
                std::to_string(tv::clock::kLastClockYear) + ", such as 2027-03-04T21:05:00Z";
        return std::nullopt;
      }
    } else if (arg == "--scale") {
      if (!value(text)) return std::nullopt;
      const auto scale = ParseInt(text);
      if (!scale || *scale < kMinScale || *scale > kMaxScale) {
        error = "--scale must be a whole number from 1 to 8";
        return std::nullopt;
      }
      options.scale = *scale;
    } else {
      error = "unknown option " + arg;
      return std::nullopt;
    }
  }
  if (options.help || options.version) return options;
  if (options.headless && options.script.empty()) {
    error = "--headless needs --script FILE";
    return std::nullopt;
  }
  if (!options.headless && !options.script.empty()) {
    error = "--script works only with --headless";
    return std::nullopt;
  }
  return options;
}

int FitScale(int usable_width, int usable_height, int frame_width, int frame_height) {
  const int by_width = (usable_width - frame_width) / ui::kDisplayWidth;
  const int by_height = (usable_height - frame_height) / ui::kDisplayHeight;
  return std::clamp(std::min(by_width, by_height), kMinScale, kMaxScale);
}

std::string UsageText(std::string_view name, std::string_view description,
                      std::string_view screens, std::string_view own_options) {
  const std::string n(name);
  std::string text =
      "Usage: " + n + " [OPTIONS]\n" + std::string(description) + "\n" +
      "\n"
      "Options:\n"
      "  --scale N              show the screen N times enlarged (1 to 8; default the\n"
      "                         largest that fits the screen; Ctrl+plus and Ctrl+minus\n"
      "                         change it in the window)\n"
      "  --display-depth 16|24  keep the display in 16-bit (default) or 24-bit colour\n"
      "  --device-root DIR      the folder that stands for the handheld's storage\n"
      "                         (default $TERRAVUE_DEVICE_ROOT, else\n"
      "                         $XDG_DATA_HOME/terravue)\n"
      "  --clock TIME           fix the clock at a UTC time, e.g. 2027-03-04T21:05:00Z\n"
      "                         (local time follows TZ)\n"
      "  --headless             run without a window; needs --script\n"
      "  --script FILE          read script commands from FILE ('-' for standard input)\n"
      "  --version              print the version and exit\n"
      "  -h, --help             print this help and exit\n" +
      std::string(own_options) +
      "\n"
      "Script commands, one a line ('#' starts a comment); X Y are pixels of the top\n"
      "window's client area:\n"
      "  tap X Y, down X Y, move X Y, up X Y\n"
      "                         stylus input\n"
      "  press ID, press ok     press button or command ID of the top window, or its OK\n"
      "  choose ID N            pick item N of combo box or list box ID\n"
      "  choose ID \"TEXT\"       pick the first item with that text\n"
      "  key NAME               Escape, Return, Space, Up, Down, Left, Right, Tab,\n"
      "                         BackTab, PageUp, PageDown, Home, End\n";
  if (!screens.empty()) {
    text +=
        "  open SCREEN [INPUT]    open a screen on top, as its openers do; the script goes\n"
        "                         on inside it. SCREEN is one of:\n" +
        std::string(screens);
  }
  text +=
      "  screenshot FILE        write the 240x320 display as PNG\n"
      "  dump                   print the window stack as one line of JSON\n"
      "  frame N FILE           write the Nth frame presented since the start as PNG;\n"
      "                         frame lines at the head of a script are taken before\n"
      "                         the program starts (the first start's installation)\n"
      "\n"
      "Exit status: 0 when the program or script ends normally, 1 when it cannot\n"
      "start (no display, no place for the device's files), 2 for a bad option or\n"
      "a script line that is malformed or cannot apply.\n";
  return text;
}

}  // namespace tv::backend
