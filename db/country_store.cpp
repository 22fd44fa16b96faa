#include "db/country_store.h"

#include "db/device_store.h"
#include "db/text_bounds.h"

namespace terravue {

int32_t CountryRecordStore::FindCountryField(std::u16string_view country,
                                             std::u16string_view category,
                                             std::u16string_view field) {
  tv::store::ObjectStore* store = DeviceStore();
  if (store == nullptr) return -1;
  std::optional<tv::store::RecordDatabase> db = store->OpenByName(kName);
  if (!db) return -1;
  for (int32_t position = db->SeekFirstEqual(BoundedText(country)); position >= 0;
       position = db->SeekNextEqual()) {
    const std::optional<tv::store::Record> record = db->ReadRecord();
    if (!record) return -1;
    const std::u16string* record_category = record->Text(kCategoryProp);
    const std::u16string* record_field = record->Text(kFieldProp);
    if (record_category != nullptr && record_field != nullptr && *record_category == category &&
        *record_field == field) {
      return position;
    }
  }
  return -1;
}

bool CountryRecordStore::GetCountryField(std::u16string_view country,
                                         std::u16string_view category, std::u16string_view field,
                                         std::u16string& value) {
  const int32_t position = FindCountryField(country, category, field);
  if (position < 0) return false;
  const std::optional<tv::store::Record> record = ReadDeviceRecord(kName, position);
  if (!record) return false;
  const std::u16string* text = record->Text(kValueProp);
  if (text == nullptr) return false;
  value = BoundedText(*text);
  return true;
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

bool CountryRecordStore::OpenOrCreateCountryStore(tv::store::RecordDatabase& store) {
  tv::store::ObjectStore* objects = DeviceStore();
  if (objects == nullptr) return false;
  std::optional<tv::store::RecordDatabase> db;
  if (objects->Exists(kName)) {
    db = objects->OpenByName(kName);
  } else {
    // A look-up that failed reads as "no such database"; if that failure
    // also ended the caller's transaction, the store refuses the creation.
    const std::optional<uint32_t> id =
        objects->Create(kName, kType, {kCountryProp, tv::store::SortKind::kTextNoCase});
    if (id) db = objects->OpenById(*id);
  }
  if (!db) return false;
  store = std::move(*db);
  return true;
}

bool CountryRecordStore::DeleteCountryStore() { return DeleteDeviceDatabase(kName); }

}  // namespace terravue
