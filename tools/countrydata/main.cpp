// terravue-countrydata: writes the country facts installation file from the
// World Factbook's final edition (January 2026), and from its 2015 edition for
// the places the final edition no longer describes, one block per place of
// the place tables and one for "World", and checks the file it wrote.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/common/options.h"
#include "tools/countrydata/facts.h"
#include "tools/countrydata/final_edition.h"
#include "tools/countrydata/flags.h"
#include "tools/countrydata/supplement.h"

namespace {

namespace fs = std::filesystem;
using terravue::countrydata::Json;

struct Options {
  fs::path factbook;       // the 2015 edition
  fs::path final_edition;  // the final edition's profiles, unpacked
  fs::path currencies;  // currency-codes' data.js
  fs::path zones;       // optional: "Place name<TAB>zone number" lines
  fs::path maps;        // optional: "Place name<TAB>map stem<TAB>km per pixel" lines
  fs::path out;
  fs::path flag_icons;  // optional: the flag-icons package, to choose the flags
  fs::path flags_out;   // optional: the flag manifest for the artwork builder
  fs::path world_countries;  // optional: the world-countries package folder
  fs::path sources;          // optional: SOURCES.md, whose filled-fields table is rewritten
};

constexpr std::string_view kUsage =
    "terravue-countrydata --factbook DIR [--final-edition DIR] --currencies data.js "
    "--out QuorvelCountriesTerravue.txt [--zones FILE] [--maps FILE] "
    "[--flag-icons DIR [--flags-out FILE]] "
    "[--world-countries DIR [--sources SOURCES.md]]";

bool ReadFile(const fs::path& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return true;
}

// The ISO 4217 codes of currency-codes' data.js, a CommonJS module whose
// export is a JSON array of {"code": ...} objects.
bool ReadIsoCodes(const fs::path& path, std::set<std::string>& codes) {
  std::string text;
  if (!ReadFile(path, text)) return false;
  const size_t open = text.find('[');
  const size_t close = text.rfind(']');
  if (open == std::string::npos || close == std::string::npos || close < open) return false;
  const Json list = Json::parse(text.substr(open, close - open + 1), nullptr, false);
  if (list.is_discarded() || !list.is_array()) return false;
  for (const Json& entry : list) {
    if (entry.contains("code") && entry["code"].is_string()) codes.insert(entry["code"].get<std::string>());
  }
  return !codes.empty();
}

// Reads "Place name<TAB>zone number[<TAB>more columns]" lines; a zone must be
// a whole number and a place one of ours. Columns after the second are the
// zone builder's notes and are not used here.
bool ReadZones(const fs::path& path, const std::vector<std::string>& places,
               std::map<std::string, std::string>& zones) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  const std::set<std::string> known(places.begin(), places.end());
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const size_t tab = line.find('\t');
    const std::string place = line.substr(0, tab);
    std::string zone = tab == std::string::npos ? "" : line.substr(tab + 1);
    zone = zone.substr(0, zone.find('\t'));
    const bool numeric = !zone.empty() && zone.find_first_not_of("0123456789") == std::string::npos;
    if (!numeric || known.count(place) == 0) {
      std::fprintf(stderr, "%s:%d: expected \"place<TAB>zone number\" for a known place\n",
                   path.c_str(), number);
      return false;
    }
    zones[place] = zone;
  }
  return true;
}

