#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/store/object_store.h"

namespace terravue {

// The object store of the device root, shared by every store operation of
// the process; null while it cannot be opened (the operations then fail
// quietly).
tv::store::ObjectStore* DeviceStore();

// Opens `database` of the device store, reads the record at `position` and
// closes it again; nothing when any step fails.
std::optional<tv::store::Record> ReadDeviceRecord(std::u16string_view database, int32_t position);

// Deletes a database of the device store with all its records; true only
// when it could be opened and is gone afterwards.
bool DeleteDeviceDatabase(std::u16string_view name);

}  // namespace terravue
