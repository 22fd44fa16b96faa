#include "tools/zonedata/zonedata.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <regex>

#include <nlohmann/json.hpp>

namespace terravue::zonedata {

std::optional<GeoPoint> ParseFactbookCoordinates(const std::string& text) {
  static const std::regex kPattern(
      R"((\d+)\s+(\d+)\s*([NS])\s*,?\s*(\d+)\s+(\d+)\s*([EW]))");
  std::smatch m;
  if (!std::regex_search(text, m, kPattern)) return std::nullopt;
  GeoPoint p;
  p.latitude = std::stod(m[1]) + std::stod(m[2]) / 60.0;
  if (m[3] == "S") p.latitude = -p.latitude;
  p.longitude = std::stod(m[4]) + std::stod(m[5]) / 60.0;
  if (m[6] == "W") p.longitude = -p.longitude;
  return p;
}

namespace {

// One signed angle of ISO 6709 with `degree_digits` digits of degrees and
// either minutes or minutes and seconds.
std::optional<double> ParseAngle(const std::string& text, int degree_digits) {
  if (text.size() < 1u + degree_digits + 2) return std::nullopt;
  if (text[0] != '+' && text[0] != '-') return std::nullopt;
  const std::string digits = text.substr(1);
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  const size_t rest = digits.size() - degree_digits;
  if (rest != 2 && rest != 4) return std::nullopt;
  double value = std::stoi(digits.substr(0, degree_digits)) +
                 std::stoi(digits.substr(degree_digits, 2)) / 60.0;
  if (rest == 4) value += std::stoi(digits.substr(degree_digits + 2, 2)) / 3600.0;
  return text[0] == '-' ? -value : value;
}

}  // namespace

std::optional<GeoPoint> ParseIso6709(const std::string& text) {
  const size_t split = text.find_first_of("+-", 1);
  if (split == std::string::npos) return std::nullopt;
  const std::optional<double> lat = ParseAngle(text.substr(0, split), 2);
  const std::optional<double> lon = ParseAngle(text.substr(split), 3);
  if (!lat || !lon) return std::nullopt;
  return GeoPoint{*lat, *lon};
}

double DistanceKm(GeoPoint a, GeoPoint b) {
  constexpr double kRadians = M_PI / 180.0;
  const double lat1 = a.latitude * kRadians;
  const double lat2 = b.latitude * kRadians;
  const double dlat = lat2 - lat1;
  const double dlon = (b.longitude - a.longitude) * kRadians;
  const double h = std::sin(dlat / 2) * std::sin(dlat / 2) +
                   std::cos(lat1) * std::cos(lat2) * std::sin(dlon / 2) * std::sin(dlon / 2);
  return 2 * 6371.0 * std::asin(std::min(1.0, std::sqrt(h)));
}

std::string LongitudeZone(double longitude) {
  const long hours_east = std::lround(longitude / 15.0);
  if (hours_east == 0) return "Etc/GMT";
  // Etc/GMT+N lies N hours west: the sign is the POSIX one.
  return "Etc/GMT" + std::string(hours_east > 0 ? "-" : "+") + std::to_string(std::labs(hours_east));
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
  return kDays[month - 1];
}

int Weekday(int year, int month, int day) {
  // Sakamoto's method.
  static constexpr int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) year -= 1;
  return (year + year / 4 - year / 100 + year / 400 + kOffsets[month - 1] + day) % 7;
}

Rule RuleForDate(int year, int month, int day) {
  Rule rule;
  rule.month = month;
  rule.weekday = Weekday(year, month, day);
  rule.occurrence = day + 7 > DaysInMonth(year, month) ? 5 : (day - 1) / 7 + 1;
  return rule;
}

int ResolveRule(const Rule& rule, int year) {
  if (rule.month < 1 || rule.month > 12) return 0;
  int count = 0;
  int last = 0;
  for (int day = 1; day <= DaysInMonth(year, rule.month); ++day) {
    if (Weekday(year, rule.month, day) != rule.weekday) continue;
    ++count;
    last = day;
    if (count == rule.occurrence) return day;
  }
  return rule.occurrence == 5 ? last : 0;
}

bool InDaylightPeriod(int month, int day, int start_month, int start_day, int end_month,
                      int end_day) {
  const bool from_start = month > start_month || (month == start_month && day >= start_day);
  const bool before_end = month < end_month || (month == end_month && day < end_day);
  if (start_month < end_month) return from_start && before_end;
  return from_start || before_end;
}

namespace {

// Sets the process's zone; the C library reads it on the next conversion.
void UseZone(const std::string& zone) {
  setenv("TZ", zone.c_str(), 1);
  tzset();
}

// Minutes east of UTC at local noon of a day, in the zone set by UseZone.
int NoonOffsetEast(int year, int month, int day) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = 12;
  local.tm_isdst = -1;
  const std::time_t t = std::mktime(&local);
  std::tm back{};
  localtime_r(&t, &back);
  return static_cast<int>(back.tm_gmtoff / 60);
}

