#include "db/country_store.h"

#include "db/device_store.h"
#include "db/text_bounds.h"

namespace terravue {

bool CountryRecordStore::GetCountryField(std::u16string_view country,
                                         std::u16string_view category, std::u16string_view field,
                                         std::u16string& value) {
  tv::store::ObjectStore* store = DeviceStore();
  if (store == nullptr) return false;
  std::optional<tv::store::RecordDatabase> db = store->OpenByName(kName);
  if (!db) return false;
  // A keyed seek on the country, then a walk over its records; the value is
  // read from the record that matched, with no second seek.
  for (bool found = db->SeekFirstEqual(BoundedText(country)); found;
       found = db->SeekNextEqual()) {
    const std::optional<tv::store::Record> record = db->ReadRecord();
    if (!record) return false;
    const std::u16string* record_category = record->Text(kCategoryProp);
    const std::u16string* record_field = record->Text(kFieldProp);
    if (record_category == nullptr || record_field == nullptr || *record_category != category ||
        *record_field != field) {
      continue;
    }
    const std::u16string* text = record->Text(kValueProp);
    if (text == nullptr) return false;
    value = BoundedText(*text);
    return true;
  }
  return false;
}

bool CountryRecordStore::AppendCountryField(tv::store::RecordDatabase& store,
                                            std::u16string_view country,
                                            std::u16string_view category,
                                            std::u16string_view field,
                                            std::u16string_view value) {
  tv::store::Record record;
  record.AddText(kCountryProp, BoundedText(country));
  record.AddText(kCategoryProp, BoundedText(category));
  record.AddText(kFieldProp, BoundedText(field));
  record.AddText(kValueProp, BoundedText(value));
  return store.AppendRecord(record);
}

std::optional<tv::store::RecordDatabase> CountryRecordStore::OpenOrCreateCountryStore() {
  tv::store::ObjectStore* objects = DeviceStore();
  if (objects == nullptr) return std::nullopt;
  if (objects->Exists(kName)) return objects->OpenByName(kName);
  // A look-up that failed reads as "no such database"; if that failure also
  // ended the caller's transaction, the store refuses the creation.
  const std::optional<uint32_t> id =
      objects->Create(kName, kType, {kCountryProp, tv::store::SortKind::kTextNoCase});
  if (!id) return std::nullopt;
  return objects->OpenById(*id);
}

Deletion CountryRecordStore::DeleteCountryStore() { return DeleteDeviceDatabase(kName); }

}  // namespace terravue
