#include "tools/countrydata/facts.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <regex>
#include <sstream>

#include "places/places.h"
#include "info/categories.h"
#include "platform/base/utf.h"
#include "tools/countrydata/final_edition.h"
#include "tools/countrydata/text.h"

namespace terravue::countrydata {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> out;
  if (text.empty()) return out;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    out.emplace_back(text.substr(start, end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return out;
}

// Places whose table name differs from the Factbook's conventional short or
// long form, by the Factbook's names, tried in order.
struct NameAlias {
  std::string_view place;
  std::string_view factbook_name;
};
constexpr NameAlias kNameAliases[] = {
    {"Congo, Republic of the", "Congo (Brazzaville)"},
    {"Congo, Democratic Republic of the", "DRC"},
    {"Lethoso", "Lesotho"},
    {"Cape Verde", "Cabo Verde"},
    {"Gambia, The", "The Gambia"},
    {"East Timor", "Timor-Leste"},
    {"Korea, North", "North Korea"},
    {"Korea, South", "South Korea"},
    {"Micronesia, Federated States of", "Federated States of Micronesia"},
    {"Macedonia, The Former Yugoslav Republic of", "Macedonia"},
    {"Man, Isle of", "Isle of Man"},
    {"Bahamas, The", "The Bahamas"},
    {"South Georgia and the South Sandwich Islands", "South Georgia and South Sandwich Islands"},
    // Names the final edition gives.
    {"Cote d'Ivoire", "Côte d'Ivoire"},
    {"Swaziland", "Eswatini"},
    {"Macedonia, The Former Yugoslav Republic of", "North Macedonia"},
    {"Gaza Strip", "Gaza, Gaza Strip"},
};

// Places found by the profile's GEC file code: the oceans and the world,
// whose profiles carry no country name, and places the Factbook describes
// within another profile. `tokens` (separated by "|") select the place's
// sub-entries; `group` those of the group it belongs to.
struct PartRule {
  std::string_view place;
  std::string_view label;  // successor name when several parts are combined
  std::string_view code;
  std::string_view tokens;
  std::string_view group;
  bool unsplit_applies;
  bool own_profile = false;  // the profile is this place's own
};
constexpr PartRule kPartRules[] = {
    {"World", "", "xx", "", "", true, true},
    {"Arctic Ocean", "", "xq", "", "", true, true},
    {"Atlantic Ocean", "", "zh", "", "", true, true},
    {"Pacific Ocean", "", "zn", "", "", true, true},
    {"Southern Ocean", "", "oo", "", "", true, true},
    {"Saint Helena", "", "sh", "", "", true, true},
    // Metropolitan France where the profile splits a field by its parts.
    {"France", "", "fr", "metropolitan France", "", true, true},
    // France's overseas regions of the time, described within France: only
    // what names the region itself, never what France says of all five.
    {"French Guiana", "", "fr", "French Guiana", "", false},
    {"Guadeloupe", "", "fr", "Guadeloupe", "", false},
    {"Martinique", "", "fr", "Martinique", "", false},
    {"Mayotte", "", "fr", "Mayotte", "", false},
    {"Reunion", "", "fr", "Reunion", "", false},
    // The Iles Eparses, described within the French Southern and Antarctic Lands.
    {"Bassas da India", "", "fs", "Bassas da India", "Iles Eparses", true},
    {"Europa Island", "", "fs", "Europa", "Iles Eparses", true},
    {"Glorioso Islands", "", "fs", "Glorioso", "Iles Eparses", true},
    {"Juan de Nova Island", "", "fs", "Juan de Nova", "Iles Eparses", true},
    {"Tromelin Island", "", "fs", "Tromelin", "Iles Eparses", true},
    // The US Pacific Island Wildlife Refuges, one profile for seven places.
    {"Baker Island", "", "um", "Baker", "", true},
    {"Howland Island", "", "um", "Howland", "", true},
    {"Jarvis Island", "", "um", "Jarvis", "", true},
    {"Johnston Atoll", "", "um", "Johnston", "", true},
    {"Kingman Reef", "", "um", "Kingman", "", true},
    {"Midway Islands", "", "um", "Midway", "", true},
    {"Palmyra Atoll", "", "um", "Palmyra", "", true},
    // Places that have since split: their successors, side by side.
    {"Serbia and Montenegro", "Serbia", "ri", "", "", true, true},
    {"Serbia and Montenegro", "Montenegro", "mj", "", "", true, true},
    {"Netherlands Antilles", "Curacao", "cc", "", "", true, true},
    {"Netherlands Antilles", "Sint Maarten", "sk", "", "", true, true},
};

// Currencies the Factbook's exchange-rate entry does not name with a code.
struct CurrencyOverride {
  std::string_view place;
  std::string_view currency;
  std::string_view code;
  int edition = 0;  // the edition whose entry it corrects; 0 for both
};
constexpr CurrencyOverride kCurrencyOverrides[] = {
    // The US profile lists other currencies per US dollar, not its own.
    {"United States", "US dollars", "USD"},
    // The 2015 Zimbabwe profile notes that the US dollar became legal currency
    // in 2009 and that the Zimbabwean dollar is essentially worthless since.
    {"Zimbabwe", "US dollars", "USD", 2015},
    // The final edition still rates the withdrawn Zimbabwean dollar (ZWD) and
    // notes Zimbabwe Gold (ZiG) as the currency since April 2024.
    {"Zimbabwe", "Zimbabwe Gold", "ZWG", 2026},
};

// Codes the Factbook's exchange-rate entries still give although the currency
// had been replaced, or that are not ISO codes at all, and the ISO code of the
// currency in use in 2015.
struct CodeOverride {
  std::string_view factbook_code;
  std::string_view code;
  // The replacing currency's name where the Factbook still names the old one.
  std::string_view name = {};
};
constexpr CodeOverride kCodeOverrides[] = {
    {"GHC", "GHS"},  // Ghana: new cedi since 2007
    {"MZM", "MZN"},  // Mozambique: new metical since 2006
    {"ZMK", "ZMW"},  // Zambia: rebased kwacha since 2013
    {"AFA", "AFN"},  // Afghanistan: new afghani since 2002
    {"TMM", "TMT"},  // Turkmenistan: new manat since 2009
    {"VEB", "VEF"},  // Venezuela: bolivar fuerte since 2008
    {"RMB", "CNY"},  // China: renminbi is the currency's name, yuan its ISO unit
    {"SAT", "WST"},  // Samoa: tala
    {"EEK", "EUR", "euros"},  // Estonia: euro since 2011
    {"LVL", "EUR", "euros"},  // Latvia: euro since 2014
    {"LTL", "EUR", "euros"},  // Lithuania: euro since 1 January 2015
    {"JEP", "GBP"},  // Jersey: a local issue of the pound sterling
    {"IMP", "GBP"},  // Isle of Man: a local issue of the pound sterling
};

// ISO codes valid in 2015 and withdrawn since, so absent from today's list.
constexpr std::string_view kWithdrawnCodes[] = {"MRO", "STD", "SLL", "HRK", "VEF", "BYR"};

// The codes that replaced them. The final edition's exchange-rate entries
// still name the withdrawn ones, which no longer buy anything in 2026.
struct SuccessorCode {
  std::string_view withdrawn;
  std::string_view code;
};
constexpr SuccessorCode kSuccessorCodes[] = {
    {"MRO", "MRU"},  // Mauritania: redenominated ouguiya, 2018
    {"STD", "STN"},  // Sao Tome and Principe: redenominated dobra, 2018
    {"SLL", "SLE"},  // Sierra Leone: redenominated leone, 2022
    {"VEF", "VES"},  // Venezuela: bolivar soberano, 2018 (digital bolivar, same code, 2021)
    {"BYR", "BYN"},  // Belarus: redenominated ruble, 2016
};

// International call prefixes other than "00", as the national numbering
// plans of the time set them. Places of the North American Numbering Plan
// (calling code 1) dial 011 and need no entry.
struct IddException {
  std::string_view place;
  std::string_view prefix;
};
constexpr IddException kIddExceptions[] = {
    {"Japan", "010"},
    {"Australia", "0011"},
    {"Christmas Island", "0011"},
    {"Cocos (keeling) Islands", "0011"},
    {"Russia", "810"},
    {"Belarus", "810"},
    {"Kazakhstan", "810"},
    {"Tajikistan", "810"},
    {"Turkmenistan", "810"},
    {"Uzbekistan", "810"},
    {"Kenya", "000"},
    {"Tanzania", "000"},
    {"Uganda", "000"},
    {"Nigeria", "009"},
    {"Cuba", "119"},
    {"Korea, South", "001"},
    {"Hong Kong", "001"},
    {"Singapore", "001"},
    {"Thailand", "001"},
    {"Indonesia", "001"},
    {"Mongolia", "001"},
    {"Cambodia", "001"},
    {"Guyana", "001"},
    {"Taiwan", "002"},
};

// Fields that hold for a part of a country the Factbook describes within the
// country's own profile even where the profile does not split them.
bool InheritsFromParent(std::string_view field) {
  return field == "currency" || field == "currency code";
}

bool Contains(std::string_view text, std::string_view token) {
  return text.find(token) != std::string_view::npos;
}

const Json* Child(const Json* node, std::string_view key) {
  if (node == nullptr || !node->is_object()) return nullptr;
  const auto it = node->find(std::string(key));
  return it == node->end() ? nullptr : &*it;
}

const Json* Path(const Json* profile, std::string_view section, std::string_view entry) {
  return Child(Child(profile, section), entry);
}

std::string NodeText(const Json& node) {
  const Json* text = Child(&node, "text");
  return (text != nullptr && text->is_string()) ? text->get<std::string>() : std::string();
}

bool MatchesAny(std::string_view key, const std::vector<std::string>& tokens) {
  return std::any_of(tokens.begin(), tokens.end(),
                     [&](const std::string& token) { return Contains(key, token); });
}

// The sub-entries of `node` that concern the part, rendered; empty when the
// node is split by place and none of its entries is this place's.
std::string SelectForPart(const Json* node, const SourcePart& part, std::string_view field) {
  if (node == nullptr) return {};
  if (part.tokens.empty()) return RenderNode(*node);
  for (const auto* tokens : {&part.tokens, &part.group_tokens}) {
    std::vector<std::string> values;
    for (const auto& [key, child] : node->items()) {
      if (key != "text" && MatchesAny(key, *tokens)) {
        const std::string value = RenderNode(child);
        if (!value.empty()) values.push_back(value);
      }
    }
    if (!values.empty()) {
      std::string joined;
      for (const auto& value : values) joined += (joined.empty() ? "" : "; ") + value;
      return CleanText(joined);
    }
  }
  const std::string whole = RenderNode(*node);
  for (const auto& token : part.tokens) {
    std::string listed = FindListedValue(whole, token);
    if (!listed.empty()) return listed;
  }
  bool split = false;
  for (const auto& [key, child] : node->items()) {
    if (key != "text" && MatchesAny(key, part.sibling_tokens)) split = true;
  }
  if (!split && (part.unsplit_applies || InheritsFromParent(field))) {
    // A split list in the text itself ("French Guiana - .gf; ...") is not this
    // place's when it names none of its tokens.
    for (const auto& token : part.sibling_tokens) {
      if (!part.unsplit_applies && Contains(whole, token)) return {};
    }
    return whole;
  }
  return {};
}

struct Currency {
  std::string name;
  std::string code;
};

// Currencies the exchange-rate entry names without an ISO code, or with a
// code that is not one ("Kuwaiti dinars (KD)"), by the Factbook's name.
struct CurrencyName {
  std::string_view name;
  std::string_view code;
};
constexpr CurrencyName kCurrencyNames[] = {
    {"baht", "THB"},            // Thailand
    {"emalangeni", "SZL"},      // Swaziland: plural of lilangeni
    {"Kuwaiti dinars", "KWD"},  // Kuwait: "KD" is the local abbreviation
    {"Guernsey pound", "GBP"},  // Guernsey: a local issue of the pound sterling
};

// Reads "<name> (<code>) per US dollar", "<name> (<code>) per dollar" and
// "<name> per US dollar"; "(BYB/BYR)" gives the last code, the one in use.
Currency ParseCurrency(std::string_view exchange_rates) {
  static const std::regex kNamed(
      R"(^([^;:()]+?)\s*(?:\(([A-Za-z/]+)\))?\s*per (?:US )?dollar)");
  static const std::regex kUsDollar(R"(the US dollar (is used|became))", std::regex::icase);
  static const std::regex kIsoCode(R"([A-Z]{3})");
  const std::string text(exchange_rates);
  std::smatch match;
  if (std::regex_search(text, match, kNamed)) {
    Currency currency{match[1].str(), ""};
    const std::string codes = match[2].str();
    const std::string last = codes.substr(codes.rfind('/') == std::string::npos ? 0 : codes.rfind('/') + 1);
    if (std::regex_match(last, kIsoCode)) currency.code = last;
    for (const CurrencyName& entry : kCurrencyNames) {
      if (currency.code.empty() && entry.name == currency.name) currency.code = entry.code;
    }
    return currency;
  }
  if (std::regex_search(text, match, kUsDollar)) return {"US dollars", "USD"};
  return {};
}

std::string Attractions(const SourcePart& source) {
  // A group's highest point or cities are not each member's: only entries
  // that name the place count for a place within a shared profile.
  SourcePart part = source;
  if (!part.own_profile) part.unsplit_applies = false;
  std::vector<std::string> pieces;
  const std::string note =
      SelectForPart(Path(part.profile, "Geography", "Geography - note"), part, "attractions");
  if (!note.empty()) pieces.push_back(note);
  const std::string highest = SelectForPart(
      Child(Path(part.profile, "Geography", "Elevation extremes"), "highest point"), part,
      "attractions");
  if (!highest.empty()) pieces.push_back("highest point: " + highest);
  const std::string cities = SelectForPart(
      Path(part.profile, "People and Society", "Major urban areas - population"), part,
      "attractions");
  if (!cities.empty()) pieces.push_back("major urban areas: " + cities);
  std::string joined;
  for (const auto& piece : pieces) joined += (joined.empty() ? "" : "; ") + piece;
  return joined;
}

}  // namespace

const std::vector<CategoryLayout>& BlockLayout() {
  static const std::vector<CategoryLayout> kLayout = [] {
    std::vector<CategoryLayout> layout;
    for (int i = 0; i < terravue::kCategoryCount; ++i) {
      CategoryLayout category{tv::Utf16ToUtf8(terravue::CategoryTable[i]), {}};
      for (std::u16string_view field : terravue::CategoryFieldTable(i)) {
        category.fields.push_back(tv::Utf16ToUtf8(field));
      }
      if (i == 0) {
        for (std::u16string_view field : terravue::kGeographyExtraFields) {
          category.fields.push_back(tv::Utf16ToUtf8(field));
        }
      }
      layout.push_back(std::move(category));
    }
    return layout;
  }();
  return kLayout;
}

int BlockLineCount() {
  int lines = 1 + 2;  // country line and the two trailing lines
  for (const auto& category : BlockLayout()) lines += 2 + static_cast<int>(category.fields.size());
  return lines;
}

bool Factbook::Load(const fs::path& dir, std::string& error) {
  std::error_code ec;
  for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& path = it->path();
    if (path.extension() != ".json" || path.parent_path().filename() == "meta") continue;
    if (path.stem().string().size() != 2) continue;  // profiles are named by GEC code
    std::ifstream in(path);
    Json profile = Json::parse(in, nullptr, false);
    if (profile.is_discarded() || !profile.is_object()) {
      error = "not a JSON profile: " + path.string();
      return false;
    }
    const std::string code = path.stem().string();
    const Json* names = Path(&profile, "Government", "Country name");
    for (const char* form : {"conventional short form", "conventional long form"}) {
      if (const Json* name = Child(names, form)) {
        const std::string text = CleanText(NodeText(*name));
        if (!text.empty() && Lower(text) != "none") code_by_name_.emplace(Lower(text), code);
      }
    }
    profiles_.emplace(code, std::move(profile));
  }
  if (ec || profiles_.empty()) {
    error = "no Factbook profiles under " + dir.string();
    return false;
  }
  return true;
}

