#include "maps/distance_tool.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "platform/base/utf.h"

namespace terravue {
namespace {

using tv::gfx::Point;
using tv::gfx::Size;
using tv::ui::ScrollCode;
using tv::ui::ScrollOrientation;
using TapResult = DistanceTool::TapResult;

// A map opened in a bare window of the country map's size (client area 227
// x 255 beside its bars), zoomed in the country map's steps.
struct OpenedMap {
  OpenedMap(int width, int height) {
    window.SetFrame({0, 0, 240, 268});
    view.Open(std::make_unique<tv::gfx::Bitmap>(width, height, tv::gfx::PixelFormat::kRgb888),
              width, height);
  }
  void ScrollTo(Point p) {
    view.Scroll(ScrollOrientation::kHorizontal, ScrollCode::kThumbPosition, p.x);
    view.Scroll(ScrollOrientation::kVertical, ScrollCode::kThumbPosition, p.y);
  }
  tv::ui::Window window;
  MapView view{window, ZoomSteps{kZoomFactor, kInverseZoomFactor}};
};

TEST(CountryMapViewTest, ZoomStepsStopAtTheBoundsOfEitherSide) {
  OpenedMap map(300, 200);
  ASSERT_TRUE(map.view.ZoomOut());
  EXPECT_EQ(map.view.Current(), (Size{230, 153}));
  ASSERT_TRUE(map.view.ZoomOut());
  EXPECT_EQ(map.view.Current(), (Size{176, 117}));  // 153 x 0.769 = 117.7, truncated
  // 176 x 0.769 = 135 < 150: the step is refused (the screen then opens the
  // reference map).
  EXPECT_FALSE(map.view.ZoomOut());
  EXPECT_EQ(map.view.Current(), (Size{176, 117}));
  // Back in: sizes come from the current ones, so truncation is not undone.
  ASSERT_TRUE(map.view.ZoomIn());
  EXPECT_EQ(map.view.Current(), (Size{228, 152}));
  // One pixel wide: the height alone reaches twice its natural size.
  OpenedMap thin(1, 100);
  ASSERT_TRUE(thin.view.ZoomIn() && thin.view.ZoomIn());
  EXPECT_FALSE(thin.view.ZoomIn());  // 219.7 > 200 although 1.3 <= 2
  EXPECT_EQ(thin.view.Current(), (Size{1, 169}));
}

TEST(CountryMapViewTest, ScrollPositions) {
  // A bar from 0 to 63 at 10, with a page of 20.
  EXPECT_EQ(NextScrollPosition(ScrollCode::kLineUp, 0, 0, 0, 63, 20), 0);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kLineDown, 63, 0, 0, 63, 20), 63);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kPageUp, 10, 0, 0, 63, 20), 0);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kPageDown, 50, 0, 0, 63, 20), 63);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kPageDown, 10, 0, 0, 63, 20), 30);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kThumbTrack, 10, 42, 0, 63, 20), 42);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kTop, 10, 0, 0, 63, 20), 0);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kBottom, 10, 0, 0, 63, 20), 63);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kEndScroll, 10, 42, 0, 63, 20), 10);
  EXPECT_EQ(ScrollRangeMax(232, 227, 10), 0);  // a margin larger than the overhang
}

TEST(CountryMapViewTest, LabelsInBothUnits) {
  EXPECT_EQ(DistanceLabel(12.5, true), u"12.50 Kms");
  EXPECT_EQ(DistanceLabel(12.5, false), u"7.77 miles");
  EXPECT_EQ(DistanceLabel(1000.0, false), u"621.37 miles");
  EXPECT_EQ(DistanceLabel(0.004, true), u"0.00 Kms");
}

TEST(CountryMapViewTest, DistanceButtonStates) {
  OpenedMap map(300, 200);
  DistanceTool tool(std::nullopt, 2.5);
  // Off: taps do nothing.
  EXPECT_EQ(tool.Tap(map.view, {10, 10}), TapResult::kIgnored);
  EXPECT_FALSE(tool.State().start_point_set);
  // Off -> on, waiting.
  EXPECT_FALSE(tool.PressButton());
  EXPECT_TRUE(tool.State().distance_mode);
  // Waiting -> measuring -> (button) waiting with the start point dropped.
  EXPECT_EQ(tool.Tap(map.view, {10, 10}), TapResult::kStarted);
  EXPECT_FALSE(tool.PressButton());
  EXPECT_TRUE(tool.State().distance_mode);
  EXPECT_FALSE(tool.State().start_point_set);
  // A new start, a segment: the button turns the tool off and erases.
  EXPECT_EQ(tool.Tap(map.view, {20, 20}), TapResult::kStarted);
  EXPECT_EQ(tool.State().previous_point, (Point{20, 20}));
  EXPECT_EQ(tool.Tap(map.view, {23, 24}), TapResult::kSegmentAdded);
  EXPECT_TRUE(tool.PressButton());
  EXPECT_FALSE(tool.State().distance_mode || tool.State().start_point_set ||
               tool.State().measurement_shown);
  EXPECT_EQ(tool.Tap(map.view, {30, 30}), TapResult::kIgnored);
}