// Chooses every place's flag, hands the stems to the builder and writes the
// manifest the artwork builder rasterises.
bool ChooseFlags(const Options& options, const std::vector<std::string>& places,
                 const std::vector<std::vector<terravue::countrydata::SourcePart>>& sources_of,
                 terravue::countrydata::FactsBuilder& builder) {
  terravue::countrydata::FlagSet set;
  std::string error;
  if (!set.Load(options.flag_icons, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  // Flags are chosen from the 2015 edition's descriptions, which every place has.
  auto flag_parts = [&](size_t i) -> const std::vector<terravue::countrydata::SourcePart>& {
    return sources_of[i].size() == 1 && !sources_of[i].front().earlier.empty() ? sources_of[i].front().earlier
                                                                               : sources_of[i];
  };
  // A profile's own place, for the places described within it.
  std::map<const Json*, std::string> owner_of;
  for (size_t i = 0; i < places.size(); ++i) {
    if (flag_parts(i).size() == 1 && flag_parts(i).front().own_profile) {
      owner_of.emplace(flag_parts(i).front().profile, places[i]);
    }
  }
  std::map<std::string, terravue::countrydata::FlagSource> flag_sources;
  for (size_t i = 0; i < places.size(); ++i) {
    terravue::countrydata::FlagSource source;
    source.combined = flag_parts(i).size() > 1;
    source.description = builder.FlagDescription(flag_parts(i));
    if (flag_parts(i).size() == 1 && !flag_parts(i).front().own_profile) {
      const auto it = owner_of.find(flag_parts(i).front().profile);
      if (it != owner_of.end()) source.owner = it->second;
    }
    flag_sources[places[i]] = std::move(source);
  }
  std::vector<std::string> faults;
  const auto choices = terravue::countrydata::ChooseFlags(places, flag_sources, set, faults);
  for (const std::string& fault : faults) std::fprintf(stderr, "flag fault: %s\n", fault.c_str());
  if (!faults.empty()) return false;
  std::map<std::string, std::string> stems;
  size_t with_flag = 0;
  std::printf("flags:\n");
  for (const auto& choice : choices) {
    std::printf("  %-45s %-30s %-6s %s\n", choice.place.c_str(),
                choice.stem.empty() ? "N/A" : choice.stem.c_str(), choice.code.c_str(), choice.how.c_str());
    if (choice.stem.empty()) continue;
    stems[choice.place] = choice.stem;
    ++with_flag;
  }
  const std::string manifest = terravue::countrydata::FormatFlagManifest(choices);
  const size_t bitmaps = static_cast<size_t>(std::count(manifest.begin(), manifest.end(), '\n'));
  std::printf("%zu places show a flag, %zu distinct flag bitmaps\n", with_flag, bitmaps);
  builder.SetFlags(std::move(stems));
  if (!options.flags_out.empty()) {
    std::ofstream out(options.flags_out, std::ios::binary | std::ios::trunc);
    out << manifest;
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", options.flags_out.c_str());
      return false;
    }
  }
  return true;
}

// Reads the map builder's "Place name<TAB>map stem<TAB>km per pixel" lines;
// every place must be one of ours, the stem a plain file name and the scale
// a plain positive decimal.
bool ReadMaps(const fs::path& path, const std::vector<std::string>& places,
              std::map<std::string, std::pair<std::string, std::string>>& maps) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  const std::set<std::string> known(places.begin(), places.end());
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::vector<std::string> columns;
    std::istringstream split(line);
    for (std::string column; std::getline(split, column, '\t');) columns.push_back(column);
    const bool ok = columns.size() == 3 && known.count(columns[0]) == 1 && !columns[1].empty() &&
                    columns[1].find_first_of("/\\") == std::string::npos &&
                    columns[2].find_first_not_of("0123456789.") == std::string::npos &&
                    std::count(columns[2].begin(), columns[2].end(), '.') <= 1 &&
                    std::strtod(columns[2].c_str(), nullptr) > 0;
    if (!ok) {
      std::fprintf(stderr, "%s:%d: expected \"place<TAB>map stem<TAB>km per pixel\" for a known place\n",
                   path.c_str(), number);
      return false;
    }
    maps[columns[0]] = {columns[1], columns[2]};
  }
  return true;
}

constexpr std::string_view kEditionsBegin = "<!-- field sources: generated by terravue-countrydata -->";
constexpr std::string_view kEditionsEnd = "<!-- end of field sources -->";

// The field table with, per field, how many places took their value from the
// final edition, from a dated 2015 value, from the 2015 edition as a whole,
// from elsewhere (zones, flags, maps, the second source), or are "N/A"; then
// the places read from the 2015 edition.
std::string EditionsSection(const terravue::countrydata::FactsBuilder& builder,
                            const std::vector<terravue::countrydata::PlaceBlock>& blocks,
                            const std::vector<std::string>& places,
                            const std::vector<std::vector<terravue::countrydata::SourcePart>>& sources_of) {
  using terravue::countrydata::Origin;
  std::string out =
      "| Field | Final edition entry | How | 2026 | 2015 dated | 2015 place | other | N/A |\n"
      "|---|---|---|---|---|---|---|---|\n";
  const std::string table = terravue::countrydata::FinalEditionTable();
  std::istringstream rows(table);
  std::string row;
  std::getline(rows, row);
  std::getline(rows, row);  // the table's own header
  for (const terravue::countrydata::FieldSource& source : terravue::countrydata::FinalEditionFields()) {
    std::getline(rows, row);
    int counts[5] = {};
    for (const auto& block : blocks) {
      const std::string category(source.category), field(source.field);
      Origin origin = builder.OriginOf(block.name, category, field);
      for (const auto& [name, fields] : block.categories) {
        for (const auto& [key, value] : fields) {
          if (name == category && key == field) {
            if (value == terravue::countrydata::kNotAvailable) origin = Origin::kNotAvailable;
            else if (origin == Origin::kNotAvailable) origin = Origin::kOther;  // filled later
          }
        }
      }
      const int column = origin == Origin::kFinalEdition   ? 0
                         : origin == Origin::kDated2015    ? 1
                         : origin == Origin::kEdition2015  ? 2
                         : origin == Origin::kOther        ? 3
                                                           : 4;
      ++counts[column];
    }
    out += row;
    for (int count : counts) out += " " + std::to_string(count) + " |";
    out += "\n";
  }
  out += "\nRead from the 2015 edition, which describes them and the final edition does not:";
  bool first = true;
  for (size_t i = 0; i < places.size(); ++i) {
    if (sources_of[i].size() == 1 && sources_of[i].front().edition == 2026) continue;
    out += (first ? " " : ", ") + places[i];
    first = false;
  }
  out += ".\n";
  return out;
}

