#pragma once

#include <functional>

#include "tools/artbuilder/topojson.h"

namespace terravue::artbuilder {

// A regular grid of sample points over longitude and latitude. Sample (i, j)
// sits at the centre of its cell: lon_left + (i + 0.5) * step and
// lat_top - (j + 0.5) * step.
struct SampleGrid {
  int width = 0;
  int height = 0;
  double lon_left = -180;
  double lat_top = 90;
  double step = 1;

  double SampleLon(int i) const { return lon_left + (i + 0.5) * step; }
  double SampleLat(int j) const { return lat_top - (j + 0.5) * step; }
};

// Calls visit(i, j) once for every sample of `grid` that lies inside
// `polygon` by the even-odd rule over all its rings, so holes stay empty.
// Samples exactly on a left edge count as inside, on a right edge as outside,
// which keeps two polygons sharing an edge from both claiming a sample.
// Rings may cross the antimeridian (a step of more than 180 degrees of
// longitude between two positions); a ring that winds once around a pole, as
// Antarctica's does, is closed along that pole.
// The rings of `polygon` with continuous longitudes: each step of more than
// 180 degrees is taken the short way round, so a ring may leave [-180, 180].
// A ring that winds around a pole is closed along the nearer pole.
Polygon UnwrapPolygon(const Polygon& polygon);

void RasterisePolygon(const Polygon& polygon, const SampleGrid& grid,
                      const std::function<void(int i, int j)>& visit);

}  // namespace terravue::artbuilder
