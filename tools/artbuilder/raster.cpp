#include "tools/artbuilder/raster.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace terravue::artbuilder {

Polygon UnwrapPolygon(const Polygon& polygon) {
  Polygon result;
  for (const Ring& ring : polygon) {
    if (ring.empty()) continue;
    Ring unwrapped;
    unwrapped.reserve(ring.size() + 2);
    double offset = 0;
    double lat_sum = 0;
    unwrapped.push_back(ring.front());
    for (size_t k = 1; k < ring.size(); ++k) {
      const double step = ring[k].lon - ring[k - 1].lon;
      if (step > 180) offset -= 360;
      if (step < -180) offset += 360;
      unwrapped.push_back({ring[k].lon + offset, ring[k].lat});
      lat_sum += ring[k].lat;
    }
    // A ring around a pole ends a full turn away from where it began; the
    // pole closes it into an area that a flat scan can fill.
    const double turn = unwrapped.back().lon - unwrapped.front().lon;
    if (std::abs(turn) > 180) {
      const double pole = lat_sum < 0 ? -90 : 90;
      unwrapped.push_back({unwrapped.back().lon, pole});
      unwrapped.push_back({unwrapped.front().lon, pole});
    }
    result.push_back(std::move(unwrapped));
  }
  // Holes unwrap on their own and may land a turn away from their outer
  // ring; bring each next to the first ring so scan lines pair them up.
  auto mean_lon = [](const Ring& ring) {
    double sum = 0;
    for (const GeoPoint& p : ring) sum += p.lon;
    return sum / ring.size();
  };
  for (size_t r = 1; r < result.size(); ++r) {
    const double shift =
        360 * std::round((mean_lon(result.front()) - mean_lon(result[r])) / 360);
    if (shift == 0) continue;
    for (GeoPoint& p : result[r]) p.lon += shift;
  }
  return result;
}

void RasterisePolygon(const Polygon& polygon, const SampleGrid& grid,
                      const std::function<void(int i, int j)>& visit) {
  const Polygon rings = UnwrapPolygon(polygon);
  double lat_min = 90;
  double lat_max = -90;
  double lon_min = 1e9;
  double lon_max = -1e9;
  for (const Ring& ring : rings) {
    for (const GeoPoint& p : ring) {
      lat_min = std::min(lat_min, p.lat);
      lat_max = std::max(lat_max, p.lat);
      lon_min = std::min(lon_min, p.lon);
      lon_max = std::max(lon_max, p.lon);
    }
  }
  if (lat_min > lat_max) return;
  // Rows whose sample latitude can fall inside [lat_min, lat_max].
  const int j_first = std::max(
      0, static_cast<int>(std::floor((grid.lat_top - lat_max) / grid.step - 0.5)));
  const int j_last = std::min(
      grid.height - 1, static_cast<int>(std::ceil((grid.lat_top - lat_min) / grid.step - 0.5)));

  // Unwrapped rings may reach past either edge of the grid; their copies one
  // turn to either side fill what lies beyond. Each ring spans at most one
  // turn, so its copies never overlap and pair their crossings on their own.
  const double grid_right = grid.lon_left + grid.width * grid.step;
  std::vector<double> shifts;
  for (double shift : {-360.0, 0.0, 360.0}) {
    if (lon_max + shift >= grid.lon_left && lon_min + shift <= grid_right) {
      shifts.push_back(shift);
    }
  }

  std::vector<double> crossings;
  for (int j = j_first; j <= j_last; ++j) {
    const double lat = grid.SampleLat(j);
    crossings.clear();
    for (const Ring& ring : rings) {
      const size_t n = ring.size();
      for (size_t k = 0; k < n; ++k) {
        const GeoPoint& a = ring[k];
        const GeoPoint& b = ring[(k + 1) % n];
        // Half-open in latitude so a vertex on the scan line counts once.
        if ((a.lat > lat) == (b.lat > lat)) continue;
        crossings.push_back(a.lon + (lat - a.lat) * (b.lon - a.lon) / (b.lat - a.lat));
      }
    }
    std::sort(crossings.begin(), crossings.end());
    for (double shift : shifts) {
      for (size_t k = 0; k + 1 < crossings.size(); k += 2) {
        // Samples whose centre lies in [left, right).
        const double left = (crossings[k] + shift - grid.lon_left) / grid.step - 0.5;
        const double right = (crossings[k + 1] + shift - grid.lon_left) / grid.step - 0.5;
        const int i_begin = static_cast<int>(std::max(0.0, std::ceil(left)));
        const int i_end = static_cast<int>(std::min<double>(grid.width, std::ceil(right)));
        for (int i = i_begin; i < i_end; ++i) visit(i, j);
      }
    }
  }
}

}  // namespace terravue::artbuilder
