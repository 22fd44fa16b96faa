#include "maps/country_map_view.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/base/utf.h"

namespace terravue {
namespace {

using tv::gfx::Point;
using tv::maps::Georef;
using tv::maps::WorldFile;
using tv::ui::ScrollCode;
using TapResult = DistanceTool::TapResult;

CountryMapViewState Opened(int width, int height, double scale) {
  CountryMapViewState view;
  view.Reset(width, height, scale);
  return view;
}

TEST(CountryMapViewTest, ZoomOutTwiceThenRefusedAndBackIn) {
  CountryMapViewState view = Opened(300, 200, 2.0);
  ASSERT_TRUE(view.ZoomOut());
  EXPECT_EQ(view.current_width, 230);
  EXPECT_EQ(view.current_height, 153);
  ASSERT_TRUE(view.ZoomOut());
  // 153 x 0.769 = 117.7, truncated.
  EXPECT_EQ(view.current_width, 176);
  EXPECT_EQ(view.current_height, 117);
  EXPECT_DOUBLE_EQ(view.scale, 2.0 * 1.3 * 1.3);
  // 176 x 0.769 = 135 < 150: the step is refused (the screen then opens the
  // reference map).
  EXPECT_FALSE(view.ZoomOut());
  EXPECT_EQ(view.current_width, 176);
  EXPECT_EQ(view.current_height, 117);
  // Back in: sizes come from the current ones, so truncation is not undone.
  ASSERT_TRUE(view.ZoomIn());
  EXPECT_EQ(view.current_width, 228);
  EXPECT_EQ(view.current_height, 152);
}

TEST(CountryMapViewTest, OneSideAtItsLimitRefusesTheStep) {
  // A tall, narrow map: the height reaches twice its natural size first.
  CountryMapViewState view = Opened(10, 100, 1.0);
  view.current_height = 170;
  EXPECT_FALSE(view.ZoomIn());  // 221 > 200 although 13 < 20
  view.current_height = 60;
  view.current_width = 10;
  EXPECT_FALSE(view.ZoomOut());  // 46 < 50 although 7 >= 5
}

TEST(CountryMapViewTest, ScrollPositions) {
  // A bar from 0 to 63 at 10, with a page of 20.
  EXPECT_EQ(NextScrollPosition(ScrollCode::kLineUp, 10, 0, 0, 63, 20), 9);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kLineUp, 0, 0, 0, 63, 20), 0);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kLineDown, 10, 0, 0, 63, 20), 11);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kLineDown, 63, 0, 0, 63, 20), 63);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kPageUp, 10, 0, 0, 63, 20), 0);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kPageUp, 30, 0, 0, 63, 20), 10);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kPageDown, 50, 0, 0, 63, 20), 63);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kPageDown, 10, 0, 0, 63, 20), 30);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kThumbTrack, 10, 42, 0, 63, 20), 42);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kThumbPosition, 10, 17, 0, 63, 20), 17);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kTop, 10, 0, 0, 63, 20), 0);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kBottom, 10, 0, 0, 63, 20), 63);
  EXPECT_EQ(NextScrollPosition(ScrollCode::kEndScroll, 10, 42, 0, 63, 20), 10);
}

TEST(CountryMapViewTest, LabelsInBothUnits) {
  EXPECT_EQ(DistanceLabel(12.5, true), u"12.50 Kms");
  EXPECT_EQ(DistanceLabel(12.5, false), u"7.77 miles");
  EXPECT_EQ(DistanceLabel(1000.0, false), u"621.37 miles");
  EXPECT_EQ(DistanceLabel(0.004, true), u"0.00 Kms");
}