TEST(CountryMapViewTest, ExampleWithoutGeoreference) {
  OpenedMap map(300, 200);
  DistanceTool tool(std::nullopt, 2.5);
  tool.PressButton();
  // Only the picture takes taps: not the white below or right of it.
  EXPECT_EQ(tool.Tap(map.view, {100, 200}), TapResult::kIgnored);
  EXPECT_EQ(tool.Tap(map.view, {10, 10}), TapResult::kStarted);
  EXPECT_EQ(tool.State().total, 0.0);
  EXPECT_EQ(tool.Tap(map.view, {13, 14}), TapResult::kSegmentAdded);
  EXPECT_DOUBLE_EQ(tool.State().total, 12.5);
  // A zero-length segment still draws: the total is not 0.
  EXPECT_EQ(tool.Tap(map.view, {13, 14}), TapResult::kSegmentAdded);
  EXPECT_DOUBLE_EQ(tool.State().total, 12.5);
  EXPECT_EQ(tool.State().previous_point, (Point{13, 14}));
  // A scale of "N/A" (-1) measures nothing: every tap is refused.
  DistanceTool no_scale(std::nullopt, -1.0);
  no_scale.PressButton();
  EXPECT_EQ(no_scale.Tap(map.view, {10, 10}), TapResult::kIgnored);
}

TEST(CountryMapViewTest, SamePointTwiceAtTheStartDrawsNothing) {
  OpenedMap map(300, 200);
  DistanceTool tool(std::nullopt, 2.5);
  tool.PressButton();
  EXPECT_EQ(tool.Tap(map.view, {40, 50}), TapResult::kStarted);
  EXPECT_EQ(tool.Tap(map.view, {40, 50}), TapResult::kSameTotal);
  EXPECT_FALSE(tool.State().measurement_shown);
  EXPECT_TRUE(tool.State().start_point_set);
  // The button then only drops the start point: nothing was drawn.
  EXPECT_FALSE(tool.PressButton());
}

TEST(CountryMapViewTest, AZoomStepEndsTheTool) {
  OpenedMap map(300, 200);
  DistanceTool tool(std::nullopt, 2.5);
  tool.PressButton();
  tool.Tap(map.view, {10, 10});
  tool.Tap(map.view, {20, 10});
  ASSERT_TRUE(tool.State().measurement_shown);
  map.ScrollTo({30, 0});
  ASSERT_TRUE(map.view.ZoomIn());
  tool.Zoomed(kInverseZoomFactor);
  EXPECT_FALSE(tool.State().distance_mode || tool.State().start_point_set ||
               tool.State().measurement_shown);
  EXPECT_TRUE(map.view.Zoomed());
  EXPECT_EQ(map.view.ScrollOffset(), (Point{0, 0}));
  EXPECT_EQ(tool.Tap(map.view, {50, 50}), TapResult::kIgnored);
  // Pressed again, the tool measures with the zoomed scale.
  tool.PressButton();
  tool.Tap(map.view, {0, 0});
  tool.Tap(map.view, {13, 0});
  EXPECT_DOUBLE_EQ(tool.State().total, 13 * 2.5 * kInverseZoomFactor);
}

// The whole Earth at 0.1 degree a pixel, the top-left pixel centred on
// (-180, 90).
Georef TenthDegreeWorld() { return Georef::PlateCarree(WorldFile{0.1, 0, 0, -0.1, -180, 90}); }

