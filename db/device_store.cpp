#include "db/device_store.h"

#include "platform/files/files.h"

namespace terravue {

tv::store::ObjectStore* DeviceStore() {
  const std::filesystem::path path = tv::files::ObjectStorePath();
  if (path.empty()) return nullptr;
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  return tv::store::ObjectStore::Shared(path);
}

bool DeleteDeviceDatabase(std::u16string_view name) {
  tv::store::ObjectStore* store = DeviceStore();
  if (store == nullptr || !store->OpenByName(name)) return false;
  return store->DeleteDatabase(name) && !store->Exists(name);
}

}  // namespace terravue
