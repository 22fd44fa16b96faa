#include "db/country_import.h"

#include <optional>

#include "db/country_store.h"
#include "db/installation_import.h"
#include "db/line_reader.h"

namespace terravue {
namespace {

constexpr std::string_view kCountryFile = "\\windows\\QuorvelCountriesTerravue.txt";
constexpr int kCategoriesPerCountry = 7;

// Reads one country block and appends its records. Returns false when a
// record cannot be written or the file ends inside the block.
bool ImportCountryBlock(LineReader& reader, std::u16string_view country,
                        tv::store::RecordDatabase& db) {
  for (int group = 0; group < kCategoriesPerCountry; ++group) {
    const std::optional<std::u16string> category_line = reader.ReadLine();
    if (!category_line) return false;
    const std::u16string category = CategoryNameOfLine(*category_line);
    const int fields = CategoryFieldCount(category);
    for (int i = 0; i < fields; ++i) {
      const std::optional<std::u16string> field_line = reader.ReadLine();
      if (!field_line) return false;
      const auto [field, value] = FieldOfLine(*field_line);
      if (!CountryRecordStore::AppendCountryField(db, country, category, field, value)) {
        return false;
      }
    }
    if (!reader.ReadLine()) return false;  // the group's closing line
  }
  // The two lines that end a block; the last block may end without them.
  reader.ReadLine();
  reader.ReadLine();
  return true;
}

}  // namespace

int CategoryFieldCount(std::u16string_view category) {
  static constexpr std::pair<std::u16string_view, int> kCounts[] = {
      {u"geography", 11}, {u"tourism", 1},        {u"government", 5},   {u"economy", 6},
      {u"people", 10},    {u"transportation", 3}, {u"communication", 6},
  };
  for (const auto& [name, count] : kCounts) {
    if (name == category) return count;
  }
  return 0;
}

std::u16string CountryNameOfLine(std::u16string_view line) {
  const size_t close = line.find(u'>');
  if (close == std::u16string_view::npos) return {};
  return std::u16string(line.substr(close + 1));
}

std::u16string CategoryNameOfLine(std::u16string_view line) {
  return FieldOfLine(line).first;
}

std::pair<std::u16string, std::u16string> FieldOfLine(std::u16string_view line) {
  const size_t open = line.find(u'<');
  if (open == std::u16string_view::npos) return {};
  const size_t close = line.find(u'>', open + 1);
  if (close == std::u16string_view::npos) return {};
  return {std::u16string(line.substr(open + 1, close - open - 1)),
          std::u16string(line.substr(close + 1))};
}

bool ImportCountryData(ImportProgress* progress) {
  return ImportInstallationFile(kCountryFile, CountryRecordStore::kName, [progress](LineReader& reader) {
    std::optional<tv::store::RecordDatabase> db = CountryRecordStore::OpenOrCreateCountryStore();
    if (!db) return false;
    while (const std::optional<std::u16string> country_line = reader.ReadLine()) {
      const std::u16string country = CountryNameOfLine(*country_line);
      if (!ImportCountryBlock(reader, country, *db)) return false;
      if (progress != nullptr) progress->CountryLoaded(country);
    }
    return true;
  });
}

}  // namespace terravue
