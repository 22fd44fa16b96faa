#include "db/country_import.h"

#include <optional>

#include "db/country_store.h"
#include "db/device_store.h"
#include "db/line_reader.h"
#include "platform/files/files.h"
#include "platform/ui/desktop.h"
#include "platform/ui/window.h"

namespace terravue {
namespace {

constexpr std::string_view kCountryFile = "\\windows\\QuorvelCountriesTerravue.txt";
constexpr int kCategoriesPerCountry = 7;
constexpr tv::gfx::Point kProgressAt{20, 150};
// Drawn in white over the last progress line to wipe it before the next.
constexpr std::u16string_view kProgressEraser =
    u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";

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

bool ImportCountryData(const std::function<void(std::u16string_view)>& progress) {
  tv::store::ObjectStore* store = DeviceStore();
  if (store == nullptr) return false;
  if (store->Exists(CountryRecordStore::kName)) return true;
  const std::optional<std::filesystem::path> path = tv::files::MapDevicePath(kCountryFile);
  if (!path) return true;
  LineReader reader(*path);
  if (!reader.IsOpen()) {
    // Nothing to do when there is no file; one that is there but cannot be
    // read (a folder or a pipe in its place) is a failure, and stays.
    std::error_code ec;
    return std::filesystem::symlink_status(*path, ec).type() ==
           std::filesystem::file_type::not_found;
  }

  tv::store::Transaction transaction(*store);
  if (!transaction.Active()) return false;
  tv::store::RecordDatabase db;
  if (!CountryRecordStore::OpenOrCreateCountryStore(db)) return false;
  while (const std::optional<std::u16string> country_line = reader.ReadLine()) {
    const std::u16string country = CountryNameOfLine(*country_line);
    if (!ImportCountryBlock(reader, country, db)) return false;
    if (progress) progress(country);
  }
  // A file that could not be read to its end is not imported in part: it
  // stays for the next start.
  if (reader.Failed()) return false;
  reader.Close();
  db.Close();
  if (!transaction.Commit()) return false;
  std::error_code ignored;
  std::filesystem::remove(*path, ignored);
  return true;
}

bool ImportCountryData(tv::ui::Window& screen) {
  return ImportCountryData([&screen](std::u16string_view country) {
    tv::gfx::Canvas canvas = screen.GetScreenCanvas();
    canvas.SetTextColor(tv::gfx::kWhite);
    canvas.DrawText(kProgressAt, kProgressEraser);
    canvas.SetTextColor(tv::gfx::kBlack);
    canvas.DrawText(kProgressAt, u"Loading " + std::u16string(country));
    // Long work: show the line now and keep the window alive.
    tv::ui::Desktop::Get().Pump();
  });
}

}  // namespace terravue
