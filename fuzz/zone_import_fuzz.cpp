// Feeds arbitrary bytes to the first-start zone import as QuorvelZones.txt
// and checks that it leaves either no "Timezones List" and the file
// untouched, or the whole database and the file deleted.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "db/line_reader.h"
#include "db/zone_store.h"
#include "fuzz/import_fuzz_support.h"

namespace {

constexpr int kFieldsPerZone = 10;

// How many zones the import writes for the file: every line that is not
// blank, each of ten comma-separated fields (the last takes the rest of the
// line) with a 16-bit zone number and a usable offset; nothing when a line
// is not, or when there is no zone at all.
std::optional<int32_t> ExpectedRecords(const std::filesystem::path& path) {
  terravue::LineReader reader(path);
  int32_t records = 0;
  while (std::optional<std::u16string> line = reader.ReadLine()) {
    if (line->find_first_not_of(u" \t\r") == std::u16string::npos) continue;
    if (line->find(u',') == std::u16string::npos) return std::nullopt;
    int fields = 1;
    size_t first_comma = line->find(u',');
    for (size_t at = first_comma; at != std::u16string::npos && fields < kFieldsPerZone;
         at = line->find(u',', at + 1)) {
      ++fields;
    }
    if (fields != kFieldsPerZone) return std::nullopt;
    // The fourth field, the offset in minutes, must be usable arithmetic.
    size_t offset_start = first_comma;
    for (int k = 0; k < 2; ++k) offset_start = line->find(u',', offset_start + 1);
    const size_t offset_end = line->find(u',', offset_start + 1);
    if (!terravue::ZoneRecordStore::IsUsableOffsetText(std::u16string_view(*line).substr(
            offset_start + 1, offset_end - offset_start - 1))) {
      return std::nullopt;
    }
    const long number = terravue::ParseLong(std::u16string_view(*line).substr(0, first_comma));
    if (number < INT16_MIN || number > INT16_MAX) return std::nullopt;
    ++records;
  }
  if (records == 0) return std::nullopt;
  return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto& root = terravue::fuzz::ScratchRoot::Get();
  const std::filesystem::path text_file = root.Stage("QuorvelZones.txt", data, size);
  const std::optional<int32_t> expected = ExpectedRecords(text_file);
  const bool ok = terravue::ZoneRecordStore::ImportZoneData();
  if (expected && !ok) terravue::fuzz::Fail("a well-formed file failed to import");
  terravue::fuzz::CheckOutcome(terravue::ZoneRecordStore::kName, ok, text_file,
                               std::string_view(reinterpret_cast<const char*>(data), size),
                               expected);
  root.Reset(text_file);
  return 0;
}
