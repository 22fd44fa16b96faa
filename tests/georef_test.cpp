#include "maps/georef.h"

#include <gtest/gtest.h>

#include <GeographicLib/Geodesic.hpp>

#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace terravue {
namespace {

// A 480 x 240 world in plate carree, 0.75 degrees a pixel.
WorldFile WorldGrid() { return {0.75, 0, 0, -0.75, -180 + 0.375, 90 - 0.375}; }

// A 301 x 201 map of 2 km pixels centred on the projection's origin.
WorldFile AzimuthalGrid() { return {2000, 0, 0, -2000, -150 * 2000.0, 100 * 2000.0}; }

TEST(GeorefTest, PixelsRoundTripThroughBothProjections) {
  const Georef world = Georef::PlateCarree(WorldGrid());
  const Georef france = Georef::AzimuthalEquidistant({2, 46}, AzimuthalGrid());
  const Georef pole = Georef::AzimuthalEquidistant({0, -90}, AzimuthalGrid());
  for (const Georef* g : {&world, &france, &pole}) {
    for (PixelPos p : {PixelPos{0, 0}, PixelPos{150, 100}, PixelPos{12.25, 190.5}, PixelPos{300, 3}}) {
      const auto point = g->PixelToLonLat(p);
      ASSERT_TRUE(point.has_value());
      const auto back = g->LonLatToPixel(*point);
      ASSERT_TRUE(back.has_value());
      EXPECT_NEAR(back->x, p.x, 1e-6);
      EXPECT_NEAR(back->y, p.y, 1e-6);
    }
  }
  // The centre pixel is the projection's centre, and the world's corners are
  // the corners of the globe.
  const auto centre = france.PixelToLonLat({150, 100});
  EXPECT_NEAR(centre->lon, 2, 1e-9);
  EXPECT_NEAR(centre->lat, 46, 1e-9);
  const auto corner = world.PixelToLonLat({-0.5, -0.5});
  EXPECT_NEAR(corner->lon, -180, 1e-12);
  EXPECT_NEAR(corner->lat, 90, 1e-12);
}

TEST(GeorefTest, DistancesFromTheCentreAreTrue) {
  const Georef france = Georef::AzimuthalEquidistant({2, 46}, AzimuthalGrid());
  // 100 pixels straight north of the centre are 200 km away along the meridian.
  const auto north = france.PixelToLonLat({150, 0});
  double metres = 0;
  GeographicLib::Geodesic::WGS84().Inverse(46, 2, north->lat, north->lon, metres);
  EXPECT_NEAR(metres, 200000, 0.01);
  EXPECT_NEAR(north->lon, 2, 1e-9);
  EXPECT_NEAR(france.KmPerPixelAtCentre(301, 201), 2.0, 1e-6);
  // On the world map a pixel at the equator is 0.75 degrees of the equator.
  const Georef world = Georef::PlateCarree(WorldGrid());
  EXPECT_NEAR(world.KmPerPixelAtCentre(480, 240), 6378.137 * 0.75 * M_PI / 180, 1e-6);
}

TEST(GeorefTest, PixelsShowingNoPointOfTheEarthAnswerNothing) {
  const Georef world = Georef::PlateCarree(WorldGrid());
  EXPECT_FALSE(world.PixelToLonLat({-1, 10}).has_value());   // west of -180
  EXPECT_FALSE(world.PixelToLonLat({10, 240}).has_value());  // south of -90
  EXPECT_FALSE(world.PixelToLonLat({480, 10}).has_value());
  EXPECT_TRUE(world.PixelToLonLat({479, 239}).has_value());

  // 10,000 km pixels: the disc of the azimuthal projection has a radius of
  // about 20,000 km, so two pixels out lies inside it and three beyond.
  const Georef wide = Georef::AzimuthalEquidistant({10, 20}, {1e7, 0, 0, -1e7, 0, 0});
  EXPECT_TRUE(wide.PixelToLonLat({1.9, 0}).has_value());
  EXPECT_FALSE(wide.PixelToLonLat({2.1, 0}).has_value());
  EXPECT_FALSE(wide.PixelToLonLat({0, 3}).has_value());
  EXPECT_FALSE(wide.PixelToLonLat({1.6, 1.6}).has_value());
  EXPECT_FALSE(wide.PixelToLonLat({std::nan(""), 0}).has_value());
}

TEST(GeorefTest, WrittenFilesReadBackAsTheSameGeoreference) {
  const Georef chile = Georef::AzimuthalEquidistant({-71.25, -37.5}, AzimuthalGrid());
  const auto world = ParseWorldFile(chile.FormatWorldFile());
  ASSERT_TRUE(world.has_value());
  const auto back = ParsePrj(chile.FormatPrj("Chile \"mainland\""), *world);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->GetProjection(), Projection::kAzimuthalEquidistant);
  EXPECT_EQ(back->Centre().lon, -71.25);
  EXPECT_EQ(back->Centre().lat, -37.5);
  EXPECT_EQ(back->World().c, AzimuthalGrid().c);
  EXPECT_EQ(back->World().e, AzimuthalGrid().e);