const Json* Factbook::ByCode(std::string_view code) const {
  const auto it = profiles_.find(code);
  return it == profiles_.end() ? nullptr : &it->second;
}

const Json* Factbook::ByName(std::string_view name) const {
  const auto it = code_by_name_.find(Lower(name));
  return it == code_by_name_.end() ? nullptr : ByCode(it->second);
}

std::string RenderNode(const Json& node) {
  if (node.is_string()) return CleanText(node.get<std::string>());
  if (!node.is_object()) return {};
  std::string out = CleanText(NodeText(node));
  for (const auto& [key, child] : node.items()) {
    if (key == "text") continue;
    const std::string value = RenderNode(child);
    if (value.empty()) continue;
    if (!out.empty()) out += "; ";
    out += key + ": " + value;
  }
  return CleanText(out);
}

std::string FindListedValue(std::string_view text, std::string_view token) {
  const std::string key = std::string(token) + " - ";
  const size_t at = text.find(key);
  if (at == std::string_view::npos) return {};
  const size_t start = at + key.size();
  const size_t end = text.find(';', start);
  return CleanText(text.substr(start, end == std::string_view::npos ? end : end - start));
}

std::string FindCallingCode(std::string_view text) {
  static const std::regex kCode(R"(country codes?\s*(\([^)]*\))?\s*[-:]\s*(\d+(-\d+)?))");
  const std::string copy(text);
  std::smatch match;
  if (std::regex_search(copy, match, kCode)) return match[2].str();
  return {};
}

