// terravue-mapbuilder: draws the map image of every place of the tables and
// of the world from Natural Earth polygons and GeoNames cities, writes each
// with its world file and coordinate system, checks every map against the
// Factbook coordinates of its place, and lists each map's file stem and
// scale for the country data builder.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/image_io.h"
#include "tools/common/options.h"
#include "tools/artbuilder/topojson.h"
#include "tools/countrydata/facts.h"
#include "tools/mapbuilder/cities.h"
#include "tools/mapbuilder/mapmaker.h"

namespace {

namespace fs = std::filesystem;
using terravue::LonLat;
using namespace terravue::mapbuilder;

struct Options {
  std::string countries;
  std::string land;
  std::string cities;
  fs::path data;
  fs::path out;
  fs::path scales;
  fs::path preview;  // optional: PNG copies for looking at the maps
  std::string only;  // optional: build this place alone
};

constexpr std::string_view kUsage =
    "terravue-mapbuilder --countries countries-10m.json --land land-10m.json "
    "--cities cities.pbf --data QuorvelCountriesTerravue.txt --out DIR --scales FILE "
    "[--preview DIR] [--only PLACE]";

// The fields of the country file that the maps use.
struct PlaceFacts {
  std::string coordinates;
  std::string capital;
  std::string internet_code;
};

std::map<std::string, PlaceFacts> ReadCountryFile(const fs::path& path) {
  std::map<std::string, PlaceFacts> facts;
  std::ifstream in(path);
  std::string line;
  PlaceFacts* current = nullptr;
  auto value = [&](const char* prefix) -> const char* {
    const size_t n = std::char_traits<char>::length(prefix);
    return line.compare(0, n, prefix) == 0 ? line.c_str() + n : nullptr;
  };
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (const char* v = value("<country>")) {
      current = &facts[v];
    } else if (current == nullptr) {
      continue;
    } else if (const char* v = value("<coordinates>")) {
      current->coordinates = v;
    } else if (const char* v = value("<capital>")) {
      current->capital = v;
    } else if (const char* v = value("<internet country code>")) {
      current->internet_code = v;
    }
  }
  return facts;
}

// Places whose map is not framed about their own polygons: the poles'
// places and the Southern Ocean about their pole, the other oceans about
// their Factbook point, each over the waters it names.
struct FixedFrame {
  const char* place;
  LonLat centre;
  double half_width_km;
  double half_height_km;
};
constexpr FixedFrame kFixedFrames[] = {
    {"Antarctica", {0, -90}, 3400, 3400},
    {"Arctic Ocean", {0, 90}, 3400, 3400},
    // About the pole turned so that the ocean's nominal point (60 S, 90 E)
    // lies up and to the left, in the view the map opens on.
    {"Southern Ocean", {135, -90}, 4600, 4600},
    {"Atlantic Ocean", {-25, 0}, 6000, 8000},
    {"Pacific Ocean", {-160, 0}, 10000, 7500},
};

// Places whose Factbook point lies more than two pixels from their own land
// on their own map, as the check found them: the centre of an archipelago
// falls on the sea between its islands, and a few Factbook points lie
// outside their place (Kuwait's 45 45 E is west of its western border; San
// Marino's 43 46 N is south of it; the Cocos Islands' 12 30 S is south of
// the atoll). The points are left as the
// Factbook gives them; the check fails on any other place that misses, and
// on a place listed here that no longer does.
constexpr const char* kPointsOffTheirLand[] = {
    "Cape Verde",
    "Sao Tome and Principe",
    "Seychelles",
    "Heard Island and McDonald Islands",
    "Philippines",
    "Maldives",
    "Fiji",
    "Marshall Islands",
    "Tonga",
    "Tuvalu",
    "Vanuatu",
    "San Marino",
    "British Virgin Islands",
    "Faroe Islands",
    "Jan Mayen",
    "Kuwait",
    "Cuba",
    "Bahamas, The",
    "Trinidad and Tobago",
    "Cayman Islands",
    "French Polynesia",
    "Cocos (keeling) Islands",
};

// Island groups too small to see on their place's map, named so that a user
// sees where the land is: Kiribati's atolls lie in three groups across
// 4,000 km of ocean (Banaba, alone west of the Gilberts, is left unnamed).
const std::vector<IslandGroup> kIslandGroups = {
    {"Kiribati", "Gilbert Islands", 172, 177.5, -3.5, 3.5},
    {"Kiribati", "Phoenix Islands", -175, -170.5, -5, -2.5},
    {"Kiribati", "Line Islands", -161, -150, -12, 5},
};

