#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "maps/reference_map_view.h"

namespace terravue {
namespace {

std::pair<int, int> Size(const ReferenceMapView& view) {
  return {view.current_width, view.current_height};
}

TEST(ReferenceMapViewTest, ResetStartsAtNaturalSizeWithTruncatedMinimum) {
  ReferenceMapView view;
  view.scroll_x = 7;
  view.scroll_y = 9;
  view.scrolled = view.zoom_pending = view.zoomed = view.zoom_surface_exists = true;
  view.Reset(240, 173);
  EXPECT_EQ(Size(view), std::make_pair(240, 173));
  EXPECT_EQ(std::make_pair(view.natural_width, view.natural_height), std::make_pair(240, 173));
  EXPECT_EQ(std::make_pair(view.max_width, view.max_height), std::make_pair(480, 346));
  EXPECT_EQ(std::make_pair(view.min_width, view.min_height), std::make_pair(120, 86));
  EXPECT_EQ(view.scroll_x, 0);
  EXPECT_EQ(view.scroll_y, 0);
  EXPECT_FALSE(view.scrolled || view.zoom_pending || view.zoomed || view.zoom_surface_exists);
}

// Halving 173 loses a pixel that doubling does not give back, so the double
// size of the Middle East map is 480 x 344, not 480 x 346; a fourth step in
// either direction is refused and leaves the size alone.
TEST(ReferenceMapViewTest, MiddleEastZoomSequence) {
  ReferenceMapView view;
  view.Reset(240, 173);
  EXPECT_TRUE(view.ZoomOut());
  EXPECT_TRUE(view.zoom_pending);
  EXPECT_EQ(Size(view), std::make_pair(120, 86));
  view.zoom_pending = false;
  EXPECT_FALSE(view.ZoomOut());
  EXPECT_TRUE(view.zoom_pending);
  EXPECT_EQ(Size(view), std::make_pair(120, 86));
  EXPECT_TRUE(view.ZoomIn());
  EXPECT_EQ(Size(view), std::make_pair(240, 172));
  EXPECT_TRUE(view.ZoomIn());
  EXPECT_EQ(Size(view), std::make_pair(480, 344));
  view.zoom_pending = false;
  EXPECT_FALSE(view.ZoomIn());
  EXPECT_TRUE(view.zoom_pending);
  EXPECT_EQ(Size(view), std::make_pair(480, 344));
  // Back down: three levels only.
  EXPECT_TRUE(view.ZoomOut());
  EXPECT_EQ(Size(view), std::make_pair(240, 172));
  EXPECT_TRUE(view.ZoomOut());
  EXPECT_EQ(Size(view), std::make_pair(120, 86));
  EXPECT_FALSE(view.ZoomOut());
}

TEST(ReferenceMapViewTest, EveryMapHasExactlyThreeLevels) {
  const std::pair<int, int> maps[] = {{240, 240}, {240, 184}, {240, 222},
                                      {240, 173}, {240, 212}, {154, 240}};
  for (const auto& [width, height] : maps) {
    ReferenceMapView view;
    view.Reset(width, height);
    int ins = 0;
    while (view.ZoomIn()) ++ins;
    int outs = 0;
    while (view.ZoomOut()) ++outs;
    EXPECT_EQ(ins, 1) << width << "x" << height;
    EXPECT_EQ(outs, 2) << width << "x" << height;
    EXPECT_EQ(Size(view), std::make_pair(width / 2, height / 2));
  }
}

TEST(ReferenceMapViewTest, ScrollLimit) {
  // Wider than the client area: the overhang less the margin.
  EXPECT_EQ(ScrollLimit(300, 227, 10), 63);
  EXPECT_EQ(ScrollLimit(480, 227, 0), 253);
  // Fitting, exactly or with room to spare: a range of 0 to 1.
  EXPECT_EQ(ScrollLimit(227, 227, 10), 1);
  EXPECT_EQ(ScrollLimit(120, 227, 0), 1);
  // An overhang smaller than the margin gives no negative limit.
  EXPECT_EQ(ScrollLimit(232, 227, 10), 0);
}

TEST(ReferenceMapViewTest, ScrollTargetStaysWithinTheRange) {
  using R = tv::ui::ScrollCode;
  // Lines move one pixel, not past either end.
  EXPECT_EQ(ScrollTarget(R::kLineDown, 5, 0, 100, 20, 0), 6);
  EXPECT_EQ(ScrollTarget(R::kLineDown, 100, 0, 100, 20, 0), 100);
  EXPECT_EQ(ScrollTarget(R::kLineUp, 5, 0, 100, 20, 0), 4);
  EXPECT_EQ(ScrollTarget(R::kLineUp, 0, 0, 100, 20, 0), 0);
  // Pages move by the bar's page and stop at the ends.
  EXPECT_EQ(ScrollTarget(R::kPageDown, 50, 0, 100, 20, 0), 70);
  EXPECT_EQ(ScrollTarget(R::kPageDown, 90, 0, 100, 20, 0), 100);
  EXPECT_EQ(ScrollTarget(R::kPageUp, 50, 0, 100, 20, 0), 30);
  EXPECT_EQ(ScrollTarget(R::kPageUp, 10, 0, 100, 20, 0), 0);
  // The thumb goes where it is reported; top and bottom to the ends.
  EXPECT_EQ(ScrollTarget(R::kThumbTrack, 10, 0, 100, 20, 42), 42);
  EXPECT_EQ(ScrollTarget(R::kThumbPosition, 10, 0, 100, 20, 77), 77);
  EXPECT_EQ(ScrollTarget(R::kTop, 60, 0, 100, 20, 0), 0);
  EXPECT_EQ(ScrollTarget(R::kBottom, 60, 0, 100, 20, 0), 100);
  EXPECT_EQ(ScrollTarget(R::kEndScroll, 60, 0, 100, 20, 0), 60);
}

}  // namespace
}  // namespace terravue
