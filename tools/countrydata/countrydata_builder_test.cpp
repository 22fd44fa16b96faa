// How the data builder chooses each place's flag.

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace terravue::countrydata
