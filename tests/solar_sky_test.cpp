#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>

#include "daynight/solar_model.h"
#include "platform/clock/clock.h"

// The plot's day and night held against the sun's true altitude, computed
// here independently with the NOAA solar position equations (after Meeus,
// "Astronomical Algorithms"), which are good to about 0.01 degree.
namespace terravue {
namespace {

constexpr double kPi = 3.14159265358979323846;
double Radians(double degrees) { return degrees * kPi / 180; }
double Degrees(double radians) { return radians * 180 / kPi; }

// The geometric altitude of the sun's centre, in degrees, at an instant seen
// from a place (longitude east, latitude north).
double TrueSunAltitude(tv::clock::TimePoint instant, double longitude, double latitude) {
  const double unix_days =
      std::chrono::duration<double>(instant.time_since_epoch()).count() / 86400.0;
  const double julian_day = unix_days + 2440587.5;
  const double jc = (julian_day - 2451545.0) / 36525.0;

  const double mean_longitude = std::fmod(280.46646 + jc * (36000.76983 + jc * 0.0003032), 360);
  const double mean_anomaly = 357.52911 + jc * (35999.05029 - 0.0001537 * jc);
  const double eccentricity = 0.016708634 - jc * (0.000042037 + 0.0000001267 * jc);
  const double m = Radians(mean_anomaly);
  const double centre = std::sin(m) * (1.914602 - jc * (0.004817 + 0.000014 * jc)) +
                        std::sin(2 * m) * (0.019993 - 0.000101 * jc) +
                        std::sin(3 * m) * 0.000289;
  const double true_longitude = mean_longitude + centre;
  const double omega = Radians(125.04 - 1934.136 * jc);
  const double apparent_longitude = true_longitude - 0.00569 - 0.00478 * std::sin(omega);
  const double mean_obliquity =
      23 + (26 + (21.448 - jc * (46.815 + jc * (0.00059 - jc * 0.001813))) / 60) / 60;
  const double obliquity = Radians(mean_obliquity + 0.00256 * std::cos(omega));
  const double declination =
      std::asin(std::sin(obliquity) * std::sin(Radians(apparent_longitude)));

  const double y = std::pow(std::tan(obliquity / 2), 2);
  const double l0 = Radians(mean_longitude);
  const double equation_of_time_minutes =
      4 * Degrees(y * std::sin(2 * l0) - 2 * eccentricity * std::sin(m) +
                  4 * eccentricity * y * std::sin(m) * std::cos(2 * l0) -
                  0.5 * y * y * std::sin(4 * l0) -
                  1.25 * eccentricity * eccentricity * std::sin(2 * m));

  const double utc_minutes = (unix_days - std::floor(unix_days)) * 1440;
  double true_solar_minutes =
      std::fmod(utc_minutes + equation_of_time_minutes + 4 * longitude, 1440);
  if (true_solar_minutes < 0) true_solar_minutes += 1440;
  const double hour_angle = Radians(true_solar_minutes / 4 - 180);

  const double lat = Radians(latitude);
  const double cos_zenith = std::sin(lat) * std::sin(declination) +
                            std::cos(lat) * std::cos(declination) * std::cos(hour_angle);
  return 90 - Degrees(std::acos(std::fmax(-1.0, std::fmin(1.0, cos_zenith))));
}

TEST(TrueSunTest, KnownAltitudes) {
  // Solar noon on the equinox at Greenwich's equator: the sun near the
  // zenith; on the June solstice at 23.44 N the same; at midnight the
  // opposite.
  const auto at = [](const char* iso) { return *tv::clock::ParseIsoUtc(iso); };
  EXPECT_NEAR(TrueSunAltitude(at("2027-03-20T12:07:00Z"), 0, 0), 90, 0.5);
  EXPECT_NEAR(TrueSunAltitude(at("2027-06-21T12:02:00Z"), 0, 23.44), 90, 0.5);
  EXPECT_NEAR(TrueSunAltitude(at("2027-06-21T00:02:00Z"), 0, 23.44), -90 + 2 * 23.44, 0.5);
  // London at midsummer noon: 90 - 51.5 + 23.44.
  EXPECT_NEAR(TrueSunAltitude(at("2027-06-21T12:02:00Z"), 0, 51.5), 61.94, 0.1);
  // The same solar time east of Greenwich comes earlier in UTC.
  EXPECT_NEAR(TrueSunAltitude(at("2027-06-21T06:02:00Z"), 90, 51.5), 61.94, 0.1);
}

struct Agreement {
  int day_points = 0;    // true altitude above +1 degree
  int night_points = 0;  // true altitude below -2 degrees
  int day_wrong = 0;     // of those, classified night
  int night_wrong = 0;   // of those, classified day
};

Agreement CompareWithTheSky(tv::clock::TimePoint instant) {
  tv::clock::SetFixedUtc(instant);
  Agreement result;
  for (int x = kPlotFirstColumn; x <= kPlotLastColumn; x += kPlotStep) {
    for (int y = kPlotFirstRow; y <= kPlotLastRow; y += kPlotStep) {
      const double altitude = TrueSunAltitude(instant, MapLongitude(x), MapLatitude(y));
      const DayNight model = ClassifyMapPoint(x, y);
      if (altitude > 1) {
        ++result.day_points;
        if (model != DayNight::kDay) ++result.day_wrong;
      } else if (altitude < -2) {
        ++result.night_points;
        if (model != DayNight::kNight) ++result.night_wrong;
      }
    }
  }
  tv::clock::SetFixedUtc(std::nullopt);
  return result;
}

TEST(SkyTest, PlotAgreesWithTheSunThroughTheYear) {
  // The solstices and equinoxes of 2027 (to the nearest minutes); four days
  // on which the sun sets for a short while only at the plot's edge rows,
  // 67.5 N or 67.5 S, so that sunrise or sunset falls on the far side of
  // midnight; and sixteen more instants spread over the year and the hours.
  const char* const instants[] = {
      "2027-01-01T00:00:00Z", "2027-01-12T13:06:00Z", "2027-02-01T12:00:00Z",
      "2027-02-14T18:45:00Z", "2027-03-01T03:15:00Z", "2027-03-20T20:25:00Z",
      "2027-04-05T09:00:00Z", "2027-04-20T15:30:00Z", "2027-05-05T21:50:00Z",
      "2027-05-29T10:17:00Z", "2027-06-05T07:40:00Z", "2027-06-21T14:11:00Z",
      "2027-07-14T13:18:00Z", "2027-07-20T23:59:30Z", "2027-08-05T04:30:00Z",
      "2027-08-20T11:11:00Z", "2027-09-05T19:00:00Z", "2027-09-23T06:02:00Z",
      "2027-10-05T08:20:00Z", "2027-10-20T13:45:00Z", "2027-11-05T22:30:00Z",
      "2027-11-30T11:17:00Z", "2027-12-10T16:00:00Z", "2027-12-22T01:42:00Z",
  };
  int total_points = 0;
  int total_wrong = 0;
  for (const char* iso : instants) {
    const std::optional<tv::clock::TimePoint> instant = tv::clock::ParseIsoUtc(iso);
    ASSERT_TRUE(instant) << iso;
    const Agreement agreement = CompareWithTheSky(*instant);
    const int points = agreement.day_points + agreement.night_points;
    const int wrong = agreement.day_wrong + agreement.night_wrong;
    total_points += points;
    total_wrong += wrong;
    std::printf("%s  day %4d (%d wrong)  night %4d (%d wrong)  agree %.2f%%\n", iso,
                agreement.day_points, agreement.day_wrong, agreement.night_points,
                agreement.night_wrong, 100.0 * (points - wrong) / points);
    // Both sides of the world are well represented at every instant.
    EXPECT_GT(agreement.day_points, 1500) << iso;
    EXPECT_GT(agreement.night_points, 1500) << iso;
    EXPECT_GE(points - wrong, 0.995 * points) << iso;
  }
  std::printf("all instants: %d points, %d wrong\n", total_points, total_wrong);
}

}  // namespace
}  // namespace terravue
