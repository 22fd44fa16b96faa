// The zone builder's arithmetic: positions, calendar rules, and the reduction
// of a tz zone's year to the zone file's rules.

#include <gtest/gtest.h>

#include "tools/zonedata/zonedata.h"

namespace terravue::zonedata {
namespace {

TEST(Positions, ParsesBothNotationsAndTheirSigns) {
  const auto paris = ParseFactbookCoordinates("48 52 N, 2 20 E");
  ASSERT_TRUE(paris);
  EXPECT_NEAR(paris->latitude, 48.8667, 1e-3);
  EXPECT_NEAR(paris->longitude, 2.3333, 1e-3);
  // South and west are negative; the comma may be missing.
  const auto lima = ParseFactbookCoordinates("12 03 S 77 03 W");
  ASSERT_TRUE(lima);
  EXPECT_LT(lima->latitude, 0);
  EXPECT_LT(lima->longitude, 0);
  EXPECT_FALSE(ParseFactbookCoordinates("none"));

  const auto berlin = ParseIso6709("+5230+01322");
  ASSERT_TRUE(berlin);
  EXPECT_NEAR(berlin->latitude, 52.5, 1e-9);
  EXPECT_NEAR(berlin->longitude, 13.3667, 1e-3);
  const auto nome = ParseIso6709("+643004-1652423");
  ASSERT_TRUE(nome);
  EXPECT_NEAR(nome->latitude, 64.5011, 1e-3);
  EXPECT_NEAR(nome->longitude, -165.4064, 1e-3);
  EXPECT_FALSE(ParseIso6709("5230+01322"));

  // Paris to Berlin is about 880 km.
  EXPECT_NEAR(DistanceKm(*paris, *berlin), 878, 10);
}

TEST(Positions, LongitudeGivesTheEtcZoneOfTheNearestHour) {
  EXPECT_EQ(LongitudeZone(0), "Etc/GMT");
  EXPECT_EQ(LongitudeZone(7.4), "Etc/GMT");
  EXPECT_EQ(LongitudeZone(-75), "Etc/GMT+5");  // west: the POSIX sign is +
  EXPECT_EQ(LongitudeZone(152), "Etc/GMT-10");
  EXPECT_EQ(LongitudeZone(-176.5), "Etc/GMT+12");
}

TEST(Rules, DatesBecomeOrdinalOrLastWeekdays) {
  EXPECT_EQ(Weekday(2026, 1, 1), 4);  // a Thursday
  EXPECT_EQ(Weekday(2026, 3, 29), 0);
  EXPECT_EQ(DaysInMonth(2028, 2), 29);
  EXPECT_EQ(DaysInMonth(2100, 2), 28);
  // 29 March 2026 is the fifth and last Sunday; 22 March the fourth.
  EXPECT_EQ(RuleForDate(2026, 3, 29), (Rule{5, 0, 3}));
  EXPECT_EQ(RuleForDate(2026, 3, 22), (Rule{4, 0, 3}));
  EXPECT_EQ(RuleForDate(2026, 3, 8), (Rule{2, 0, 3}));
  // The last Monday of a month with four Mondays is still "last".
  EXPECT_EQ(RuleForDate(2026, 2, 23), (Rule{5, 1, 2}));
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= DaysInMonth(2026, month); ++day) {
      ASSERT_EQ(ResolveRule(RuleForDate(2026, month, day), 2026), day) << month << "/" << day;
    }
  }
  EXPECT_EQ(ResolveRule(Rule{0, 0, 0}, 2026), 0);
}

TEST(Rules, DaylightPeriodWrapsForTheSouth) {
  EXPECT_TRUE(InDaylightPeriod(3, 29, 3, 29, 10, 25));
  EXPECT_FALSE(InDaylightPeriod(3, 28, 3, 29, 10, 25));
  EXPECT_FALSE(InDaylightPeriod(10, 25, 3, 29, 10, 25));
  EXPECT_TRUE(InDaylightPeriod(12, 31, 9, 27, 4, 5));
  EXPECT_TRUE(InDaylightPeriod(1, 1, 9, 27, 4, 5));
  EXPECT_FALSE(InDaylightPeriod(6, 1, 9, 27, 4, 5));
}

TEST(YearScan, ReadsNorthernSouthernAndNegativeDaylightSaving) {
  const YearRules berlin = DeriveYearRules("Europe/Berlin", 2026);
  EXPECT_EQ(berlin.standard_east, 60);
  ASSERT_TRUE(berlin.has_daylight);
  EXPECT_EQ(berlin.start, (Rule{5, 0, 3}));
  EXPECT_EQ(berlin.end, (Rule{5, 0, 10}));
  EXPECT_EQ(berlin.wrong_days, 0);
  EXPECT_EQ(berlin.transitions, 2);

  const YearRules auckland = DeriveYearRules("Pacific/Auckland", 2026);
  EXPECT_EQ(auckland.standard_east, 720);
  EXPECT_EQ(auckland.start, (Rule{5, 0, 9}));
  EXPECT_EQ(auckland.end, (Rule{1, 0, 4}));
  EXPECT_EQ(auckland.wrong_days, 0);

  // Irish winter time is negative daylight saving in the tz data; the file
  // needs GMT as standard and summer as daylight.
  const YearRules dublin = DeriveYearRules("Europe/Dublin", 2026);
  EXPECT_EQ(dublin.standard_east, 0);
  EXPECT_TRUE(dublin.has_daylight);
  EXPECT_EQ(dublin.wrong_days, 0);

  const YearRules tokyo = DeriveYearRules("Asia/Tokyo", 2026);
  EXPECT_EQ(tokyo.standard_east, 540);
  EXPECT_FALSE(tokyo.has_daylight);
  EXPECT_EQ(tokyo.transitions, 0);
}

TEST(YearScan, HalfHourShiftFallsBackAndCountsItsCost) {
  // Lord Howe moves by half an hour, which the file cannot say.
  const YearRules lord_howe = DeriveYearRules("Australia/Lord_Howe", 2026);
  EXPECT_FALSE(lord_howe.has_daylight);
  EXPECT_FALSE(lord_howe.note.empty());
  EXPECT_GT(lord_howe.wrong_days, 100);
  EXPECT_LT(lord_howe.wrong_days, 265);
}

TEST(Names, BuiltNamesCarryNoFieldSeparator) {
  EXPECT_EQ(GmtName(0), "GMT");
  EXPECT_EQ(GmtName(330), "GMT+05:30");
  EXPECT_EQ(GmtName(-210), "GMT-03:30");
  EXPECT_EQ(WithoutCommas("Saint Helena, Ascension"), "Saint Helena Ascension");
}

}  // namespace
}  // namespace terravue::zonedata
