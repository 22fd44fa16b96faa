#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "db/device_store.h"
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

  // Finds the first record, in sort order, of `country` (any letter case)
  // whose category and field equal the given ones exactly, and copies its
  // value into `value` (at most 1023 characters); on false (no such record,
  // or no database) `value` is left as it was, as the screens' fallbacks
  // expect.
  static bool GetCountryField(std::u16string_view country, std::u16string_view category,
                              std::u16string_view field, std::u16string& value);
  // Writes one record into an open database, never replacing one.
  [[nodiscard]] static bool AppendCountryField(tv::store::RecordDatabase& store, std::u16string_view country,
                                 std::u16string_view category, std::u16string_view field,
                                 std::u16string_view value);
  // Opens "Countries List", creating it first when it does not exist.
  [[nodiscard]] static std::optional<tv::store::RecordDatabase> OpenOrCreateCountryStore();
  [[nodiscard]] static Deletion DeleteCountryStore();
};

}  // namespace terravue
