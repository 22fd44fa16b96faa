#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tv::ui {
class Window;
}

namespace terravue {

// How many field lines follow a category line: the category name decides,
// compared exactly; any other name has none.
int CategoryFieldCount(std::u16string_view category);

// The parts of the country file's lines.
std::u16string CountryNameOfLine(std::u16string_view line);
std::u16string CategoryNameOfLine(std::u16string_view line);
// The field name and its value; the value may hold "<" and ">" itself.
std::pair<std::u16string, std::u16string> FieldOfLine(std::u16string_view line);

// Builds "Countries List" from "\windows\QuorvelCountriesTerravue.txt" when
// it does not exist yet, showing "Loading <country>" on `screen` after each
// country. The database and all its records are written in one transaction,
// and the text file is deleted only once they are committed: a failed write,
// a file that ends inside a country, or a crash leaves no database, so the
// next start imports again. Returns true when there was nothing to do or the
// import completed.
bool ImportCountryData(tv::ui::Window& screen);

// The same without a screen; `progress` receives each country's name.
bool ImportCountryData(const std::function<void(std::u16string_view)>& progress);

}  // namespace terravue
