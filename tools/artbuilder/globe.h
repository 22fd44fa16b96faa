#pragma once

#include <vector>

#include "platform/gfx/bitmap.h"
#include "tools/artbuilder/topojson.h"

namespace terravue::artbuilder {

// Land and sea on a regular longitude/latitude grid, for looking up whether a
// point is land.
class LandMask {
 public:
  // Rasterises every polygon of `features` at `step` degrees.
  LandMask(const std::vector<Feature>& features, double step);
  bool IsLand(double lon, double lat) const;

 private:
  int width_;
  int height_;
  double step_;
  std::vector<bool> land_;
};

// The sizes of the desktop icons, in pixels (the hicolor theme's folders).
inline constexpr int kDesktopIconSizes[] = {16, 32, 48, 64, 128, 256};

// The program icon: a globe in orthographic projection centred on
// (lon0, lat0), land green and sea blue, lit from the upper left, with a dark
// rim, on white. `size` is the bitmap's width and height.
tv::gfx::Bitmap RenderGlobe(const LandMask& land, double lon0, double lat0, int size);

}  // namespace terravue::artbuilder
