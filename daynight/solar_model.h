#pragma once

#include <cstdint>

#include "platform/clock/clock.h"

namespace terravue {

// Whether a point of the world is in day or night now, from a low-precision
// solar model: the point's clock time (in the nominal zone of its longitude) is
// compared with that point's sunrise and sunset today. The model keeps the
// handheld's arithmetic, 3.1416 for pi included, so that it draws the same
// night as the handheld did. Over the plot's latitudes, where it says night the
// sun's centre stands at most about 0.4 degrees above its altitude at sunset,
// and where it says day at most about 0.4 degrees below it.

// A date and clock time on the twelve-hour clock, in the field order of the
// platform's system time: the hour is 1 to 12 and the field that holds the
// second there holds the after-noon flag (0 from midnight to 11:59, 1 from
// noon to 23:59).
struct ClockReading {
  int year = 0;
  int month = 0;        // 1 to 12
  int day_of_week = 0;  // 0 = Sunday
  int day = 0;          // 1 to 31
  int hour = 0;         // 1 to 12
  int minute = 0;
  int after_noon = 0;
  int millisecond = 0;

  friend bool operator==(const ClockReading&, const ClockReading&) = default;
};

// A sunrise or sunset on the twelve-hour clock of the zone it was computed in.
struct SunEvent {
  int32_t hour = 0;  // 1 to 12
  int32_t minute = 0;
  int32_t after_noon = 0;

  friend bool operator==(const SunEvent&, const SunEvent&) = default;
};

// Days on which the sun never crosses the horizon have no sunrise or sunset.
enum class PolarSky {
  kNone,            // the sun rises and sets: sunrise and sunset hold the times
  kSunUpAllDay,     // polar day
  kSunDownAllDay,   // polar night
};

struct SunTimes {
  SunEvent sunrise;
  SunEvent sunset;
  // Anything but kNone leaves sunrise and sunset at zero.
  PolarSky polar = PolarSky::kNone;

  friend bool operator==(const SunTimes&, const SunTimes&) = default;
};

enum class DayNight { kDay = 1, kNight = 2 };

// The conversion factors, all with 3.1416 for pi.
inline constexpr double kDegreesToRadians = 0.017453333333333335;   // 3.1416 / 180
inline constexpr double kRadiansToDegrees = 57.29564553093965;      // 180 / 3.1416
inline constexpr double kHourAngleRadiansToHours = 3.8197097020626436;  // 12 / 3.1416
inline constexpr double kDaysPerJulianCenturyInverse = 2.7378507871321012e-05;  // 1 / 36525
// The day number counts days from 1 January 2000.
inline constexpr double kEpochDayOffset = 8707.5;
// The altitude of the sun's centre at sunrise and sunset, for refraction and
// the sun's radius.
inline constexpr double kRiseSetAltitude = -0.8333;

// The current UTC date and time moved by `zone_hours` (a whole or fractional
// number of hours east of UTC), on the twelve-hour clock.
ClockReading NominalZoneTime(double zone_hours);

// Sunrise and sunset at a place (longitude east, latitude north, degrees) on
// a date (only its year, month and day are read), in the time of the zone
// `zone_hours` east of UTC. A sunrise before midnight or a sunset after the
// next one is given as its time on the clock, so the sunset then lies before
// the sunrise on the clock.
SunTimes ComputeSunTimes(double longitude, double latitude, double zone_hours,
                         const tv::clock::SystemTime& date);

// The day number of the model: 0 on 1 January 2000, one more each day
// (every fourth year a leap year, which holds from 1901 to 2099).
double SolarDayNumber(int year, int month, int day);

// An hour of 0 to 23 on the twelve-hour clock: 12 for 0 and 12, otherwise
// hour mod 12.
int ToTwelveHour(int hour);

// The angle moved into [0, 360).
double WrapDegrees(double angle);

// Whether the reading lies before the event (a time of the same day on the
// twelve-hour clock). 12:xx is the first hour of each half of the day.
int ClockIsBefore(const ClockReading& reading, int event_hour, int event_minute,
                  int event_after_noon);

// Day when the reading lies from sunrise up to sunset, night otherwise. When
// the sunset lies before the sunrise on the clock (a day that runs over
// midnight), night is from sunset up to sunrise.
DayNight ClassifyDayNight(const ClockReading& reading, const SunEvent& sunrise,
                          const SunEvent& sunset);

// The nominal zone of a longitude: whole hours, boundaries at odd multiples
// of 7.5 degrees, a boundary belonging to the zone east of it.
int NominalZone(double longitude);

// Day or night now at a point, in the nominal zone of its longitude. Reads
// the clock and computes the model afresh on every call.
DayNight ClassifyPoint(double longitude, double latitude);

// The world map the plot is drawn on is 240 by 120 pixels, 1.5 degrees each,
// longitude -180 at x = 0 and latitude 90 at y = 0. The plot samples every
// second column and every second row from 15 to 109: 120 by 48 points.
inline constexpr int kPlotFirstColumn = 0;
inline constexpr int kPlotLastColumn = 238;
inline constexpr int kPlotFirstRow = 15;
inline constexpr int kPlotLastRow = 109;
inline constexpr int kPlotStep = 2;

inline double MapLongitude(int x) { return (x - 120) * 1.5; }
inline double MapLatitude(int y) { return (60 - y) * 1.5; }

// Day or night now at the pixel (x, y) of the world map.
inline DayNight ClassifyMapPoint(int x, int y) {
  return ClassifyPoint(MapLongitude(x), MapLatitude(y));
}

}  // namespace terravue