bool RewriteSection(const fs::path& path, std::string_view begin, std::string_view end, const std::string& body) {
  std::string document;
  if (!ReadFile(path, document)) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  const auto updated = terravue::countrydata::ReplaceMarkedSection(document, begin, end, body);
  if (!updated) {
    std::fprintf(stderr, "%s lacks the lines %s and %s\n", path.c_str(), std::string(begin).c_str(),
                 std::string(end).c_str());
    return false;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << *updated;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!terravue::tools::ParseOptions(argc, argv,
                                     {{"--factbook", &options.factbook, true},
                                      {"--final-edition", &options.final_edition},
                                      {"--currencies", &options.currencies, true},
                                      {"--out", &options.out, true},
                                      {"--zones", &options.zones},
                                      {"--maps", &options.maps},
                                      {"--flag-icons", &options.flag_icons},
                                      {"--flags-out", &options.flags_out},
                                      {"--world-countries", &options.world_countries},
                                      {"--sources", &options.sources}})) {
    return terravue::tools::UsageError(kUsage);
  }

  terravue::countrydata::Factbook factbook;
  std::string error;
  if (!factbook.Load(options.factbook, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  terravue::countrydata::Factbook final_edition;
  if (!options.final_edition.empty() && !final_edition.Load(options.final_edition, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::set<std::string> iso_codes;
  if (!ReadIsoCodes(options.currencies, iso_codes)) {
    std::fprintf(stderr, "cannot read the ISO 4217 list from %s\n", options.currencies.c_str());
    return 1;
  }
  const std::vector<std::string> places = terravue::countrydata::AllPlaceNames();
  std::map<std::string, std::string> zones;
  if (!options.zones.empty() && !ReadZones(options.zones, places, zones)) return 1;
  std::map<std::string, std::pair<std::string, std::string>> maps;
  if (!options.maps.empty() && !ReadMaps(options.maps, places, maps)) return 1;
  std::printf("%zu Factbook profiles, %zu ISO 4217 codes, %zu zones, %zu places\n", factbook.size(),
              iso_codes.size(), zones.size(), places.size());

  terravue::countrydata::FactsBuilder builder(factbook, std::move(iso_codes), std::move(zones),
                                         std::move(maps));
  if (!options.final_edition.empty()) builder.SetFinalEdition(&final_edition);
  if (!options.world_countries.empty()) {
    terravue::countrydata::WorldCountries world;
    if (!world.Load(options.world_countries / "countries.json", error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    builder.SetCallingCodes(terravue::countrydata::CallingCodesByDomain(world));
  }
  std::vector<std::vector<terravue::countrydata::SourcePart>> sources_of;
  bool resolved = true;
  for (const std::string& place : places) {
    auto sources = builder.Resolve(place, error);
    if (!sources) {
      std::fprintf(stderr, "%s: %s\n", place.c_str(), error.c_str());
      resolved = false;
      continue;
    }
    sources_of.push_back(std::move(*sources));
  }
  if (!resolved) return 1;
  if (!options.flag_icons.empty() && !ChooseFlags(options, places, sources_of, builder)) return 1;
  std::vector<terravue::countrydata::PlaceBlock> blocks;
  for (size_t i = 0; i < places.size(); ++i) blocks.push_back(builder.Build(places[i], sources_of[i]));
  for (const std::string& note : builder.Notes()) std::printf("note: %s\n", note.c_str());
  if (!options.world_countries.empty() &&
      !terravue::countrydata::SupplementFromPackage(options.world_countries, options.sources, factbook, blocks,
                                              options.final_edition.empty() ? nullptr : &final_edition)) {
    return 1;
  }

  const std::string table = EditionsSection(builder, blocks, places, sources_of);
  std::printf("%s", table.c_str());
  if (!options.final_edition.empty()) {
    const auto disagreements = terravue::countrydata::CheckAgainstFinalEdition(blocks, sources_of);
    for (const std::string& fault : disagreements) std::fprintf(stderr, "fault: %s\n", fault.c_str());
    if (!disagreements.empty()) {
      std::fprintf(stderr, "not written: %zu values disagree with the final edition\n", disagreements.size());
      return 1;
    }
    if (!options.sources.empty() && !RewriteSection(options.sources, kEditionsBegin, kEditionsEnd, table)) return 1;
  }

  const std::string text = terravue::countrydata::FormatBlocks(blocks);
  {
    std::ofstream out(options.out, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", options.out.c_str());
      return 1;
    }
  }

  std::string written;
  if (!ReadFile(options.out, written)) {
    std::fprintf(stderr, "cannot read back %s\n", options.out.c_str());
    return 1;
  }
  const auto faults = terravue::countrydata::CheckFile(written, places);
  for (const std::string& fault : faults) std::fprintf(stderr, "fault: %s\n", fault.c_str());
  if (!faults.empty()) return 1;
  std::printf("wrote %s: %zu blocks, %zu bytes\n", options.out.c_str(), blocks.size(), written.size());
  return 0;
}
