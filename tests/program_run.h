#pragma once

#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "app/main_screen.h"
#include "app/terravue_app.h"
#include "platform/base/utf.h"
#include "screens/navigator.h"
#include "platform/files/files.h"
#include "platform/gfx/bitmap.h"
#include "platform/store/object_store.h"
#include "platform/ui/backend.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"

void RegisterTerravueResources();

namespace terravue::testing {

// Runs the whole program in this process. Each step runs when the program is
// idle (all input handled, everything painted), exactly where a script's next
// command would; steps act through the automation layer or post pen and key
// events, and assert on what they see. The run quits after the last step.
//
// Each run has a device root of its own, a fresh temporary folder (or the one
// given), removed again at the end.
class ProgramRun : public tv::ui::Backend {
 public:
  ProgramRun() : ProgramRun(MakeTemporaryRoot()) { owns_root_ = true; }
  explicit ProgramRun(std::filesystem::path device_root) : device_root_(std::move(device_root)) {
    RegisterTerravueResources();
    tv::files::SetDeviceRoot(device_root_);
    tv::store::ObjectStore::CloseShared();
  }
  ~ProgramRun() override {
    tv::store::ObjectStore::CloseShared();
    tv::files::SetDeviceRoot(std::nullopt);
    std::error_code ignored;
    if (owns_root_) std::filesystem::remove_all(device_root_, ignored);
  }

  const std::filesystem::path& DeviceRoot() const { return device_root_; }
  static std::filesystem::path MakeTemporaryRoot() {
    std::string pattern = (std::filesystem::temp_directory_path() / "terravue-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    return made != nullptr ? std::filesystem::path(made) : std::filesystem::path();
  }

  void Step(std::function<void()> step) { steps_.push_back(std::move(step)); }

  // Runs the program to its end and returns its exit status.
  int Run(tv::gfx::PixelFormat format = tv::gfx::PixelFormat::kRgb565) {
    return RunWith(RunTerravue, format);
  }
  // Runs another start hook (another program's) the same way.
  int RunWith(const std::function<void()>& start,
              tv::gfx::PixelFormat format = tv::gfx::PixelFormat::kRgb565) {
    tv::ui::Desktop desktop(*this, format);
    desktop.RecordTexts(true);
    desktop.AddIdleHook([] { tv::store::ObjectStore::EndSharedReadTransactions(); });
    start();
    steps_left_ = static_cast<int>(steps_.size());
    if (steps_left_ > 0 && !early_end_expected_) {
      ADD_FAILURE() << steps_left_ << " step(s) never ran: the program ended before them";
    }
    return desktop.ExitCode();
  }
  // Steps that never ran because the program ended first.
  int StepsLeft() const { return steps_left_; }
  // Says that the program may end before its last step: without it, steps
  // left over fail the test, so that a screen closing too early is caught.
  void ExpectEarlyEnd() { early_end_expected_ = true; }

  tv::ui::Event WaitEvent() override {
    if (steps_.empty()) return tv::ui::Event::Quit();
    auto step = std::move(steps_.front());
    steps_.pop_front();
    return tv::ui::Event::Task(std::move(step));
  }
  void Present(const tv::gfx::Bitmap& frame) override {
    (void)frame;
    ++presents_;
  }
  int Presents() const { return presents_; }

 private:
  std::filesystem::path device_root_;
  bool owns_root_ = false;
  std::deque<std::function<void()>> steps_;
  int steps_left_ = 0;
  bool early_end_expected_ = false;
  int presents_ = 0;
};

// A navigator that opens nothing and writes down each request, as
// "country-map World" or "continent-map 3".
class RecordingNavigator : public Navigator {
 public:
  std::vector<std::string> requests;

  void OpenContinentMap(int region) override { Add("continent-map", std::to_string(region)); }
  void OpenReferenceMap(int region) override { Add("reference-map", std::to_string(region)); }
  void OpenCountryMap(std::u16string_view country) override { Add("country-map", country); }
  void OpenCountryInfo(std::u16string_view country) override { Add("country-info", country); }
  void OpenDayNight() override { Add("day-night", ""); }
  void OpenCompare() override { Add("compare", ""); }
  void OpenQuickFacts() override { Add("world-facts", ""); }
  void OpenHelp(std::u16string_view text) override { Add("help", text); }
  std::unique_ptr<tv::ui::Dialog> ShowInstallScreen() override {
    Add("install", "");
    return nullptr;
  }

 private:
  void Add(std::string_view what, std::u16string_view input) {
    Add(what, tv::Utf16ToUtf8(input));
  }
  void Add(std::string_view what, const std::string& input) {
    requests.push_back(input.empty() ? std::string(what) : std::string(what) + " " + input);
  }
};

// Runs the main screen alone, its requests to open screens going to
// `navigator`.
inline int RunMainScreen(ProgramRun& run, Navigator& navigator,
                         tv::gfx::PixelFormat format = tv::gfx::PixelFormat::kRgb565) {
  return run.RunWith(
      [&navigator] {
        ScopedNavigator installed(navigator);
        MainScreen screen;
        screen.RunModal();
      },
      format);
}

// What the steps look at.
inline tv::ui::Window* Top() { return tv::ui::Desktop::Get().ActiveWindow(); }
inline std::string TopKind() { return Top() ? Top()->KindName() : "none"; }
inline std::u16string MessageText() {
  auto* box = dynamic_cast<tv::ui::MessageBoxWindow*>(Top());
  return box ? box->Message() : u"(no message box)";
}
inline int TopTemplate() {
  auto* dialog = dynamic_cast<tv::ui::Dialog*>(Top());
  return dialog ? dialog->TemplateNumber() : -1;
}

// Pen input at a point of the top window's client area.
inline void Tap(int x, int y) {
  tv::ui::Desktop& desktop = tv::ui::Desktop::Get();
  const tv::gfx::Point p = tv::gfx::Point{x, y} + desktop.ActiveWindow()->ScreenOrigin();
  desktop.PostEvent(tv::ui::Event::Pen(tv::ui::Event::Type::kPenDown, p));
  desktop.PostEvent(tv::ui::Event::Pen(tv::ui::Event::Type::kPenUp, p));
}
inline void PressKey(tv::ui::Key key) {
  tv::ui::Desktop::Get().PostEvent(tv::ui::Event::KeyPress(key));
}

}  // namespace terravue::testing