std::optional<std::vector<SourcePart>> FactsBuilder::ResolveIn(const Factbook& factbook, std::string_view place,
                                                               bool final_edition, std::string& error) const {
  std::vector<SourcePart> parts;
  for (const PartRule& rule : kPartRules) {
    if (rule.place != place) continue;
    SourcePart part;
    part.label = rule.label;
    part.profile = factbook.ByCode(rule.code);
    if (part.profile == nullptr) {
      error = "no profile " + std::string(rule.code) + " for " + std::string(place);
      return std::nullopt;
    }
    part.tokens = Split(rule.tokens, '|');
    part.group_tokens = Split(rule.group, '|');
    for (const PartRule& other : kPartRules) {
      if (other.code == rule.code) {
        for (auto& token : Split(other.tokens, '|')) part.sibling_tokens.push_back(token);
      }
    }
    part.unsplit_applies = rule.unsplit_applies;
    part.own_profile = rule.own_profile;
    parts.push_back(std::move(part));
  }
  if (final_edition && !parts.empty()) {
    // The final edition is read only for a place with a profile of its own,
    // and then whole: it describes France with its overseas regions.
    if (parts.size() != 1 || !parts.front().own_profile) {
      error = std::string(place) + " has no profile of its own in the final edition";
      return std::nullopt;
    }
    parts.front().tokens.clear();
    parts.front().sibling_tokens.clear();
  }
  if (!parts.empty()) return parts;
  SourcePart part;
  for (const NameAlias& alias : kNameAliases) {
    if (part.profile == nullptr && alias.place == place) part.profile = factbook.ByName(alias.factbook_name);
  }
  if (part.profile == nullptr) part.profile = factbook.ByName(place);
  if (part.profile == nullptr) {
    error = "no Factbook profile named \"" + std::string(place) + "\" or an alias of it";
    return std::nullopt;
  }
  parts.push_back(std::move(part));
  return parts;
}

