#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/files/files.h"

namespace tv::files {
namespace {

namespace fs = std::filesystem;

// Saves and restores the variables the device root is read from.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kVariables) {
      const char* value = std::getenv(name);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
    }
    dir_ = fs::temp_directory_path() / ("tv_files_test_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    SetDeviceRoot(std::nullopt);
  }
  void TearDown() override {
    for (size_t i = 0; i < std::size(kVariables); ++i) {
      if (saved_[i]) {
        setenv(kVariables[i], saved_[i]->c_str(), 1);
      } else {
        unsetenv(kVariables[i]);
      }
    }
    SetDeviceRoot(std::nullopt);
    fs::remove_all(dir_);
  }

  static constexpr const char* kVariables[] = {"TERRAVUE_DEVICE_ROOT", "XDG_DATA_HOME", "HOME"};
  std::vector<std::optional<std::string>> saved_;
  fs::path dir_;
};

TEST_F(FilesTest, DeviceRootFollowsItsOrderOfPrecedence) {
  setenv("HOME", "/home/someone", 1);
  unsetenv("XDG_DATA_HOME");
  unsetenv("TERRAVUE_DEVICE_ROOT");
  EXPECT_EQ(DeviceRoot(), fs::path("/home/someone/.local/share/terravue"));

  setenv("XDG_DATA_HOME", "", 1);
  EXPECT_EQ(DeviceRoot(), fs::path("/home/someone/.local/share/terravue")) << "empty is unset";

  setenv("XDG_DATA_HOME", "/data", 1);
  EXPECT_EQ(DeviceRoot(), fs::path("/data/terravue"));

  setenv("TERRAVUE_DEVICE_ROOT", "/device", 1);
  EXPECT_EQ(DeviceRoot(), fs::path("/device"));

  SetDeviceRoot(fs::path("/option"));
  EXPECT_EQ(DeviceRoot(), fs::path("/option"));
  EXPECT_EQ(WindowsFolder(), fs::path("/option/windows"));
  EXPECT_EQ(ObjectStorePath(), fs::path("/option/objectstore.sqlite3"));

  SetDeviceRoot(std::nullopt);
  EXPECT_EQ(DeviceRoot(), fs::path("/device"));

  unsetenv("TERRAVUE_DEVICE_ROOT");
  unsetenv("XDG_DATA_HOME");
  unsetenv("HOME");
  EXPECT_TRUE(DeviceRoot().empty());
  EXPECT_FALSE(EnsureDeviceRoot());
  EXPECT_FALSE(MapDevicePath("\\windows\\x.txt"));
}

TEST_F(FilesTest, HandheldPathsMapIntoTheRoot) {
  SetDeviceRoot(dir_);
  EXPECT_EQ(MapDevicePath("\\windows\\QuorvelZones.txt"), dir_ / "windows" / "QuorvelZones.txt");
  EXPECT_EQ(MapDevicePath("\\Windows\\Quorvel Countries.TXT"),
            dir_ / "Windows" / "Quorvel Countries.TXT")
      << "letter case and spaces are kept";
  EXPECT_EQ(MapDevicePath("windows/a.txt"), dir_ / "windows" / "a.txt");
  EXPECT_EQ(MapDevicePath("\\\\windows\\.\\a.txt"), dir_ / "windows" / "a.txt");
  EXPECT_EQ(MapDevicePath("\\"), dir_);
  EXPECT_FALSE(MapDevicePath("\\windows\\..\\..\\etc\\passwd"));
}

TEST_F(FilesTest, EnsureDeviceRootCreatesTheFolders) {
  const fs::path root = dir_ / "a" / "device";
  SetDeviceRoot(root);
  EXPECT_TRUE(EnsureDeviceRoot());
  EXPECT_TRUE(fs::is_directory(root / "windows"));
  EXPECT_TRUE(EnsureDeviceRoot()) << "existing folders are fine";

  // A file where the windows folder belongs cannot be made a folder.
  const fs::path blocked = dir_ / "blocked";
  fs::create_directories(blocked);
  { std::ofstream(blocked / "windows") << "x"; }
  SetDeviceRoot(blocked);
  EXPECT_FALSE(EnsureDeviceRoot());
  EXPECT_TRUE(fs::is_regular_file(blocked / "windows"));
}

TEST_F(FilesTest, ProgramFolderHoldsTheRunningExecutable) {
  const fs::path folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(fs::exists(folder / "files_test"));
  EXPECT_EQ(MapsFolder(), FindMapsFolder().value_or(folder / "Terravue Maps"));
}

TEST_F(FilesTest, MapsFolderIsFoundBesideTheProgramOrInItsDataFolder) {
  const fs::path build = dir_ / "build" / "app";
  const fs::path installed = dir_ / "prefix with space";
  fs::create_directories(build);
  fs::create_directories(installed / "bin");
  EXPECT_FALSE(FindMapsFolderFor(build / "terravue").has_value());

  // Installed: the maps live in the prefix's data folder.
  fs::create_directories(installed / "share" / "terravue" / "Terravue Maps");
  EXPECT_EQ(FindMapsFolderFor(installed / "bin" / "terravue"),
            installed / "share" / "terravue" / "Terravue Maps");

  // A file of that name is not a maps folder.
  { std::ofstream(build / "Terravue Maps") << "x"; }
  EXPECT_FALSE(FindMapsFolderFor(build / "terravue").has_value());
  fs::remove(build / "Terravue Maps");

  // Build tree: beside the program, which wins over a data folder.
  fs::create_directories(build / "Terravue Maps");
  fs::create_directories(dir_ / "build" / "share" / "terravue" / "Terravue Maps");
  EXPECT_EQ(FindMapsFolderFor(build / "terravue"), build / "Terravue Maps");
}

}  // namespace
}  // namespace tv::files
