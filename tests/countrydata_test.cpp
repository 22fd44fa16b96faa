// Checks the committed country facts installation file: its shape is what the
// first-start import reads line by line, so a block out of step would file
// every later fact under the wrong field.

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "places/places.h"
#include "info/categories.h"
#include "platform/base/utf.h"

namespace {

using terravue::CategoryFieldTable;
using terravue::CategoryTable;
using terravue::kCategoryCount;
using terravue::kGeographyExtraFields;

constexpr int kBlockLines = 59;

struct Category {
  std::string name;
  std::vector<std::string> fields;
};

// The categories and field names the screens look up, in file order;
// geography also carries the flag, scale and map entries.
const std::vector<Category>& Layout() {
  static const std::vector<Category> kLayout = [] {
    std::vector<Category> layout;
    for (int i = 0; i < kCategoryCount; ++i) {
      Category category{tv::Utf16ToUtf8(CategoryTable[i]), {}};
      for (std::u16string_view field : CategoryFieldTable(i)) {
        category.fields.push_back(tv::Utf16ToUtf8(field));
      }
      if (i == 0) {
        for (std::u16string_view field : kGeographyExtraFields) {
          category.fields.push_back(tv::Utf16ToUtf8(field));
        }
      }
      layout.push_back(std::move(category));
    }
    return layout;
  }();
  return kLayout;
}

// A parsed block: country name and (category, field) -> value.
struct Block {
  std::string name;
  std::map<std::pair<std::string, std::string>, std::string> values;
};

class CountryDataFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const char* root = std::getenv("TERRAVUE_SOURCE_DIR");
    ASSERT_NE(root, nullptr) << "TERRAVUE_SOURCE_DIR is not set";
    std::ifstream in(std::string(root) + "/data/QuorvelCountriesTerravue.txt", std::ios::binary);
    ASSERT_TRUE(in) << "cannot open the country data file";
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text_ = new std::string(buffer.str());
    lines_ = new std::vector<std::string>();
    std::istringstream stream(*text_);
    for (std::string line; std::getline(stream, line);) lines_->push_back(line);
  }
  static void TearDownTestSuite() {
    delete text_;
    delete lines_;
  }

  // The distinct place names in table order, then "World".
  static std::vector<std::string> ExpectedPlaces() {
    std::vector<std::string> names;
    auto add = [&](std::u16string_view name) {
      const std::string utf8 = tv::Utf16ToUtf8(name);
      for (const auto& known : names) {
        if (known == utf8) return;
      }
      names.push_back(utf8);
    };
    for (int region = 0; region < terravue::kRegionCount; ++region) {
      for (const auto& row : terravue::RegionCountries(region).rows) add(row.name);
    }
    for (auto name : terravue::OtherPlacesTable) add(name);
    names.push_back("World");
    return names;
  }

  // Reads the blocks the way the import does; empty when the shape is off.
  static std::vector<Block> Blocks() {
    std::vector<Block> blocks;
    for (size_t start = 0; start + kBlockLines <= lines_->size(); start += kBlockLines) {
      Block block;
      size_t i = start;
      const std::string& country = (*lines_)[i++];
      block.name = country.substr(country.find('>') + 1);
      for (const Category& category : Layout()) {
        i++;  // category line
        for (size_t f = 0; f < category.fields.size(); ++f) {
          const std::string& line = (*lines_)[i++];
          const size_t close = line.find('>');
          block.values[{category.name, line.substr(1, close - 1)}] = line.substr(close + 1);
        }
        i++;  // closing line
      }
      blocks.push_back(std::move(block));
    }
    return blocks;
  }

  static const Block* Find(const std::vector<Block>& blocks, std::string_view name) {
    for (const Block& block : blocks) {
      if (block.name == name) return &block;
    }
    return nullptr;
  }

  static std::string* text_;
  static std::vector<std::string>* lines_;
};

std::string* CountryDataFile::text_ = nullptr;
std::vector<std::string>* CountryDataFile::lines_ = nullptr;

TEST_F(CountryDataFile, HasOneBlockOfFiftyNineLinesPerDistinctPlaceAndWorld) {
  const std::vector<std::string> places = ExpectedPlaces();
  ASSERT_EQ(places.size(), 256u);
  ASSERT_FALSE(text_->empty());
  EXPECT_EQ(text_->back(), '\n') << "the last line must end with a line feed";
  EXPECT_EQ(text_->find('\r'), std::string::npos) << "lines end with a bare line feed";
  ASSERT_EQ(lines_->size(), places.size() * kBlockLines);

  const std::vector<Block> blocks = Blocks();
  ASSERT_EQ(blocks.size(), places.size());
  std::set<std::string> seen;
  for (size_t b = 0; b < blocks.size(); ++b) {
    EXPECT_EQ(blocks[b].name, places[b]) << "block " << b;
    EXPECT_TRUE(seen.insert(blocks[b].name).second) << "twice: " << blocks[b].name;
  }
  EXPECT_EQ(seen.count("Russia"), 1u);
  EXPECT_EQ(seen.count("World"), 1u);
}

