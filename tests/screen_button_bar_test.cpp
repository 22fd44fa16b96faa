#include "screens/screen_button_bar.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "platform/gfx/image_io.h"
#include "platform/resources/resources.h"
#include "platform/ui/controls.h"
#include "platform/ui/desktop.h"

namespace terravue {
namespace {

// A 16x16 face as BMP bytes, made through the real writer.
std::vector<uint8_t> FaceBytes(const char* file) {
  tv::gfx::Bitmap face(16, 16, tv::gfx::PixelFormat::kIndexed4);
  face.Fill({0, 0, 255});
  EXPECT_TRUE(tv::gfx::WriteBmpFile(face, file));
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class NoInput : public tv::ui::Backend {
 public:
  tv::ui::Event WaitEvent() override { return tv::ui::Event::Quit(); }
  void Present(const tv::gfx::Bitmap&) override {}
};

constexpr tv::ui::ControlTemplate kButtons[] = {
    {1, tv::ui::ControlKind::kBitmapButton, 0, 0, 30, 30, 0},
    {2, tv::ui::ControlKind::kBitmapButton, 40, 0, 30, 30, 0},
    {3, tv::ui::ControlKind::kBitmapButton, 80, 0, 30, 30, 0},
};
constexpr tv::ui::DialogTemplate kTemplate{1, u"Faces", 144, 155, 0, kButtons};

class Screen : public tv::ui::Dialog {
 public:
  Screen() : tv::ui::Dialog(kTemplate) {}
};

TEST(ScreenButtonBarTest, LoadingStopsSilentlyAtTheFirstMissingFace) {
  const std::vector<uint8_t> bytes = FaceBytes("face_test.bmp");
  const std::vector<uint8_t> broken(bytes.begin(), bytes.begin() + 20);
  // HELP is broken, so FACTS is never loaded even though it exists.
  const tv::res::Entry entries[] = {
      {tv::res::Kind::kBitmap, 0, "EXIT", bytes},
      {tv::res::Kind::kBitmap, 0, "HELP", broken},
      {tv::res::Kind::kBitmap, 0, "FACTS", bytes},
  };
  tv::res::Register(entries);
  NoInput input;
  tv::ui::Desktop desktop(input, tv::gfx::PixelFormat::kRgb565);
  Screen screen;
  screen.CreateModeless();

  const ScreenButtonBar bar({"Exit", "Help", "Facts"});
  EXPECT_EQ(bar.LoadedCount(), 1);
  bar.Attach(screen, "exit", 1);  // names match without regard to case
  bar.Attach(screen, "Help", 2);
  bar.Attach(screen, "Facts", 3);
  const auto& exit = screen.Control<tv::ui::BitmapButton>(1);
  EXPECT_NE(exit.Face(), nullptr);
  EXPECT_EQ(exit.Frame().Width(), 16);
  EXPECT_EQ(exit.Frame().Height(), 16);
  for (int id : {2, 3}) {
    const auto& blank = screen.Control<tv::ui::BitmapButton>(id);
    EXPECT_EQ(blank.Face(), nullptr) << id;
    EXPECT_EQ(blank.Frame().Width(), 50) << id;  // keeps its template size
  }
  tv::res::Register({});
}

}  // namespace
}  // namespace terravue
