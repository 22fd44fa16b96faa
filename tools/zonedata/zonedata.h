#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace terravue::zonedata {

// A point on the globe in degrees, north and east positive.
struct GeoPoint {
  double latitude = 0;
  double longitude = 0;
};

// One row of the tz database's zone.tab.
struct ZoneTabEntry {
  std::string country_code;
  GeoPoint where;
  std::string zone;
};

// Reads "DD MM N, DDD MM E" (the Factbook's way of writing a position) from
// anywhere in `text`; nullopt when there is no such pattern.
std::optional<GeoPoint> ParseFactbookCoordinates(const std::string& text);

// Reads zone.tab's "+DDMM+DDDMM" or "+DDMMSS+DDDMMSS".
std::optional<GeoPoint> ParseIso6709(const std::string& text);

// Great-circle distance in kilometres.
double DistanceKm(GeoPoint a, GeoPoint b);

// The Etc/GMT zone of a longitude: whole hours, rounded to the nearest.
// Etc/GMT+N is N hours west of Greenwich, so the sign is the opposite of the
// hours east.
std::string LongitudeZone(double longitude);

// A calendar rule as the zone file writes it: the occurrence (1 to 4, 5 for
// the last), the weekday (0 = Sunday) and the month (0 for none).
struct Rule {
  int occurrence = 0;
  int weekday = 0;
  int month = 0;
  bool operator==(const Rule&) const = default;
  auto operator<=>(const Rule&) const = default;
};

int DaysInMonth(int year, int month);
// 0 = Sunday.
int Weekday(int year, int month, int day);
// The rule that names this date: occurrence 5 when it is the last such
// weekday of its month, otherwise its ordinal among them.
Rule RuleForDate(int year, int month, int day);
// The day of the month a rule names in `year` (the last such weekday for
// occurrence 5), or 0 when the rule names no day.
int ResolveRule(const Rule& rule, int year);

// Whether the month and day lie in the daylight period between the start date
// (inclusive) and the end date (exclusive), the hour ignored. A start month
// after the end month wraps around the new year.
bool InDaylightPeriod(int month, int day, int start_month, int start_day, int end_month,
                      int end_day);

// What the C library says about one IANA zone over a year, reduced to what
// the zone file can hold.
struct YearRules {
  int standard_east = 0;  // minutes east of UTC
  bool has_daylight = false;
  Rule start;
  Rule end;
  // Days of the year (at local noon) on which the rules above give another
  // offset than the C library: 0 when the rules are exact.
  int wrong_days = 0;
  int transitions = 0;            // offset changes in the year, hour by hour
  std::vector<int> offsets_east;  // distinct offsets seen, ascending
  std::string note;               // why the rules are an approximation
};

// Scans `year` for the zone with TZ set to `zone`. The lower of two offsets an
// hour apart is the standard time (this also reads negative daylight saving,
// as in Europe/Dublin and Africa/Casablanca, the way the zone file needs it).
// Anything else (a shift other than an hour, more than two offsets, a daylight
// period in more than one piece) falls back to the offset of most days
// without daylight saving.
YearRules DeriveYearRules(const std::string& zone, int year);

// English zone names from CLDR.
class CldrNames {
 public:
  // `meta_zones` is cldr-core's supplemental/metaZones.json and
  // `time_zone_names` cldr-dates-full's main/en/timeZoneNames.json.
  bool Load(const std::string& meta_zones, const std::string& time_zone_names,
            std::string& error);
  // Standard and daylight names for a zone in `year`. Zone-specific names come
  // first, then the metazone's; without either the name is built from the
  // offset ("GMT+05:30"), as CLDR itself does. A zone with daylight saving but
  // no daylight name gets the built name of its daylight offset; a zone
  // without daylight saving and without a daylight name repeats its standard
  // name.
  std::pair<std::string, std::string> Names(const std::string& zone, int year, int standard_east,
                                            bool has_daylight) const;
  // The metazone in force in `year`, or "" (used for reporting).
  std::string Metazone(const std::string& zone, int year) const;

 private:
  struct Period {
    std::string from;  // "YYYY-MM-DD hh:mm", empty for always
    std::string to;
    std::string metazone;
  };
  std::map<std::string, std::vector<Period>> zone_metazones_;
  std::map<std::string, std::pair<std::string, std::string>> zone_names_;
  std::map<std::string, std::pair<std::string, std::string>> metazone_names_;
};

// "GMT", "GMT+05:30", "GMT-03:00".
std::string GmtName(int minutes_east);

// Removes the field separator of the zone file from a name.
std::string WithoutCommas(const std::string& name);

}  // namespace terravue::zonedata