TEST_F(CountryDataFile, EveryBlockHasTheTableCategoriesAndFieldNamesInOrder) {
  for (size_t start = 0; start + kBlockLines <= lines_->size(); start += kBlockLines) {
    size_t i = start;
    const std::string& country = (*lines_)[i++];
    ASSERT_EQ(country.rfind("<country>", 0), 0u) << "line " << start + 1;
    for (const Category& category : Layout()) {
      ASSERT_EQ((*lines_)[i++], "<" + category.name + ">") << country;
      for (const std::string& field : category.fields) {
        const std::string& line = (*lines_)[i++];
        ASSERT_EQ(line.rfind("<" + field + ">", 0), 0u) << country << ": " << line.substr(0, 40);
      }
      ASSERT_EQ((*lines_)[i++], "</" + category.name + ">") << country;
    }
    EXPECT_EQ((*lines_)[i++], "</country>") << country;
    EXPECT_EQ((*lines_)[i++], "") << country;
  }
}

TEST_F(CountryDataFile, EveryValueIsOneNonEmptyLineOfValidUtf8ThatTheReaderHoldsWhole) {
  ASSERT_TRUE(tv::IsValidUtf8(*text_));
  for (size_t n = 0; n < lines_->size(); ++n) {
    const std::string& line = (*lines_)[n];
    // The import reads at most 1023 UTF-16 units a line; the text is all in
    // the Basic Multilingual Plane, so code points count the units.
    const std::u16string wide = tv::Utf8ToUtf16(line);
    EXPECT_LE(wide.size(), 1023u) << "line " << n + 1;
  }
  for (const Block& block : Blocks()) {
    for (const auto& [key, value] : block.values) {
      EXPECT_FALSE(value.empty()) << block.name << " " << key.first << "/" << key.second;
      EXPECT_EQ(value.find_first_of(std::string("\t\v\f", 3)), std::string::npos)
          << block.name << " " << key.second;
      EXPECT_NE(value.front(), ' ') << block.name << " " << key.second;
      EXPECT_NE(value.back(), ' ') << block.name << " " << key.second;
    }
  }
}

TEST_F(CountryDataFile, KnownFactsLandInTheirFields) {
  const std::vector<Block> blocks = Blocks();
  const Block* france = Find(blocks, "France");
  const Block* japan = Find(blocks, "Japan");
  const Block* us = Find(blocks, "United States");
  const Block* uk = Find(blocks, "United Kingdom");
  ASSERT_TRUE(france && japan && us && uk);
  // The Factbook's final edition (January 2026).
  EXPECT_EQ(france->values.at({"government", "capital"}), "Paris");
  EXPECT_EQ(france->values.at({"people", "population"}), "68,512,806 (2025 est.)");
  EXPECT_EQ(japan->values.at({"people", "population"}), "123,201,945 (2024 est.)");
  EXPECT_EQ(us->values.at({"government", "capital"}), "Washington, D.C.");
  EXPECT_EQ(france->values.at({"economy", "currency code"}), "EUR");
  EXPECT_EQ(france->values.at({"communication", "country code"}), "33");
  EXPECT_EQ(france->values.at({"communication", "internet country code"}).rfind("metropolitan France - .fr;", 0), 0u);
  EXPECT_EQ(japan->values.at({"economy", "currency code"}), "JPY");
  EXPECT_EQ(japan->values.at({"communication", "country code"}), "81");
  EXPECT_EQ(japan->values.at({"communication", "IDD"}), "010");
  EXPECT_EQ(us->values.at({"communication", "country code"}), "1");
  EXPECT_EQ(us->values.at({"communication", "IDD"}), "011");
  EXPECT_EQ(us->values.at({"economy", "currency code"}), "USD");
  EXPECT_EQ(uk->values.at({"government", "capital"}), "London");
  EXPECT_EQ(uk->values.at({"economy", "currency code"}), "GBP");
}

