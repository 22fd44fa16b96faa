#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tv::ui {
class Dialog;
}

namespace terravue {

// The one way a screen opens another. Each Open* call constructs the screen
// with no parent, gives it its input, runs it modally and destroys it when it
// returns, so screens stack and closing one shows the one beneath. Screens
// know only this interface; the application installs the implementation that
// knows every screen, and tests install one that records the requests.
class Navigator {
 public:
  virtual ~Navigator() = default;

  virtual void OpenContinentMap(int region) = 0;
  virtual void OpenReferenceMap(int region) = 0;
  virtual void OpenCountryMap(std::u16string_view country) = 0;
  virtual void OpenCountryInfo(std::u16string_view country) = 0;
  virtual void OpenDayNight() = 0;
  virtual void OpenCompare() = 0;
  virtual void OpenQuickFacts() = 0;
  virtual void OpenHelp(std::u16string_view text) = 0;
  // Creates and shows the modeless installation screen, which imports the
  // databases once its first frame is shown and then closes itself. The caller keeps it
  // until the caller goes; null when it could not be made (the user has been
  // told).
  virtual std::unique_ptr<tv::ui::Dialog> ShowInstallScreen() = 0;
};

// The installed navigator. Opening a screen with none installed is a
// programming error.
Navigator& GetNavigator();
// Installs `navigator` (not owned; null uninstalls) and returns the one it
// replaces.
Navigator* SetNavigator(Navigator* navigator);

// Installs a navigator for the life of this object, then puts the previous
// one back: for the application's run and for tests.
class ScopedNavigator {
 public:
  explicit ScopedNavigator(Navigator& navigator) : previous_(SetNavigator(&navigator)) {}
  ~ScopedNavigator() { SetNavigator(previous_); }
  ScopedNavigator(const ScopedNavigator&) = delete;
  ScopedNavigator& operator=(const ScopedNavigator&) = delete;

 private:
  Navigator* previous_;
};

// Opens a screen named as scripts name it ("country-info", "country-map",
// "continent-map", "reference-map", "compare", "world-facts", "day-night",
// "help") with its input, through `navigator`. Returns false with `error`
// set for an unknown name, a missing or malformed input, or an input given to
// a screen that takes none.
bool OpenScreenByName(Navigator& navigator, std::string_view screen,
                      const std::optional<std::u16string>& input, std::string& error);

}  // namespace terravue
