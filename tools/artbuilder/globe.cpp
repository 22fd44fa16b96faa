#include "tools/artbuilder/globe.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/artbuilder/raster.h"

namespace terravue::artbuilder {
namespace {

constexpr double kRadian = std::numbers::pi / 180;

struct Rgb {
  double r = 0;
  double g = 0;
  double b = 0;
};

constexpr Rgb kLand = {46, 160, 60};
constexpr Rgb kSea = {40, 96, 210};
constexpr Rgb kRim = {10, 24, 70};
constexpr Rgb kBackground = {255, 255, 255};

}  // namespace

LandMask::LandMask(const std::vector<Feature>& features, double step)
    : width_(static_cast<int>(std::lround(360 / step))),
      height_(static_cast<int>(std::lround(180 / step))),
      step_(step),
      land_(static_cast<size_t>(width_) * height_, false) {
  const SampleGrid grid{width_, height_, -180, 90, step};
  for (const Feature& feature : features) {
    for (const Polygon& polygon : feature.polygons) {
      RasterisePolygon(polygon, grid, [&](int i, int j) {
        land_[static_cast<size_t>(j) * width_ + i] = true;
      });
    }
  }
}

bool LandMask::IsLand(double lon, double lat) const {
  lon = std::remainder(lon, 360.0);  // into [-180, 180]
  const int i = std::clamp(static_cast<int>(std::floor((lon + 180) / step_)), 0, width_ - 1);
  const int j = std::clamp(static_cast<int>(std::floor((90 - lat) / step_)), 0, height_ - 1);
  return land_[static_cast<size_t>(j) * width_ + i];
}

tv::gfx::Bitmap RenderGlobe(const LandMask& land, double lon0, double lat0, int size) {
  constexpr int kSamples = 4;
  const double centre = size / 2.0;
  const double radius = size / 2.0 - 0.5;
  const double rim = std::max(1.0, size / 32.0) / radius;  // rim width, in radii
  const double phi0 = lat0 * kRadian;
  // Light from the upper left and in front.
  const double light[3] = {-0.45, 0.55, 0.70};

  tv::gfx::Bitmap bitmap(size, size, tv::gfx::PixelFormat::kRgb888);
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      Rgb sum;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double u = (px + (sx + 0.5) / kSamples - centre) / radius;
          const double v = (centre - py - (sy + 0.5) / kSamples) / radius;
          const double rho = std::hypot(u, v);
          Rgb c = kBackground;
          if (rho > 1) {
            // Background.
          } else if (rho > 1 - rim) {
            c = kRim;
          } else {
            // Inverse orthographic projection.
            const double cc = std::asin(rho);
            double lat = lat0;
            double lon = lon0;
            if (rho > 0) {
              lat = std::asin(std::cos(cc) * std::sin(phi0) +
                              v * std::sin(cc) * std::cos(phi0) / rho) / kRadian;
              lon = lon0 + std::atan2(u * std::sin(cc),
                                      rho * std::cos(cc) * std::cos(phi0) -
                                          v * std::sin(cc) * std::sin(phi0)) / kRadian;
            }
            const Rgb base = land.IsLand(lon, lat) ? kLand : kSea;
            const double w = std::sqrt(std::max(0.0, 1 - rho * rho));
            const double lambert = std::max(0.0, u * light[0] + v * light[1] + w * light[2]);
            const double shade = 0.45 + 0.7 * lambert;
            c = {base.r * shade, base.g * shade, base.b * shade};
          }
          sum.r += c.r;
          sum.g += c.g;
          sum.b += c.b;
        }
      }
      constexpr double kCount = kSamples * kSamples;
      auto channel = [](double v) {
        return static_cast<uint8_t>(std::clamp(std::lround(v / kCount), 0L, 255L));
      };
      bitmap.Store(px, py, {channel(sum.r), channel(sum.g), channel(sum.b)});
    }
  }
  return bitmap;
}

}  // namespace terravue::artbuilder
