#include "db/country_store.h"

#include <gtest/gtest.h>

#include <string>

#include "db/country_import.h"
#include "db/device_store.h"
#include "platform/base/utf.h"
#include "tests/db_test_support.h"

namespace terravue {
namespace {

using testing::ScratchDevice;

// Writes records straight into "Countries List", in the given order.
void Append(std::initializer_list<std::array<std::u16string_view, 4>> records) {
  std::optional<tv::store::RecordDatabase> db = CountryRecordStore::OpenOrCreateCountryStore();
  ASSERT_TRUE(db);
  for (const auto& r : records) {
    ASSERT_TRUE(CountryRecordStore::AppendCountryField(*db, r[0], r[1], r[2], r[3]));
  }
}

TEST(CountryStoreTest, LookupsBeforeTheStoreExistFailQuietly) {
  ScratchDevice device;
  EXPECT_EQ(CountryRecordStore::DeleteCountryStore(), Deletion::kAbsent);
  EXPECT_FALSE(DeviceStoreFileExists()) << "deleting on a device without a store makes none";
  std::u16string value = u"kept";
  EXPECT_FALSE(CountryRecordStore::GetCountryField(u"France", u"government", u"capital", value));
  EXPECT_EQ(value, u"kept");
}

TEST(CountryStoreTest, CountryIsCaseBlindCategoryAndFieldAreExact) {
  ScratchDevice device;
  Append({{u"France", u"government", u"capital", u"Paris"},
          {u"France", u"geography", u"Timezone", u"12"},
          {u"Germany", u"government", u"capital", u"Berlin"},
          {u"franc", u"government", u"capital", u"wrong prefix"}});
  std::u16string value;
  for (std::u16string_view country : {u"France", u"FRANCE", u"france", u"fRaNcE"}) {
    value.clear();
    EXPECT_TRUE(CountryRecordStore::GetCountryField(country, u"government", u"capital", value));
    EXPECT_EQ(value, u"Paris");
  }
  value = u"untouched";
  EXPECT_FALSE(CountryRecordStore::GetCountryField(u"France", u"Government", u"capital", value));
  EXPECT_FALSE(CountryRecordStore::GetCountryField(u"France", u"government", u"Capital", value));
  EXPECT_FALSE(CountryRecordStore::GetCountryField(u"France", u"government", u"flag", value));
  EXPECT_FALSE(CountryRecordStore::GetCountryField(u"Fran", u"government", u"capital", value));
  EXPECT_FALSE(CountryRecordStore::GetCountryField(u"Spain", u"government", u"capital", value));
  EXPECT_EQ(value, u"untouched");
  EXPECT_TRUE(CountryRecordStore::GetCountryField(u"germany", u"government", u"capital", value));
  EXPECT_EQ(value, u"Berlin");
}

TEST(CountryStoreTest, FirstDuplicateInSortOrderWins) {
  ScratchDevice device;
  Append({{u"Zambia", u"government", u"capital", u"Lusaka"},
          {u"chad", u"government", u"capital", u"first"},
          {u"Chad", u"government", u"capital", u"second"},
          {u"Angola", u"government", u"capital", u"Luanda"}});
  // Sorted case-blind: Angola, chad, Chad, Zambia; equal keys keep their order.
  std::u16string value;
  EXPECT_TRUE(CountryRecordStore::GetCountryField(u"CHAD", u"government", u"capital", value));
  EXPECT_EQ(value, u"first");
}

TEST(CountryStoreTest, TextsAreBoundedByTheirBuffer) {
  ScratchDevice device;
  const std::u16string long_value(5000, u'v');
  std::u16string with_pair(1022, u'x');
  with_pair += u"\U0001F30D";  // a surrogate pair across the 1023rd character
  Append({{u"Long", u"people", u"languages", long_value},
          {u"Pair", u"people", u"languages", with_pair}});
  std::u16string value;
  ASSERT_TRUE(CountryRecordStore::GetCountryField(u"Long", u"people", u"languages", value));
  EXPECT_EQ(value.size(), 1023u);
  ASSERT_TRUE(CountryRecordStore::GetCountryField(u"Pair", u"people", u"languages", value));
  EXPECT_EQ(value, std::u16string(1022, u'x'));
}

TEST(CountryStoreTest, DeleteRemovesTheWholeStore) {
  ScratchDevice device;
  Append({{u"France", u"government", u"capital", u"Paris"}});
  EXPECT_EQ(CountryRecordStore::DeleteCountryStore(), Deletion::kDeleted);
  std::u16string value;
  EXPECT_FALSE(CountryRecordStore::GetCountryField(u"France", u"government", u"capital", value));
  EXPECT_EQ(CountryRecordStore::DeleteCountryStore(), Deletion::kAbsent);
}

// One block in the file format, with the categories in the order given.
std::string Block(const std::string& country, const std::vector<std::string>& categories) {
  std::string out = "<country>" + country + "\n";
  for (const std::string& category : categories) {
    out += "<" + category + ">\n";
    const int fields = CategoryFieldCount(tv::Utf8ToUtf16(category));
    for (int i = 0; i < fields; ++i) {
      out += "<f" + std::to_string(i) + ">" + country + " " + category + " " + std::to_string(i) +
             "\n";
    }
    out += "</" + category + ">\n";
  }
  return out + "</country>\n\n";
}

const std::vector<std::string> kCategories = {"geography", "people",         "government",
                                              "economy",   "communication",  "transportation",
                                              "tourism"};

struct ProgressRecorder : ImportProgress {
  void CountryLoaded(std::u16string_view country) override { countries.emplace_back(country); }
  std::vector<std::u16string> countries;
};

TEST(CountryImportTest, ReadsBlocksInAnyCategoryOrderAndDeletesTheFile) {
  ScratchDevice device;
  std::vector<std::string> shuffled(kCategories.rbegin(), kCategories.rend());
  device.WriteWindowsFile("QuorvelCountriesTerravue.txt",
                          Block("Alpha", kCategories) + Block("Beta", shuffled));
  ProgressRecorder progress;
  ASSERT_TRUE(ImportCountryData(&progress));
  EXPECT_EQ(progress.countries, (std::vector<std::u16string>{u"Alpha", u"Beta"}));
  EXPECT_FALSE(std::filesystem::exists(device.Windows("QuorvelCountriesTerravue.txt")));
  std::u16string value;
  EXPECT_TRUE(CountryRecordStore::GetCountryField(u"Beta", u"people", u"f9", value));
  EXPECT_EQ(value, u"Beta people 9");
  EXPECT_TRUE(CountryRecordStore::GetCountryField(u"alpha", u"tourism", u"f0", value));
  EXPECT_EQ(value, u"Alpha tourism 0");
  // The store exists now, whole: a file beside it is the leftover of an
  // import killed before it could delete it, and goes.
  device.WriteWindowsFile("QuorvelCountriesTerravue.txt", Block("Gamma", kCategories));
  EXPECT_TRUE(ImportCountryData(&progress));
  EXPECT_EQ(progress.countries.size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(device.Windows("QuorvelCountriesTerravue.txt")));
}

TEST(CountryImportTest, LineShapesAsTheFormatDefinesThem) {
  EXPECT_EQ(CountryNameOfLine(u"<country>France"), u"France");
  EXPECT_EQ(CountryNameOfLine(u"no marker"), u"");
  EXPECT_EQ(CountryNameOfLine(u"a>b>c"), u"b>c");
  EXPECT_EQ(CategoryNameOfLine(u"  <people> trailing"), u"people");
  const auto [field, value] = FieldOfLine(u"<capital>Paris <and> more>");
  EXPECT_EQ(field, u"capital");
  EXPECT_EQ(value, u"Paris <and> more>");
  EXPECT_EQ(FieldOfLine(u"no markers").first, u"");
  EXPECT_EQ(FieldOfLine(u"<open only").first, u"");
  EXPECT_EQ(CategoryFieldCount(u"geography"), 11);
  EXPECT_EQ(CategoryFieldCount(u"Geography"), 0);
  EXPECT_EQ(CategoryFieldCount(u"weather"), 0);
}

TEST(CountryImportTest, UnknownCategoryHasNoFieldLinesAndCountryWithoutMarker) {
  ScratchDevice device;
  // "weather" has no field lines: its next line is its closing line.
  std::vector<std::string> categories = kCategories;
  categories[6] = "weather";
  std::string block = Block("Alpha", categories);
  block.replace(0, block.find('\n'), "Nameless");
  device.WriteWindowsFile("QuorvelCountriesTerravue.txt", block + Block("Beta", kCategories));
  ASSERT_TRUE(ImportCountryData());
  std::u16string value;
  EXPECT_TRUE(CountryRecordStore::GetCountryField(u"", u"geography", u"f0", value));
  EXPECT_EQ(value, u"Alpha geography 0");
  EXPECT_TRUE(CountryRecordStore::GetCountryField(u"Beta", u"tourism", u"f0", value));
}

TEST(CountryImportTest, MissingFileCreatesNothingAndTruncatedOrEmptyFileKeepsNothing) {
  ScratchDevice device;
  EXPECT_TRUE(ImportCountryData());
  EXPECT_FALSE(DeviceStore()->Exists(CountryRecordStore::kName));

  std::string text = Block("Alpha", kCategories) + Block("Beta", kCategories);
  text.resize(text.size() - 200);  // ends inside Beta's block
  for (const std::string& damaged : {text, std::string()}) {
    device.WriteWindowsFile("QuorvelCountriesTerravue.txt", damaged);
    EXPECT_FALSE(ImportCountryData());
    EXPECT_FALSE(DeviceStore()->Exists(CountryRecordStore::kName));
    EXPECT_TRUE(std::filesystem::exists(device.Windows("QuorvelCountriesTerravue.txt")));
  }
}

}  // namespace
}  // namespace terravue
