#pragma once

#include <optional>
#include <string>
#include <vector>

namespace terravue {

struct Options {
  bool help = false;
  bool version = false;
  bool headless = false;
  std::string script;       // "-" for standard input
  std::string device_root;  // empty: the environment or the default
  int display_depth = 16;
  int scale = 2;
};

// Parses the command line (without the program name). On a bad option
// returns nothing and says why in `error`.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

// The text --help prints.
std::string UsageText();

}  // namespace terravue
