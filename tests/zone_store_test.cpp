#include "db/zone_store.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <string>

#include "db/country_store.h"
#include "db/device_store.h"
#include "tests/db_test_support.h"

namespace terravue {
namespace {

using testing::ScratchDevice;
using testing::SetClock;

// Zones used below: number, names, minutes behind UTC, start and end rules.
constexpr char kZones[] =
    "1,India Standard Time,India Daylight Time,-330,0,0,0,0,0,0\n"
    "2,Newfoundland Standard Time,Newfoundland Daylight Time,210,0,0,0,0,0,0\n"
    "3,Greenwich Mean Time,British Summer Time,0,5,0,3,5,0,10\n"
    "4,Eastern Standard Time,Eastern Daylight Time,300,2,0,3,1,0,11\n"
    "5,Australian Eastern Standard Time,Australian Eastern Daylight Time,-600,1,0,10,1,0,4\n"
    "6,Nepal Time,Nepal Summer Time,-345,0,0,0,0,0,0\n"
    "7,No Saving,Never Used,0,2,0,3,5,0,0\n"
    "8,Coordinated Universal Time,Unused,0,0,0,0,0,0,0\n"
    "9,Odd Rules,Odd Daylight,0,9,0,3,1,0,11\n";

class ZoneStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    device_.WriteWindowsFile("QuorvelZones.txt", kZones);
    ASSERT_TRUE(ZoneRecordStore::ImportZoneData());
    // Countries pointing at the zones, as the country import would leave them.
    std::optional<tv::store::RecordDatabase> db = CountryRecordStore::OpenOrCreateCountryStore();
    ASSERT_TRUE(db);
    const std::pair<std::u16string_view, std::u16string_view> countries[] = {
        {u"India", u"1"},    {u"Canada", u"2"},     {u"United Kingdom", u"3"},
        {u"Boston", u"4"},   {u"Australia", u"5"},  {u"Nepal", u"6"},
        {u"Nowhere", u"N/A"}, {u"Lost", u"999"},    {u"Ghana", u"8"},
    };
    for (const auto& [country, zone] : countries) {
      ASSERT_TRUE(CountryRecordStore::AppendCountryField(*db, country, u"geography", u"Timezone", zone));
    }
  }

  std::u16string LocalTime(std::u16string_view country) {
    std::u16string text;
    ZoneRecordStore::FormatCountryLocalTime(country, DaylightChange{}, text);
    return text;
  }
  std::u16string Offset(int16_t zone) {
    std::u16string text;
    ZoneRecordStore::FormatZoneOffset(zone, DaylightChange{}, text);
    return text;
  }

  ScratchDevice device_;
};

TEST_F(ZoneStoreTest, ImportKeepsEveryFieldAndDeletesTheFile) {
  EXPECT_FALSE(std::filesystem::exists(device_.Windows("QuorvelZones.txt")));
  const std::optional<ZoneRecord> zone = ZoneRecordStore::GetZone(4);
  ASSERT_TRUE(zone);
  EXPECT_EQ(zone->offset, u"300");
  EXPECT_EQ(zone->standard_name, u"Eastern Standard Time");
  EXPECT_EQ(zone->daylight_name, u"Eastern Daylight Time");
  EXPECT_EQ(zone->start, (ZoneRule{3, 0, 2}));
  EXPECT_EQ(zone->end, (ZoneRule{11, 0, 1}));
  EXPECT_EQ(ZoneRecordStore::GetZone(9).value().standard_name, u"Odd Rules");
  EXPECT_FALSE(ZoneRecordStore::GetZone(10));
}

TEST_F(ZoneStoreTest, LocalTimeCarriesMinutesHoursAndDays) {
  // 1 January 2018 was a Monday.
  SetClock("2017-12-31T23:45:00Z");
  EXPECT_EQ(LocalTime(u"India"), u"Mon 1/1 5:15 AM");
  SetClock("2027-03-04T01:10:00Z");
  EXPECT_EQ(LocalTime(u"Canada"), u"Wed 3/3 9:40 PM");
  // Nepal is exactly 5:45 ahead, while its offset text rounds to 5.8.
  SetClock("2027-03-04T12:20:00Z");
  EXPECT_EQ(LocalTime(u"Nepal"), u"Thu 3/4 6:05 PM");
  EXPECT_EQ(Offset(6), u"+5.8 Nepal Time");
}

