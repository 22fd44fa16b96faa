#include "screens/navigator.h"

#include <charconv>

#include "platform/base/check.h"
#include "platform/base/utf.h"

namespace terravue {
namespace {

Navigator* installed = nullptr;

// A region number 0 to 6 written in decimal digits.
std::optional<int> ParseRegion(const std::u16string& text) {
  const std::string digits = tv::Utf16ToUtf8(text);
  int region = -1;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), region);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  if (region < 0 || region > 6) return std::nullopt;
  return region;
}

}  // namespace

Navigator& GetNavigator() {
  TV_CHECK(installed != nullptr);
  return *installed;
}

Navigator* SetNavigator(Navigator* navigator) {
  Navigator* previous = installed;
  installed = navigator;
  return previous;
}

bool OpenScreenByName(Navigator& navigator, std::string_view screen,
                      const std::optional<std::u16string>& input, std::string& error) {
  enum class Input { kNone, kText, kRegion };
  struct Entry {
    std::string_view name;
    Input input;
  };
  static constexpr Entry kScreens[] = {
      {"country-info", Input::kText},    {"country-map", Input::kText},
      {"continent-map", Input::kRegion}, {"reference-map", Input::kRegion},
      {"compare", Input::kNone},         {"world-facts", Input::kNone},
      {"day-night", Input::kNone},       {"help", Input::kText},
  };
  const Entry* entry = nullptr;
  for (const Entry& e : kScreens) {
    if (e.name == screen) entry = &e;
  }
  if (entry == nullptr) {
    error = "unknown screen " + std::string(screen) +
            " (country-info, country-map, continent-map, reference-map, compare, world-facts, "
            "day-night, help)";
    return false;
  }
  if (entry->input == Input::kNone && input) {
    error = std::string(screen) + " takes no input";
    return false;
  }
  if (entry->input != Input::kNone && !input) {
    error = std::string(screen) +
            (entry->input == Input::kRegion ? " needs a region number 0 to 6"
                                            : " needs a quoted text");
    return false;
  }
  std::optional<int> region;
  if (entry->input == Input::kRegion) {
    region = ParseRegion(*input);
    if (!region) {
      error = std::string(screen) + " needs a region number 0 to 6";
      return false;
    }
  }
  if (screen == "country-info") navigator.OpenCountryInfo(*input);
  if (screen == "country-map") navigator.OpenCountryMap(*input);
  if (screen == "continent-map") navigator.OpenContinentMap(*region);
  if (screen == "reference-map") navigator.OpenReferenceMap(*region);
  if (screen == "compare") navigator.OpenCompare();
  if (screen == "world-facts") navigator.OpenQuickFacts();
  if (screen == "day-night") navigator.OpenDayNight();
  if (screen == "help") navigator.OpenHelp(*input);
  return true;
}

}  // namespace terravue