TEST_F(CountryDataFile, PartsAndSuccessorsCarryTheirOwnFacts) {
  const std::vector<Block> blocks = Blocks();
  // An overseas region of France takes its own entries from France's profile,
  // never France's national figures.
  const Block* martinique = Find(blocks, "Martinique");
  ASSERT_NE(martinique, nullptr);
  EXPECT_EQ(martinique->values.at({"communication", "country code"}), "596");
  EXPECT_EQ(martinique->values.at({"communication", "internet country code"}), ".mq");
  EXPECT_EQ(martinique->values.at({"government", "capital"}), "Fort-de-France");
  EXPECT_EQ(martinique->values.at({"people", "population"}), "N/A");
  // What France's profile says of all five regions at once is no one's.
  for (const char* place : {"Reunion", "Mayotte", "Martinique", "Guadeloupe", "French Guiana"}) {
    const Block* region = Find(blocks, place);
    ASSERT_NE(region, nullptr) << place;
    EXPECT_EQ(region->values.at({"people", "ethnic groups"}), "N/A") << place;
    EXPECT_EQ(region->values.at({"people", "languages"}).find("Mahorian"), std::string::npos) << place;
  }
  // A place that has since split shows each successor by name.
  const Block* serbia = Find(blocks, "Serbia and Montenegro");
  ASSERT_NE(serbia, nullptr);
  EXPECT_EQ(serbia->values.at({"communication", "country code"}), "Serbia: 381; Montenegro: 382");
  const std::string& capital = serbia->values.at({"government", "capital"});
  EXPECT_EQ(capital.rfind("Serbia: Belgrade", 0), 0u) << capital;
  EXPECT_NE(capital.find("; Montenegro: Podgorica"), std::string::npos) << capital;
}

TEST_F(CountryDataFile, CurrencyCodesAreThreeCapitalsAndFieldsNotYetDrawnAreNotAvailable) {
  for (const Block& block : Blocks()) {
    // Every place has a map: a plain file stem, and a scale in plain
    // decimal kilometres per pixel.
    const std::string& map = block.values.at({"geography", "map"});
    EXPECT_EQ(map.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_"),
              std::string::npos) << block.name << ": " << map;
    EXPECT_FALSE(map.empty()) << block.name;
    const std::string& scale = block.values.at({"geography", "scale"});
    char* end = nullptr;
    const double km = std::strtod(scale.c_str(), &end);
    EXPECT_TRUE(!scale.empty() && end == scale.c_str() + scale.size() &&
                scale.find_first_not_of("0123456789.") == std::string::npos && km > 0)
        << block.name << ": " << scale;
    const std::string& code = block.values.at({"economy", "currency code"});
    if (code == "N/A" || code.find(": ") != std::string::npos) continue;
    ASSERT_EQ(code.size(), 3u) << block.name << ": " << code;
    for (char c : code) EXPECT_TRUE(c >= 'A' && c <= 'Z') << block.name << ": " << code;
  }
}

// Exchange rates written without a code, with a code in place of "US", or
// with a local abbreviation still give the currency and its ISO code.
TEST_F(CountryDataFile, CurrenciesNamedWithoutAnIsoCodeAreRead) {
  const std::vector<Block> blocks = Blocks();
  const std::pair<const char*, const char*> kExpected[] = {
      {"Thailand", "THB"},   {"Cameroon", "XAF"}, {"Swaziland", "SZL"}, {"Kuwait", "KWD"},
      {"Gaza Strip", "ILS"}, {"Ecuador", "USD"},  {"Belarus", "BYN"},   {"Estonia", "EUR"},
  };
  for (const auto& [place, code] : kExpected) {
    const Block* block = Find(blocks, place);
    ASSERT_NE(block, nullptr) << place;
    EXPECT_EQ(block->values.at({"economy", "currency code"}), code) << place;
    EXPECT_NE(block->values.at({"economy", "currency"}), "N/A") << place;
  }
  EXPECT_EQ(Find(blocks, "Thailand")->values.at({"economy", "currency"}), "baht");
  EXPECT_EQ(Find(blocks, "Swaziland")->values.at({"economy", "currency"}), "emalangeni");
  // A country that adopted the euro is not shown with its former currency's name.
  EXPECT_EQ(Find(blocks, "Latvia")->values.at({"economy", "currency"}), "euros");
  EXPECT_EQ(Find(blocks, "Croatia")->values.at({"economy", "currency code"}), "EUR");
  // Codes withdrawn before 2026 that the final edition still names give way
  // to their successors.
  EXPECT_EQ(Find(blocks, "Venezuela")->values.at({"economy", "currency code"}), "VES");
}

}  // namespace