std::optional<std::vector<SourcePart>> FactsBuilder::Resolve(std::string_view place,
                                                             std::string& error) const {
  auto earlier = ResolveIn(factbook_, place, false, error);
  if (final_edition_ == nullptr) return earlier;
  std::string not_final;
  auto final_parts = ResolveIn(*final_edition_, place, true, not_final);
  if (!final_parts) return earlier;
  final_parts->front().edition = 2026;
  if (earlier) final_parts->front().earlier = std::move(*earlier);
  return final_parts;
}

std::string FactsBuilder::FieldValue(std::string_view place, std::string_view category,
                                     std::string_view field, const SourcePart& part) {
  const Json* p = part.profile;
  auto select = [&](std::string_view section, std::string_view entry) {
    return SelectForPart(Path(p, section, entry), part, field);
  };
  if (category == "geography") {
    if (field == "location") return select("Geography", "Location");
    if (field == "coordinates") return select("Geography", "Geographic coordinates");
    if (field == "area") return select("Geography", "Area");
    if (field == "coastline") return select("Geography", "Coastline");
    if (field == "border countries") {
      // Only the list of neighbours, or the plain "0 km" / "none" of a place
      // without land borders; a profile that splits its borders by part
      // (France) does not say which list is whose.
      const Json* boundaries = Path(p, "Geography", "Land boundaries");
      if (boundaries == nullptr) return {};
      bool has_children = false;
      for (const auto& [key, child] : boundaries->items()) {
        if (key == "text") continue;
        has_children = true;
        // "border countries (3)" in some profiles.
        if (key.rfind("border countries", 0) == 0 && part.tokens.empty()) return RenderNode(child);
      }
      if (!has_children && part.unsplit_applies) return CleanText(NodeText(*boundaries));
      return {};
    }
    if (field == "climate") return select("Geography", "Climate");
    if (field == "resources") return select("Geography", "Natural resources");
    return {};  // Timezone, flag, scale and map are not Factbook facts
  }
  if (category == "people") {
    static const std::map<std::string_view, std::string_view> kEntries = {
        {"population", "Population"},
        {"growth rate", "Population growth rate"},
        {"age structure", "Age structure"},
        {"sex ratio", "Sex ratio"},
        {"fertility rate", "Total fertility rate"},
        {"nationality", "Nationality"},
        {"ethnic groups", "Ethnic groups"},
        {"religions", "Religions"},
        {"languages", "Languages"},
        {"literacy", "Literacy"},
    };
    return select("People and Society", kEntries.at(field));
  }
  if (category == "government") {
    if (field == "official country name") {
      // A profile shared by several places names the group, not the place.
      if (!part.own_profile) return {};
      const Json* names = Path(p, "Government", "Country name");
      for (const char* form : {"conventional long form", "conventional short form"}) {
        const std::string value = SelectForPart(Child(names, form), part, field);
        if (!value.empty() && Lower(value) != "none") return value;
      }
      return {};
    }
    if (field == "government type") {
      const std::string type = select("Government", "Government type");
      return type.empty() ? select("Government", "Dependency status") : type;
    }
    if (field == "capital") return SelectForPart(Child(Path(p, "Government", "Capital"), "name"), part, field);
    if (field == "national holidays") return select("Government", "National holiday");
    if (field == "administrative divisions") return select("Government", "Administrative divisions");
    return {};
  }
  if (category == "economy") {
    if (field == "currency" || field == "currency code") {
      return CurrencyField(place, field, select("Economy", "Exchange rates"), factbook_, 2015);
    }
    if (field == "imports" || field == "exports") {
      const std::string entry = field == "imports" ? "Imports" : "Exports";
      std::vector<std::string> pieces;
      const std::string total = select("Economy", entry);
      if (!total.empty()) pieces.push_back(total);
      const std::string goods = select("Economy", entry + " - commodities");
      if (!goods.empty()) pieces.push_back("commodities: " + goods);
      const std::string partners = select("Economy", entry + " - partners");
      if (!partners.empty()) pieces.push_back("partners: " + partners);
      std::string joined;
      for (const auto& piece : pieces) joined += (joined.empty() ? "" : "; ") + piece;
      return joined;
    }
    if (field == "industries") return select("Economy", "Industries");
    if (field == "fiscal year") return select("Economy", "Fiscal year");
    return {};
  }
  if (category == "communication") {
    if (field == "telephones") return select("Communications", "Telephones - fixed lines");
    if (field == "cellular") return select("Communications", "Telephones - mobile cellular");
    if (field == "country code" || field == "IDD") {
      const Json* system = Path(p, "Communications", "Telephone system");
      std::string code;
      if (system != nullptr) {
        const std::string whole = RenderNode(*system);
        if (part.tokens.empty()) {
          code = FindCallingCode(whole);
        } else {
          for (const auto& token : part.tokens) {
            if (code.empty()) code = FindListedValue(whole, token);
          }
          // The list's last entry carries the year of the list ("Reunion -
          // 262 (2011)"): the calling code is the leading number.
          code = code.substr(0, code.find_first_not_of("0123456789-"));
          if (code.empty() && part.unsplit_applies) code = FindCallingCode(whole);
        }
      }
      return field == "country code" ? code : IddFor(place, code);
    }
    if (field == "internet country code") return select("Communications", "Internet country code");
    if (field == "internet users") return select("Communications", "Internet users");
    return {};
  }
  if (category == "transportation") {
    if (field == "ports and harbors") return select("Transportation", "Ports and terminals");
    if (field == "airports") return select("Transportation", "Airports");
    if (field == "heliports") return select("Transportation", "Heliports");
    return {};
  }
  if (category == "tourism" && field == "attractions") return Attractions(part);
  return {};
}