TEST_F(ZoneStoreTest, TwelveHourClockAndWeekdays) {
  SetClock("2003-03-04T21:05:00Z");
  EXPECT_EQ(LocalTime(u"Ghana"), u"Tue 3/4 9:05 PM");
  SetClock("2027-03-04T12:00:00Z");
  EXPECT_EQ(LocalTime(u"Ghana"), u"Thu 3/4 12:00 PM");
  SetClock("2027-03-04T12:59:00Z");
  EXPECT_EQ(LocalTime(u"Ghana"), u"Thu 3/4 12:59 PM");
  SetClock("2027-03-04T00:09:00Z");
  EXPECT_EQ(LocalTime(u"Ghana"), u"Thu 3/4 12:09 AM");
  SetClock("2027-03-07T11:10:00Z");
  EXPECT_EQ(LocalTime(u"Ghana"), u"Sun 3/7 11:10 AM");
}

TEST_F(ZoneStoreTest, OffsetTexts) {
  SetClock("2026-01-15T12:00:00Z");
  EXPECT_EQ(Offset(1), u"+5.5 India Standard Time");
  EXPECT_EQ(Offset(2), u"-3.5 Newfoundland Standard Time");
  EXPECT_EQ(Offset(3), u"0.0 Greenwich Mean Time");  // no "+" and no "-0.0"
  EXPECT_EQ(Offset(8), u"0.0 Coordinated Universal Time");
  EXPECT_EQ(Offset(4), u"-5.0 Eastern Standard Time");
  SetClock("2026-07-15T12:00:00Z");
  EXPECT_EQ(Offset(3), u"+1.0 British Summer Time");
  EXPECT_EQ(Offset(4), u"-4.0 Eastern Daylight Time");
  EXPECT_EQ(Offset(42), u"N/A");
  EXPECT_EQ(ZoneRecordStore::GetZoneUtcOffset(42, DaylightChange{}),
            ZoneRecordStore::kUnknownOffset);
}

TEST_F(ZoneStoreTest, RuleDates) {
  // February 2026 has four Sundays (1, 8, 15, 22): "the last" is the fourth.
  EXPECT_EQ(RuleDayInYear({2, 0, 5}, 2026), 22);
  EXPECT_EQ(RuleDayInYear({3, 0, 5}, 2026), 29);  // five Sundays
  EXPECT_EQ(RuleDayInYear({3, 0, 2}, 2026), 8);
  EXPECT_EQ(RuleDayInYear({11, 0, 1}, 2026), 1);
  EXPECT_EQ(RuleDayInYear({10, 6, 1}, 2026), 3);
  EXPECT_EQ(RuleDayInYear({3, 0, 5}, 2027), 28);
  // Rules that name no day.
  EXPECT_EQ(RuleDayInYear({3, 0, 9}, 2026), 0);
  EXPECT_EQ(RuleDayInYear({3, 7, 1}, 2026), 0);
  EXPECT_EQ(RuleDayInYear({13, 0, 1}, 2026), 0);
  SetClock("2026-07-01T00:00:00Z");
  EXPECT_FALSE(ZoneRecordStore::IsZoneInDaylightTime(9, DaylightChange{}));
  EXPECT_FALSE(ZoneRecordStore::IsZoneInDaylightTime(7, DaylightChange{}));  // end month 0
}

