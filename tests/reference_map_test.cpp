#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "maps/continent_map_screen.h"
#include "maps/reference_map_screen.h"
#include "platform/resources/resources.h"
#include "platform/ui/automation.h"
#include "platform/ui/command_bar.h"
#include "tests/program_run.h"

namespace terravue {
namespace {

using testing::MessageText;
using testing::PressKey;
using testing::ProgramRun;
using testing::RecordingNavigator;
using testing::Top;
using testing::TopKind;
using tv::gfx::Color;
using tv::gfx::PixelFormat;
using tv::gfx::Point;
using tv::ui::Key;
using tv::ui::ScrollOrientation;

// Runs the screen for `region` and returns its result.
int RunReferenceMap(ProgramRun& run, int region, PixelFormat format = PixelFormat::kRgb565) {
  int result = -1;
  run.RunWith(
      [region, &result] {
        RecordingNavigator navigator;
        ScopedNavigator installed(navigator);
        ReferenceMapScreen screen;
        screen.region = region;
        result = screen.RunModal();
      },
      format);
  return result;
}

ReferenceMapScreen& Screen() {
  auto* screen = dynamic_cast<ReferenceMapScreen*>(Top());
  EXPECT_NE(screen, nullptr) << "top window is " << TopKind();
  return *screen;
}

void Press(std::string_view target) {
  std::string error;
  ASSERT_TRUE(tv::ui::automation::Press(target, error)) << error;
}

std::pair<int, int> Current() {
  return {Screen().View().Current().width, Screen().View().Current().height};
}

std::pair<int, int> ScrollRange(ScrollOrientation bar) {
  const tv::ui::ScrollInfo info = Screen().GetScrollInfo(bar);
  return {info.min, info.max};
}

// Whether the window shows region `region`'s bitmap scaled by `num` / `den`
// and scrolled by `scroll`, at a few points of the map: the nearest source
// pixel of each window pixel, as the display holds it.
void ExpectMapShown(int region, int num, int den, Point scroll) {
  const RegionMap& map = RegionMapOf(region);
  auto bitmap = tv::res::LoadBitmap(map.bitmap);
  ASSERT_TRUE(bitmap);
  auto canvas = Screen().GetScreenCanvas();
  const auto& display = tv::ui::Desktop::Get().Display();
  int checked = 0;
  for (Point p : {Point{1, 1}, {37, 53}, {100, 80}, {60, 20}, {110, 5}, {150, 70}, {200, 160}}) {
    const Point source{(p.x + scroll.x) * den / num, (p.y + scroll.y) * den / num};
    if (source.x >= map.width || source.y >= map.height) continue;
    ++checked;
    EXPECT_EQ(canvas.GetPixel(p), display.Quantize(bitmap->Load(source.x, source.y)))
        << "window " << p.x << "," << p.y << ", source " << source.x << "," << source.y;
  }
  EXPECT_GE(checked, 4);
}

TEST(ReferenceMapTest, OpensAtNaturalSizeWithItsBarsAndToolbar) {
  ProgramRun run;
  run.Step([] {
    ReferenceMapScreen& screen = Screen();
    EXPECT_EQ(screen.TemplateNumber(), 430);
    EXPECT_EQ(screen.Text(), u"Continent Map");
    EXPECT_TRUE(screen.Children().empty());
    const tv::ui::CommandBar* bar = screen.GetCommandBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->Buttons().size(), 3u);
    EXPECT_EQ(bar->Buttons()[0].id, kZoomOutCommand);
    EXPECT_EQ(bar->Buttons()[1].id, kZoomInCommand);
    EXPECT_EQ(bar->Buttons()[2].id, kReferenceExitCommand);
    EXPECT_TRUE(bar->Menus().empty());

    // The client area is 227 x 255 beside the bars: the 240-pixel-wide map
    // scrolls 240 - 227 - 10 = 3 pixels across; its 173 rows fit.
    EXPECT_EQ(screen.ClientRect(), (tv::gfx::Rect{0, 0, 227, 255}));
    EXPECT_TRUE(screen.GetScrollInfo(ScrollOrientation::kHorizontal).visible);
    EXPECT_TRUE(screen.GetScrollInfo(ScrollOrientation::kVertical).visible);
    EXPECT_EQ(ScrollRange(ScrollOrientation::kHorizontal), std::make_pair(0, 3));
    EXPECT_EQ(ScrollRange(ScrollOrientation::kVertical), std::make_pair(0, 1));
    EXPECT_EQ(Current(), std::make_pair(240, 173));
    EXPECT_FALSE(screen.View().Zoomed());
    ExpectMapShown(4, 1, 1, {0, 0});
    // Below the map the window is white.
    EXPECT_EQ(screen.GetScreenCanvas().GetPixel({100, 200}), (Color{248, 252, 248}));

    const std::string dump = tv::ui::automation::Dump();
    EXPECT_NE(dump.find("\"input\":{\"region\":4}"), std::string::npos) << dump;
    EXPECT_NE(dump.find("\"state\":{\"natural\":[240,173],\"current\":[240,173],"
                        "\"maximum\":[480,346],\"minimum\":[120,86],\"scroll\":[0,0]"),
              std::string::npos)
        << dump;
  });
  RunReferenceMap(run, 4);
}

// The Middle East map zooms out to 120 x 86, in to 240 x 172 (not 173) and
// 480 x 344, and refuses a third step in; each step redraws the map scaled,
// and a refused step leaves the size alone.
TEST(ReferenceMapTest, MiddleEastZoomSequenceAndRefusals) {
  ProgramRun run;
  run.Step([] { Press(std::to_string(kZoomOutCommand)); });
  run.Step([] {
    EXPECT_EQ(Current(), std::make_pair(120, 86));
    EXPECT_TRUE(Screen().View().Zoomed());
    ExpectMapShown(4, 1, 2, {0, 0});
    // The half-size map fits: both bars at 0 to 1, and beside it white.
    EXPECT_EQ(ScrollRange(ScrollOrientation::kHorizontal), std::make_pair(0, 1));
    EXPECT_EQ(ScrollRange(ScrollOrientation::kVertical), std::make_pair(0, 1));
    EXPECT_EQ(Screen().GetScreenCanvas().GetPixel({121, 40}), (Color{248, 252, 248}));
    Press(std::to_string(kZoomOutCommand));
  });
  run.Step([] {
    EXPECT_EQ(MessageText(), u"Cannot Zoom Out anymore");
    Press("ok");
  });
  run.Step([] {
    EXPECT_EQ(Current(), std::make_pair(120, 86));
    ExpectMapShown(4, 1, 2, {0, 0});
    Press(std::to_string(kZoomInCommand));
  });
  run.Step([] {
    EXPECT_EQ(Current(), std::make_pair(240, 172));
    Press(std::to_string(kZoomInCommand));
  });
  run.Step([] {
    EXPECT_EQ(Current(), std::make_pair(480, 344));
    ExpectMapShown(4, 2, 1, {0, 0});
    // Zoomed ranges have no margin: 480 - 227 and 344 - 255.
    EXPECT_EQ(ScrollRange(ScrollOrientation::kHorizontal), std::make_pair(0, 253));
    EXPECT_EQ(ScrollRange(ScrollOrientation::kVertical), std::make_pair(0, 89));
    Press(std::to_string(kZoomInCommand));
  });
  run.Step([] {
    EXPECT_EQ(MessageText(), u"Cannot Zoom In anymore");
    Press("ok");
  });
  run.Step([] {
    EXPECT_EQ(Current(), std::make_pair(480, 344));
    ExpectMapShown(4, 2, 1, {0, 0});
    Press(std::to_string(kReferenceExitCommand));
  });
  run.Step([] { ADD_FAILURE() << "Exit should have closed the screen"; });
  run.ExpectEarlyEnd();
  EXPECT_EQ(RunReferenceMap(run, 4), tv::ui::kIdOk);
  EXPECT_EQ(run.StepsLeft(), 1);
}

// Scrolling moves the view by one pixel a line and to either end; a zoom
// step (even a refused one) brings it back to the top-left corner. While the
// map fits the client area one way, that way does not scroll.
TEST(ReferenceMapTest, ScrollingFollowsTheBarsAndZoomResetsIt) {
  ProgramRun run;
  // Africa is 240 x 240: at natural size it scrolls across (0 to 3) only.
  run.Step([] {
    PressKey(Key::kDown);
    PressKey(Key::kEnd);
  });
  run.Step([] {
    EXPECT_EQ(Screen().View().ScrollOffset().y, 0);
    EXPECT_EQ(Screen().GetScrollInfo(ScrollOrientation::kVertical).pos, 0);
    PressKey(Key::kRight);
    PressKey(Key::kRight);
  });
  run.Step([] {
    EXPECT_EQ(Screen().View().ScrollOffset().x, 2);
    ExpectMapShown(0, 1, 1, {2, 0});
    for (int i = 0; i < 5; ++i) PressKey(Key::kRight);
  });
  run.Step([] {
    EXPECT_EQ(Screen().View().ScrollOffset().x, 3);
    ExpectMapShown(0, 1, 1, {3, 0});
    Press(std::to_string(kZoomInCommand));
  });
  // Doubled to 480 x 480: 253 across and 225 down.
  run.Step([] {
    EXPECT_EQ(Screen().View().ScrollOffset().x, 0);
    EXPECT_EQ(ScrollRange(ScrollOrientation::kVertical), std::make_pair(0, 225));
    PressKey(Key::kEnd);
  });
  run.Step([] {
    EXPECT_EQ(Screen().View().ScrollOffset().y, 225);
    EXPECT_EQ(Screen().GetScrollInfo(ScrollOrientation::kVertical).pos, 225);
    ExpectMapShown(0, 2, 1, {0, 225});
    PressKey(Key::kUp);
  });
  run.Step([] {
    EXPECT_EQ(Screen().View().ScrollOffset().y, 224);
    ExpectMapShown(0, 2, 1, {0, 224});
    PressKey(Key::kHome);
  });
  run.Step([] {
    EXPECT_EQ(Screen().View().ScrollOffset().y, 0);
    ExpectMapShown(0, 2, 1, {0, 0});
    PressKey(Key::kEnd);
    PressKey(Key::kRight);
  });
  run.Step([] {
    EXPECT_EQ(Screen().View().ScrollOffset().x, 1);
    EXPECT_EQ(Screen().View().ScrollOffset().y, 225);
    Press(std::to_string(kZoomInCommand));
  });
  run.Step([] {
    EXPECT_EQ(MessageText(), u"Cannot Zoom In anymore");
    Press("ok");
  });
  run.Step([] {
    EXPECT_EQ(Screen().View().ScrollOffset().x, 0);
    EXPECT_EQ(Screen().View().ScrollOffset().y, 0);
    EXPECT_EQ(Screen().GetScrollInfo(ScrollOrientation::kVertical).pos, 0);
    ExpectMapShown(0, 2, 1, {0, 0});
  });
  RunReferenceMap(run, 0);
}

// A region with no map has nothing to draw: the screen says so and closes.
TEST(ReferenceMapTest, NoMapGivesTheContextErrorAndCloses) {
  for (int region : {-1, 7}) {
    ProgramRun run;
    run.Step([] {
      EXPECT_EQ(MessageText(), u"Screen Context Error");
      Press("ok");
    });
    run.Step([] { ADD_FAILURE() << "the screen should have closed"; });
    run.ExpectEarlyEnd();
    EXPECT_EQ(RunReferenceMap(run, region), tv::ui::kIdCancel);
    EXPECT_EQ(run.StepsLeft(), 1);
  }
}

// What the screens above do not reach: the limits of every region map.
TEST(ReferenceMapViewTest, EveryRegionHasThreeLevels) {
  for (int region = 0; region < 7; ++region) {
    const RegionMap& map = RegionMapOf(region);
    tv::ui::Window window;
    MapView view(window, ZoomSteps{});
    view.Open(std::make_unique<tv::gfx::Bitmap>(map.width, map.height, PixelFormat::kRgb888),
              map.width, map.height);
    int ins = 0;
    while (view.ZoomIn()) ++ins;
    int outs = 0;
    while (view.ZoomOut()) ++outs;
    EXPECT_EQ(ins, 1) << region;
    EXPECT_EQ(outs, 2) << region;
    EXPECT_EQ(view.Current(), (tv::gfx::Size{map.width / 2, map.height / 2})) << region;
  }
}

}  // namespace
}  // namespace terravue
