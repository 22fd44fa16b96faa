// How the imports meet their input: lines as the reader sees them, files that
// cannot be read to their end, and zone offsets no arithmetic can use.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "db/country_import.h"
#include "db/country_store.h"
#include "db/device_store.h"
#include "db/line_reader.h"
#include "db/zone_store.h"
#include "platform/base/utf.h"
#include "tests/db_test_support.h"

namespace terravue {
namespace {

using testing::ScratchDevice;

TEST(LineReaderTest, ByteOrderMarkLineEndsAndTheLastLine) {
  ScratchDevice device;
  device.WriteWindowsFile("lines.txt", "\xEF\xBB\xBF<country>Chad\r\nsecond\n\xEF\xBB\xBFthird");
  LineReader reader(device.Windows("lines.txt"));
  ASSERT_TRUE(reader.IsOpen());
  EXPECT_EQ(reader.ReadLine(), u"<country>Chad");
  EXPECT_EQ(reader.ReadLine(), u"second");
  // Only the file's first bytes are a byte-order mark.
  EXPECT_EQ(reader.ReadLine(), u"\uFEFFthird");
  EXPECT_EQ(reader.ReadLine(), std::nullopt);
  EXPECT_FALSE(reader.Failed());
}

TEST(LineReaderTest, AReadErrorIsNotTheEndOfTheFile) {
  // A regular file whose first read fails (with EIO: nothing is mapped at
  // address 0), even for root.
  LineReader reader("/proc/self/mem");
  ASSERT_TRUE(reader.IsOpen());
  EXPECT_EQ(reader.ReadLine(), std::nullopt);
  EXPECT_TRUE(reader.Failed());
  EXPECT_EQ(reader.ReadLine(), std::nullopt);

  // A folder or a pipe is not opened at all.
  ScratchDevice device;
  std::filesystem::create_directory(device.Windows("folder"));
  EXPECT_FALSE(LineReader(device.Windows("folder")).IsOpen());
  ASSERT_EQ(mkfifo(device.Windows("pipe").c_str(), 0600), 0);
  EXPECT_FALSE(LineReader(device.Windows("pipe")).IsOpen());
}

TEST(ImportInputTest, AnUnreadableCountryFileIsKeptAndImportedAtALaterStart) {
  ScratchDevice device;
  const auto file = device.Windows("QuorvelCountriesTerravue.txt");
  std::filesystem::create_directory(file);
  EXPECT_FALSE(ImportCountryData(nullptr));
  EXPECT_FALSE(DeviceStore()->Exists(CountryRecordStore::kName));
  EXPECT_TRUE(std::filesystem::is_directory(file));

  // Once the file can be read, the next start imports it.
  std::filesystem::remove(file);
  device.StageDataFile("QuorvelCountriesTerravue.txt");
  EXPECT_TRUE(ImportCountryData(nullptr));
  std::u16string capital;
  EXPECT_TRUE(CountryRecordStore::GetCountryField(u"Chad", u"government", u"capital", capital));
  EXPECT_NE(capital.find(u"N'Djamena"), std::u16string::npos) << tv::Utf16ToUtf8(capital);
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(ImportInputTest, AnUnreadableZoneFileIsKeptAndNothingCommitted) {
  ScratchDevice device;
  const auto file = device.Windows("QuorvelZones.txt");
  std::filesystem::create_directory(file);
  EXPECT_FALSE(ZoneRecordStore::ImportZoneData());
  EXPECT_FALSE(DeviceStore()->Exists(ZoneRecordStore::kName));
  EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST(ImportInputTest, ZoneOffsetsMustBeDecimalMinutesWithinADay) {
  for (const char* bad :
       {"nan", "NaN(1)", "-inf", "Infinity", "1e300", "0x1E", " +0X10", "1441", "-1440.5"}) {
    ScratchDevice device;
    device.WriteWindowsFile("QuorvelZones.txt", std::string("1,A,B,0,0,0,0,0,0,0\n2,C,D,") +
                                                    bad + ",0,0,0,0,0,0\n");
    EXPECT_FALSE(ZoneRecordStore::ImportZoneData()) << bad;
    EXPECT_FALSE(DeviceStore()->Exists(ZoneRecordStore::kName)) << bad;
    EXPECT_TRUE(std::filesystem::exists(device.Windows("QuorvelZones.txt"))) << bad;
  }
  // Text without a leading number reads as 0, as the C library reads it.
  for (const char* good :
       {"1440", "-1440", " -330", "345.0", "60 minutes", "", "New Zealand", "Ireland"}) {
    EXPECT_TRUE(ZoneRecordStore::IsUsableOffsetText(tv::Utf8ToUtf16(good))) << good;
  }
}

TEST(ImportInputTest, AStoredOffsetNoArithmeticCanUseReadsAsNoZone) {
  ScratchDevice device;
  testing::SetClock("2026-12-07T20:30:00Z");
  device.WriteWindowsFile("QuorvelZones.txt", "1,A,B,-60,0,0,0,0,0,0\n");
  ASSERT_TRUE(ZoneRecordStore::ImportZoneData());
  std::optional<tv::store::RecordDatabase> countries = CountryRecordStore::OpenOrCreateCountryStore();
  ASSERT_TRUE(countries);
  ASSERT_TRUE(
      CountryRecordStore::AppendCountryField(*countries, u"Chad", u"geography", u"Timezone", u"1"));
  countries->Close();
  std::u16string text;
  ZoneRecordStore::FormatCountryLocalTime(u"Chad", DaylightChange{}, text);
  EXPECT_EQ(text, u"Mon 12/7 9:30 PM");

  // A store written by something else holds an offset of 1e300 minutes.
  auto zones = DeviceStore()->OpenByName(ZoneRecordStore::kName);
  ASSERT_TRUE(zones);
  ASSERT_TRUE(zones->SeekFirstEqual(int16_t{1}));
  std::optional<tv::store::Record> record = zones->ReadRecord();
  ASSERT_TRUE(record);
  tv::store::Record changed;
  for (const auto& property : record->Properties()) {
    if (property.id == ZoneRecordStore::kOffsetProp) {
      changed.AddText(property.id, u"1e300");
    } else if (const std::u16string* value = record->Text(property.id)) {
      changed.AddText(property.id, *value);
    } else {
      changed.AddInt16(property.id, *record->Int16(property.id));
    }
  }
  ASSERT_TRUE(zones->DeleteRecord());
  ASSERT_TRUE(zones->AppendRecord(changed));
  zones->Close();

  EXPECT_EQ(ZoneRecordStore::GetZoneUtcOffset(1, DaylightChange{}),
            ZoneRecordStore::kUnknownOffset);
  text.clear();
  ZoneRecordStore::FormatZoneOffset(1, DaylightChange{}, text);
  EXPECT_EQ(text, u"N/A");
  text.clear();
  ZoneRecordStore::FormatCountryLocalTime(u"Chad", DaylightChange{}, text);
  EXPECT_EQ(text, u"");
}

}  // namespace
}  // namespace terravue