std::string FactsBuilder::CurrencyField(std::string_view place, std::string_view field, std::string rates,
                                        const Factbook& factbook, int edition) {
  for (const CurrencyOverride& entry : kCurrencyOverrides) {
    if (entry.place == place && (entry.edition == 0 || entry.edition == edition)) {
      return std::string(field == "currency" ? entry.currency : entry.code);
    }
  }
  // The Gaza Strip's entry refers to the West Bank's.
  static const std::regex kSeeEntry(R"(^see entry for (?:the )?(.+)$)");
  std::smatch see;
  if (std::regex_match(rates, see, kSeeEntry)) {
    const Json* other = Path(factbook.ByName(see[1].str()), "Economy", "Exchange rates");
    const Json* currency = Child(other, "Currency");
    rates = currency != nullptr ? RenderNode(*currency) : other != nullptr ? RenderNode(*other) : std::string();
  }
  const Currency currency = ParseCurrency(rates);
  std::string code = currency.code;
  std::string name = currency.name;
  for (const CodeOverride& entry : kCodeOverrides) {
    if (entry.factbook_code != code) continue;
    code = entry.code;
    if (!entry.name.empty()) name = entry.name;
    break;
  }
  if (edition == 2026) {
    for (const SuccessorCode& entry : kSuccessorCodes) {
      if (entry.withdrawn == code) code = entry.code;
    }
  }
  if (field == "currency") return name;
  const bool withdrawn = edition == 2015 &&
      std::find(std::begin(kWithdrawnCodes), std::end(kWithdrawnCodes), code) != std::end(kWithdrawnCodes);
  if (code.empty() || (iso_codes_.count(code) == 0 && !withdrawn)) {
    if (!code.empty()) {
      notes_.push_back(std::string(place) + ": currency code " + code + " is not an ISO 4217 code; left N/A");
    }
    return {};
  }
  return code;
}

