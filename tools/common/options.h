#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace terravue::tools {

// One "--name VALUE" option of a builder's command line and where its value
// goes. A required option left out makes the command line wrong.
struct Option {
  std::string_view name;
  std::variant<std::string*, std::filesystem::path*, int*> target;
  bool required = false;
};

// Reads a builder's command line, which is a series of "--name VALUE" pairs.
// Returns false for an unknown name, a name without its value, a number that
// does not read as one or a missing required option.
[[nodiscard]] bool ParseOptions(int argc, char** argv, std::initializer_list<Option> options);

// Prints "usage: " and the builder's usage line to standard error and returns
// the exit status of a wrong command line, 2.
int UsageError(std::string_view usage);

}  // namespace terravue::tools
