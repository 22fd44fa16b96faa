// Feeds arbitrary bytes to the first-start country import as
// QuorvelCountriesTerravue.txt and checks that it leaves either no
// "Countries List" and the file untouched, or the whole database and the
// file deleted.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/country_import.h"
#include "db/country_store.h"
#include "db/line_reader.h"
#include "fuzz/import_fuzz_support.h"

namespace {

constexpr int kCategoriesPerCountry = 7;

// How many records the import writes for the file, read block by block as
// the format defines; nothing when the file ends inside a block or holds no
// record.
std::optional<int32_t> ExpectedRecords(const std::filesystem::path& path) {
  std::vector<std::u16string> lines;
  terravue::LineReader reader(path);
  while (std::optional<std::u16string> line = reader.ReadLine()) lines.push_back(*line);
  size_t i = 0;
  int32_t records = 0;
  while (i < lines.size()) {
    ++i;  // the country line
    for (int group = 0; group < kCategoriesPerCountry; ++group) {
      if (i >= lines.size()) return std::nullopt;
      const int fields = terravue::CategoryFieldCount(terravue::CategoryNameOfLine(lines[i++]));
      for (int field = 0; field < fields; ++field) {
        if (i >= lines.size()) return std::nullopt;
        ++i;
        ++records;
      }
      if (i >= lines.size()) return std::nullopt;
      ++i;  // the group's closing line
    }
    i += 2;  // the block's two closing lines, which the last block may lack
  }
  // A file without a single record is damaged.
  if (records == 0) return std::nullopt;
  return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto& root = terravue::fuzz::ScratchRoot::Get();
  const std::filesystem::path text_file = root.Stage("QuorvelCountriesTerravue.txt", data, size);
  const std::optional<int32_t> expected = ExpectedRecords(text_file);
  const bool ok = terravue::ImportCountryData();
  if (expected && !ok) terravue::fuzz::Fail("a well-formed file failed to import");
  terravue::fuzz::CheckOutcome(terravue::CountryRecordStore::kName, ok, text_file,
                               std::string_view(reinterpret_cast<const char*>(data), size),
                               expected);
  root.Reset(text_file);
  return 0;
}
