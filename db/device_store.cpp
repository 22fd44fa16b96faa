#include "db/device_store.h"

#include "platform/files/files.h"

namespace terravue {

tv::store::ObjectStore* DeviceStore() {
  const std::filesystem::path path = tv::files::ObjectStorePath();
  if (path.empty()) return nullptr;
  if (tv::store::ObjectStore* store = tv::store::ObjectStore::Shared(path)) return store;
  // The first use on a new device: its root may not exist yet.
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  return tv::store::ObjectStore::Shared(path);
}

std::optional<tv::store::Record> ReadDeviceRecord(std::u16string_view database,
                                                 int32_t position) {
  tv::store::ObjectStore* store = DeviceStore();
  if (store == nullptr) return std::nullopt;
  std::optional<tv::store::RecordDatabase> db = store->OpenByName(database);
  if (!db || db->SeekToPosition(position) < 0) return std::nullopt;
  return db->ReadRecord();
}

bool DeleteDeviceDatabase(std::u16string_view name) {
  tv::store::ObjectStore* store = DeviceStore();
  if (store == nullptr || !store->OpenByName(name)) return false;
  return store->DeleteDatabase(name) && !store->Exists(name);
}

}  // namespace terravue