TEST(CountryMapViewTest, DistanceButtonStates) {
  CountryMapViewState view = Opened(300, 200, 2.5);
  DistanceTool tool;
  // Off: taps do nothing.
  EXPECT_EQ(tool.Tap(view, {10, 10}), TapResult::kIgnored);
  EXPECT_FALSE(view.start_point_set);
  // Off -> on, waiting.
  auto press = view.PressDistanceButton();
  EXPECT_TRUE(press.pressed);
  EXPECT_FALSE(press.erase);
  EXPECT_TRUE(view.distance_mode);
  // Waiting -> measuring -> (button) waiting with the start point dropped.
  EXPECT_EQ(tool.Tap(view, {10, 10}), TapResult::kStarted);
  press = view.PressDistanceButton();
  EXPECT_TRUE(press.pressed);
  EXPECT_FALSE(press.erase);
  EXPECT_TRUE(view.distance_mode);
  EXPECT_FALSE(view.start_point_set);
  // A new start, a segment: the button turns the tool off and erases.
  EXPECT_EQ(tool.Tap(view, {20, 20}), TapResult::kStarted);
  EXPECT_EQ(view.previous_point, (Point{20, 20}));
  EXPECT_EQ(tool.Tap(view, {23, 24}), TapResult::kSegmentAdded);
  press = view.PressDistanceButton();
  EXPECT_FALSE(press.pressed);
  EXPECT_TRUE(press.erase);
  EXPECT_FALSE(view.distance_mode || view.start_point_set || view.measurement_shown);
  EXPECT_EQ(tool.Tap(view, {30, 30}), TapResult::kIgnored);
}

TEST(CountryMapViewTest, ExampleWithoutGeoreference) {
  CountryMapViewState view = Opened(300, 200, 2.5);
  DistanceTool tool;
  view.PressDistanceButton();
  EXPECT_EQ(tool.Tap(view, {10, 10}), TapResult::kStarted);
  EXPECT_EQ(view.total, 0.0);
  EXPECT_EQ(tool.Tap(view, {13, 14}), TapResult::kSegmentAdded);
  EXPECT_DOUBLE_EQ(view.total, 12.5);
  EXPECT_EQ(DistanceLabel(view.total, true), u"12.50 Kms");
  EXPECT_EQ(DistanceLabel(view.total, false), u"7.77 miles");
  // A zero-length segment still draws: the total is not 0.
  EXPECT_EQ(tool.Tap(view, {13, 14}), TapResult::kSegmentAdded);
  EXPECT_DOUBLE_EQ(view.total, 12.5);
  EXPECT_EQ(view.previous_point, (Point{13, 14}));
}

TEST(CountryMapViewTest, SamePointTwiceAtTheStartDrawsNothing) {
  CountryMapViewState view = Opened(300, 200, 2.5);
  DistanceTool tool;
  view.PressDistanceButton();
  EXPECT_EQ(tool.Tap(view, {40, 50}), TapResult::kStarted);
  EXPECT_EQ(tool.Tap(view, {40, 50}), TapResult::kSameTotal);
  EXPECT_FALSE(view.measurement_shown);
  EXPECT_TRUE(view.start_point_set);
  // The button then only drops the start point: nothing was drawn.
  EXPECT_FALSE(view.PressDistanceButton().erase);
}

TEST(CountryMapViewTest, AZoomStepEndsTheTool) {
  CountryMapViewState view = Opened(300, 200, 2.5);
  DistanceTool tool;
  view.PressDistanceButton();
  tool.Tap(view, {10, 10});
  tool.Tap(view, {20, 10});
  ASSERT_TRUE(view.measurement_shown);
  view.scroll_x = 30;
  ASSERT_TRUE(view.ZoomIn());
  view.EndZoomPaint();
  EXPECT_FALSE(view.distance_mode || view.start_point_set || view.measurement_shown);
  EXPECT_TRUE(view.zoomed);
  EXPECT_EQ(view.scroll_x, 0);
  EXPECT_EQ(tool.Tap(view, {50, 50}), TapResult::kIgnored);
  // Pressed again, the tool measures with the zoomed scale.
  EXPECT_TRUE(view.PressDistanceButton().pressed);
  tool.Tap(view, {0, 0});
  tool.Tap(view, {13, 0});
  EXPECT_DOUBLE_EQ(view.total, 13 * 2.5 * kInverseZoomFactor);
}

// The whole Earth at 0.1 degree a pixel, the top-left pixel centred on
// (-180, 90).
Georef TenthDegreeWorld() { return Georef::PlateCarree(WorldFile{0.1, 0, 0, -0.1, -180, 90}); }

