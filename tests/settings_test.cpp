#include "platform/settings/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/files/files.h"

namespace tv::settings {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDistanceKey = "Software\\Quorvel\\Terravue\\Distance";

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("settings_test_" + std::to_string(getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    files::SetDeviceRoot(dir_ / "device");
  }
  void TearDown() override {
    files::SetDeviceRoot(std::nullopt);
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, ec);
    fs::remove_all(dir_);
  }

  static std::string FileText() {
    std::ifstream in(RegistryPath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void SetFileText(const std::string& text) {
    fs::create_directories(RegistryPath().parent_path());
    std::ofstream(RegistryPath(), std::ios::binary) << text;
  }

  fs::path dir_;
};

TEST_F(SettingsTest, UnitRoundTripsAndSurvivesARestart) {
  EXPECT_FALSE(RegistryKey::Open(kDistanceKey));  // no preference yet
  {
    const std::optional<RegistryKey> key = RegistryKey::Create(kDistanceKey);
    ASSERT_TRUE(key);
    EXPECT_FALSE(key->QueryValue("Unit"));
    ASSERT_TRUE(key->SetValue("Unit", 0));
    EXPECT_EQ(key->QueryValue("Unit"), 0u);
    ASSERT_TRUE(key->SetValue("Unit", 1));
    EXPECT_EQ(key->QueryValue("Unit"), 1u);
  }
  EXPECT_EQ(RegistryPath(), dir_ / "device" / "registry.txt");

  // A new run opens the key afresh, in any letter case.
  const std::optional<RegistryKey> again = RegistryKey::Open("software\\quorvel\\TERRAVUE\\Distance\\");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->QueryValue("unit"), 1u);
  EXPECT_FALSE(again->QueryValue("Units"));
  ASSERT_TRUE(RegistryKey::Create(kDistanceKey)->SetValue("Unit", 0xFFFFFFFFu));
  EXPECT_EQ(RegistryKey::Open(kDistanceKey)->QueryValue("Unit"), 0xFFFFFFFFu);

  // Other keys and values live beside it.
  ASSERT_TRUE(RegistryKey::Create("Software\\Other")->SetValue("A", 7));
  EXPECT_EQ(RegistryKey::Open(kDistanceKey)->QueryValue("Unit"), 0xFFFFFFFFu);
  EXPECT_EQ(RegistryKey::Open("Software\\Other")->QueryValue("A"), 7u);
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "device"), fs::directory_iterator()), 1);
}

TEST_F(SettingsTest, DamagedFileKeepsWhatStillReads) {
  ASSERT_TRUE(RegistryKey::Create(kDistanceKey)->SetValue("Unit", 1));
  const std::string sound = FileText();
  const std::string key_line = "[Software\\Quorvel\\Terravue\\Distance]\n";
  ASSERT_EQ(sound, "Terravue registry 1\n" + key_line + "\"Unit\"=dword:00000001\n");

  // What reads of each file before the change; every change then writes the
  // one key with its new value.
  struct Damage {
    const char* name;
    std::string text;
    bool key_reads;
    std::optional<uint32_t> unit;
  };
  const std::vector<Damage> damaged = {
      {"empty", "", false, std::nullopt},
      {"cut inside the last line", sound.substr(0, sound.size() - 3), true, std::nullopt},
      {"no final newline", sound.substr(0, sound.size() - 1), true, 1},
      {"another header", "Terravue registry 2" + sound.substr(19), false, std::nullopt},
      {"bad digit", sound.substr(0, sound.size() - 2) + "g\n", true, std::nullopt},
      {"short number", sound.substr(0, sound.size() - 2) + "\n", true, std::nullopt},
      {"value before any key", "Terravue registry 1\n\"Unit\"=dword:00000001\n", false,
       std::nullopt},
      {"binary noise", std::string("\x00\xff\x13\n", 4), false, std::nullopt},
      {"key twice", sound + key_line, true, 1},
      {"too large", sound + std::string(70000, 'x') + "\n", false, std::nullopt},
  };
  for (const Damage& d : damaged) {
    SetFileText(d.text);
    const std::optional<RegistryKey> opened = RegistryKey::Open(kDistanceKey);
    EXPECT_EQ(opened.has_value(), d.key_reads) << d.name;
    if (opened) {
      EXPECT_EQ(opened->QueryValue("Unit"), d.unit) << d.name;
    }
    const std::optional<RegistryKey> key = RegistryKey::Create(kDistanceKey);
    ASSERT_TRUE(key) << d.name;
    ASSERT_TRUE(key->SetValue("Unit", 0)) << d.name;
    EXPECT_EQ(FileText(), "Terravue registry 1\n" + key_line + "\"Unit\"=dword:00000000\n")
        << d.name;
  }

  // A file edited by hand: line ends of another system, blank lines, a value
  // and a key that do not read. Everything that reads is written back.
  SetFileText(
      "\r\nTerravue registry 1\r\n[Software\\Quorvel\\Terravue\\Distance]\r\n"
      "\"Unit\"=dword:00000001\r\n\n\"Broken\"=dword:xyz\r\n[Software\\Other]\r\n"
      "\"A\"=dword:00000007\r\n[Bad]Key]\r\n\"Lost\"=dword:00000002\r\n"
      "[Software\\Other\\]\n\"B\"=dword:00000008\n\"a\"=dword:00000009");
  EXPECT_EQ(RegistryKey::Open(kDistanceKey)->QueryValue("Unit"), 1u);
  ASSERT_TRUE(RegistryKey::Create("Software\\New")->SetValue("C", 3));
  EXPECT_EQ(FileText(), "Terravue registry 1\n" + key_line +
                            "\"Unit\"=dword:00000001\n[Software\\Other]\n\"A\"=dword:00000009\n"
                            "\"B\"=dword:00000008\n[Software\\New]\n\"C\"=dword:00000003\n");

  // What a crashed write leaves beside the file changes nothing.
  SetFileText(sound);
  std::ofstream(RegistryPath().string() + ".tmp99999") << "Terravue registry 1\n[Soft";
  EXPECT_EQ(RegistryKey::Open(kDistanceKey)->QueryValue("Unit"), 1u);
}

