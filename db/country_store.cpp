#include "db/country_store.h"

#include "db/device_store.h"
#include "db/text_bounds.h"

namespace terravue {

namespace {

// Walks the records of `country` in sort order until one has the given
// category and field; gives its position and, when `found` is set, the record
// itself, so that reading its value needs no second open and seek.
int32_t FindFieldRecord(std::u16string_view country, std::u16string_view category,
                        std::u16string_view field, std::optional<tv::store::Record>* found) {
  tv::store::ObjectStore* store = DeviceStore();
  if (store == nullptr) return -1;
  std::optional<tv::store::RecordDatabase> db = store->OpenByName(CountryRecordStore::kName);
  if (!db) return -1;
  for (int32_t position = db->SeekFirstEqual(BoundedText(country)); position >= 0;
       position = db->SeekNextEqual()) {
    std::optional<tv::store::Record> record = db->ReadRecord();
    if (!record) return -1;
    const std::u16string* record_category = record->Text(CountryRecordStore::kCategoryProp);
    const std::u16string* record_field = record->Text(CountryRecordStore::kFieldProp);
    if (record_category != nullptr && record_field != nullptr && *record_category == category &&
        *record_field == field) {
      if (found != nullptr) *found = std::move(record);
      return position;
    }
  }
  return -1;
}

}  // namespace

int32_t CountryRecordStore::FindCountryField(std::u16string_view country,
                                             std::u16string_view category,
                                             std::u16string_view field) {
  return FindFieldRecord(country, category, field, nullptr);
}

bool CountryRecordStore::GetCountryField(std::u16string_view country,
                                         std::u16string_view category, std::u16string_view field,
                                         std::u16string& value) {
  std::optional<tv::store::Record> record;
  if (FindFieldRecord(country, category, field, &record) < 0 || !record) return false;
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
