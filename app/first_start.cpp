#include "app/first_start.h"

#include <string>

#include "db/country_store.h"
#include "db/device_store.h"
#include "db/zone_store.h"
#include "platform/files/files.h"

namespace terravue {

const InstallationFile kInstallationFiles[2] = {
    {CountryRecordStore::kName, "QuorvelCountriesTerravue.txt"},
    {ZoneRecordStore::kName, "QuorvelZones.txt"},
};

Placement PlaceInstallationFile(const InstallationFile& file,
                                const std::filesystem::path& data_folder) {
  // The imports read the file from the same handheld path.
  const std::optional<std::filesystem::path> target =
      tv::files::MapDevicePath("\\windows\\" + std::string(file.file_name));
  if (!target) return Placement::kFailed;
  std::error_code ec;
  if (std::filesystem::symlink_status(*target, ec).type() !=
      std::filesystem::file_type::not_found) {
    return Placement::kFilePresent;
  }
  // Opening creates the store where no file is; a file that is there but is
  // no readable store stays untouched and the program runs without facts.
  tv::store::ObjectStore* store = DeviceStore();
  if (store == nullptr) return Placement::kStoreUnreadable;
  if (store->Exists(file.database)) return Placement::kDatabasePresent;
  const std::filesystem::path source = data_folder / std::string(file.file_name);
  if (!std::filesystem::is_regular_file(source, ec)) return Placement::kNoInstalledFile;
  if (!tv::files::EnsureDeviceRoot()) return Placement::kFailed;
  switch (tv::files::PlaceFile(source, *target)) {
    case tv::files::PlaceResult::kPlaced: return Placement::kPlaced;
    case tv::files::PlaceResult::kTargetPresent: return Placement::kFilePresent;
    case tv::files::PlaceResult::kFailed: break;
  }
  return Placement::kFailed;
}

void PlaceInstalledFiles() {
  const std::optional<std::filesystem::path> data = tv::files::FindInstalledDataFolder();
  if (!data) return;
  for (const InstallationFile& file : kInstallationFiles) PlaceInstallationFile(file, *data);
}

}  // namespace terravue
