#include "db/installation_import.h"

#include <chrono>
#include <filesystem>
#include <optional>

#include "db/device_store.h"
#include "platform/files/files.h"

namespace terravue {
namespace {

// Another copy of the program importing the same file holds the write lock
// for the whole of its import; wait for it rather than fail.
constexpr std::chrono::seconds kImportWait{60};

bool IsMissing(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::symlink_status(path, ec).type() ==
         std::filesystem::file_type::not_found;
}

}  // namespace

bool ImportInstallationFile(std::string_view handheld_path, std::u16string_view name,
                            const std::function<bool(LineReader&)>& fill) {
  const std::optional<std::filesystem::path> path = tv::files::MapDevicePath(handheld_path);
  if (!path || IsMissing(*path)) return true;
  tv::store::ObjectStore* store = DeviceStore();
  if (store == nullptr) return false;
  store->SetBusyTimeout(kImportWait);
  tv::store::Transaction transaction(*store);
  store->SetBusyTimeout(tv::store::ObjectStore::kBusyTimeout);
  if (!transaction.Active()) return false;
  const std::optional<bool> exists = store->FindDatabase(name);
  if (!exists) return false;
  std::error_code ec;
  if (*exists) {
    // Only a file: a folder in its place is the user's.
    if (std::filesystem::is_regular_file(*path, ec)) std::filesystem::remove(*path, ec);
    return true;
  }
  LineReader reader(*path);
  if (!reader.IsOpen() || !fill(reader) || reader.Failed()) return false;
  reader.Close();
  std::optional<tv::store::RecordDatabase> db = store->OpenByName(name);
  if (!db || db->RecordCount() <= 0) return false;
  db->Close();
  if (!transaction.Commit()) return false;
  std::filesystem::remove(*path, ec);
  return true;
}

}  // namespace terravue
