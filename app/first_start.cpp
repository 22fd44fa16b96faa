#include "app/first_start.h"

#include <cstdio>
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
  // A device without a store has no database; a store file that is there
  // but is no readable store stays untouched and the program runs without
  // facts.
  if (DeviceStoreFileExists()) {
    tv::store::ObjectStore* store = ExistingDeviceStore();
    if (store == nullptr) return Placement::kStoreUnreadable;
    if (store->Exists(file.database)) return Placement::kDatabasePresent;
  }
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
  // What could not be placed is missing at this start and tried again at
  // the next one; the installation screen tells only of failed imports.
  for (const InstallationFile& file : kInstallationFiles) {
    [[maybe_unused]] const Placement placement = PlaceInstallationFile(file, *data);
  }
}

std::optional<std::filesystem::path> FindInstallationFilesFolder() {
  if (auto data = tv::files::FindInstalledDataFolder()) return data;
  const std::filesystem::path own = tv::files::ProgramFolder();
  std::error_code ec;
  if (std::filesystem::is_regular_file(own / std::string(kInstallationFiles[0].file_name), ec)) {
    return own;
  }
  return std::nullopt;
}

int StageData(const std::filesystem::path& device_root) {
  const std::optional<std::filesystem::path> data = FindInstallationFilesFolder();
  if (!data) {
    std::fputs("terravue: this program has no installation files beside it\n", stderr);
    return 1;
  }
  tv::files::SetDeviceRoot(device_root);
  int status = 0;
  for (const InstallationFile& file : kInstallationFiles) {
    const Placement placement = PlaceInstallationFile(file, *data);
    const char* problem = nullptr;
    switch (placement) {
      case Placement::kPlaced:
      case Placement::kDatabasePresent:
      case Placement::kFilePresent:
        break;
      case Placement::kStoreUnreadable: problem = "the object store cannot be read"; break;
      case Placement::kNoInstalledFile: problem = "the installation file is missing"; break;
      case Placement::kFailed: problem = "the file could not be copied"; break;
    }
    if (problem != nullptr) {
      std::fprintf(stderr, "terravue: %s not staged: %s\n", std::string(file.file_name).c_str(),
                   problem);
      status = 1;
    }
  }
  tv::store::ObjectStore::CloseShared();
  return status;
}

}  // namespace terravue