TEST(CountryMapViewTest, GeodesicBetweenTappedPoints) {
  // JFK (40.6 N, 73.8 W) to Heathrow (51.6 N, 0.5 W): 5551.76 km on WGS84.
  OpenedMap map(3600, 1800);
  DistanceTool tool(TenthDegreeWorld(), 11.1);
  ASSERT_TRUE(tool.HasGeoreference());
  tool.PressButton();
  map.ScrollTo({1000, 350});
  // JFK is pixel (1062, 494), Heathrow pixel (1795, 384).
  EXPECT_EQ(tool.Tap(map.view, {62, 144}), TapResult::kStarted);
  const auto jfk = tool.Locate(map.view, {62, 144});
  ASSERT_TRUE(jfk.has_value());
  EXPECT_NEAR(jfk->lon, -73.8, 1e-9);
  EXPECT_NEAR(jfk->lat, 40.6, 1e-9);
  // The second point is reached after a scroll: the first keeps its place
  // on the Earth.
  map.ScrollTo({1700, 350});
  EXPECT_EQ(tool.Tap(map.view, {95, 34}), TapResult::kSegmentAdded);
  EXPECT_NEAR(tool.State().total, 5551.76, 0.01);
  EXPECT_EQ(DistanceLabel(tool.State().total, false), u"3449.70 miles");
  EXPECT_EQ(tool.SegmentWrap(), (Point{0, 0}));
}

TEST(CountryMapViewTest, GeodesicFollowsTheZoom) {
  // 2 km pixels about (2 E, 46 N): 100 pixels north of the centre pixel
  // are 200 km away, at every zoom.
  const Georef georef =
      Georef::AzimuthalEquidistant({2, 46}, WorldFile{2000, 0, 0, -2000, -150 * 2000.0, 100 * 2000.0});
  for (int steps = 0; steps < 3; ++steps) {
    OpenedMap map(301, 201);
    for (int i = 0; i < steps; ++i) ASSERT_TRUE(map.view.ZoomIn());
    DistanceTool tool(georef, 2.0);
    tool.PressButton();
    const double fy = static_cast<double>(map.view.Current().height) / 201;
    map.ScrollTo({60, 0});
    const Point centre = map.view.MapToWindow({150, 100});
    const Point north = map.view.MapToWindow({150, 0});
    ASSERT_EQ(tool.Tap(map.view, centre), TapResult::kStarted);
    ASSERT_EQ(tool.Tap(map.view, north), TapResult::kSegmentAdded);
    // Within one window pixel's share of a natural pixel.
    EXPECT_NEAR(tool.State().total, 200.0, 2.0 / fy) << steps << " zoom steps";
  }
}

TEST(CountryMapViewTest, TapsOffTheEarthAreNotTakenAndTheDateLineWraps) {
  // The Earth shifted 10 degrees west and south in its picture: its right
  // columns lie east of 180 degrees and its bottom rows south of the pole.
  OpenedMap map(3600, 1800);
  DistanceTool tool(Georef::PlateCarree(WorldFile{0.1, 0, 0, -0.1, -170, 80}), 11.1);
  tool.PressButton();
  map.ScrollTo({3350, 0});
  EXPECT_EQ(tool.Tap(map.view, {200, 10}), TapResult::kIgnored);
  EXPECT_FALSE(tool.State().start_point_set);
  EXPECT_EQ(tool.Tap(map.view, {50, 10}), TapResult::kStarted);
  map.ScrollTo({3350, 1522});
  EXPECT_EQ(tool.Tap(map.view, {50, 200}), TapResult::kIgnored);
  EXPECT_EQ(tool.State().previous_point, (Point{50, 10}));
  EXPECT_FALSE(tool.State().measurement_shown);
  // Across the date line, from 176.3 E to 180 W: 3.7 degrees east, so the
  // line runs on past the right edge by one turn of 3600 pixels.
  DistanceTool world(TenthDegreeWorld(), 11.1);
  world.PressButton();
  map.ScrollTo({3350, 0});
  EXPECT_EQ(world.Tap(map.view, {213, 10}), TapResult::kStarted);
  map.ScrollTo({0, 0});
  EXPECT_EQ(world.Tap(map.view, {0, 10}), TapResult::kSegmentAdded);
  EXPECT_EQ(world.SegmentWrap(), (Point{3600, 0}));
  EXPECT_NEAR(world.State().total, 3.7 * 111.32 * std::cos(89 * M_PI / 180), 1.0);

  // Beyond the disc of an azimuthal map (20,000 km from its centre).
  const Georef disc =
      Georef::AzimuthalEquidistant({0, 0}, WorldFile{200000, 0, 0, -200000, -100 * 200000.0, 100 * 200000.0});
  OpenedMap far(301, 201);
  DistanceTool far_tool(disc, 100.0);
  far_tool.PressButton();
  EXPECT_EQ(far_tool.Tap(far.view, {100, 100}), TapResult::kStarted);
  EXPECT_EQ(far_tool.Tap(far.view, {100 + 105, 100}), TapResult::kIgnored);
  EXPECT_EQ(far_tool.Tap(far.view, {100 + 95, 100}), TapResult::kSegmentAdded);
  EXPECT_NEAR(far_tool.State().total, 19000.0, 1.0);
}

}  // namespace
}  // namespace terravue
