#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "db/daylight_rule.h"
#include "platform/clock/clock.h"

namespace terravue {

// The time zones: one record per zone number in "Timezones List", with the
// zone's standard offset, its standard and daylight names and its rules, and
// on top of them the offset texts and local times the screens show.
class ZoneRecordStore {
 public:
  static constexpr std::u16string_view kName = u"Timezones List";
  static constexpr uint32_t kType = 12348;
  static constexpr uint16_t kNumberProp = 301;
  static constexpr uint16_t kStandardNameProp = 302;
  static constexpr uint16_t kDaylightNameProp = 303;
  static constexpr uint16_t kOffsetProp = 304;
  static constexpr uint16_t kEndRuleProp = 305;
  static constexpr uint16_t kStartRuleProp = 306;
  // What GetZoneUtcOffset returns for a zone it cannot read.
  static constexpr double kUnknownOffset = 16.0;
  static constexpr double kMinutesPerDay = 1440.0;

  // The zone's position in the sort order, or -1.
  static int32_t FindZone(int16_t zone);
  // Reads a zone: its offset text (minutes behind UTC), names and rules.
  static bool GetZone(int16_t zone, std::u16string& offset, std::u16string& standard_name,
                      std::u16string& daylight_name, ZoneRule& end, ZoneRule& start);
  // Whether the zone keeps daylight time now, for a place whose changes
  // happen at `change` (DaylightChangeOf in places/): the moment of change is
  // the place's, whatever the device's own zone.
  static bool IsZoneInDaylightTime(int16_t zone, DaylightChange change);
  // Hours east of UTC with daylight saving applied, or kUnknownOffset.
  static double GetZoneUtcOffset(int16_t zone, DaylightChange change);
  // "+5.5 India Standard Time", "-4.0 Eastern Daylight Time", "0.0 ...";
  // "N/A" for a zone that cannot be read.
  static void FormatZoneOffset(int16_t zone, DaylightChange change, std::u16string& text);
  // The country's local date and time now, "Tue 3/4 9:05 PM"; "N/A" when the
  // country has no zone, empty when its zone cannot be read.
  static void FormatCountryLocalTime(std::u16string_view country, DaylightChange change,
                                     std::u16string& text);
  // Builds "Timezones List" from "\windows\QuorvelZones.txt" when it does not
  // exist, in one transaction, and then deletes the text file.
  static bool ImportZoneData();
  // Deletes the database; true only when it existed and is gone.
  static bool DeleteZoneStore();

  // Whether an offset text reads as a finite decimal number of minutes within
  // a day either way; a zone whose offset does not is treated as missing, and
  // a zone file holding one is malformed.
  static bool IsUsableOffsetText(std::u16string_view text);
  // The local time text for `now` (UTC) and a zone `hours` east of UTC.
  static std::u16string FormatLocalTime(const tv::clock::SystemTime& now, double hours);
};

// Moves a date by one day, keeping the time of day; the weekday follows.
tv::clock::SystemTime AddOneDay(const tv::clock::SystemTime& time);
tv::clock::SystemTime SubtractOneDay(const tv::clock::SystemTime& time);

}  // namespace terravue
