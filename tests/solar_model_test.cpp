#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "daynight/solar_model.h"
#include "platform/clock/clock.h"

namespace terravue {
namespace {

using tv::clock::SystemTime;

SystemTime Date(int year, int month, int day) {
  return SystemTime{year, month, tv::clock::DayOfWeek(year, month, day), day};
}

ClockReading Reading(int hour, int minute, int after_noon) {
  ClockReading reading;
  reading.hour = hour;
  reading.minute = minute;
  reading.after_noon = after_noon;
  return reading;
}

void SetClock(const char* iso) {
  const std::optional<tv::clock::TimePoint> instant = tv::clock::ParseIsoUtc(iso);
  ASSERT_TRUE(instant) << iso;
  tv::clock::SetFixedUtc(instant);
}

// Minutes after midnight of an event on the twelve-hour clock.
int MinuteOfDay(const SunEvent& event) {
  return ((event.hour % 12) + 12 * event.after_noon) * 60 + event.minute;
}

class SolarClockTest : public ::testing::Test {
 protected:
  void TearDown() override { tv::clock::SetFixedUtc(std::nullopt); }
};

TEST(SunTimesTest, KnownPlacesAndDates) {
  const SunTimes london = ComputeSunTimes(0, 51.5, 0, Date(2003, 6, 21));
  EXPECT_EQ(london.polar, PolarSky::kNone);
  EXPECT_EQ(london.sunrise, (SunEvent{3, 42, 0}));
  EXPECT_EQ(london.sunset, (SunEvent{8, 20, 1}));

  const SunTimes new_york = ComputeSunTimes(-74, 40.7, -5, Date(2003, 3, 21));
  EXPECT_EQ(new_york.sunrise, (SunEvent{5, 58, 0}));
  EXPECT_EQ(new_york.sunset, (SunEvent{6, 8, 1}));

  const SunTimes sydney = ComputeSunTimes(151.2, -33.9, 10, Date(2003, 1, 1));
  EXPECT_EQ(sydney.sunrise, (SunEvent{4, 47, 0}));
  EXPECT_EQ(sydney.sunset, (SunEvent{7, 9, 1}));

  // Only the date counts, not its weekday or time of day.
  SystemTime noon = Date(2003, 6, 21);
  noon.hour = 13;
  noon.minute = 59;
  noon.day_of_week = 0;
  EXPECT_EQ(ComputeSunTimes(0, 51.5, 0, noon), london);
}

TEST(DayNumberTest, AroundFebruaryAndMarch) {
  EXPECT_EQ(SolarDayNumber(2000, 1, 1), 0);
  EXPECT_EQ(SolarDayNumber(2003, 1, 31), 1126);
  EXPECT_EQ(SolarDayNumber(2003, 2, 1), 1127);
  EXPECT_EQ(SolarDayNumber(2003, 2, 28), 1154);
  EXPECT_EQ(SolarDayNumber(2003, 3, 1), 1155);
  EXPECT_EQ(SolarDayNumber(2004, 2, 29), SolarDayNumber(2004, 2, 28) + 1);
  EXPECT_EQ(SolarDayNumber(2004, 3, 1), SolarDayNumber(2004, 2, 29) + 1);
}

TEST(DayNumberTest, CountsEveryDayOnceThroughTheCentury) {
  // Every month boundary, year boundary and leap day from 1901 to 2099.
  SystemTime date = Date(1901, 1, 1);
  double previous = SolarDayNumber(date.year, date.month, date.day);
  EXPECT_EQ(previous, -36159);  // 36,159 days before 1 January 2000
  while (date.year < 2100) {
    date = *tv::clock::AddDays(date, 1);
    const double number = SolarDayNumber(date.year, date.month, date.day);
    ASSERT_EQ(number, previous + 1) << date.year << "-" << date.month << "-" << date.day;
    previous = number;
  }
}

TEST(NominalZoneTest, BoundariesBelongToTheZoneEastOfThem) {
  EXPECT_EQ(NominalZone(7.5), 1);
  EXPECT_EQ(NominalZone(7.4999), 0);
  EXPECT_EQ(NominalZone(-7.5), 0);
  EXPECT_EQ(NominalZone(-7.5001), -1);
  EXPECT_EQ(NominalZone(-180), -12);
  EXPECT_EQ(NominalZone(178.5), 12);
  EXPECT_EQ(NominalZone(0), 0);
  // Every zone boundary of the map, west to east.
  for (int zone = -11; zone <= 12; ++zone) {
    EXPECT_EQ(NominalZone(zone * 15 - 7.5), zone) << zone;
  }
}

TEST(TwelveHourClockTest, TwelveHourValuesAndWrappedDegrees) {
  EXPECT_EQ(ToTwelveHour(0), 12);
  EXPECT_EQ(ToTwelveHour(11), 11);
  EXPECT_EQ(ToTwelveHour(12), 12);
  EXPECT_EQ(ToTwelveHour(13), 1);
  EXPECT_EQ(ToTwelveHour(23), 11);
  EXPECT_DOUBLE_EQ(WrapDegrees(-10), 350);
  EXPECT_DOUBLE_EQ(WrapDegrees(370), 10);
  EXPECT_DOUBLE_EQ(WrapDegrees(-720.25), 359.75);
}

TEST(TwelveHourClockTest, TwelveIsTheFirstHourOfEachHalf) {
  EXPECT_EQ(ClockIsBefore(Reading(12, 30, 0), 12, 45, 0), 1);
  EXPECT_EQ(ClockIsBefore(Reading(12, 30, 0), 12, 15, 0), 0);
  EXPECT_EQ(ClockIsBefore(Reading(12, 30, 0), 12, 30, 0), 0);
  EXPECT_EQ(ClockIsBefore(Reading(1, 0, 0), 12, 45, 0), 0);
  EXPECT_EQ(ClockIsBefore(Reading(12, 59, 0), 1, 0, 0), 1);
  EXPECT_EQ(ClockIsBefore(Reading(11, 59, 0), 12, 0, 1), 1);
  EXPECT_EQ(ClockIsBefore(Reading(12, 5, 1), 11, 0, 1), 1);
  EXPECT_EQ(ClockIsBefore(Reading(11, 0, 1), 12, 5, 1), 0);
}

TEST(TwelveHourClockTest, HalvesOfTheDayDecideFirst) {
  // An afternoon reading is never before a morning event; a morning reading
  // is always before an afternoon event.
  for (int hour = 1; hour <= 12; ++hour) {
    for (int minute = 0; minute < 60; minute += 7) {
      for (int event_hour = 1; event_hour <= 12; ++event_hour) {
        EXPECT_EQ(ClockIsBefore(Reading(hour, minute, 1), event_hour, 30, 0), 0);
        EXPECT_EQ(ClockIsBefore(Reading(hour, minute, 0), event_hour, 30, 1), 1);
      }
    }
  }
}

TEST(DayNightTest, DayFromSunriseUpToSunset) {
  const SunEvent sunrise{5, 58, 0};
  const SunEvent sunset{6, 8, 1};
  EXPECT_EQ(ClassifyDayNight(Reading(12, 0, 0), sunrise, sunset), DayNight::kNight);
  EXPECT_EQ(ClassifyDayNight(Reading(5, 57, 0), sunrise, sunset), DayNight::kNight);
  EXPECT_EQ(ClassifyDayNight(Reading(5, 58, 0), sunrise, sunset), DayNight::kDay);
  EXPECT_EQ(ClassifyDayNight(Reading(12, 0, 1), sunrise, sunset), DayNight::kDay);
  EXPECT_EQ(ClassifyDayNight(Reading(6, 7, 1), sunrise, sunset), DayNight::kDay);
  EXPECT_EQ(ClassifyDayNight(Reading(6, 8, 1), sunrise, sunset), DayNight::kNight);
  EXPECT_EQ(ClassifyDayNight(Reading(11, 59, 1), sunrise, sunset), DayNight::kNight);
}

TEST(DayNightTest, DayOverMidnightIsNightOnlyFromSunsetToSunrise) {
  // A summer day near the Arctic circle: the sun sets at 0:18 and rises
  // again at 0:41.
  const SunEvent sunrise{12, 41, 0};
  const SunEvent sunset{12, 18, 0};
  EXPECT_EQ(ClassifyDayNight(Reading(12, 0, 0), sunrise, sunset), DayNight::kDay);
  EXPECT_EQ(ClassifyDayNight(Reading(12, 17, 0), sunrise, sunset), DayNight::kDay);
  EXPECT_EQ(ClassifyDayNight(Reading(12, 18, 0), sunrise, sunset), DayNight::kNight);
  EXPECT_EQ(ClassifyDayNight(Reading(12, 40, 0), sunrise, sunset), DayNight::kNight);
  EXPECT_EQ(ClassifyDayNight(Reading(12, 41, 0), sunrise, sunset), DayNight::kDay);
  EXPECT_EQ(ClassifyDayNight(Reading(12, 0, 1), sunrise, sunset), DayNight::kDay);
  EXPECT_EQ(ClassifyDayNight(Reading(11, 59, 1), sunrise, sunset), DayNight::kDay);
  // A sunrise taken back from before midnight: 11:50 PM the evening before.
  const SunEvent late_sunrise{11, 50, 1};
  const SunEvent sunset_after{11, 40, 1};
  EXPECT_EQ(ClassifyDayNight(Reading(11, 45, 1), late_sunrise, sunset_after), DayNight::kNight);
  EXPECT_EQ(ClassifyDayNight(Reading(11, 50, 1), late_sunrise, sunset_after), DayNight::kDay);
  EXPECT_EQ(ClassifyDayNight(Reading(3, 0, 0), late_sunrise, sunset_after), DayNight::kDay);
}

TEST(SunTimesTest, SunsetAfterMidnightComesRoundTheClock) {
  // At 65.7 N on the June solstice the sun dips below the horizon for a few
  // minutes around half past midnight (zone 0, 7.4 W).
  const SunTimes arctic = ComputeSunTimes(-7.4, 65.7, 0, Date(2027, 6, 21));
  ASSERT_EQ(arctic.polar, PolarSky::kNone);
  EXPECT_EQ(arctic.sunset.hour, 12);
  EXPECT_EQ(arctic.sunset.after_noon, 0);
  EXPECT_EQ(arctic.sunrise.hour, 12);
  EXPECT_EQ(arctic.sunrise.after_noon, 0);
  EXPECT_LT(MinuteOfDay(arctic.sunset), MinuteOfDay(arctic.sunrise));
  EXPECT_GE(arctic.sunrise.minute, 0);
  EXPECT_LT(arctic.sunrise.minute, 60);
  // Sunrise and sunset lie symmetric about the same solar noon as further
  // south, once the sunset is counted on the next day.
  const SunTimes south = ComputeSunTimes(-7.4, 60, 0, Date(2027, 6, 21));
  const int noon_twice = MinuteOfDay(south.sunrise) + MinuteOfDay(south.sunset);
  EXPECT_NEAR(MinuteOfDay(arctic.sunrise) + MinuteOfDay(arctic.sunset) + 24 * 60, noon_twice, 2);
}

TEST(SunTimesTest, SunriseBeforeMidnightComesRoundTheClock) {
  // At 65.7 S on the December solstice, far west in zone 0, the sun rises
  // before midnight of the zone's clock and sets after 11 PM.
  const SunTimes antarctic = ComputeSunTimes(7.4, -65.7, 0, Date(2027, 12, 21));
  ASSERT_EQ(antarctic.polar, PolarSky::kNone);
  EXPECT_EQ(antarctic.sunrise.hour, 11);
  EXPECT_EQ(antarctic.sunrise.after_noon, 1);
  EXPECT_EQ(antarctic.sunset.hour, 11);
  EXPECT_EQ(antarctic.sunset.after_noon, 1);
  EXPECT_LT(MinuteOfDay(antarctic.sunset), MinuteOfDay(antarctic.sunrise));
  const SunTimes north = ComputeSunTimes(7.4, -60, 0, Date(2027, 12, 21));
  const int noon_twice = MinuteOfDay(north.sunrise) + MinuteOfDay(north.sunset);
  EXPECT_NEAR(MinuteOfDay(antarctic.sunrise) - 24 * 60 + MinuteOfDay(antarctic.sunset), noon_twice,
              2);
}

TEST(SunTimesTest, PolarDayAndPolarNight) {
  const SystemTime june = Date(2027, 6, 21);
  const SystemTime december = Date(2027, 12, 21);
  for (double latitude : {70.0, 80.0, 89.9, 90.0}) {
    EXPECT_EQ(ComputeSunTimes(15, latitude, 1, june).polar, PolarSky::kSunUpAllDay) << latitude;
    EXPECT_EQ(ComputeSunTimes(15, latitude, 1, december).polar, PolarSky::kSunDownAllDay)
        << latitude;
    EXPECT_EQ(ComputeSunTimes(15, -latitude, 1, june).polar, PolarSky::kSunDownAllDay)
        << latitude;
    EXPECT_EQ(ComputeSunTimes(15, -latitude, 1, december).polar, PolarSky::kSunUpAllDay)
        << latitude;
  }
  // No times are given for a day without sunrise or sunset.
  const SunTimes pole = ComputeSunTimes(0, 90, 0, june);
  EXPECT_EQ(pole.sunrise, SunEvent{});
  EXPECT_EQ(pole.sunset, SunEvent{});
  // At the equinox the pole sees sunrise and sunset in the same day.
  EXPECT_EQ(ComputeSunTimes(0, 60, 0, Date(2027, 3, 20)).polar, PolarSky::kNone);
}

TEST_F(SolarClockTest, NominalZoneTimeAcrossMidnight) {
  SetClock("2027-12-31T23:30:00.250Z");
  ClockReading reading = NominalZoneTime(1);
  EXPECT_EQ(reading, (ClockReading{2028, 1, 6, 1, 12, 30, 0, 250}));  // Saturday
  reading = NominalZoneTime(12);
  EXPECT_EQ(reading, (ClockReading{2028, 1, 6, 1, 11, 30, 0, 250}));
  reading = NominalZoneTime(0);
  EXPECT_EQ(reading, (ClockReading{2027, 12, 5, 31, 11, 30, 1, 250}));
  reading = NominalZoneTime(-11);
  EXPECT_EQ(reading, (ClockReading{2027, 12, 5, 31, 12, 30, 1, 250}));

  SetClock("2027-03-01T05:00:00Z");
  reading = NominalZoneTime(-12);
  EXPECT_EQ(reading, (ClockReading{2027, 2, 0, 28, 5, 0, 1, 0}));  // Sunday
  reading = NominalZoneTime(-5);
  EXPECT_EQ(reading, (ClockReading{2027, 3, 1, 1, 12, 0, 0, 0}));

  // Half hours carry the minutes into the hour and the date.
  SetClock("2027-12-31T18:45:00Z");
  reading = NominalZoneTime(5.5);
  EXPECT_EQ(reading, (ClockReading{2028, 1, 6, 1, 12, 15, 0, 0}));
  SetClock("2027-01-01T01:10:00Z");
  reading = NominalZoneTime(-3.5);
  EXPECT_EQ(reading, (ClockReading{2026, 12, 4, 31, 9, 40, 1, 0}));
}

TEST_F(SolarClockTest, PointsReadTheClockEachTime) {
  SetClock("2027-06-21T12:00:00Z");
  EXPECT_EQ(ClassifyPoint(0, 51.5), DayNight::kDay);             // London at noon
  EXPECT_EQ(ClassifyPoint(-150, 21), DayNight::kNight);          // Hawaii at 2 AM
  EXPECT_EQ(ClassifyPoint(177, 0), DayNight::kNight);            // midnight at the date line
  EXPECT_EQ(ClassifyPoint(-177, 0), DayNight::kNight);
  EXPECT_EQ(ClassifyPoint(100, 67.5), DayNight::kDay);           // polar day
  EXPECT_EQ(ClassifyPoint(0, -73.5), DayNight::kNight);          // polar night at noon
  EXPECT_EQ(ClassifyMapPoint(120, 26), ClassifyPoint(0, 51));    // the map's Greenwich
  EXPECT_EQ(ClassifyMapPoint(20, 46), DayNight::kNight);         // (-150, 21)

  SetClock("2027-06-21T00:00:00Z");
  EXPECT_EQ(ClassifyPoint(0, 51.5), DayNight::kNight);
  EXPECT_EQ(ClassifyPoint(-150, 21), DayNight::kDay);            // 2 PM of the day before
  EXPECT_EQ(ClassifyPoint(0, 67.5), DayNight::kDay);             // midnight sun
  EXPECT_EQ(ClassifyMapPoint(120, 15), DayNight::kDay);

  // London around sunrise, read from the nominal zone's clock.
  SetClock("2003-06-21T03:41:59Z");
  EXPECT_EQ(ClassifyPoint(0, 51.5), DayNight::kNight);
  SetClock("2003-06-21T03:42:00Z");
  EXPECT_EQ(ClassifyPoint(0, 51.5), DayNight::kDay);
  SetClock("2003-06-21T20:19:59Z");
  EXPECT_EQ(ClassifyPoint(0, 51.5), DayNight::kDay);
  SetClock("2003-06-21T20:20:00Z");
  EXPECT_EQ(ClassifyPoint(0, 51.5), DayNight::kNight);
}

}  // namespace
}  // namespace terravue
