#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "db/country_import.h"
#include "db/zone_store.h"
#include "places/daylight_changes.h"
#include "platform/base/utf.h"
#include "tests/db_test_support.h"

namespace terravue {
namespace {

struct PlaceZone {
  std::string place;
  std::string iana;
};

std::vector<PlaceZone> ReadPlaceZones() {
  std::vector<PlaceZone> out;
  std::ifstream in(testing::ScratchDevice::SourceDir() / "data" / "place-zones.tsv");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    PlaceZone entry;
    std::string zone;
    std::getline(fields, entry.place, '\t');
    std::getline(fields, zone, '\t');
    std::getline(fields, entry.iana, '\t');
    if (!entry.iana.empty()) out.push_back(entry);
  }
  return out;
}

// The offset of an IANA zone at an instant, in seconds east of UTC, by the C
// library.
long LibraryOffset(const std::string& iana, time_t instant) {
  setenv("TZ", iana.c_str(), 1);
  tzset();
  tm local{};
  localtime_r(&instant, &local);
  const long offset = local.tm_gmtoff;
  setenv("TZ", "UTC", 1);
  tzset();
  return offset;
}

// The program's format of a local time, from the C library's conversion.
std::u16string LibraryLocalTime(const std::string& iana, time_t instant) {
  static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  setenv("TZ", iana.c_str(), 1);
  tzset();
  tm local{};
  localtime_r(&instant, &local);
  setenv("TZ", "UTC", 1);
  tzset();
  const int shown = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
  char text[64];
  std::snprintf(text, sizeof text, "%s %d/%d %d:%02d %s", kDays[local.tm_wday],
                local.tm_mon + 1, local.tm_mday, shown, local.tm_min,
                local.tm_hour < 12 ? "AM" : "PM");
  return tv::Utf8ToUtf16(text);
}

// Every place's local time, as the program computes it from the installed
// data, agrees with the C library's conversion for the place's IANA zone
// through the year. Instants within six hours of a change are left out: the
// zone records hold no hour of change (tests/daylight_check.py checks those
// minutes).
TEST(LocalTimeTest, EveryPlaceAgreesWithTheLibraryThroughTheYear) {
  testing::ScratchDevice device;
  setenv("TZ", "UTC", 1);
  tzset();
  device.StageDataFile("QuorvelZones.txt");
  device.StageDataFile("QuorvelCountriesTerravue.txt");
  ASSERT_TRUE(ZoneRecordStore::ImportZoneData());
  ASSERT_TRUE(ImportCountryData());

  constexpr time_t kSixHours = 6 * 3600;
  const std::vector<PlaceZone> places = ReadPlaceZones();
  ASSERT_EQ(places.size(), 256u);
  int compared = 0;
  for (int month = 1; month <= 12; ++month) {
    for (int day : {1, 15}) {
      for (int hour : {3, 12, 21}) {
        tm utc{};
        utc.tm_year = 2026 - 1900;
        utc.tm_mon = month - 1;
        utc.tm_mday = day;
        utc.tm_hour = hour;
        utc.tm_min = 7;
        const time_t instant = timegm(&utc);
        tv::clock::SetFixedUtc(std::chrono::system_clock::from_time_t(instant));
        for (const PlaceZone& place : places) {
          const long here = LibraryOffset(place.iana, instant);
          if (LibraryOffset(place.iana, instant - kSixHours) != here ||
              LibraryOffset(place.iana, instant + kSixHours) != here) {
            continue;
          }
          std::u16string text;
          const std::u16string name = tv::Utf8ToUtf16(place.place);
          ZoneRecordStore::FormatCountryLocalTime(name, DaylightChangeOf(name), text);
          EXPECT_EQ(tv::Utf16ToUtf8(text), tv::Utf16ToUtf8(LibraryLocalTime(place.iana, instant)))
              << place.place << " (" << place.iana << ") at " << month << "/" << day << " "
              << hour << ":07 UTC";
          ++compared;
        }
      }
    }
  }
  EXPECT_GT(compared, 256 * 70);
}

}  // namespace
}  // namespace terravue
