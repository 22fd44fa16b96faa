#pragma once

#include <string_view>

#include "platform/store/object_store.h"

namespace terravue {

// The object store of the device root, shared by every store operation of
// the process; null while it cannot be opened (the operations then fail
// quietly).
tv::store::ObjectStore* DeviceStore();

// Deletes a database of the device store with all its records; true only
// when it could be opened and is gone afterwards.
bool DeleteDeviceDatabase(std::u16string_view name);

}  // namespace terravue