TEST(CountryMapViewTest, GeodesicBetweenTappedPoints) {
  // JFK (40.6 N, 73.8 W) to Heathrow (51.6 N, 0.5 W): 5551.76 km on WGS84.
  CountryMapViewState view = Opened(3600, 1800, 11.1);
  DistanceTool tool(TenthDegreeWorld());
  ASSERT_TRUE(tool.HasGeoreference());
  view.PressDistanceButton();
  view.scroll_x = 1000;
  view.scroll_y = 350;
  // JFK is pixel (1062, 494), Heathrow pixel (1795, 384).
  EXPECT_EQ(tool.Tap(view, {62, 144}), TapResult::kStarted);
  const auto jfk = tool.Locate(view, {62, 144});
  ASSERT_TRUE(jfk.has_value());
  EXPECT_NEAR(jfk->lon, -73.8, 1e-9);
  EXPECT_NEAR(jfk->lat, 40.6, 1e-9);
  // The second point is reached after a scroll: the first keeps its place
  // on the Earth.
  view.scroll_x = 1700;
  EXPECT_EQ(tool.Tap(view, {95, 34}), TapResult::kSegmentAdded);
  EXPECT_NEAR(view.total, 5551.76, 0.01);
  EXPECT_EQ(DistanceLabel(view.total, false), u"3449.70 miles");
}

TEST(CountryMapViewTest, GeodesicFollowsTheZoom) {
  // 2 km pixels about (2 E, 46 N): 100 pixels north of the centre pixel
  // are 200 km away, at every zoom.
  const Georef map =
      Georef::AzimuthalEquidistant({2, 46}, WorldFile{2000, 0, 0, -2000, -150 * 2000.0, 100 * 2000.0});
  for (int steps = 0; steps < 3; ++steps) {
    CountryMapViewState view = Opened(301, 201, 2.0);
    for (int i = 0; i < steps; ++i) ASSERT_TRUE(view.ZoomIn());
    view.EndZoomPaint();
    DistanceTool tool(map);
    view.PressDistanceButton();
    const double fx = static_cast<double>(view.current_width) / view.natural_width;
    const double fy = static_cast<double>(view.current_height) / view.natural_height;
    const Point centre{static_cast<int>(150.5 * fx), static_cast<int>(100.5 * fy)};
    const Point north{centre.x, static_cast<int>(0.5 * fy)};
    ASSERT_EQ(tool.Tap(view, centre), TapResult::kStarted);
    ASSERT_EQ(tool.Tap(view, north), TapResult::kSegmentAdded);
    // Within one window pixel's share of a natural pixel.
    EXPECT_NEAR(view.total, 200.0, 2.0 / fy) << steps << " zoom steps";
  }
}

TEST(CountryMapViewTest, TapsOffTheEarthAreNotTaken) {
  CountryMapViewState view = Opened(3600, 1800, 11.1);
  DistanceTool tool(TenthDegreeWorld());
  view.PressDistanceButton();
  // East of 180 degrees: no point of the Earth; the tool stays waiting.
  view.scroll_x = 3500;
  EXPECT_EQ(tool.Tap(view, {200, 10}), TapResult::kIgnored);
  EXPECT_FALSE(view.start_point_set);
  EXPECT_EQ(tool.Tap(view, {50, 10}), TapResult::kStarted);
  // South of the pole: the measurement stays as it was.
  view.scroll_y = 1700;
  EXPECT_EQ(tool.Tap(view, {50, 150}), TapResult::kIgnored);
  EXPECT_EQ(view.previous_point, (Point{50, 10}));
  EXPECT_EQ(view.total, 0.0);
  EXPECT_FALSE(view.measurement_shown);

  // Beyond the disc of an azimuthal map (20,000 km from its centre).
  const Georef disc =
      Georef::AzimuthalEquidistant({0, 0}, WorldFile{100000, 0, 0, -100000, -150 * 100000.0, 100 * 100000.0});
  CountryMapViewState far = Opened(301, 201, 100.0);
  DistanceTool far_tool(disc);
  far.PressDistanceButton();
  EXPECT_EQ(far_tool.Tap(far, {150, 100}), TapResult::kStarted);
  EXPECT_EQ(far_tool.Tap(far, {150 + 210, 100}), TapResult::kIgnored);
  EXPECT_EQ(far_tool.Tap(far, {150 + 190, 100}), TapResult::kSegmentAdded);
  EXPECT_NEAR(far.total, 19000.0, 1.0);
}

}  // namespace
}  // namespace terravue