TEST_F(SettingsTest, UnwritableRegistryReportsFailureAndKeepsTheOldValue) {
  // A device root under a plain file cannot be created, even by root.
  std::ofstream(dir_ / "plain") << "x";
  files::SetDeviceRoot(dir_ / "plain" / "device");
  EXPECT_FALSE(RegistryKey::Create(kDistanceKey));
  EXPECT_FALSE(RegistryKey::Open(kDistanceKey));

  // A registry whose file cannot be replaced: a folder stands in its place.
  files::SetDeviceRoot(dir_ / "device");
  ASSERT_TRUE(RegistryKey::Create(kDistanceKey)->SetValue("Unit", 1));
  const std::optional<RegistryKey> key = RegistryKey::Open(kDistanceKey);
  ASSERT_TRUE(key);
  fs::remove(RegistryPath());
  fs::create_directories(RegistryPath() / "blocked");
  EXPECT_FALSE(key->SetValue("Unit", 0));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "device"), fs::directory_iterator()), 1);

  // A read-only folder (permissions do not bind root).
  fs::remove_all(RegistryPath());
  ASSERT_TRUE(key->SetValue("Unit", 1));
  if (geteuid() != 0) {
    fs::permissions(dir_ / "device", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(key->SetValue("Unit", 0));
    fs::permissions(dir_ / "device", fs::perms::owner_all);
    EXPECT_EQ(key->QueryValue("Unit"), 1u);
  }
  EXPECT_FALSE(key->SetValue("Bad\"Name", 1));
  EXPECT_FALSE(RegistryKey::Create("Bad]Key"));
  EXPECT_FALSE(RegistryKey::Create(""));
}

class MeasurementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"LC_ALL", "LC_MEASUREMENT", "LANG"}) {
      const char* v = std::getenv(name);
      saved_.push_back({name, v ? std::optional<std::string>(v) : std::nullopt});
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name, value->c_str(), 1);
      } else {
        unsetenv(name);
      }
    }
  }
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(MeasurementTest, UnitedStatesLocaleMeasuresInMiles) {
  EXPECT_EQ(UserMeasurementSystem(), MeasurementSystem::kMetric);
  setenv("LC_MEASUREMENT", "en_US.UTF-8", 1);
  EXPECT_EQ(UserMeasurementSystem(), MeasurementSystem::kUsCustomary);
  setenv("LANG", "en_US.UTF-8", 1);
  setenv("LC_MEASUREMENT", "en_GB.UTF-8", 1);
  EXPECT_EQ(UserMeasurementSystem(), MeasurementSystem::kMetric);
  // LC_ALL outranks both.
  setenv("LC_ALL", "en_US.UTF-8", 1);
  EXPECT_EQ(UserMeasurementSystem(), MeasurementSystem::kUsCustomary);
  setenv("LC_ALL", "C.UTF-8", 1);
  EXPECT_EQ(UserMeasurementSystem(), MeasurementSystem::kMetric);
}

}  // namespace
}  // namespace tv::settings