TEST_F(ZoneStoreTest, NorthernDaylightPeriodEndsTheDayBeforeItsEndDay) {
  // 2026: second Sunday of March is the 8th, first Sunday of November the 1st.
  const std::pair<const char*, bool> days[] = {
      {"2026-03-07T12:00:00Z", false}, {"2026-03-08T12:00:00Z", true},
      {"2026-07-04T12:00:00Z", true},  {"2026-10-31T12:00:00Z", true},
      {"2026-11-01T12:00:00Z", false}, {"2026-12-25T12:00:00Z", false},
  };
  for (const auto& [day, daylight] : days) {
    SetClock(day);
    EXPECT_EQ(ZoneRecordStore::IsZoneInDaylightTime(4, DaylightChange{}), daylight) << day;
    EXPECT_DOUBLE_EQ(ZoneRecordStore::GetZoneUtcOffset(4, DaylightChange{}), daylight ? -4.0 : -5.0)
        << day;
  }
}

TEST_F(ZoneStoreTest, SouthernDaylightPeriodRunsOverTheNewYear) {
  // Start: first Sunday of October (4 October 2026); end: first Sunday of
  // April (5 April 2026). Daylight time holds in December and January.
  const std::pair<const char*, bool> days[] = {
      {"2026-01-10T12:00:00Z", true},  {"2026-04-04T12:00:00Z", true},
      {"2026-04-05T12:00:00Z", false}, {"2026-06-15T12:00:00Z", false},
      {"2026-10-03T12:00:00Z", false}, {"2026-10-04T12:00:00Z", true},
      {"2026-12-07T12:00:00Z", true},  {"2026-12-31T12:00:00Z", true},
  };
  for (const auto& [day, daylight] : days) {
    SetClock(day);
    EXPECT_EQ(ZoneRecordStore::IsZoneInDaylightTime(5, DaylightChange{}), daylight) << day;
    EXPECT_DOUBLE_EQ(ZoneRecordStore::GetZoneUtcOffset(5, DaylightChange{}), daylight ? 11.0 : 10.0)
        << day;
    EXPECT_EQ(Offset(5), daylight ? u"+11.0 Australian Eastern Daylight Time"
                                  : u"+10.0 Australian Eastern Standard Time")
        << day;
  }
  SetClock("2026-12-07T20:30:00Z");
  EXPECT_EQ(LocalTime(u"Australia"), u"Tue 12/8 7:30 AM");
}

// Daylight time begins and ends at the place's moment of change, a minute
// either side, whatever zone the device itself is in.
TEST_F(ZoneStoreTest, ChangesHappenAtThePlacesMomentWhateverTheDevicesZone) {
  constexpr DaylightChange kUtcOne{ChangeClock::kUtc, 60};
  constexpr DaylightChange kMidnight{ChangeClock::kLocal, 0};
  constexpr DaylightChange kStandardTwo{ChangeClock::kStandard, 120};
  struct Case {
    const char* instant;
    int16_t zone;
    DaylightChange change;
    double hours;
  };
  const Case cases[] = {
      // The European Union's changes at 01:00 UTC.
      {"2027-03-28T00:59:00Z", 3, kUtcOne, 0.0},
      {"2027-03-28T01:01:00Z", 3, kUtcOne, 1.0},
      {"2027-03-27T12:00:00Z", 3, kUtcOne, 0.0},
      {"2027-10-31T00:59:00Z", 3, kUtcOne, 1.0},
      {"2027-10-31T01:01:00Z", 3, kUtcOne, 0.0},
      // 02:00 by the place's clock: standard time in spring, daylight time
      // in autumn.
      {"2027-03-14T06:59:00Z", 4, DaylightChange{}, -5.0},
      {"2027-03-14T07:01:00Z", 4, DaylightChange{}, -4.0},
      {"2027-11-07T05:59:00Z", 4, DaylightChange{}, -4.0},
      {"2027-11-07T06:01:00Z", 4, DaylightChange{}, -5.0},
      // Midnight by the place's clock, which reads daylight time in autumn.
      {"2027-11-07T03:59:00Z", 4, kMidnight, -4.0},
      {"2027-11-07T04:01:00Z", 4, kMidnight, -5.0},
      // 02:00 standard time in the south: daylight time runs over the new
      // year.
      {"2027-04-03T15:59:00Z", 5, kStandardTwo, 11.0},
      {"2027-04-03T16:01:00Z", 5, kStandardTwo, 10.0},
      {"2027-10-02T15:59:00Z", 5, kStandardTwo, 10.0},
      {"2027-10-02T16:01:00Z", 5, kStandardTwo, 11.0},
      {"2027-12-31T14:30:00Z", 5, kStandardTwo, 11.0},
  };
  for (const char* device_zone : {"UTC", "Pacific/Auckland", "America/Los_Angeles"}) {
    setenv("TZ", device_zone, 1);
    tzset();
    for (const Case& c : cases) {
      SetClock(c.instant);
      EXPECT_DOUBLE_EQ(ZoneRecordStore::GetZoneUtcOffset(c.zone, c.change), c.hours)
          << c.instant << " zone " << c.zone << " on a device in " << device_zone;
    }
  }
}

