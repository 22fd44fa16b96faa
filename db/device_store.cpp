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

bool DeviceStoreFileExists() {
  const std::filesystem::path path = tv::files::ObjectStorePath();
  std::error_code ec;
  return !path.empty() &&
         std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found;
}

tv::store::ObjectStore* ExistingDeviceStore() {
  if (!DeviceStoreFileExists()) return nullptr;
  return tv::store::ObjectStore::Shared(tv::files::ObjectStorePath());
}

Deletion DeleteDeviceDatabase(std::u16string_view name) {
  if (!DeviceStoreFileExists()) return Deletion::kAbsent;
  tv::store::ObjectStore* store = ExistingDeviceStore();
  if (store == nullptr) return Deletion::kFailed;
  const std::optional<bool> exists = store->FindDatabase(name);
  if (!exists) return Deletion::kFailed;
  if (!*exists) return Deletion::kAbsent;
  if (!store->DeleteDatabase(name) || store->Exists(name)) return Deletion::kFailed;
  return Deletion::kDeleted;
}

}  // namespace terravue
