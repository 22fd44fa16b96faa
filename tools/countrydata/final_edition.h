#pragma once

// The Factbook's final edition (January 2026): which entry of a profile fills
// each field of the installation file, and how the entry is written there.

#include <string>
#include <string_view>
#include <vector>

#include "tools/countrydata/facts.h"

namespace terravue::countrydata {

// How a field's value is read from its entry.
enum class Reading {
  kWhole,        // the entry's text, then "part: value" for each of its parts
  kPart,         // one part's text ("total"), else the entry's own text
  kLongName,     // conventional long form, else the short form
  kBorders,      // the "border countries" part, else the entry's text when it has no parts
  kLatestYear,   // the newest year's figure, then "commodities:" and "partners:"
  kCurrency,     // the currency's name before "per US dollar"
  kCurrencyCode, // its ISO 4217 code
  kCallingCode,  // the second source's calling code for the place's domain
  kIdd,          // the international call prefix, from the calling code
  kAttractions,  // geography note, highest point, major urban areas
  kNotFactbook,  // filled by other builders (zone, flag, map, scale)
};

// One field of the installation file and its source in the final edition.
struct FieldSource {
  std::string_view category;
  std::string_view field;
  std::string_view section;  // "People and Society"
  std::string_view entry;    // "Population"
  std::string_view part;     // for kPart: the part read; for kWhole: a part left out
  std::string_view instead;  // an entry read when `entry` is missing ("Dependency status")
  Reading reading;
  std::string_view note;     // how the value is formed, for the sources list
};

// Every field of the block layout, in file order.
const std::vector<FieldSource>& FinalEditionFields();

// The row of FinalEditionFields for (category, field), or nullptr.
const FieldSource* FindFieldSource(std::string_view category, std::string_view field);

// The table as Markdown (field, entry, how), for SOURCES.md.
std::string FinalEditionTable();

// Renders an entry as kWhole does: its text, then "part: value" for each
// part (a part named like the entry is written without its name, `omit` is
// left out).
std::string RenderEntry(const Json& entry, std::string_view entry_name, std::string_view omit = {});

// True when a value carries the year it is true of, in the Factbook's own
// way: "(2015 est.)", "(July 2015 est.)", a figure's "464 (2014)".
bool CarriesItsYear(std::string_view value);

// Where the written blocks disagree with the final edition's profiles:
// population, capital and area of every place read from the final edition
// must be the profile's own (where the profile states one).
std::vector<std::string> CheckAgainstFinalEdition(
    const std::vector<PlaceBlock>& blocks, const std::vector<std::vector<SourcePart>>& sources_of);

}  // namespace terravue::countrydata
