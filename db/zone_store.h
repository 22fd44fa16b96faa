#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "db/daylight_rule.h"
#include "db/device_store.h"
#include "platform/clock/clock.h"

namespace terravue {

// One zone as its record holds it.
struct ZoneRecord {
  std::u16string offset;  // minutes by which UTC is ahead of standard time
  std::u16string standard_name;
  std::u16string daylight_name;
  ZoneRule end;
  ZoneRule start;
};

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

  // Reads a zone with one keyed seek; nothing when it has no usable record.
  static std::optional<ZoneRecord> GetZone(int16_t zone);
  // Whether the zone keeps daylight time now, for a place whose changes
  // happen at `change` (DaylightChangeOf in places/): the moment of change is
  // the place's, whatever the device's own zone.
  static bool IsZoneInDaylightTime(int16_t zone, DaylightChange change);
  // The same for a zone already read.
  static bool IsZoneInDaylightTime(const ZoneRecord& zone, DaylightChange change);
  // Hours east of UTC with daylight saving applied, or kUnknownOffset.
  static double GetZoneUtcOffset(int16_t zone, DaylightChange change);
  // "+5.5 India Standard Time", "-4.0 Eastern Daylight Time", "0.0 ...";
  // "N/A" for a zone that cannot be read.
  static void FormatZoneOffset(int16_t zone, DaylightChange change, std::u16string& text);
  // The country's local date and time now, "Tue 3/4 9:05 PM"; "N/A" when the
  // country has no zone, empty when its zone cannot be read.
  static void FormatCountryLocalTime(std::u16string_view country, DaylightChange change,
                                     std::u16string& text);
  // Builds "Timezones List" from "\windows\QuorvelZones.txt" as
  // ImportInstallationFile describes. Blank lines are skipped; a line that is
  // not a zone of ten fields makes the file damaged.
  [[nodiscard]] static bool ImportZoneData();
  [[nodiscard]] static Deletion DeleteZoneStore();

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