TEST_F(ZoneStoreTest, CountriesWithoutAReadableZone) {
  SetClock("2026-12-07T20:30:00Z");
  EXPECT_EQ(LocalTime(u"Nowhere"), u"N/A");   // "N/A" as its zone
  EXPECT_EQ(LocalTime(u"Atlantis"), u"N/A");  // no record at all
  EXPECT_EQ(LocalTime(u"Lost"), u"");         // a zone with no line
}

TEST(ZoneImportTest, MissingFileCreatesNothingAndDamagedFilesKeepNothing) {
  ScratchDevice device;
  EXPECT_TRUE(ZoneRecordStore::ImportZoneData());
  EXPECT_FALSE(DeviceStoreFileExists()) << "a missing file makes no store and no database";

  // Too few fields, a line that is no zone at all, no zone in the file.
  for (const char* damaged : {"1,A,B,0,0,0,0,0,0,0\n2,A,B,0,0,0\n",
                              "1,A,B,60,0,0,0,0,0,0\nno zone here\n3,C,D,0,0,0,0,0,0,0\n",
                              "", "\n\r\n"}) {
    ScratchDevice second;
    second.WriteWindowsFile("QuorvelZones.txt", damaged);
    EXPECT_FALSE(ZoneRecordStore::ImportZoneData()) << damaged;
    EXPECT_FALSE(DeviceStore()->Exists(ZoneRecordStore::kName));
    EXPECT_TRUE(std::filesystem::exists(second.Windows("QuorvelZones.txt")));
  }
}

TEST(ZoneImportTest, BlankLinesAreSkipped) {
  ScratchDevice device;
  device.WriteWindowsFile("QuorvelZones.txt",
                          "1,A,B,60,0,0,0,0,0,0\r\n\n3,C,D,0,0,0,0,0,0,0\n\n");
  EXPECT_TRUE(ZoneRecordStore::ImportZoneData());
  EXPECT_TRUE(ZoneRecordStore::GetZone(1));
  EXPECT_EQ(ZoneRecordStore::GetZone(3).value().standard_name, u"C");
  EXPECT_FALSE(std::filesystem::exists(device.Windows("QuorvelZones.txt")));
}

TEST(DayStepTest, OneDayForwardAndBack) {
  tv::clock::SystemTime t{2024, 2, 3, 28, 23, 59, 30, 5};
  const tv::clock::SystemTime next = AddOneDay(t);
  EXPECT_EQ(next.month, 2);
  EXPECT_EQ(next.day, 29);
  EXPECT_EQ(next.day_of_week, 4);
  EXPECT_EQ(next.hour, 23);
  EXPECT_EQ(next.second, 30);
  tv::clock::SystemTime eve{2026, 12, 4, 31, 8, 0, 0, 0};
  const tv::clock::SystemTime new_year = AddOneDay(eve);
  EXPECT_EQ(new_year.year, 2027);
  EXPECT_EQ(new_year.month, 1);
  EXPECT_EQ(new_year.day, 1);
  EXPECT_EQ(new_year.day_of_week, 5);
  tv::clock::SystemTime march{2023, 3, 3, 1, 0, 0, 0, 0};
  const tv::clock::SystemTime back = SubtractOneDay(march);
  EXPECT_EQ(back.month, 2);
  EXPECT_EQ(back.day, 28);
  EXPECT_EQ(back.day_of_week, 2);
}

}  // namespace
}  // namespace terravue
