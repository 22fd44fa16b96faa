#include "daynight/solar_model.h"

#include <cassert>
#include <cmath>

#include "db/zone_store.h"

namespace terravue {

namespace {

constexpr double kDegreesPerTurnInverse = 1.0 / 360;
constexpr double kDegreesPerHourInverse = 1.0 / 15;
constexpr double kMinutesPerHourInverse = 1.0 / 60;

// A time of day in hours, as computed, on the twelve-hour clock. A time
// before midnight or after the next midnight is taken around the clock first,
// so that its hour is 0 to 23; the minutes are the fraction of the hour,
// truncated.
SunEvent ToClockEvent(double hours) {
  hours = std::fmod(hours, 24.0);
  if (hours < 0) hours += 24.0;
  // A tiny negative time plus 24 can round up to 24 itself.
  if (hours >= 24.0) hours -= 24.0;
  const int whole = static_cast<int>(std::floor(hours));
  // For a whole hour of 1 or more, fmod(hours, whole) is the fraction of the
  // hour; for hour 0 it has no value, and the fraction is the time itself.
  const double fraction = whole == 0 ? hours : std::fmod(hours, whole);
  SunEvent event;
  event.minute = static_cast<int32_t>(std::floor(fraction * 60));
  event.after_noon = whole >= 12 ? 1 : 0;
  event.hour = ToTwelveHour(whole);
  return event;
}

ClockReading ReadingOf(const SunEvent& event) {
  ClockReading reading;
  reading.hour = event.hour;
  reading.minute = event.minute;
  reading.after_noon = event.after_noon;
  return reading;
}

}  // namespace

ClockReading NominalZoneTime(double zone_hours) {
  const tv::clock::SystemTime now = tv::clock::UtcNow();
  const int whole = static_cast<int>(zone_hours);
  const int minutes_off = static_cast<int>((zone_hours - whole) * -60.0);
  int minute = now.minute - minutes_off;
  int hour = whole + now.hour;
  if (minute < 0) {
    minute += 60;
    hour -= 1;
  }
  if (minute > 59) {
    minute -= 60;
    hour += 1;
  }
  // One step suffices for every real zone (-12 to +14 hours); the loops keep
  // any larger offset on a valid clock as well.
  tv::clock::SystemTime date = now;
  while (hour < 0) {
    hour += 24;
    date = SubtractOneDay(date);
  }
  while (hour >= 24) {
    hour -= 24;
    date = AddOneDay(date);
  }
  ClockReading reading;
  reading.year = date.year;
  reading.month = date.month;
  reading.day_of_week = date.day_of_week;
  reading.day = date.day;
  reading.hour = ToTwelveHour(hour);
  reading.minute = minute;
  reading.after_noon = hour >= 12 ? 1 : 0;
  reading.millisecond = now.millisecond;
  return reading;
}

double SolarDayNumber(int year, int month, int day) {
  const double y = year;
  const double m = month;
  const double d = day;
  // The year is counted from March, so that the leap day ends it.
  const double shifted_month = m > 2 ? m - 3 : m + 9;
  const double shifted_year = m > 2 ? y : y - 1;
  return std::floor(shifted_month * 30.6 + 0.5) + std::floor((shifted_year - 1976) * 365.25) +
         d + 0.5 - kEpochDayOffset;
}

SunTimes ComputeSunTimes(double longitude, double latitude, double zone_hours,
                         const tv::clock::SystemTime& date) {
  assert(std::isfinite(longitude) && std::isfinite(latitude) && std::isfinite(zone_hours));
  constexpr double k = kDegreesToRadians;
  const double day_number = SolarDayNumber(date.year, date.month, date.day);
  const double centuries = day_number * kDaysPerJulianCenturyInverse;
  const double anomaly = WrapDegrees(357.528 + 35999.05 * centuries);
  const double centre = 1.915 * std::sin(anomaly * k) + 0.02 * std::sin(2 * (anomaly * k));
  const double ecliptic = WrapDegrees(280.46 + 36000.77 * centuries + centre);
  const double ascension =
      ecliptic - 2.466 * std::sin(2 * (ecliptic * k)) + 0.053 * std::sin(4 * (ecliptic * k));
  const double obliquity = 23.4393 - 0.013 * centuries;
  const double declination =
      std::atan(std::tan(obliquity * k) * std::sin(ascension * k)) * kRadiansToDegrees;
  const double equation_of_time = (ecliptic - centre - ascension) * 4 * kMinutesPerHourInverse;
  const double noon = (15 * zone_hours - longitude) * kDegreesPerHourInverse + 12 - equation_of_time;

  // With 3.1416 for pi, latitudes within 0.0002 degrees of a pole come out
  // beyond 90 degrees and their cosine negative, which would turn polar day
  // into polar night; a latitude's cosine is never negative.
  const double cos_latitude = std::fabs(std::cos(latitude * k));
  const double cos_hour_angle =
      (std::sin(kRiseSetAltitude * k) - std::sin(latitude * k) * std::sin(declination * k)) /
      (cos_latitude * std::cos(declination * k));
  SunTimes times;
  // Beyond -1 the sun stays above the rising altitude all day; beyond 1 it
  // stays below it.
  if (cos_hour_angle < -1) {
    times.polar = PolarSky::kSunUpAllDay;
    return times;
  }
  if (cos_hour_angle > 1) {
    times.polar = PolarSky::kSunDownAllDay;
    return times;
  }
  const double half_day = std::acos(cos_hour_angle) * kHourAngleRadiansToHours;
  times.sunrise = ToClockEvent(noon - half_day);
  times.sunset = ToClockEvent(noon + half_day);
  return times;
}

int ToTwelveHour(int hour) {
  if (hour == 12) return 12;
  const int twelve = hour % 12;
  return twelve == 0 ? 12 : twelve;
}

double WrapDegrees(double angle) {
  return angle - 360 * std::floor(angle * kDegreesPerTurnInverse);
}

int ClockIsBefore(const ClockReading& reading, int event_hour, int event_minute,
                  int event_after_noon) {
  if (reading.after_noon != event_after_noon) return reading.after_noon == 0 ? 1 : 0;
  const int reading_hour = reading.hour == 12 ? 0 : reading.hour;
  const int hour = event_hour == 12 ? 0 : event_hour;
  if (reading_hour != hour) return reading_hour < hour ? 1 : 0;
  return reading.minute < event_minute ? 1 : 0;
}

DayNight ClassifyDayNight(const ClockReading& reading, const SunEvent& sunrise,
                          const SunEvent& sunset) {
  const int before_sunrise =
      ClockIsBefore(reading, sunrise.hour, sunrise.minute, sunrise.after_noon);
  const int before_sunset = ClockIsBefore(reading, sunset.hour, sunset.minute, sunset.after_noon);
  if (ClockIsBefore(ReadingOf(sunset), sunrise.hour, sunrise.minute, sunrise.after_noon)) {
    return before_sunset || !before_sunrise ? DayNight::kDay : DayNight::kNight;
  }
  // Sunrise lies at or before sunset: before both is before sunrise, before
  // neither is after sunset.
  return !before_sunrise && before_sunset ? DayNight::kDay : DayNight::kNight;
}

int NominalZone(double longitude) {
  return static_cast<int>(std::floor((longitude - 7.5) * kDegreesPerHourInverse)) + 1;
}

DayNight ClassifyPoint(double longitude, double latitude) {
  const int zone = NominalZone(longitude);
  const ClockReading reading = NominalZoneTime(zone);
  tv::clock::SystemTime date;
  date.year = reading.year;
  date.month = reading.month;
  date.day_of_week = reading.day_of_week;
  date.day = reading.day;
  const SunTimes times = ComputeSunTimes(longitude, latitude, zone, date);
  switch (times.polar) {
    case PolarSky::kSunUpAllDay:
      return DayNight::kDay;
    case PolarSky::kSunDownAllDay:
      return DayNight::kNight;
    case PolarSky::kNone:
      break;
  }
  return ClassifyDayNight(reading, times.sunrise, times.sunset);
}

}  // namespace terravue
