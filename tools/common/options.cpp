#include "tools/common/options.h"

#include <charconv>
#include <cstdio>
#include <set>

namespace terravue::tools {

namespace {

bool Store(std::string* target, std::string_view value) {
  target->assign(value);
  return true;
}

bool Store(std::filesystem::path* target, std::string_view value) {
  *target = std::filesystem::path(value);
  return true;
}

bool Store(int* target, std::string_view value) {
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), *target);
  return error == std::errc() && end == value.data() + value.size();
}

}  // namespace

bool ParseOptions(int argc, char** argv, std::initializer_list<Option> options) {
  std::set<std::string_view> given;
  for (int i = 1; i < argc; i += 2) {
    if (i + 1 >= argc) return false;
    const std::string_view name = argv[i];
    const std::string_view value = argv[i + 1];
    const Option* option = nullptr;
    for (const Option& candidate : options) {
      if (name == candidate.name) option = &candidate;
    }
    if (option == nullptr) return false;
    if (!std::visit([value](auto* target) { return Store(target, value); }, option->target)) {
      return false;
    }
    given.insert(option->name);
  }
  for (const Option& option : options) {
    if (option.required && given.count(option.name) == 0) return false;
  }
  return true;
}

int UsageError(std::string_view usage) {
  std::fprintf(stderr, "usage: %.*s\n", static_cast<int>(usage.size()), usage.data());
  return 2;
}

}  // namespace terravue::tools
