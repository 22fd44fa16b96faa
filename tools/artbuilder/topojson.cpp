#include "tools/artbuilder/topojson.h"

#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

namespace terravue::artbuilder {
namespace {

using nlohmann::json;

// Decodes every arc to absolute positions once, so rings can share them.
std::optional<std::vector<std::vector<GeoPoint>>> DecodeArcs(const json& topology,
                                                             std::string& error) {
  double scale[2] = {1, 1};
  double translate[2] = {0, 0};
  const bool quantized = topology.contains("transform");
  if (quantized) {
    const json& t = topology["transform"];
    for (int k = 0; k < 2; ++k) {
      scale[k] = t.at("scale").at(k).get<double>();
      translate[k] = t.at("translate").at(k).get<double>();
    }
  }
  std::vector<std::vector<GeoPoint>> arcs;
  for (const json& arc : topology.at("arcs")) {
    std::vector<GeoPoint> points;
    points.reserve(arc.size());
    double x = 0;
    double y = 0;
    for (const json& position : arc) {
      if (position.size() < 2) {
        error = "arc position with fewer than two coordinates";
        return std::nullopt;
      }
      if (quantized) {
        x += position[0].get<double>();
        y += position[1].get<double>();
        points.push_back({x * scale[0] + translate[0], y * scale[1] + translate[1]});
      } else {
        points.push_back({position[0].get<double>(), position[1].get<double>()});
      }
    }
    arcs.push_back(std::move(points));
  }
  return arcs;
}

std::optional<Ring> BuildRing(const json& arc_indices,
                              const std::vector<std::vector<GeoPoint>>& arcs,
                              std::string& error) {
  Ring ring;
  for (const json& value : arc_indices) {
    const long long index = value.get<long long>();
    const long long arc_index = index >= 0 ? index : ~index;
    if (arc_index >= static_cast<long long>(arcs.size())) {
      error = "arc index " + std::to_string(index) + " out of range";
      return std::nullopt;
    }
    const std::vector<GeoPoint>& arc = arcs[arc_index];
    // Consecutive arcs share their joining position; keep it once.
    const size_t skip = ring.empty() ? 0 : 1;
    if (index >= 0) {
      for (size_t k = skip; k < arc.size(); ++k) ring.push_back(arc[k]);
    } else {
      for (size_t k = skip; k < arc.size(); ++k) ring.push_back(arc[arc.size() - 1 - k]);
    }
  }
  return ring;
}

std::optional<Polygon> BuildPolygon(const json& rings,
                                    const std::vector<std::vector<GeoPoint>>& arcs,
                                    std::string& error) {
  Polygon polygon;
  for (const json& ring_arcs : rings) {
    std::optional<Ring> ring = BuildRing(ring_arcs, arcs, error);
    if (!ring) return std::nullopt;
    if (ring->size() >= 3) polygon.push_back(std::move(*ring));
  }
  return polygon;
}

}  // namespace

std::optional<std::vector<Feature>> DecodeTopoJson(std::string_view text,
                                                   std::string_view object_name,
                                                   std::string& error) {
  try {
    const json topology = json::parse(text);
    if (topology.value("type", "") != "Topology") {
      error = "not a TopoJSON topology";
      return std::nullopt;
    }
    const json& objects = topology.at("objects");
    if (!objects.contains(object_name)) {
      error = "no object named " + std::string(object_name);
      return std::nullopt;
    }
    std::optional<std::vector<std::vector<GeoPoint>>> arcs = DecodeArcs(topology, error);
    if (!arcs) return std::nullopt;

    const json& object = objects[std::string(object_name)];
    std::vector<json> geometries;
    if (object.value("type", "") == "GeometryCollection") {
      for (const json& g : object.at("geometries")) geometries.push_back(g);
    } else {
      geometries.push_back(object);
    }

    std::vector<Feature> features;
    for (const json& geometry : geometries) {
      const std::string type = geometry.value("type", "");
      Feature feature;
      if (geometry.contains("properties") && geometry["properties"].contains("name")) {
        feature.name = geometry["properties"]["name"].get<std::string>();
      }
      if (type == "Polygon") {
        std::optional<Polygon> polygon = BuildPolygon(geometry.at("arcs"), *arcs, error);
        if (!polygon) return std::nullopt;
        feature.polygons.push_back(std::move(*polygon));
      } else if (type == "MultiPolygon") {
        for (const json& rings : geometry.at("arcs")) {
          std::optional<Polygon> polygon = BuildPolygon(rings, *arcs, error);
          if (!polygon) return std::nullopt;
          feature.polygons.push_back(std::move(*polygon));
        }
      } else {
        continue;
      }
      features.push_back(std::move(feature));
    }
    return features;
  } catch (const nlohmann::json::exception& e) {
    error = e.what();
    return std::nullopt;
  }
}

std::optional<std::vector<Feature>> ReadTopoJsonFile(const std::string& path,
                                                     std::string_view object_name,
                                                     std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return std::nullopt;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return DecodeTopoJson(text.str(), object_name, error);
}

}  // namespace terravue::artbuilder