// A place of fewer pixels than this on its own map is too small to show;
// one of fewer than kRingBelowPixels is ringed, since a capital's marker
// (7 x 7 pixels and a halo) would hide most of it.
constexpr int kTooSmallPixels = 12;
constexpr int kRingBelowPixels = 64;
// Land that a ring can hold: at most this many pixels across.
constexpr int kCompactLand = 12;

// The capitals that check the world map's georeference.
constexpr const char* kWorldCheckPlaces[] = {
    "France", "Egypt",   "Brazil", "Japan",        "Australia",
    "Canada", "India",   "Russia", "South Africa", "Argentina",
};

std::vector<const City*> CitiesOf(const std::map<std::string, std::vector<const City*>>& by_code,
                                  const std::string& internet_code) {
  std::vector<const City*> list;
  for (const std::string& code : IsoCodes(internet_code)) {
    const auto found = by_code.find(code);
    if (found != by_code.end()) list.insert(list.end(), found->second.begin(), found->second.end());
  }
  return list;
}

// The middle of a place's pixels when they lie within a ring's width of
// each other, else nothing.
std::optional<LonLat> CompactLandCentre(const Classes& classes, const terravue::Georef& georef,
                                        int place) {
  int left = classes.width, top = classes.height, right = -1, bottom = -1;
  for (int y = 0; y < classes.height; ++y) {
    for (int x = 0; x < classes.width; ++x) {
      if (classes.At(x, y) != place) continue;
      left = std::min(left, x);
      top = std::min(top, y);
      right = std::max(right, x);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0 || right - left > kCompactLand || bottom - top > kCompactLand) return std::nullopt;
  return georef.PixelToLonLat({(left + right) / 2.0, (top + bottom) / 2.0});
}

bool WriteText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const bool parsed = terravue::tools::ParseOptions(
      argc, argv,
      {{"--countries", &options.countries, true}, {"--land", &options.land, true},
       {"--cities", &options.cities, true}, {"--data", &options.data, true},
       {"--out", &options.out, true}, {"--scales", &options.scales, true},
       {"--preview", &options.preview}, {"--only", &options.only}});
  if (!parsed) return terravue::tools::UsageError(kUsage);

  std::string error;
  const auto countries = terravue::artbuilder::ReadTopoJsonFile(options.countries, "countries", error);
  if (!countries) {
    std::fprintf(stderr, "%s: %s\n", options.countries.c_str(), error.c_str());
    return 1;
  }
  const auto land = terravue::artbuilder::ReadTopoJsonFile(options.land, "land", error);
  if (!land) {
    std::fprintf(stderr, "%s: %s\n", options.land.c_str(), error.c_str());
    return 1;
  }
  const auto cities = ReadCitiesFile(options.cities);
  if (!cities || cities->empty()) {
    std::fprintf(stderr, "cannot read the city list %s\n", options.cities.c_str());
    return 1;
  }
  const auto facts = ReadCountryFile(options.data);
  std::vector<std::string> names = terravue::countrydata::AllPlaceNames();
  names.erase(std::remove(names.begin(), names.end(), "World"), names.end());
  const Atlas atlas = BuildAtlas(*countries, *land, names);
  std::printf("%zu country polygons, %zu land polygons, %zu cities, %zu places\n",
              atlas.countries.size(), atlas.land.size(), cities->size(), names.size());

  std::map<std::string, std::vector<const City*>> cities_by_code;
  for (const City& c : *cities) cities_by_code[c.country].push_back(&c);

  fs::create_directories(options.out);
  if (!options.preview.empty()) fs::create_directories(options.preview);
  std::ostringstream scales;
  int failures = 0;
  std::vector<std::string> on_land, near_land, ringed, off_land, not_found, no_cities;
  int opening_in_view = 0;  // maps that open on their place's point
  int opening_sized = 0;    // maps of exactly the opening view's size
  int rings = 0;
  std::set<std::string> stems;

  auto finish = [&](const std::string& place, const Frame& frame, const tv::gfx::Bitmap& bitmap) {
    const std::string stem = MapStem(place);
    if (!stems.insert(stem).second) {
      std::fprintf(stderr, "error: two places share the map name %s\n", stem.c_str());
      ++failures;
      return;
    }
    const fs::path gif = options.out / (stem + ".gif");
    if (!WriteGif(bitmap, gif.string(), error) ||
        !WriteText(options.out / (stem + ".gfw"), frame.georef.FormatWorldFile()) ||
        !WriteText(options.out / (stem + ".prj"), frame.georef.FormatPrj("Terravue " + place))) {
      std::fprintf(stderr, "error: %s: %s\n", place.c_str(), error.c_str());
      ++failures;
      return;
    }
    if (!options.preview.empty()) {
      tv::gfx::WritePngFile(bitmap, (options.preview / (stem + ".png")).string());
    }
    char scale[32];
    std::snprintf(scale, sizeof scale, "%.3f", frame.georef.KmPerPixelAtCentre(frame.width, frame.height));
    scales << place << '\t' << stem << '\t' << scale << '\n';
  };

  for (size_t index = 0; index < names.size(); ++index) {
    const std::string& place = names[index];
    if (!options.only.empty() && options.only != place) continue;
    const auto it = facts.find(place);
    const PlaceFacts fact = it == facts.end() ? PlaceFacts{} : it->second;
    const auto factbook = ParseFactbookCoordinates(fact.coordinates);
    const FixedFrame* fixed = nullptr;
    for (const FixedFrame& f : kFixedFrames) {
      if (place == f.place) fixed = &f;
    }
    const bool ocean = place.find("Ocean") != std::string::npos;
    const Extent fixed_extent =
        fixed ? Extent{fixed->half_width_km * 1000, fixed->half_height_km * 1000} : Extent{};
    const Frame frame = fixed ? OpeningFrame(fixed->centre, fixed_extent, 0, fixed_extent, factbook)
                              : PlaceFrame(atlas, static_cast<int>(index), factbook);
    const Classes classes = Classify(atlas, frame);
    tv::gfx::Bitmap bitmap = PaintClasses(classes, ocean ? -1 : static_cast<int>(index));

    // The check reads the georeference back from the text written beside
    // the map, so it tests what a reader of the files gets.
    const auto world_file = terravue::ParseWorldFile(frame.georef.FormatWorldFile());
    const auto georef = world_file ? terravue::ParsePrj(frame.georef.FormatPrj(place), *world_file)
                                   : std::nullopt;
    if (!georef) {
      std::fprintf(stderr, "error: %s: the georeference does not read back\n", place.c_str());
      ++failures;
      continue;
    }
    const int own_pixels = static_cast<int>(
        std::count(classes.code.begin(), classes.code.end(), ocean ? kSeaCode : static_cast<int>(index)));
    if (!factbook) {
      not_found.push_back(place + " (no Factbook coordinates)");
    } else {
      const auto distance = DistanceToClass(classes, *georef, *factbook,
                                            ocean ? kSeaCode : static_cast<int>(index), 2);
      if (distance && *distance == 0) {
        on_land.push_back(place);
      } else if (distance) {
        near_land.push_back(place);
      } else if (own_pixels < kTooSmallPixels) {
        ringed.push_back(place);
      } else {
        const auto far = DistanceToClass(classes, *georef, *factbook,
                                         ocean ? kSeaCode : static_cast<int>(index), kLongSide);
        char text[160];
        if (far) {
          std::snprintf(text, sizeof text, "%s (%.0f km)", place.c_str(),
                        *far * frame.georef.KmPerPixelAtCentre(frame.width, frame.height));
        } else {
          std::snprintf(text, sizeof text, "%s (off the map)", place.c_str());
        }
        const bool expected = std::find(std::begin(kPointsOffTheirLand), std::end(kPointsOffTheirLand),
                                        place) != std::end(kPointsOffTheirLand);
        (expected && far ? off_land : not_found).push_back(text);
      }
    }
    // Places that show as a few pixels at most are ringed at their
    // Factbook point. A place whose land the capital's marker would all but
    // cover is ringed about that land, where it lies close together (a
    // Factbook point beside the land, as San Marino's, would mislead).
    std::optional<LonLat> ring_at;
    if (!ocean && own_pixels < kTooSmallPixels) {
      ring_at = factbook;
    } else if (!ocean && own_pixels < kRingBelowPixels) {
      ring_at = CompactLandCentre(classes, *georef, static_cast<int>(index));
    }
    if (ring_at) {
      DrawRing(bitmap, *georef, *ring_at);
      ++rings;
    }
    // The map opens on its top-left corner: the place's point, and its ring,
    // must be in that first view.
    std::string fault = factbook ? CheckOpeningView(*georef, *factbook, false) : "";
    if (fault.empty() && ring_at) fault = CheckOpeningView(*georef, *ring_at, true);
    if (!fault.empty()) {
      std::fprintf(stderr, "error: %s: %s\n", place.c_str(), fault.c_str());
      ++failures;
    } else if (factbook) {
      ++opening_in_view;
    }
    if (frame.width == kOpeningWidth && frame.height == kOpeningHeight) ++opening_sized;
    const std::vector<tv::gfx::Rect> group_names =
        DrawIslandGroups(bitmap, *georef, atlas, static_cast<int>(index), kIslandGroups);

    std::vector<Marker> markers;
    std::vector<const City*> own = CitiesOf(cities_by_code, fact.internet_code);
    const City* capital = FindCapital(own, fact.capital);
    if (capital != nullptr) markers.push_back({{capital->lon, capital->lat}, capital->name, true});
    std::sort(own.begin(), own.end(), [](const City* a, const City* b) { return a->population > b->population; });
    int added = 0;
    for (const City* c : own) {
      if (c == capital) continue;
      if (added++ == 10) break;
      markers.push_back({{c->lon, c->lat}, c->name, false});
    }
    if (!ocean && place != "Antarctica" && own.empty()) no_cities.push_back(place);
    DrawMarkers(bitmap, *georef, markers, group_names);
    if (ocean) DrawCentredName(bitmap, place);
    finish(place, frame, bitmap);
  }

  if (options.only.empty() || options.only == "World") {
    const Frame frame = WorldFrame();
    const Classes classes = Classify(atlas, frame);
    tv::gfx::Bitmap bitmap = PaintClasses(classes, -1);
    const auto georef = terravue::ParsePrj(frame.georef.FormatPrj("World"),
                                          *terravue::ParseWorldFile(frame.georef.FormatWorldFile()));
    int checked = 0;
    for (const char* place : kWorldCheckPlaces) {
      const auto index = std::find(names.begin(), names.end(), place) - names.begin();
      const auto it = facts.find(place);
      const PlaceFacts fact = it == facts.end() ? PlaceFacts{} : it->second;
      const City* capital = FindCapital(CitiesOf(cities_by_code, fact.internet_code), fact.capital);
      const auto distance = capital && georef
          ? DistanceToClass(classes, *georef, {capital->lon, capital->lat}, static_cast<int>(index), 1)
          : std::nullopt;
      std::printf("world check: %s, %s: %s\n", place, capital ? capital->name.c_str() : "no capital",
                  distance ? (*distance == 0 ? "on its land" : "one pixel from its land") : "NOT FOUND");
      if (distance) ++checked;
    }
    if (checked != static_cast<int>(std::size(kWorldCheckPlaces))) ++failures;
    finish("World", frame, bitmap);
  }

  auto list = [](const char* title, const std::vector<std::string>& places) {
    std::printf("%s: %zu", title, places.size());
    for (size_t i = 0; i < places.size(); ++i) std::printf("%s%s", i ? ", " : " (", places[i].c_str());
    std::printf("%s\n", places.empty() ? "" : ")");
  };
  std::printf("Factbook point check (before markers and labels):\n");
  std::printf("  on the place's own land (sea for an ocean): %zu\n", on_land.size());
  list("  within 2 pixels of it", near_land);
  list("  too small to show, ringed at the point", ringed);
  list("  known to lie off their land (distance to it)", off_land);
  list("  not found (distance to its land)", not_found);
  if (options.only.empty() && off_land.size() != std::size(kPointsOffTheirLand)) {
    std::fprintf(stderr, "error: a place listed as lying off its land was found on it\n");
    ++failures;
  }
  std::printf("Opening view check: %d points within the first %dx%d pixels (%d of them ringed), "
              "%d maps of that size\n",
              opening_in_view, kOpeningWidth, kOpeningHeight, rings, opening_sized);
  list("no cities for", no_cities);
  failures += static_cast<int>(not_found.size());

  if (options.only.empty()) {
    if (!WriteText(options.scales, scales.str())) {
      std::fprintf(stderr, "cannot write %s\n", options.scales.c_str());
      return 1;
    }
  }
  std::uintmax_t bytes = 0;
  for (const auto& entry : fs::directory_iterator(options.out)) bytes += entry.file_size();
  std::printf("%d failures\n", failures);
  std::printf("%zu maps, %ju bytes in %s\n", stems.size(), bytes, options.out.c_str());
  return failures == 0 ? 0 : 1;
}
