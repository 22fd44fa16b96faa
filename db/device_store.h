#pragma once

#include <string_view>

#include "platform/store/object_store.h"

namespace terravue {

// The object store of the device root, shared by every store operation of
// the process; created when the device has none yet. Null while it cannot be
// opened (the operations then fail quietly).
tv::store::ObjectStore* DeviceStore();
// The same, but only when the device has a store file already: a device
// without one gets none made. Null also when the file cannot be read.
tv::store::ObjectStore* ExistingDeviceStore();
// Whether the device has a store file at all (readable or not).
bool DeviceStoreFileExists();

// What the deletion of a database found.
enum class Deletion {
  kAbsent,   // there was no such database (or no store at all)
  kDeleted,  // it existed and is gone
  kFailed,   // it could not be deleted, or the store could not be read
};
// Deletes a database of the device store with all its records. A device
// without a store file keeps having none.
[[nodiscard]] Deletion DeleteDeviceDatabase(std::u16string_view name);

}  // namespace terravue