std::string FactsBuilder::IddFor(std::string_view place, const std::string& calling_code) {
  for (const IddException& entry : kIddExceptions) {
    if (entry.place == place) return std::string(entry.prefix);
  }
  if (calling_code == "1" || calling_code.rfind("1-", 0) == 0) return "011";
  // Without a calling code the place has no public telephone service.
  return calling_code.empty() ? std::string() : "00";
}

std::string FactsBuilder::FlagDescription(const std::vector<SourcePart>& sources) const {
  if (sources.size() != 1) return {};
  const Json* node = Path(sources.front().profile, "Government", "Flag description");
  return node == nullptr ? std::string() : CleanText(NodeText(*node));
}

PlaceBlock FactsBuilder::Build(std::string_view place, const std::vector<SourcePart>& sources) {
  PlaceBlock block;
  block.name = place;
  for (const CategoryLayout& category : BlockLayout()) {
    std::vector<std::pair<std::string, std::string>> fields;
    for (std::string_view field : category.fields) {
      std::string value;
      Origin origin = Origin::kOther;
      if (category.name == "geography" && field == "Timezone") {
        const auto it = zones_.find(std::string(place));
        if (it != zones_.end()) value = it->second;
      } else if (category.name == "geography" && field == "flag") {
        const auto it = flags_.find(std::string(place));
        if (it != flags_.end()) value = it->second;
      } else if (category.name == "geography" && (field == "map" || field == "scale")) {
        const auto it = maps_.find(std::string(place));
        if (it != maps_.end()) value = field == "map" ? it->second.first : it->second.second;
      } else if (sources.size() == 1 && sources.front().edition == 2026) {
        const SourcePart& part = sources.front();
        const FieldSource& source = *FindFieldSource(category.name, field);
        value = CleanText(FinalEditionValue(place, source, part));
        const bool second_source = source.reading == Reading::kCallingCode || source.reading == Reading::kIdd;
        origin = second_source ? Origin::kOther : Origin::kFinalEdition;
        if (value.empty() && part.earlier.size() == 1) {
          // A value of the 2015 edition stands in only when it says how old
          // it is, and always whole.
          std::string earlier = CleanText(FieldValue(place, category.name, field, part.earlier.front()));
          if (CarriesItsYear(earlier)) {
            value = std::move(earlier);
            origin = Origin::kDated2015;
          }
        }
      } else if (sources.size() == 1) {
        value = FieldValue(place, category.name, field, sources.front());
        origin = Origin::kEdition2015;
      } else {
        // Successors side by side: "Serbia: ...; Montenegro: ...".
        bool any = false;
        for (const SourcePart& part : sources) {
          std::string one = FieldValue(place, category.name, field, part);
          any = any || !one.empty();
          if (!value.empty()) value += "; ";
          value += part.label + ": " + (one.empty() ? std::string(kNotAvailable) : one);
        }
        if (!any) value.clear();
        origin = Origin::kEdition2015;
      }
      // The whole line "<field>value" must fit the reader's 1023 characters.
      value = CutAtWord(CleanText(value),
                        std::min(kMaxValueBytes, 1023 - field.size() - 2));
      if (value.empty()) {
        value = kNotAvailable;
        origin = Origin::kNotAvailable;
      }
      origins_[{block.name, category.name, std::string(field)}] = origin;
      fields.emplace_back(std::string(field), std::move(value));
    }
    block.categories.emplace_back(std::string(category.name), std::move(fields));
  }
  return block;
}