std::time_t UtcTime(int year, int month, int day) {
  std::tm utc{};
  utc.tm_year = year - 1900;
  utc.tm_mon = month - 1;
  utc.tm_mday = day;
  return timegm(&utc);
}

struct Day {
  int month;
  int day;
  int offset_east;
};

std::string DateText(const Day& d) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d-%02d", d.month, d.day);
  return text;
}

}  // namespace

YearRules DeriveYearRules(const std::string& zone, int year) {
  UseZone(zone);
  YearRules rules;

  // Every offset change, hour by hour through the year.
  {
    const std::time_t begin = UtcTime(year, 1, 1);
    const std::time_t end = UtcTime(year + 1, 1, 1);
    long previous = 0;
    for (std::time_t t = begin; t < end; t += 3600) {
      std::tm local{};
      localtime_r(&t, &local);
      if (t != begin && local.tm_gmtoff != previous) ++rules.transitions;
      previous = local.tm_gmtoff;
    }
  }

  std::vector<Day> days;
  std::map<int, int> day_counts;
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= DaysInMonth(year, month); ++day) {
      days.push_back({month, day, NoonOffsetEast(year, month, day)});
      ++day_counts[days.back().offset_east];
    }
  }
  for (const auto& [offset, count] : day_counts) rules.offsets_east.push_back(offset);

  const int low = rules.offsets_east.front();
  const int high = rules.offsets_east.back();
  rules.standard_east = low;
  if (rules.offsets_east.size() == 2 && high - low == 60) {
    // The daylight days must form one stretch, possibly across the new year:
    // then the state changes exactly twice going once round the year.
    std::vector<size_t> starts;
    std::vector<size_t> ends;
    for (size_t i = 0; i < days.size(); ++i) {
      const Day& before = days[(i + days.size() - 1) % days.size()];
      if (days[i].offset_east == high && before.offset_east == low) starts.push_back(i);
      if (days[i].offset_east == low && before.offset_east == high) ends.push_back(i);
    }
    if (starts.size() == 1 && ends.size() == 1 && days[starts[0]].month != days[ends[0]].month) {
      rules.has_daylight = true;
      rules.start = RuleForDate(year, days[starts[0]].month, days[starts[0]].day);
      rules.end = RuleForDate(year, days[ends[0]].month, days[ends[0]].day);
    } else {
      rules.note = "daylight time in more than one stretch or starting and ending in one month";
    }
  } else if (rules.offsets_east.size() > 1) {
    rules.note = "offsets";
    for (int offset : rules.offsets_east) rules.note += " " + std::to_string(offset);
    rules.note += " minutes east in one year";
  }

  if (rules.offsets_east.size() > 1 && !rules.has_daylight) {
    // No rule of the file can say this: keep the offset of most days.
    int best = low;
    for (const auto& [offset, count] : day_counts) {
      if (count > day_counts[best]) best = offset;
    }
    rules.standard_east = best;
    // Say when the offsets held.
    std::string spans;
    for (size_t i = 0; i < days.size(); ++i) {
      if (i == 0 || days[i].offset_east != days[i - 1].offset_east) {
        spans += (spans.empty() ? "" : "; ") + std::string("from ") + DateText(days[i]) + " " +
                 std::to_string(days[i].offset_east);
      }
    }
    rules.note += " (" + spans + ")";
  }

  const int start_day = rules.has_daylight ? ResolveRule(rules.start, year) : 0;
  const int end_day = rules.has_daylight ? ResolveRule(rules.end, year) : 0;
  for (const Day& d : days) {
    int model = rules.standard_east;
    if (rules.has_daylight &&
        InDaylightPeriod(d.month, d.day, rules.start.month, start_day, rules.end.month, end_day)) {
      model += 60;
    }
    if (model != d.offset_east) ++rules.wrong_days;
  }
  return rules;
}

