#pragma once

#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>

#include "app/terravue_app.h"
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
    return RunWith(
        [] {
          TerravueApp app;
          app.InitInstance();
        },
        format);
  }
  // Runs another start hook (another program's) the same way.
  int RunWith(const std::function<void()>& start,
              tv::gfx::PixelFormat format = tv::gfx::PixelFormat::kRgb565) {
    tv::ui::Desktop desktop(*this, format);
    desktop.AddIdleHook([] { tv::store::ObjectStore::EndSharedReadTransactions(); });
    start();
    steps_left_ = static_cast<int>(steps_.size());
    return desktop.ExitCode();
  }
  // Steps that never ran because the program ended first.
  int StepsLeft() const { return steps_left_; }

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
  int presents_ = 0;
};

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
