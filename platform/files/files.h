#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace tv::files {

// The folder that stands for the handheld's file system. In order: the
// folder set by SetDeviceRoot (the --device-root option), the environment
// variable TERRAVUE_DEVICE_ROOT, $XDG_DATA_HOME/terravue, and
// $HOME/.local/share/terravue. Empty when none of these is available.
void SetDeviceRoot(std::optional<std::filesystem::path> root);
std::filesystem::path DeviceRoot();

// "\windows\" of the handheld; empty without a device root.
std::filesystem::path WindowsFolder();
// The file that holds the record databases; empty without a device root.
std::filesystem::path ObjectStorePath();

// Maps a handheld path such as "\windows\QuorvelZones.txt" into the device
// root: backslashes become slashes, letter case is kept. A path that would
// climb out of the root ("..") maps to nothing.
std::optional<std::filesystem::path> MapDevicePath(std::string_view handheld_path);

// Creates the device root and its windows folder if they are missing.
bool EnsureDeviceRoot();

// The folder of the running program, and the map images beside it.
std::filesystem::path ProgramFolder();
std::filesystem::path MapsFolder();

}  // namespace tv::files