namespace {

// Zones that CLDR still knows under their former tz names.
const std::map<std::string, std::string>& CldrZoneIds() {
  static const std::map<std::string, std::string> kIds = {
      {"Africa/Asmara", "Africa/Asmera"},
      {"America/Argentina/Buenos_Aires", "America/Buenos_Aires"},
      {"America/Indiana/Indianapolis", "America/Indianapolis"},
      {"America/Kentucky/Louisville", "America/Louisville"},
      {"America/Nuuk", "America/Godthab"},
      {"Asia/Ho_Chi_Minh", "Asia/Saigon"},
      {"Asia/Kathmandu", "Asia/Katmandu"},
      {"Asia/Kolkata", "Asia/Calcutta"},
      {"Asia/Yangon", "Asia/Rangoon"},
      {"Atlantic/Faroe", "Atlantic/Faeroe"},
      {"Europe/Kyiv", "Europe/Kiev"},
      {"Pacific/Chuuk", "Pacific/Truk"},
      {"Pacific/Kanton", "Pacific/Enderbury"},
      {"Pacific/Pohnpei", "Pacific/Ponape"},
  };
  return kIds;
}

std::string CldrId(const std::string& zone) {
  const auto it = CldrZoneIds().find(zone);
  return it == CldrZoneIds().end() ? zone : it->second;
}

// Walks CLDR's nested zone objects ("America" -> "Argentina" -> ...) and calls
// `visit` with each zone's id and object: an object is a zone when `is_zone`
// says so.
template <typename IsZone, typename Visit>
void WalkZones(const nlohmann::json& node, const std::string& prefix, IsZone is_zone,
               Visit visit) {
  if (is_zone(node)) {
    visit(prefix, node);
    return;
  }
  if (!node.is_object()) return;
  for (const auto& [key, child] : node.items()) {
    WalkZones(child, prefix.empty() ? key : prefix + "/" + key, is_zone, visit);
  }
}

std::string StringAt(const nlohmann::json& node, const char* a, const char* b) {
  if (!node.contains(a) || !node[a].contains(b) || !node[a][b].is_string()) return "";
  return node[a][b].get<std::string>();
}

}  // namespace

bool CldrNames::Load(const std::string& meta_zones, const std::string& time_zone_names,
                     std::string& error) {
  try {
    std::ifstream meta_in(meta_zones);
    if (!meta_in) {
      error = "cannot read " + meta_zones;
      return false;
    }
    const nlohmann::json meta = nlohmann::json::parse(meta_in);
    WalkZones(
        meta.at("supplemental").at("metaZones").at("metazoneInfo").at("timezone"), "",
        [](const nlohmann::json& n) { return n.is_array(); },
        [this](const std::string& id, const nlohmann::json& periods) {
          for (const nlohmann::json& p : periods) {
            const nlohmann::json& use = p.at("usesMetazone");
            zone_metazones_[id].push_back({use.value("_from", ""), use.value("_to", ""),
                                           use.at("_mzone").get<std::string>()});
          }
        });

    std::ifstream names_in(time_zone_names);
    if (!names_in) {
      error = "cannot read " + time_zone_names;
      return false;
    }
    const nlohmann::json names =
        nlohmann::json::parse(names_in).at("main").at("en").at("dates").at("timeZoneNames");
    WalkZones(
        names.at("zone"), "",
        [](const nlohmann::json& n) { return n.is_object() && n.contains("_type"); },
        [this](const std::string& id, const nlohmann::json& zone) {
          zone_names_[id] = {StringAt(zone, "long", "standard"), StringAt(zone, "long", "daylight")};
        });
    for (const auto& [id, metazone] : names.at("metazone").items()) {
      metazone_names_[id] = {StringAt(metazone, "long", "standard"),
                             StringAt(metazone, "long", "daylight")};
    }
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  return true;
}

std::string CldrNames::Metazone(const std::string& zone, int year) const {
  const auto it = zone_metazones_.find(CldrId(zone));
  if (it == zone_metazones_.end()) return "";
  const std::string year_start = std::to_string(year) + "-01-01 00:00";
  const std::string year_end = std::to_string(year + 1) + "-01-01 00:00";
  std::string found;
  // The periods are in time order; the last one that touches the year wins.
  for (const Period& p : it->second) {
    if ((p.from.empty() || p.from < year_end) && (p.to.empty() || p.to > year_start)) {
      found = p.metazone;
    }
  }
  return found;
}

std::pair<std::string, std::string> CldrNames::Names(const std::string& zone, int year,
                                                     int standard_east, bool has_daylight) const {
  std::string standard;
  std::string daylight;
  if (const auto it = zone_names_.find(CldrId(zone)); it != zone_names_.end()) {
    standard = it->second.first;
    daylight = it->second.second;
  }
  if (const std::string metazone = Metazone(zone, year); !metazone.empty()) {
    if (const auto it = metazone_names_.find(metazone); it != metazone_names_.end()) {
      if (standard.empty()) standard = it->second.first;
      if (daylight.empty()) daylight = it->second.second;
    }
  }
  if (standard.empty()) standard = GmtName(standard_east);
  if (daylight.empty()) daylight = has_daylight ? GmtName(standard_east + 60) : standard;
  return {WithoutCommas(standard), WithoutCommas(daylight)};
}

std::string GmtName(int minutes_east) {
  if (minutes_east == 0) return "GMT";
  char text[16];
  const int magnitude = std::abs(minutes_east);
  std::snprintf(text, sizeof text, "GMT%c%02d:%02d", minutes_east > 0 ? '+' : '-', magnitude / 60,
                magnitude % 60);
  return text;
}

std::string WithoutCommas(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c != ',') out += c;
  }
  return out;
}

}  // namespace terravue::zonedata
