#pragma once

// Facts for places the Factbook edition no longer describes well: fields its
// reading left "N/A" are filled, one by one, from Factbook entries the main
// reading passes over and then from a second public source, the
// world-countries list. A value that the main reading found is never
// replaced. Every filled value is recorded with its source.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/countrydata/facts.h"

namespace terravue::countrydata {

// What the world-countries list says about one country or territory.
struct WorldCountry {
  std::string cca2;         // ISO 3166-1 alpha-2
  std::string cca3;         // ISO 3166-1 alpha-3
  std::string common_name;  // English common name
  std::vector<std::string> capitals;
  std::optional<double> area_sq_km;
  std::optional<std::pair<double, double>> lat_lng;
  bool has_borders = false;               // the entry carries a borders list
  std::vector<std::string> borders;       // alpha-3 codes of land neighbours
  std::string demonym_m, demonym_f;       // English demonyms
  std::vector<std::string> tlds;          // ".re"
  std::string idd_root;                   // "+2"
  std::vector<std::string> idd_suffixes;  // "62"
  std::vector<std::string> currency_codes;
  std::vector<std::string> languages;  // official languages, English names
};

// The world-countries list (its countries.json).
class WorldCountries {
 public:
  bool Load(const std::filesystem::path& path, std::string& error);
  // Parses the list's JSON text; false when it is not an array of countries.
  bool Parse(std::string_view json_text, std::string& error);

  const WorldCountry* ByCca2(std::string_view code) const;
  const WorldCountry* ByCca3(std::string_view code) const;
  const std::vector<WorldCountry>& all() const { return countries_; }
  size_t size() const { return countries_.size(); }

 private:
  std::vector<WorldCountry> countries_;
};

// The Factbook's own forms of the values the supplement writes.

// "21 06 S, 55 36 E": whole degrees, then minutes rounded to the nearest.
std::string FormatCoordinates(double latitude, double longitude);
// "total: 2,511 sq km"; fractions kept to two places ("total: 0.44 sq km").
std::string FormatArea(double sq_km);
// "noun: Mahoran; adjective: Mahoran". The list gives one English demonym
// (by gender); it names the people and serves as the adjective as well.
std::string FormatNationality(std::string_view masculine, std::string_view feminine);
// "262", or "1-268" for a member of the North American Numbering Plan, "1"
// for the plan's country of many area codes; empty when the suffixes do not
// make one code.
std::string FormatCallingCode(std::string_view root, const std::vector<std::string>& suffixes);
// Per top-level domain, the calling codes of the entries that use it: the
// code in the form above (empty when the entry makes no one code) and every
// number the entry dials ("7" and "3", "4" ... give "73", "74" ...).
std::map<std::string, std::vector<DialledCodes>> CallingCodesByDomain(const WorldCountries& world);
// "French (official), Creole (official)".
std::string FormatOfficialLanguages(const std::vector<std::string>& languages);

// One filled value and where it came from.
struct FilledField {
  std::string place;
  std::string category;
  std::string field;
  std::string value;
  std::string source;  // e.g. "world-countries 5.1.0, RE: capital"
};

// The fields a place may take from the world-countries list, and the entry
// that describes it.
struct WorldCountriesRule {
  std::string_view place;
  std::string_view cca2;
};
const std::vector<WorldCountriesRule>& WorldCountriesRules();

// Factbook entries that the main reading passes over, each for one field of
// one place.
struct FactbookEntryRule {
  std::string_view place;
  std::string_view category;
  std::string_view field;
  std::string_view code;     // the profile's GEC code
  std::string_view section;  // "Government"
  std::string_view entry;    // "Capital"
  std::string_view child;    // a sub-entry, or empty for the entry's own text
  std::string_view label;    // written before the value ("label: value"), or empty
  std::string_view why;      // for the sources list
  int edition = 2015;        // the edition whose profile is read: the place's own
};
const std::vector<FactbookEntryRule>& FactbookEntryRules();

// Fills the fields that are "N/A" in `blocks`: first from the Factbook
// entries of FactbookEntryRules, then from the world-countries list for the
// places of WorldCountriesRules. `version` names the list's version in the
// sources. Returns the values filled, in block order; `notes` gets the rules
// that found nothing to fill or no source.
// Rules of the 2026 edition read `final_edition` when one is given.
std::vector<FilledField> Supplement(std::vector<PlaceBlock>& blocks, const Factbook& factbook,
                                    const WorldCountries& world, std::string_view version,
                                    std::vector<std::string>& notes, const Factbook* final_edition = nullptr);

// The same for one place from one world-countries entry; `names_by_cca3`
// turns neighbours' codes into place names (the list's common name when a
// code is missing from it).
std::vector<FilledField> FillFromWorldCountries(
    PlaceBlock& block, const WorldCountry& country,
    const std::map<std::string, std::string, std::less<>>& names_by_cca3, std::string_view version);

// A Markdown table of the filled values (place, field, value, source).
std::string FilledFieldsTable(const std::vector<FilledField>& filled);

// Replaces the text between the lines `begin` and `end` of `document` with
// `body`; nothing when either line is missing.
std::optional<std::string> ReplaceMarkedSection(std::string_view document, std::string_view begin,
                                                std::string_view end, std::string_view body);

// The builder's step: loads the world-countries package in `package_dir`
// (its countries.json and, for the version, package.json), fills `blocks`,
// prints what it filled and, when `sources_md` is given, rewrites the table
// of filled values between the markers below. False, with a message on
// standard error, when a file cannot be read or written.
bool SupplementFromPackage(const std::filesystem::path& package_dir,
                           const std::filesystem::path& sources_md, const Factbook& factbook,
                           std::vector<PlaceBlock>& blocks, const Factbook* final_edition = nullptr);

inline constexpr std::string_view kFilledBegin = "<!-- filled fields: generated by terravue-countrydata -->";
inline constexpr std::string_view kFilledEnd = "<!-- end of filled fields -->";

}  // namespace terravue::countrydata
