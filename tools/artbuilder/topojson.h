#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace terravue::artbuilder {

// A position in degrees.
struct GeoPoint {
  double lon = 0;
  double lat = 0;
};

// A closed ring of positions; the first and last positions may repeat.
using Ring = std::vector<GeoPoint>;
// An outer ring followed by its holes.
using Polygon = std::vector<Ring>;

// One geometry of a TopoJSON object with its "name" property.
struct Feature {
  std::string name;
  std::vector<Polygon> polygons;
};

// Decodes the Polygon and MultiPolygon geometries of the object `object_name`
// of a TopoJSON topology. Arcs of a quantized topology are delta-encoded and
// mapped through the topology's transform; a negative arc index ~i walks arc i
// backwards. Other geometry types are skipped. Returns nothing and sets
// `error` when the text is not a usable topology.
std::optional<std::vector<Feature>> DecodeTopoJson(std::string_view text,
                                                   std::string_view object_name,
                                                   std::string& error);

std::optional<std::vector<Feature>> ReadTopoJsonFile(const std::string& path,
                                                     std::string_view object_name,
                                                     std::string& error);

}  // namespace terravue::artbuilder
