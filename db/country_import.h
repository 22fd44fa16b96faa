#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace terravue {

// How many field lines follow a category line: the category name decides,
// compared exactly; any other name has none.
int CategoryFieldCount(std::u16string_view category);

// The parts of the country file's lines.
std::u16string CountryNameOfLine(std::u16string_view line);
std::u16string CategoryNameOfLine(std::u16string_view line);
// The field name and its value; the value may hold "<" and ">" itself.
std::pair<std::u16string, std::u16string> FieldOfLine(std::u16string_view line);

// What the country import tells while it runs; the installation screen
// shows it.
class ImportProgress {
 public:
  // Called after each country's records are written.
  virtual void CountryLoaded(std::u16string_view country) = 0;

 protected:
  ~ImportProgress() = default;
};

// Builds "Countries List" from "\windows\QuorvelCountriesTerravue.txt" as
// ImportInstallationFile describes, telling `progress` (if any) each country
// it has loaded. A file that ends inside a country is damaged. Returns true
// when there was nothing to do or the import completed.
[[nodiscard]] bool ImportCountryData(ImportProgress* progress = nullptr);

}  // namespace terravue
