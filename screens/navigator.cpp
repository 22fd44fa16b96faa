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
    // Opens the screen with its text or its region, whichever it takes.
    void (*open)(Navigator& navigator, const std::u16string& text, int region);
  };
  static constexpr Entry kScreens[] = {
      {"country-info", Input::kText,
       [](Navigator& n, const std::u16string& text, int) { n.OpenCountryInfo(text); }},
      {"country-map", Input::kText,
       [](Navigator& n, const std::u16string& text, int) { n.OpenCountryMap(text); }},
      {"continent-map", Input::kRegion,
       [](Navigator& n, const std::u16string&, int region) { n.OpenContinentMap(region); }},
      {"reference-map", Input::kRegion,
       [](Navigator& n, const std::u16string&, int region) { n.OpenReferenceMap(region); }},
      {"compare", Input::kNone, [](Navigator& n, const std::u16string&, int) { n.OpenCompare(); }},
      {"world-facts", Input::kNone,
       [](Navigator& n, const std::u16string&, int) { n.OpenQuickFacts(); }},
      {"day-night", Input::kNone, [](Navigator& n, const std::u16string&, int) { n.OpenDayNight(); }},
      {"help", Input::kText,
       [](Navigator& n, const std::u16string& text, int) { n.OpenHelp(text); }},
  };
  const Entry* entry = nullptr;
  std::string names;
  for (const Entry& e : kScreens) {
    if (e.name == screen) entry = &e;
    names += (names.empty() ? "" : ", ") + std::string(e.name);
  }
  if (entry == nullptr) {
    error = "unknown screen " + std::string(screen) + " (" + names + ")";
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
  int region = 0;
  if (entry->input == Input::kRegion) {
    const std::optional<int> parsed = ParseRegion(*input);
    if (!parsed) {
      error = std::string(screen) + " needs a region number 0 to 6";
      return false;
    }
    region = *parsed;
  }
  entry->open(navigator, input.value_or(std::u16string()), region);
  return true;
}

}  // namespace terravue
