#include <gtest/gtest.h>

#include "tests/test_env.h"

#include <cstdlib>

#include "platform/backend/sdl_backend.h"
#include "platform/gfx/image_io.h"
#include "platform/ui/desktop.h"
#include "tests/program_run.h"

namespace {

// Runs the program with its steps while a real SDL window presents its
// frames. Like every program run, steps the program never reached fail the
// test.
class WindowRun : public terravue::testing::ProgramRun {
 public:
  explicit WindowRun(tv::backend::SdlBackend& sdl) : sdl_(sdl) {}
  tv::ui::Event WaitEvent() override {
    tv::ui::Event ignored;
    while (sdl_.PollEvent(ignored)) {
    }
    return ProgramRun::WaitEvent();
  }
  void Present(const tv::gfx::Bitmap& frame) override { sdl_.Present(frame); }
  void SetIcon(const tv::gfx::Bitmap& icon) override { sdl_.SetIcon(icon); }

 private:
  tv::backend::SdlBackend& sdl_;
};

TEST(SdlSmokeTest, RealWindowShowsTheMainScreen) {
  if (std::getenv("DISPLAY") == nullptr) TV_SKIP_UNLESS_CI("no X display (run under xvfb-run)");
  std::string error;
  // No scale asked for: the largest whose window fits the 640x800 screen.
  auto sdl = tv::backend::SdlBackend::Create("Terravue", 0, error);
  ASSERT_NE(sdl, nullptr) << error;
  WindowRun run(*sdl);
  run.Step([&] {
    const auto shot = sdl->CaptureWindow();
    ASSERT_TRUE(shot);
    ASSERT_EQ(shot->Width(), 480);
    ASSERT_EQ(shot->Height(), 640);
    EXPECT_TRUE(tv::gfx::WritePngFile(*shot, "sdl_smoke_window.png"));
    // Each display pixel is a 2x2 block of the window.
    const tv::gfx::Bitmap& display = tv::ui::Desktop::Get().Display();
    for (tv::gfx::Point p : {tv::gfx::Point{0, 26}, {120, 60}, {60, 100}, {200, 80}, {5, 200},
                             {100, 5}, {230, 300}}) {
      const tv::gfx::Color want = display.Load(p.x, p.y);
      EXPECT_EQ(shot->Load(2 * p.x, 2 * p.y), want) << p.x << "," << p.y;
      EXPECT_EQ(shot->Load(2 * p.x + 1, 2 * p.y + 1), want) << p.x << "," << p.y;
    }
    // Ctrl+plus and Ctrl+minus step the scale, within 1 to 8.
    sdl->StepScale(1);
    EXPECT_EQ(sdl->CaptureWindow()->Width(), 720);
    sdl->StepScale(-10);
    EXPECT_EQ(sdl->CaptureWindow()->Height(), 320);
  });
  EXPECT_EQ(run.Run(), 0);
}

}  // namespace