  const Georef plate = Georef::PlateCarree(WorldGrid());
  const auto plate_back = ParsePrj(plate.FormatPrj("World"), *ParseWorldFile(plate.FormatWorldFile()));
  ASSERT_TRUE(plate_back.has_value());
  EXPECT_EQ(plate_back->GetProjection(), Projection::kPlateCarree);

  // Through the files beside an image, as the program reads them.
  const auto dir = std::filesystem::temp_directory_path() / ("georef_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "Chile.gfw") << chile.FormatWorldFile();
  std::ofstream(dir / "Chile.prj") << chile.FormatPrj("Chile");
  const auto read = ReadGeoref(dir / "Chile.gif");
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->Centre().lat, -37.5);
  std::filesystem::remove(dir / "Chile.prj");
  EXPECT_FALSE(ReadGeoref(dir / "Chile.gif").has_value());
#ifndef __SANITIZE_ADDRESS__  // which reserves more address space than the limit below
  // A 4 GiB .prj is refused without being read whole, within 1 GiB of memory.
  std::ofstream(dir / "Chile.prj") << chile.FormatPrj("Chile");
  std::filesystem::resize_file(dir / "Chile.prj", uintmax_t{1} << 32);
  const auto read_in_1_gib = [&dir] {
    const rlimit limit{rlim_t{1} << 30, rlim_t{1} << 30};
    setrlimit(RLIMIT_AS, &limit);
    std::exit(ReadGeoref(dir / "Chile.gif").has_value() ? 1 : 0);
  };
  EXPECT_EXIT(read_in_1_gib(), ::testing::ExitedWithCode(0), "");
#endif
  std::filesystem::remove_all(dir);
}

TEST(GeorefTest, ReadsCommonSpellingsAndRefusesWhatItCannotApply) {
  const WorldFile world = AzimuthalGrid();
  // The parameter names of other writers, spaces and lower-case keywords.
  const char* esri =
      "PROJCS[\"x\", GEOGCS[\"GCS_WGS_1984\", DATUM[\"D_WGS_1984\", SPHEROID[\"WGS_1984\", "
      "6378137.0, 298.257223563]], PRIMEM[\"Greenwich\", 0.0], UNIT[\"Degree\", "
      "0.0174532925199433]], projection[\"Azimuthal_Equidistant\"], "
      "PARAMETER[\"False_Easting\", 0.0], PARAMETER[\"False_Northing\", 0.0], "
      "PARAMETER[\"Central_Meridian\", 12.5], PARAMETER[\"Latitude_Of_Origin\", 41.9], "
      "UNIT[\"Meter\", 1.0]]";
  const auto g = ParsePrj(esri, world);
  ASSERT_TRUE(g.has_value());
  EXPECT_EQ(g->Centre().lon, 12.5);
  EXPECT_EQ(g->Centre().lat, 41.9);

  const Georef good = Georef::AzimuthalEquidistant({12.5, 41.9}, world);
  const std::string text = good.FormatPrj("x");
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string t = text;
    t.replace(t.find(from), from.size(), to);
    return t;
  };
  EXPECT_FALSE(ParsePrj(replaced("6378137", "6378388"), world));            // another ellipsoid
  EXPECT_FALSE(ParsePrj(replaced("Azimuthal_Equidistant", "Mercator_1SP"), world));
  EXPECT_FALSE(ParsePrj(replaced("\"false_easting\",0", "\"false_easting\",500000"), world));
  EXPECT_FALSE(ParsePrj(replaced("UNIT[\"metre\",1", "UNIT[\"foot\",0.3048"), world));
  EXPECT_FALSE(ParsePrj(text.substr(0, text.size() / 2), world));  // cut short
  EXPECT_FALSE(ParsePrj("", world));
  EXPECT_FALSE(ParsePrj(std::string(100, '[') , world));              // nested past any sense

  EXPECT_FALSE(ParseWorldFile("1\n0\n0\n-1\n5\n"));                 // five lines
  EXPECT_FALSE(ParseWorldFile("1\n0\n0\nx\n5\n6\n"));
  EXPECT_FALSE(ParseWorldFile("0\n0\n0\n0\n5\n6\n"));               // no pixel size
  EXPECT_FALSE(ParseWorldFile("1\n0\n0\ninf\n5\n6\n"));
  const auto crlf = ParseWorldFile("2\r\n0\r\n0\r\n-2\r\n5\r\n6\r\n");
  ASSERT_TRUE(crlf.has_value());
  EXPECT_EQ(crlf->f, 6);
}

}  // namespace
}  // namespace terravue
