#include "tools/countrydata/final_edition.h"

#include <algorithm>
#include <regex>

#include "tools/countrydata/text.h"

namespace terravue::countrydata {
namespace {

// Keys of the final edition carry stray blanks ("total ").
std::string TrimKey(std::string_view key) {
  while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
  while (!key.empty() && key.front() == ' ') key.remove_prefix(1);
  return std::string(key);
}

// A part by its name, blanks around the key ignored.
const Json* Part(const Json* node, std::string_view key) {
  if (node == nullptr || !node->is_object()) return nullptr;
  for (const auto& [name, child] : node->items()) {
    if (TrimKey(name) == key) return &child;
  }
  return nullptr;
}

std::string OwnText(const Json* node) {
  if (node == nullptr) return {};
  if (node->is_string()) return CleanText(node->get<std::string>());
  const Json* text = Part(node, "text");
  return (text != nullptr && text->is_string()) ? CleanText(text->get<std::string>()) : std::string();
}

std::string Join(const std::vector<std::string>& pieces) {
  std::string out;
  for (const std::string& piece : pieces) {
    if (piece.empty()) continue;
    if (!out.empty()) out += "; ";
    out += piece;
  }
  return out;
}

}  // namespace

const std::vector<FieldSource>& FinalEditionFields() {
  using R = Reading;
  static const std::vector<FieldSource> kFields = {
      {"geography", "location", "Geography", "Location", "", "", R::kWhole, ""},
      {"geography", "coordinates", "Geography", "Geographic coordinates", "", "", R::kWhole, ""},
      {"geography", "area", "Geography", "Area", "", "", R::kWhole, "\"total: ...; land: ...; water: ...\""},
      {"geography", "coastline", "Geography", "Coastline", "", "", R::kWhole, ""},
      {"geography", "border countries", "Geography", "Land boundaries", "border countries", "", R::kBorders,
       "its \"border countries\" part, else its own text or lone \"total\" (\"0 km\") when it has no others"},
      {"geography", "climate", "Geography", "Climate", "", "", R::kWhole, ""},
      {"geography", "resources", "Geography", "Natural resources", "", "", R::kWhole, ""},
      {"geography", "Timezone", "", "", "", "", R::kNotFactbook, "zone number from `data/place-zones.tsv`"},
      {"geography", "flag", "", "", "", "", R::kNotFactbook, "flag bitmap stem (see Flags)"},
      {"geography", "scale", "", "", "", "", R::kNotFactbook, "from the map builder"},
      {"geography", "map", "", "", "", "", R::kNotFactbook, "from the map builder"},
      {"people", "population", "People and Society", "Population", "total", "", R::kPart,
       "the \"total\" part (\"68,512,806 (2025 est.)\")"},
      {"people", "growth rate", "People and Society", "Population growth rate", "", "", R::kWhole, ""},
      {"people", "age structure", "People and Society", "Age structure", "", "", R::kWhole, ""},
      {"people", "sex ratio", "People and Society", "Sex ratio", "", "", R::kWhole, ""},
      {"people", "fertility rate", "People and Society", "Total fertility rate", "", "", R::kWhole, ""},
      {"people", "nationality", "People and Society", "Nationality", "", "", R::kWhole, ""},
      {"people", "ethnic groups", "People and Society", "Ethnic groups", "", "", R::kWhole, ""},
      {"people", "religions", "People and Society", "Religions", "", "", R::kWhole, ""},
      {"people", "languages", "People and Society", "Languages", "major-language sample(s)", "", R::kWhole,
       "without the \"major-language sample(s)\" part"},
      {"people", "literacy", "People and Society", "Literacy", "", "", R::kWhole, ""},
      {"government", "official country name", "Government", "Country name", "", "", R::kLongName,
       "conventional long form, else the short form when the long form is \"none\""},
      {"government", "government type", "Government", "Government type", "", "Dependency status", R::kWhole,
       "else Dependency status"},
      {"government", "capital", "Government", "Capital", "name", "", R::kPart, "the \"name\" part"},
      {"government", "national holidays", "Government", "National holiday", "", "", R::kWhole, ""},
      {"government", "administrative divisions", "Government", "Administrative divisions", "", "", R::kWhole, ""},
      {"economy", "currency", "Economy", "Exchange rates", "Currency", "", R::kCurrency,
       "the name before \"per US dollar\" in the \"Currency\" part (else the entry's text)"},
      {"economy", "currency code", "Economy", "Exchange rates", "Currency", "", R::kCurrencyCode,
       "the bracketed code there, checked against ISO 4217 (hand tables below)"},
      {"economy", "imports", "Economy", "Imports", "", "", R::kLatestYear,
       "the newest year's figure, then \"commodities:\" and \"partners:\" from Imports - commodities, Imports - partners"},
      {"economy", "exports", "Economy", "Exports", "", "", R::kLatestYear,
       "the same from Exports, Exports - commodities, Exports - partners"},
      {"economy", "industries", "Economy", "Industries", "", "", R::kWhole, ""},
      {"economy", "fiscal year", "Economy", "Fiscal year", "", "", R::kWhole,
       "gone from the final edition but for one profile"},
      {"communication", "telephones", "Communications", "Telephones - fixed lines", "", "", R::kWhole, ""},
      {"communication", "cellular", "Communications", "Telephones - mobile cellular", "", "", R::kWhole, ""},
      {"communication", "IDD", "", "", "", "", R::kIdd, "from the calling code and the hand table below"},
      {"communication", "country code", "Communications", "Internet country code", "", "", R::kCallingCode,
       "not in the final edition, whose Telephone system entry is gone: the 2015 code where the second source's "
       "`idd` for the place's top-level domain still dials it, else that `idd` (\".ag\" gives \"1-268\")"},
      {"communication", "internet country code", "Communications", "Internet country code", "", "", R::kWhole, ""},
      {"communication", "internet users", "Communications", "Internet users", "", "", R::kWhole,
       "now a share: \"percent of population: 87% (2023 est.)\""},
      {"transportation", "ports and harbors", "Transportation", "Ports", "", "", R::kWhole,
       "\"Ports and terminals\" in 2015"},
      {"transportation", "airports", "Transportation", "Airports", "", "", R::kWhole, ""},
      {"transportation", "heliports", "Transportation", "Heliports", "", "", R::kWhole, ""},
      {"tourism", "attractions", "Geography", "Geography - note", "", "", R::kAttractions,
       "then \"highest point:\" from Elevation and \"major urban areas:\" from People and Society > Major urban "
       "areas - population"},
  };
  return kFields;
}

const FieldSource* FindFieldSource(std::string_view category, std::string_view field) {
  for (const FieldSource& source : FinalEditionFields()) {
    if (source.category == category && source.field == field) return &source;
  }
  return nullptr;
}

std::string FinalEditionTable() {
  std::string out = "| Field | Final edition entry | How |\n|---|---|---|\n";
  for (const FieldSource& source : FinalEditionFields()) {
    std::string entry = source.section.empty() ? std::string("-")
                                               : std::string(source.section) + " > " + std::string(source.entry);
    if (source.reading == Reading::kPart) {
      entry += " > " + std::string(source.part);
    }
    out += "| " + std::string(source.category) + " / " + std::string(source.field) + " | " + entry + " | " +
           std::string(source.note) + " |\n";
  }
  return out;
}

std::string RenderEntry(const Json& entry, std::string_view entry_name, std::string_view omit) {
  if (entry.is_string()) return CleanText(entry.get<std::string>());
  if (!entry.is_object()) return {};
  std::vector<std::string> pieces = {OwnText(&entry)};
  for (const auto& [raw_key, child] : entry.items()) {
    const std::string key = TrimKey(raw_key);
    if (key == "text" || (!omit.empty() && key == omit)) continue;
    const std::string value = RenderNode(child);
    if (value.empty()) continue;
    // A part named like its entry, or whose text already begins with its
    // name ("note: ..."), is written without the name again.
    const bool named = key == entry_name || Lower(value).rfind(Lower(key) + ":", 0) == 0;
    pieces.push_back(named ? value : key + ": " + value);
  }
  return CleanText(Join(pieces));
}

bool CarriesItsYear(std::string_view value) {
  // An estimate's year, or the year of a figure ("464 (2013)"); not the year
  // of an event ("13 March (2013)").
  static const std::regex kYear(
      R"(\((?:[A-Z][a-z]+\.? )?(?:FY)?(?:19|20)\d\d(?:/\d\d)? est\.\)|[\d%]\s*\((?:19|20)\d\d\))");
  const std::string text(value);
  return std::regex_search(text, kYear);
}

std::string FactsBuilder::FinalEditionValue(std::string_view place, const FieldSource& source,
                                            const SourcePart& part) {
  const Json* profile = part.profile;
  const Json* entry = Part(Part(profile, source.section), source.entry);
  switch (source.reading) {
    case Reading::kNotFactbook:
      return {};
    case Reading::kWhole: {
      if (entry != nullptr) return RenderEntry(*entry, source.entry, source.part);
      const Json* instead = source.instead.empty() ? nullptr : Part(Part(profile, source.section), source.instead);
      return instead == nullptr ? std::string() : RenderEntry(*instead, source.instead);
    }
    case Reading::kPart: {
      const std::string text = OwnText(Part(entry, source.part));
      return text.empty() ? OwnText(entry) : text;
    }
    case Reading::kLongName:
      for (const char* form : {"conventional long form", "conventional short form"}) {
        const std::string name = OwnText(Part(entry, form));
        if (!name.empty() && Lower(name) != "none") return name;
      }
      return {};
    case Reading::kBorders: {
      if (entry == nullptr) return {};
      size_t parts = 0;
      for (const auto& [key, child] : entry->items()) {
        if (key == "text") continue;
        ++parts;
        if (TrimKey(key).rfind(source.part, 0) == 0) return RenderNode(child);  // "border countries (3)"
      }
      // An island's entry is its own text or a lone total: "0 km".
      if (parts == 1 && Part(entry, "total") != nullptr) return OwnText(Part(entry, "total"));
      return parts == 0 ? OwnText(entry) : std::string();
    }
    case Reading::kLatestYear: {
      std::string figure;
      if (entry != nullptr) {
        // "Imports 2024", "Imports 2023", ...: the newest first.
        std::string newest;
        for (const auto& [key, child] : entry->items()) {
          const std::string name = TrimKey(key);
          if (name.rfind(std::string(source.entry) + " ", 0) == 0 && name > newest) {
            newest = name;
            figure = OwnText(&child);
          }
        }
        if (newest.empty()) figure = OwnText(entry);
      }
      const Json* section = Part(profile, source.section);
      const std::string goods = OwnText(Part(section, std::string(source.entry) + " - commodities"));
      const std::string partners = OwnText(Part(section, std::string(source.entry) + " - partners"));
      return Join({figure, goods.empty() ? "" : "commodities: " + goods,
                   partners.empty() ? "" : "partners: " + partners});
    }
    case Reading::kCurrency:
    case Reading::kCurrencyCode: {
      std::string rates = OwnText(Part(entry, source.part));
      if (rates.empty()) rates = OwnText(entry);
      return CurrencyField(place, source.reading == Reading::kCurrency ? "currency" : "currency code", rates,
                           *final_edition_, 2026);
    }
    case Reading::kCallingCode: {
      // The 2015 code stays where the second source still dials it (it is a
      // number plan's, not an estimate of the year); where the second source
      // no longer does, its own code; a place without one in 2015 has no
      // public telephone service.
      static const std::regex kDomain(R"(\.[a-z]{2}\b)");
      const std::string domains = OwnText(entry);
      std::smatch match;
      const std::string earlier =
          part.earlier.size() == 1 ? FieldValue(place, "communication", "country code", part.earlier.front()) : "";
      if (earlier.empty() || !std::regex_search(domains, match, kDomain)) return {};
      const auto it = calling_codes_.find(match.str());
      if (it == calling_codes_.end()) return {};
      std::string digits = earlier;
      digits.erase(std::remove(digits.begin(), digits.end(), '-'), digits.end());
      for (const DialledCodes& codes : it->second) {
        for (const std::string& number : codes.numbers) {
          if (number.rfind(digits, 0) == 0) return earlier;
        }
      }
      for (const DialledCodes& codes : it->second) {
        if (!codes.code.empty()) return codes.code;
      }
      return {};
    }
    case Reading::kIdd:
      return IddFor(place, FinalEditionValue(place, *FindFieldSource("communication", "country code"), part));
    case Reading::kAttractions: {
      const Json* geography = Part(profile, "Geography");
      const std::string highest = OwnText(Part(Part(geography, "Elevation"), "highest point"));
      const std::string cities =
          OwnText(Part(Part(profile, "People and Society"), "Major urban areas - population"));
      return Join({entry == nullptr ? "" : RenderEntry(*entry, source.entry),
                   highest.empty() ? "" : "highest point: " + highest,
                   cities.empty() ? "" : "major urban areas: " + cities});
    }
  }
  return {};
}

std::vector<std::string> CheckAgainstFinalEdition(const std::vector<PlaceBlock>& blocks,
                                                  const std::vector<std::vector<SourcePart>>& sources_of) {
  std::vector<std::string> faults;
  for (size_t b = 0; b < blocks.size() && b < sources_of.size(); ++b) {
    const auto& sources = sources_of[b];
    if (sources.size() != 1 || sources.front().edition != 2026) continue;
    const Json* profile = sources.front().profile;
    // Read straight from the profile, not through the field table, so that a
    // wrong row, a later filling or a cut value shows.
    const std::string population =
        OwnText(Part(Part(Part(profile, "People and Society"), "Population"), "total"));
    const std::string capital = OwnText(Part(Part(Part(profile, "Government"), "Capital"), "name"));
    const std::string area = OwnText(Part(Part(Part(profile, "Geography"), "Area"), "total"));
    for (const auto& [category, fields] : blocks[b].categories) {
      for (const auto& [field, value] : fields) {
        std::string expected;
        bool prefix = false;
        if (category == "people" && field == "population") expected = population;
        if (category == "government" && field == "capital") expected = capital;
        if (category == "geography" && field == "area" && !area.empty()) {
          expected = "total: " + area;
          prefix = true;
        }
        if (expected.empty()) continue;
        const bool agrees = prefix ? value.rfind(expected, 0) == 0 : value == expected;
        if (!agrees) {
          faults.push_back(blocks[b].name + " " + field + ": \"" + value.substr(0, 60) +
                           "\" is not the final edition's \"" + expected + "\"");
        }
      }
    }
  }
  return faults;
}

}  // namespace terravue::countrydata
