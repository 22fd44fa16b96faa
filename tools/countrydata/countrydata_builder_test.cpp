// How the data builder chooses each place's flag, and how it reads the
// Factbook's final edition.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tools/countrydata/final_edition.h"
#include "tools/countrydata/flags.h"

namespace terravue::countrydata {
namespace {

// A small flag set: each drawing is a distinct text unless two codes are
// meant to be drawn alike.
FlagSet SmallSet() {
  FlagSet set;
  set.Add("fr", "France", R"(<svg id="flag-icons-fr"><path fill="#00f"/><path fill="#f00"/></svg>)");
  set.Add("pm", "Saint Pierre and Miquelon",
          R"(<svg id="flag-icons-pm"><path fill="#00f"/><path fill="#f00"/></svg>)");
  set.Add("no", "Norway", R"(<svg id="flag-icons-no"><path fill="#f00"/></svg>)");
  set.Add("us", "United States of America", R"(<svg id="flag-icons-us"><path fill="#b22"/></svg>)");
  set.Add("gl", "Greenland", R"(<svg id="flag-icons-gl"><circle fill="#c00"/></svg>)");
  set.Add("kr", "South Korea", R"(<svg id="flag-icons-kr"><circle fill="#cd2e3a"/></svg>)");
  return set;
}

std::map<std::string, FlagChoice> ByPlace(const std::vector<FlagChoice>& choices) {
  std::map<std::string, FlagChoice> out;
  for (const FlagChoice& choice : choices) out[choice.place] = choice;
  return out;
}

TEST(FlagStem, KeepsLettersAndDigitsJoinedByOneUnderscore) {
  EXPECT_EQ(FlagStem("France"), "France");
  EXPECT_EQ(FlagStem("Korea, South"), "Korea_South");
  EXPECT_EQ(FlagStem("Cote d'Ivoire"), "Cote_d_Ivoire");
  EXPECT_EQ(FlagStem("Holy See (Vatican City)"), "Holy_See_Vatican_City");
  EXPECT_EQ(FlagStem("  Man, Isle of  "), "Man_Isle_of");
}

TEST(ChooseFlags, OwnSovereignOwnerAndNone) {
  const std::vector<std::string> places = {"Jan Mayen", "Norway",        "Korea, South",
                                           "France",    "Martinique",    "Wake Island",
                                           "United States", "Serbia and Montenegro", "World",
                                           "Greenland", "Atlantis"};
  std::map<std::string, FlagSource> sources;
  // A reference may come before the place it names.
  sources["Jan Mayen"] = {"the flag of Norway is used", "", false};
  sources["Norway"] = {"red with a blue cross outlined in white", "", false};
  sources["Korea, South"] = {"white with a red and blue taegeuk", "", false};
  sources["France"] = {"three equal vertical bands of blue, white, and red", "", false};
  sources["Martinique"] = {"three equal vertical bands of blue, white, and red", "France", false};
  sources["Wake Island"] = {"the flag of the US is used", "", false};
  sources["United States"] = {"13 equal horizontal stripes", "", false};
  sources["Serbia and Montenegro"] = {"", "", true};
  sources["World"] = {"", "", false};
  sources["Greenland"] = {"two equal horizontal bands of white and red", "", false};
  sources["Atlantis"] = {"a flag the set does not know", "", false};
  std::vector<std::string> faults;
  const auto choices = ChooseFlags(places, sources, SmallSet(), faults);
  EXPECT_TRUE(faults.empty());
  ASSERT_EQ(choices.size(), places.size());
  for (size_t i = 0; i < places.size(); ++i) EXPECT_EQ(choices[i].place, places[i]);
  const auto by = ByPlace(choices);
  EXPECT_EQ(by.at("Norway").stem, "Norway");
  EXPECT_EQ(by.at("Norway").code, "no");
  EXPECT_EQ(by.at("Jan Mayen").stem, "Norway");
  EXPECT_EQ(by.at("Korea, South").stem, "Korea_South");
  EXPECT_EQ(by.at("Korea, South").code, "kr");
  EXPECT_EQ(by.at("Martinique").stem, "France");
  EXPECT_EQ(by.at("Wake Island").stem, "United_States");
  EXPECT_EQ(by.at("United States").code, "us");
  EXPECT_EQ(by.at("Greenland").code, "gl");
  EXPECT_EQ(by.at("Serbia and Montenegro").stem, "");
  EXPECT_EQ(by.at("World").stem, "");
  EXPECT_EQ(by.at("Atlantis").stem, "");

  const std::string manifest = FormatFlagManifest(choices);
  EXPECT_EQ(manifest, "Norway\tno\nKorea_South\tkr\nFrance\tfr\nUnited_States\tus\nGreenland\tgl\n");
}

TEST(ChooseFlags, NeverAnotherPlacesFlag) {
  std::vector<std::string> faults;
  // The set files France's tricolour under "pm": that place gets no flag.
  const auto refused = ByPlace(ChooseFlags(
      {"France", "Saint Pierre and Miquelon"},
      {{"France", {"tricolour", "", false}}, {"Saint Pierre and Miquelon", {"a ship", "", false}}},
      SmallSet(), faults));
  EXPECT_TRUE(faults.empty());
  EXPECT_EQ(refused.at("France").stem, "France");
  EXPECT_EQ(refused.at("Saint Pierre and Miquelon").stem, "");

  // A sovereign without a flag of its own here passes nothing on.
  const auto orphan = ByPlace(ChooseFlags({"Jan Mayen", "Norway"},
                                          {{"Jan Mayen", {"the flag of Norway is used", "", false}},
                                           {"Norway", {"", "", false}}},
                                          SmallSet(), faults));
  EXPECT_EQ(orphan.at("Jan Mayen").stem, "");

  // Two stems drawn alike are reported rather than written.
  FlagSet alike = SmallSet();
  alike.Add("xa", "Alpha", R"(<svg id="flag-icons-xa"><path fill="#123"/></svg>)");
  alike.Add("xb", "Beta", R"(<svg   id="flag-icons-xb"><path  fill="#123"/></svg>)");
  ChooseFlags({"Alpha", "Beta"}, {{"Alpha", {"a", "", false}}, {"Beta", {"b", "", false}}}, alike,
              faults);
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_NE(faults[0].find("Alpha"), std::string::npos);
}

// The value of (category, field) in a block.
std::string ValueOf(const PlaceBlock& block, const std::string& category, const std::string& field) {
  for (const auto& [name, fields] : block.categories) {
    for (const auto& [key, value] : fields) {
      if (name == category && key == field) return value;
    }
  }
  return "(no such field)";
}

// Profiles in scratch folders: the final edition's and the 2015 edition's.
class Editions : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("final-edition-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_ / "2026" / "europe");
    std::filesystem::create_directories(dir_ / "2015" / "europe");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void Write(const std::string& edition, const std::string& code, const std::string& json) {
    std::ofstream(dir_ / edition / "europe" / (code + ".json")) << json;
  }
  // Unpacks the vendored final edition's profiles of these paths ("snap/...").
  bool Unpack(const std::string& paths) {
    const char* root = std::getenv("TERRAVUE_SOURCE_DIR");
    if (root == nullptr) return false;
    const std::string command = "tar -xJf '" + std::string(root) + "/tools/factbook/factbook-2026-01.tar.xz' -C '" +
                                (dir_ / "2026").string() + "' " + paths;
    return std::system(command.c_str()) == 0;
  }
  std::filesystem::path dir_;
};

TEST_F(Editions, FieldTableReadsARealCountryAndARealOcean) {
  ASSERT_TRUE(Unpack("snap/australia-oceania/nr.json snap/oceans/zh.json"));
  Factbook final_edition, none;
  std::string error;
  ASSERT_TRUE(final_edition.Load(dir_ / "2026", error)) << error;
  FactsBuilder builder(none, {"AUD"}, {});
  builder.SetFinalEdition(&final_edition);
  const auto nauru_sources = builder.Resolve("Nauru", error);
  const auto ocean_sources = builder.Resolve("Atlantic Ocean", error);
  ASSERT_TRUE(nauru_sources && ocean_sources) << error;
  EXPECT_EQ(nauru_sources->front().edition, 2026);
  const PlaceBlock nauru = builder.Build("Nauru", *nauru_sources);
  EXPECT_EQ(ValueOf(nauru, "people", "population"), "9,930 (2025 est.)");
  EXPECT_EQ(ValueOf(nauru, "government", "capital"), "no official capital; government offices in the Yaren District");
  EXPECT_EQ(ValueOf(nauru, "government", "official country name"), "Republic of Nauru");
  EXPECT_EQ(ValueOf(nauru, "geography", "area"), "total: 21 sq km; land: 21 sq km; water: 0 sq km");
  EXPECT_EQ(ValueOf(nauru, "geography", "border countries"), "0 km");
  EXPECT_EQ(ValueOf(nauru, "economy", "currency"), "Australian dollars");
  EXPECT_EQ(ValueOf(nauru, "economy", "currency code"), "AUD");
  EXPECT_EQ(ValueOf(nauru, "communication", "internet users"), "percent of population: 82% (2020 est.)");
  EXPECT_EQ(ValueOf(nauru, "transportation", "airports"), "1 (2025)");
  EXPECT_EQ(ValueOf(nauru, "economy", "imports").rfind("$150.193 million (2023 est.); commodities: ships", 0), 0u);
  EXPECT_EQ(ValueOf(nauru, "economy", "fiscal year"), "N/A");  // gone, and no 2015 profile here
  EXPECT_EQ(builder.OriginOf("Nauru", "people", "population"), Origin::kFinalEdition);

  const PlaceBlock ocean = builder.Build("Atlantic Ocean", *ocean_sources);
  EXPECT_EQ(ValueOf(ocean, "geography", "area").rfind("total: 85.133 million sq km; note: includes Baffin Bay", 0), 0u);
  EXPECT_EQ(ValueOf(ocean, "geography", "coastline"), "111,866 km");
  EXPECT_EQ(ValueOf(ocean, "people", "population"), "N/A");
  EXPECT_EQ(ValueOf(ocean, "government", "capital"), "N/A");
  EXPECT_EQ(ValueOf(ocean, "economy", "currency code"), "N/A");
  EXPECT_TRUE(CheckAgainstFinalEdition({nauru, ocean}, {*nauru_sources, *ocean_sources}).empty());
}

TEST_F(Editions, EntitiesAndTagsBecomeTextAndNoValueMixesTwoEditions) {
  Write("2026", "te", R"j({
    "Government": {"Country name": {"conventional long form": {"text": "R&eacute;publique de <em>Testland</em>"},
                                    "conventional short form": {"text": "Testland"}},
                   "National holiday": {"text": "F&ecirc;te&nbsp;nationale, 14 July (1790)<br>",
                                        "note": "<strong>note:</strong> often called <em>le Quatorze</em>"},
                   "Capital": {"name": {"text": "Bras&iacute;lia"}}},
    "People and Society": {"Population": {"total": {"text": "2,000 (2025 est.)"}, "male": {"text": "990"}},
                           "Languages": {"Languages": {"text": "Testish 90%, other 10%"},
                                         "major-language sample(s)": {"text": "<br>A sample sentence."}}},
    "Economy": {"Imports - commodities": {"text": "fish (2023)"}}})j");
  Write("2015", "te", R"j({
    "Government": {"Country name": {"conventional short form": {"text": "Testland"}},
                   "Capital": {"name": {"text": "Old Town"}}},
    "People and Society": {"Population": {"text": "1,000 (July 2015 est.)"},
                           "Literacy": {"total population": {"text": "99% (2015 est.)"}}},
    "Economy": {"Imports": {"text": "$5 billion (2014 est.)"}, "Fiscal year": {"text": "calendar year"}}})j");
  Factbook final_edition, earlier;
  std::string error;
  ASSERT_TRUE(final_edition.Load(dir_ / "2026", error)) << error;
  ASSERT_TRUE(earlier.Load(dir_ / "2015", error)) << error;
  FactsBuilder builder(earlier, {}, {});
  builder.SetFinalEdition(&final_edition);
  const auto sources = builder.Resolve("Testland", error);
  ASSERT_TRUE(sources) << error;
  const PlaceBlock block = builder.Build("Testland", *sources);
  EXPECT_EQ(ValueOf(block, "government", "official country name"), "République de Testland");
  EXPECT_EQ(ValueOf(block, "government", "national holidays"),
            "Fête nationale, 14 July (1790); note: often called le Quatorze");
  EXPECT_EQ(ValueOf(block, "government", "capital"), "Brasília");
  EXPECT_EQ(ValueOf(block, "people", "population"), "2,000 (2025 est.)");
  EXPECT_EQ(ValueOf(block, "people", "languages"), "Testish 90%, other 10%");
  // Gone from the final edition: a dated 2015 value stands in whole, an
  // undated one does not.
  EXPECT_EQ(ValueOf(block, "people", "literacy"), "total population: 99% (2015 est.)");
  EXPECT_EQ(builder.OriginOf("Testland", "people", "literacy"), Origin::kDated2015);
  EXPECT_EQ(ValueOf(block, "economy", "fiscal year"), "N/A");
  EXPECT_EQ(builder.OriginOf("Testland", "economy", "fiscal year"), Origin::kNotAvailable);
  // The final edition's commodities are never joined to the 2015 total.
  EXPECT_EQ(ValueOf(block, "economy", "imports"), "commodities: fish (2023)");

  EXPECT_TRUE(CarriesItsYear("66,553,766 (July 2015 est.)"));
  EXPECT_TRUE(CarriesItsYear("464 (2013)"));
  EXPECT_FALSE(CarriesItsYear("calendar year"));
  EXPECT_FALSE(CarriesItsYear("Fete de la Federation, 14 July"));
  EXPECT_FALSE(CarriesItsYear("Election Day of Pope FRANCIS, 13 March (2013)"));

  // A value the file holds that is not the profile's stops the build.
  PlaceBlock changed = block;
  for (auto& [name, fields] : changed.categories) {
    for (auto& [key, value] : fields) {
      if (key == "capital") value = "Old Town";
    }
  }
  ASSERT_EQ(CheckAgainstFinalEdition({changed}, {*sources}).size(), 1u);
}

TEST_F(Editions, AnOverseasRegionTakesNothingFranceSaysOfAllFive) {
  Write("2015", "fr", R"j({
    "Government": {"Country name": {"conventional short form": {"text": "France"}}},
    "Geography": {"Climate": {"metropolitan France": {"text": "generally cool winters"},
                              "Reunion": {"text": "tropical, but temperature moderates with elevation"}}},
    "People and Society": {
      "Languages": {"text": "French (official) 100%",
                    "overseas departments": {"text": "French, Creole patois, Mahorian (a Swahili dialect)"}},
      "Ethnic groups": {"text": "Celtic and Latin",
                        "overseas departments": {"text": "black, white, mulatto, East Indian, Chinese, Amerindian"}}},
    "Economy": {"Exchange rates": {"text": "euros (EUR) per US dollar - 0.7489 (2014 est.)"},
                "Fiscal year": {"text": "calendar year"}}})j");
  Factbook earlier;
  std::string error;
  ASSERT_TRUE(earlier.Load(dir_ / "2015", error)) << error;
  FactsBuilder builder(earlier, {"EUR"}, {});
  const auto sources = builder.Resolve("Reunion", error);
  ASSERT_TRUE(sources) << error;
  const PlaceBlock reunion = builder.Build("Reunion", *sources);
  EXPECT_EQ(ValueOf(reunion, "geography", "climate"), "tropical, but temperature moderates with elevation");
  EXPECT_EQ(ValueOf(reunion, "people", "languages"), "N/A");
  EXPECT_EQ(ValueOf(reunion, "people", "ethnic groups"), "N/A");
  EXPECT_EQ(ValueOf(reunion, "economy", "fiscal year"), "N/A");
  // The euro is each region's own currency.
  EXPECT_EQ(ValueOf(reunion, "economy", "currency code"), "EUR");
}

// The committed file's population, capital and area of every place read from
// the final edition are that edition's.
TEST_F(Editions, CommittedFileAgreesWithTheFinalEdition) {
  ASSERT_TRUE(Unpack("snap"));
  Factbook final_edition, none;
  std::string error;
  ASSERT_TRUE(final_edition.Load(dir_ / "2026" / "snap", error)) << error;
  FactsBuilder builder(none, {}, {});
  builder.SetFinalEdition(&final_edition);
  std::ifstream in(std::string(std::getenv("TERRAVUE_SOURCE_DIR")) + "/data/QuorvelCountriesTerravue.txt");
  std::vector<PlaceBlock> blocks;
  std::vector<std::vector<SourcePart>> sources_of;
  for (std::string line; std::getline(in, line);) {
    const size_t close = line.find('>');
    if (line.rfind("<country>", 0) == 0) {
      blocks.push_back({line.substr(9), {}});
      const auto sources = builder.Resolve(blocks.back().name, error);
      sources_of.push_back(sources ? *sources : std::vector<SourcePart>{});
    } else if (!blocks.empty() && line.size() > 2 && line[1] != '/' && close + 1 == line.size()) {
      blocks.back().categories.push_back({line.substr(1, close - 1), {}});
    } else if (!blocks.empty() && !blocks.back().categories.empty() && line.size() > 2 && line[1] != '/') {
      blocks.back().categories.back().second.emplace_back(line.substr(1, close - 1), line.substr(close + 1));
    }
  }
  ASSERT_EQ(blocks.size(), 256u);
  size_t final_places = 0;
  for (const auto& sources : sources_of) final_places += sources.size() == 1 && sources.front().edition == 2026;
  EXPECT_GE(final_places, 230u);
  for (const std::string& fault : CheckAgainstFinalEdition(blocks, sources_of)) ADD_FAILURE() << fault;
}

}  // namespace
}  // namespace terravue::countrydata
