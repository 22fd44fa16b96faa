#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/store/record_database.h"

namespace terravue {

// The persistent home of every country fact: one record per (country,
// category, field) in the database "Countries List", sorted by country name
// without regard to case. Nothing is kept in memory; every lookup opens the
// database, finds the record and closes it again.
class CountryRecordStore {
 public:
  static constexpr std::u16string_view kName = u"Countries List";
  static constexpr uint32_t kType = 12347;
  static constexpr uint16_t kCountryProp = 201;
  static constexpr uint16_t kCategoryProp = 202;
  static constexpr uint16_t kFieldProp = 203;
  static constexpr uint16_t kValueProp = 204;

  // The position of the first record, in sort order, of `country` (any letter
  // case) whose category and field equal the given ones exactly; -1 when
  // there is none or the database cannot be opened.
  static int32_t FindCountryField(std::u16string_view country, std::u16string_view category,
                                  std::u16string_view field);
  // Copies the value of that record into `value` (at most 1023 characters);
  // on false `value` is left as it was.
  static bool GetCountryField(std::u16string_view country, std::u16string_view category,
                              std::u16string_view field, std::u16string& value);
  // Writes one record into an open database, never replacing one.
  static bool AppendCountryField(tv::store::RecordDatabase& store, std::u16string_view country,
                                 std::u16string_view category, std::u16string_view field,
                                 std::u16string_view value);
  // Opens "Countries List", creating it first when it does not exist.
  static bool OpenOrCreateCountryStore(tv::store::RecordDatabase& store);
  // Deletes the database; true only when it existed and is gone.
  static bool DeleteCountryStore();
};

}  // namespace terravue