Origin FactsBuilder::OriginOf(const std::string& place, const std::string& category,
                              const std::string& field) const {
  const auto it = origins_.find({place, category, field});
  return it == origins_.end() ? Origin::kOther : it->second;
}

std::string FormatBlocks(const std::vector<PlaceBlock>& blocks) {
  std::string out;
  for (const PlaceBlock& block : blocks) {
    out += "<country>" + block.name + "\n";
    for (const auto& [category, fields] : block.categories) {
      out += "<" + category + ">\n";
      for (const auto& [field, value] : fields) out += "<" + field + ">" + value + "\n";
      out += "</" + category + ">\n";
    }
    out += "</country>\n\n";
  }
  return out;
}

std::vector<std::string> CheckFile(std::string_view text, const std::vector<std::string>& places) {
  std::vector<std::string> faults;
  if (!text.empty() && text.back() != '\n') faults.push_back("the file does not end with a line feed");
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find('\n', start);
    const size_t stop = end == std::string_view::npos ? text.size() : end;
    lines.push_back(text.substr(start, stop - start));
    start = stop + 1;
  }
  const size_t block_lines = static_cast<size_t>(BlockLineCount());
  if (lines.size() != places.size() * block_lines) {
    faults.push_back("expected " + std::to_string(places.size() * block_lines) + " lines, found " +
                     std::to_string(lines.size()));
    return faults;
  }
  for (size_t b = 0; b < places.size(); ++b) {
    size_t i = b * block_lines;
    const std::string where = "block " + std::to_string(b) + " (" + places[b] + "): ";
    auto expect = [&](std::string_view line, const std::string& wanted) {
      if (line != wanted) faults.push_back(where + "expected \"" + wanted + "\", found \"" + std::string(line.substr(0, 60)) + "\"");
    };
    expect(lines[i++], "<country>" + places[b]);
    for (const CategoryLayout& category : BlockLayout()) {
      expect(lines[i++], "<" + std::string(category.name) + ">");
      for (std::string_view field : category.fields) {
        const std::string_view line = lines[i++];
        const std::string prefix = "<" + std::string(field) + ">";
        if (line.substr(0, prefix.size()) != prefix) {
          faults.push_back(where + "expected field " + prefix);
          continue;
        }
        const std::string_view value = line.substr(prefix.size());
        if (value.empty()) faults.push_back(where + prefix + " is empty");
        if (!tv::IsValidUtf8(line)) faults.push_back(where + prefix + " is not valid UTF-8");
        if (CountCodePoints(line) > 1023) faults.push_back(where + prefix + " is longer than 1023 characters");
        if (line.find('\r') != std::string_view::npos) faults.push_back(where + prefix + " holds a carriage return");
      }
      expect(lines[i++], "</" + std::string(category.name) + ">");
    }
    expect(lines[i++], "</country>");
    expect(lines[i++], "");
  }
  return faults;
}

std::vector<std::string> AllPlaceNames() {
  std::vector<std::string> names;
  auto add = [&](std::u16string_view name) {
    std::string utf8 = tv::Utf16ToUtf8(name);
    if (std::find(names.begin(), names.end(), utf8) == names.end()) names.push_back(std::move(utf8));
  };
  for (int region = 0; region < terravue::kRegionCount; ++region) {
    for (const auto& row : terravue::RegionCountries(region).rows) add(row.name);
  }
  for (std::u16string_view name : terravue::OtherPlacesTable) add(name);
  names.push_back("World");
  return names;
}

}  // namespace terravue::countrydata
