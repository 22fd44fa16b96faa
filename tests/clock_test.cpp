#include <gtest/gtest.h>

#include "platform/clock/clock.h"

namespace tv::clock {
namespace {

SystemTime At(int year, int month, int day, int hour = 0, int minute = 0) {
  return SystemTime{year, month, DayOfWeek(year, month, day), day, hour, minute, 7, 250};
}

TEST(CalendarTest, LeapYearsAndMonthLengths) {
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(2100));
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2100, 2), 28);
  EXPECT_EQ(DaysInMonth(2027, 4), 30);
  EXPECT_EQ(DaysInMonth(2027, 12), 31);
  EXPECT_EQ(DaysInMonth(2027, 0), 0);
  EXPECT_EQ(DaysInMonth(2027, 13), 0);
  EXPECT_FALSE(IsValidDate(2027, 2, 29));
  EXPECT_FALSE(IsValidDate(2027, 4, 31));
  EXPECT_FALSE(IsValidDate(99, 12, 31));
  EXPECT_FALSE(IsValidDate(10000, 1, 1));
}

TEST(CalendarTest, DayOfWeekOfKnownDates) {
  EXPECT_EQ(DayOfWeek(1899, 12, 30), 6);  // Saturday, the OLE epoch
  EXPECT_EQ(DayOfWeek(1970, 1, 1), 4);    // Thursday
  EXPECT_EQ(DayOfWeek(2000, 2, 29), 2);   // Tuesday
  EXPECT_EQ(DayOfWeek(2027, 3, 4), 4);    // Thursday
  EXPECT_EQ(DayOfWeek(2024, 12, 29), 0);  // Sunday
  EXPECT_EQ(DayOfWeek(1752, 9, 14), 4);   // proleptic Gregorian, no gap
  EXPECT_EQ(DayOfWeek(100, 1, 1), 5);     // the first OLE date, a Friday
  EXPECT_EQ(DayOfWeek(2027, 2, 29), -1);
}

TEST(CalendarTest, OleDayNumbers) {
  EXPECT_EQ(ToOleDays(1899, 12, 30), 0);
  EXPECT_EQ(ToOleDays(1900, 1, 1), 2);
  EXPECT_EQ(ToOleDays(2000, 1, 1), 36526);
  EXPECT_EQ(ToOleDays(100, 1, 1), -657434);
  EXPECT_EQ(ToOleDays(9999, 12, 31), 2958465);
  EXPECT_FALSE(ToOleDays(2027, 2, 30));
}

TEST(CalendarTest, AddDaysRollsOverMonthsYearsAndLeapDays) {
  // Each step keeps the time of day and moves the weekday along.
  const std::pair<SystemTime, SystemTime> forward[] = {
      {At(2027, 1, 31, 23, 45), At(2027, 2, 1, 23, 45)},
      {At(2027, 2, 28, 5), At(2027, 3, 1, 5)},
      {At(2024, 2, 28, 5), At(2024, 2, 29, 5)},
      {At(2024, 2, 29, 5), At(2024, 3, 1, 5)},
      {At(1900, 2, 28), At(1900, 3, 1)},
      {At(2100, 2, 28), At(2100, 3, 1)},
      {At(2000, 2, 28), At(2000, 2, 29)},
      {At(2026, 12, 31, 12, 1), At(2027, 1, 1, 12, 1)},
      {At(2027, 4, 30), At(2027, 5, 1)},
  };
  for (const auto& [from, to] : forward) {
    EXPECT_EQ(AddDays(from, 1), to) << from.year << "-" << from.month << "-" << from.day;
    EXPECT_EQ(AddDays(to, -1), from) << to.year << "-" << to.month << "-" << to.day;
  }
  EXPECT_EQ(AddDays(At(2027, 3, 4), 365), At(2028, 3, 3));
  EXPECT_EQ(AddDays(At(2027, 3, 4), 0), At(2027, 3, 4));
}

TEST(CalendarTest, AddDaysRejectsInvalidDatesAndTheEndsOfTheRange) {
  EXPECT_FALSE(AddDays(At(9999, 12, 31), 1));
  EXPECT_TRUE(AddDays(At(9999, 12, 30), 1));
  EXPECT_FALSE(AddDays(At(100, 1, 1), -1));
  EXPECT_TRUE(AddDays(At(100, 1, 2), -1));
  SystemTime bad = At(2027, 1, 1);
  bad.day = 32;
  EXPECT_FALSE(AddDays(bad, 1));
}

TEST(ClockTest, ParseIsoUtcAcceptsTheOneForm) {
  const auto t = ParseIsoUtc("2027-03-04T21:05:00Z");
  ASSERT_TRUE(t);
  EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(t->time_since_epoch()).count(),
            1804194300);
  const SystemTime utc = ToUtc(*t);
  EXPECT_EQ(utc, (SystemTime{2027, 3, 4, 4, 21, 5, 0, 0}));
  EXPECT_EQ(ToUtc(*ParseIsoUtc("2003-06-21T12:00:00.5Z")).millisecond, 500);
  EXPECT_EQ(ToUtc(*ParseIsoUtc("1969-12-31T23:59:59.25Z")),
            (SystemTime{1969, 12, 3, 31, 23, 59, 59, 250}));
}

TEST(ClockTest, ParseIsoUtcRejectsMalformedText) {
  for (const char* text :
       {"", "2027-03-04", "2027-03-04T21:05:00", "2027-03-04T21:05:00+01:00",
        "2027-03-04 21:05:00Z", "2027-3-4T21:05:00Z", "2027-02-29T21:05:00Z",
        "2027-13-01T00:00:00Z", "2027-03-04T24:00:00Z", "2027-03-04T21:60:00Z",
        "2027-03-04T21:05:60Z", "2027-03-04T21:05:00ZZ", "2027-03-04T21:05:00.Z",
        "2027-03-04T21:05:00.1234Z", "+027-03-04T21:05:00Z", "2027-03-04T21:05:0xZ",
        "2027-03-04t21:05:00z",
        // Beyond the years the clock can hold.
        "1699-12-31T23:59:59Z", "2201-01-01T00:00:00Z", "9999-01-01T00:00:00Z"}) {
    EXPECT_FALSE(ParseIsoUtc(text)) << text;
  }
}

TEST(FixedClockTest, FixedClockIsHonoured) {
  SetFixedUtc(ParseIsoUtc("2027-03-04T21:05:00Z"));
  EXPECT_EQ(UtcNow(), (SystemTime{2027, 3, 4, 4, 21, 5, 0, 0}));
  // However long a script waits, the clock stops at the end of its years.
  SetFixedUtc(ParseIsoUtc("2200-12-31T23:59:59Z"));
  for (int i = 0; i < 300; ++i) Advance(std::chrono::hours(24 * 365));
  EXPECT_EQ(UtcNow(), (SystemTime{2201, 1, 4, 1, 0, 0, 0, 0}));
  SetFixedUtc(std::nullopt);
}

TEST(FixedClockTest, RealClockRunsWhenNotFixed) {
  const auto before = std::chrono::system_clock::now();
  const auto now = Now();
  EXPECT_GE(now, before);
  EXPECT_LT(now - before, std::chrono::seconds(5));
}

}  // namespace
}  // namespace tv::clock
