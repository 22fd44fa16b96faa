#pragma once

#include <optional>
#include <string_view>
#include <string>
#include <vector>

namespace tv::backend {

// The command line that every program of the platform accepts.
struct Options {
  bool help = false;
  bool version = false;
  bool headless = false;
  std::string script;       // "-" for standard input
  std::string device_root;  // empty: the environment or the default
  int display_depth = 16;
  int scale = 0;             // 0: the largest that fits the screen (FitScale)
  std::string clock;        // a fixed UTC instant, "2027-03-04T21:05:00Z"
};

inline constexpr int kMinScale = 1;
inline constexpr int kMaxScale = 8;

// The largest whole scale, kMinScale to kMaxScale, at which the 240x320
// display together with `frame` pixels around it (a window's borders and
// title bar, a page's margins) fits in `usable` pixels, the part of the
// screen windows may take; kMinScale when even that does not fit.
int FitScale(int usable_width, int usable_height, int frame_width = 0, int frame_height = 0);

// Turns a web page address's query ("?scale=3&depth=24&clock=...") into the
// command line's options ("--scale 3 --display-depth 24 --clock ...").
// Only the display's options can come from an address. On an unknown or
// malformed option returns nothing and says why in `error`.
std::optional<std::vector<std::string>> ArgumentsFromPageQuery(std::string_view query,
                                                                std::string& error);

// Parses the command line (without the program name). On a bad option
// returns nothing and says why in `error`.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

// The text --help prints for program `name` with its one-line description:
// the options and the script commands. `screens` lists what the script's open
// command accepts, one indented line each; empty for a program that opens no
// screens by name, whose help then leaves that command out. `own_options`
// lists options of the program's own, laid out as the others.
std::string UsageText(std::string_view name, std::string_view description,
                      std::string_view screens = {}, std::string_view own_options = {});

}  // namespace tv::backend
