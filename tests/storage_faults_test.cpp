// Storage that fails under the program: a store file that cannot be opened or
// read, one that is read-only, a full disk, a registry file that cannot be
// read or written, map files and folders that are missing or unreadable, and
// installation files that cannot be read. Each leaves the program running
// with the screens' own messages, and nothing already stored is lost.
//
// The tests run as root, whom permissions do not bind, so the faults come
// from what binds root too: a folder or a pipe where a file is expected, a
// file that is not a database, SQLite's file system replaced by one that
// fails (tests/sqlite_faults.h), and the registry's write call replaced.

#include <errno.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "db/country_import.h"
#include "db/country_store.h"
#include "db/device_store.h"
#include "db/zone_store.h"
#include "info/country_info_screen.h"
#include "maps/country_map_screen.h"
#include "maps/distance_unit.h"
#include "platform/settings/settings.h"
#include "platform/ui/automation.h"
#include "platform/ui/command_bar.h"
#include "tests/gif_writer.h"
#include "tests/program_run.h"
#include "tests/sqlite_faults.h"
#include "uninstall/uninstall_screen.h"

namespace terravue {
namespace {

namespace fs = std::filesystem;
using testing::MessageText;
using testing::ProgramRun;
using testing::SqliteFaults;
using testing::Top;
using testing::TopKind;
using testing::TopTemplate;
using Fault = SqliteFaults::Fault;

constexpr char kCountryFile[] = "QuorvelCountriesTerravue.txt";
constexpr char kZonesFile[] = "QuorvelZones.txt";
constexpr int kMainTemplate = 102;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// One country block with the seven categories; "World" gets a capital so
// that Country Info opens for it.
std::string CountryBlock(const std::string& country) {
  static const std::pair<const char*, int> kCategories[] = {
      {"geography", 11}, {"people", 10},         {"government", 5}, {"economy", 6},
      {"communication", 6}, {"transportation", 3}, {"tourism", 1}};
  std::string out = "<country>" + country + "\n";
  for (const auto& [category, fields] : kCategories) {
    out += std::string("<") + category + ">\n";
    for (int i = 0; i < fields; ++i) {
      std::string field = "f" + std::to_string(i);
      if (std::string(category) == "government" && i == 0) field = "capital";
      if (std::string(category) == "geography" && i == 0) field = "Timezone";
      out += "<" + field + ">" + (field == "Timezone" ? "1" : country + " " + field) + "\n";
    }
    out += std::string("</") + category + ">\n";
  }
  return out + "</country>\n\n";
}

const std::string& CountryText() {
  static const std::string text = CountryBlock("World") + CountryBlock("France");
  return text;
}
constexpr int32_t kCountryRecords = 2 * 42;
constexpr char kZonesText[] = "1,Central European Time,Central European Summer Time,-60,5,0,3,5,0,10\n";

fs::path WindowsFile(const char* name) { return tv::files::WindowsFolder() / name; }

void StageTextFiles() {
  fs::create_directories(tv::files::WindowsFolder());
  WriteBytes(WindowsFile(kCountryFile), CountryText());
  WriteBytes(WindowsFile(kZonesFile), kZonesText);
}

bool TextFilesKept() {
  return ReadBytes(WindowsFile(kCountryFile)) == CountryText() &&
         ReadBytes(WindowsFile(kZonesFile)) == kZonesText;
}

// Both databases, imported as a first start does.
void InstallDatabases() {
  StageTextFiles();
  ASSERT_TRUE(ZoneRecordStore::ImportZoneData());
  ASSERT_TRUE(ImportCountryData());
  ASSERT_FALSE(fs::exists(WindowsFile(kCountryFile)));
}

int32_t RecordCount(std::u16string_view name) {
  tv::store::ObjectStore* store = DeviceStore();
  if (store == nullptr) return -1;
  std::optional<tv::store::RecordDatabase> db = store->OpenByName(name);
  return db ? db->RecordCount() : -1;
}

std::u16string Capital(std::u16string_view country) {
  std::u16string value;
  CountryRecordStore::GetCountryField(country, u"government", u"capital", value);
  return value;
}

// Everything InstallDatabases stored is there, read through a new connection.
void ExpectDatabasesWhole() {
  tv::store::ObjectStore::CloseShared();
  EXPECT_EQ(RecordCount(CountryRecordStore::kName), kCountryRecords);
  EXPECT_EQ(RecordCount(ZoneRecordStore::kName), 1);
  EXPECT_EQ(Capital(u"France"), u"France capital");
  std::u16string offset;
  ZoneRecordStore::FormatZoneOffset(1, DaylightChange{}, offset);
  EXPECT_NE(offset, u"N/A");
}

void Press(std::string_view target) {
  std::string error;
  ASSERT_TRUE(tv::ui::automation::Press(target, error)) << error;
}
void Press(int command) { Press(std::to_string(command)); }

// What the first start says when neither import could store its file.
constexpr std::u16string_view kNothingInstalled =
    u"The country facts and the time zones could not be installed. Terravue will try again at "
    u"its next start.";

// Opens Country Info and the country map for "World" from the main screen
// of a store that cannot be read, and checks that each says so and closes,
// leaving the main screen.
void OpenScreensOnAMissingStore(ProgramRun& run) {
  run.Step([] {
    EXPECT_EQ(MessageText(), kNothingInstalled);
    Press("ok");
  });
  run.Step([] {
    EXPECT_EQ(TopTemplate(), kMainTemplate);
    EXPECT_EQ(tv::ui::Desktop::Get().TopLevels().size(), 1u) << "the install screen is gone";
    GetNavigator().OpenCountryInfo(u"World");
  });
  run.Step([] {
    EXPECT_EQ(MessageText(), u"Country Info not found in Database");
    Press("ok");
  });
  run.Step([] {
    EXPECT_EQ(TopTemplate(), kMainTemplate);
    GetNavigator().OpenCountryMap(u"World");
  });
  run.Step([] {
    EXPECT_EQ(MessageText(), u"Country Info not Available!");
    Press("ok");
  });
  run.Step([] { EXPECT_EQ(TopTemplate(), kMainTemplate); });
}

// Runs the uninstaller on `run`'s device and answers "Yes"; returns whether
// it said "Uninstall Successful".
bool UninstallSaysDone(ProgramRun& run) {
  bool said = false;
  run.Step([] { Press(std::to_string(kYesButton)); });
  run.Step([&said] {
    said = MessageText() == u"Uninstall Successful";
    if (said) Press("ok");
  });
  run.ExpectEarlyEnd();
  run.RunWith([] {
    UninstallScreen screen;
    screen.RunModal();
  });
  return said;
}

// Reading a pipe that no one writes would wait for ever; a test that meets
// one ends the process after two minutes instead of hanging the run.
class HangGuard {
 public:
  HangGuard() { alarm(120); }
  ~HangGuard() { alarm(0); }
  HangGuard(const HangGuard&) = delete;
  HangGuard& operator=(const HangGuard&) = delete;
};

// ---------------------------------------------------------------------------
// The object store

class StoreFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = ProgramRun::MakeTemporaryRoot();
    tv::files::SetDeviceRoot(root_);
    tv::store::ObjectStore::CloseShared();
  }
  void TearDown() override {
    SqliteFaults::Set(Fault::kNone);
    tv::store::ObjectStore::CloseShared();
    tv::files::SetDeviceRoot(std::nullopt);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  fs::path root_;
  SqliteFaults faults_;
};

TEST_F(StoreFaultTest, ReadOnlyStoreIsReadAndRefusesEveryWrite) {
  InstallDatabases();
  tv::store::ObjectStore::CloseShared();
  const std::string before = ReadBytes(tv::files::ObjectStorePath());

  SqliteFaults::Set(Fault::kReadOnly);
  ASSERT_NE(DeviceStore(), nullptr) << "a read-only store opens for reading";
  EXPECT_EQ(Capital(u"France"), u"France capital");
  std::u16string offset;
  ZoneRecordStore::FormatZoneOffset(1, DaylightChange{}, offset);
  EXPECT_NE(offset, u"N/A");

  // Every kind of write fails, and reading goes on after each.
  std::optional<tv::store::RecordDatabase> db = CountryRecordStore::OpenOrCreateCountryStore();
  ASSERT_TRUE(db);
  EXPECT_FALSE(CountryRecordStore::AppendCountryField(*db, u"Spain", u"government", u"capital",
                                                      u"Madrid"));
  db->Close();
  EXPECT_EQ(Capital(u"France"), u"France capital");
  EXPECT_FALSE(DeviceStore()->Create(u"Other", 1, {1, tv::store::SortKind::kInt16}));
  EXPECT_EQ(CountryRecordStore::DeleteCountryStore(), Deletion::kFailed);
  EXPECT_EQ(ZoneRecordStore::DeleteZoneStore(), Deletion::kFailed);
  EXPECT_EQ(Capital(u"France"), u"France capital");
  EXPECT_GT(SqliteFaults::Injected(), 0);

  SqliteFaults::Set(Fault::kNone);
  ExpectDatabasesWhole();
  tv::store::ObjectStore::CloseShared();
  EXPECT_EQ(ReadBytes(tv::files::ObjectStorePath()), before);
  EXPECT_FALSE(fs::exists(tv::files::ObjectStorePath().string() + "-journal"));
}

TEST_F(StoreFaultTest, ReadOnlyStoreWithoutTheDatabasesKeepsTheTextFiles) {
  // A store that holds neither database yet, then made read-only.
  ASSERT_NE(DeviceStore(), nullptr);
  tv::store::ObjectStore::CloseShared();
  StageTextFiles();
  SqliteFaults::Set(Fault::kReadOnly);
  EXPECT_FALSE(ZoneRecordStore::ImportZoneData());
  EXPECT_FALSE(ImportCountryData());
  EXPECT_TRUE(TextFilesKept());
  EXPECT_FALSE(DeviceStore()->Exists(ZoneRecordStore::kName));

  // Writable again, the next start imports both.
  SqliteFaults::Set(Fault::kNone);
  tv::store::ObjectStore::CloseShared();
  EXPECT_TRUE(ZoneRecordStore::ImportZoneData());
  EXPECT_TRUE(ImportCountryData());
  ExpectDatabasesWhole();
}

TEST_F(StoreFaultTest, FullDiskLosesNothingAndTheStoreWritesAgainOnceThereIsRoom) {
  InstallDatabases();
  ASSERT_EQ(CountryRecordStore::DeleteCountryStore(), Deletion::kDeleted);
  StageTextFiles();
  ASSERT_NE(DeviceStore(), nullptr);

  // The disk fills up under the open connection.
  SqliteFaults::Set(Fault::kFull);
  EXPECT_FALSE(ImportCountryData());
  EXPECT_TRUE(TextFilesKept());
  EXPECT_FALSE(DeviceStore()->Exists(CountryRecordStore::kName));
  {
    // A transaction whose commit cannot reach the disk keeps none of it.
    tv::store::ObjectStore& store = *DeviceStore();
    tv::store::Transaction transaction(store);
    ASSERT_TRUE(transaction.Active());
    const auto id = store.Create(u"Scratch", 1, {1, tv::store::SortKind::kInt16});
    if (id) {
      std::optional<tv::store::RecordDatabase> db = store.OpenById(*id);
      tv::store::Record record;
      record.AddInt16(1, 7);
      record.AddText(2, std::u16string(3000, u'x'));
      for (int i = 0; db && i < 200 && db->AppendRecord(record); ++i) {
      }
    }
    EXPECT_FALSE(transaction.Commit());
  }
  EXPECT_FALSE(DeviceStore()->Exists(u"Scratch"));
  EXPECT_EQ(ZoneRecordStore::DeleteZoneStore(), Deletion::kFailed);
  EXPECT_EQ(RecordCount(ZoneRecordStore::kName), 1);
  EXPECT_GT(SqliteFaults::Injected(), 0);

  // Room again: the same connection imports, and nothing was lost.
  SqliteFaults::Set(Fault::kNone);
  EXPECT_TRUE(ImportCountryData());
  ExpectDatabasesWhole();
}

TEST_F(StoreFaultTest, StoreThatCannotBeReadFailsQuietlyAndIsFoundAgainLater) {
  InstallDatabases();
  StageTextFiles();
  fs::remove(WindowsFile(kCountryFile));
  ASSERT_EQ(ZoneRecordStore::DeleteZoneStore(), Deletion::kDeleted);
  ASSERT_NE(DeviceStore(), nullptr);
  tv::store::ObjectStore::EndSharedReadTransactions();

  // Reads fail under the open connection.
  SqliteFaults::Set(Fault::kReadError);
  EXPECT_EQ(Capital(u"France"), u"");
  std::u16string time;
  ZoneRecordStore::FormatCountryLocalTime(u"France", DaylightChange{}, time);
  EXPECT_EQ(time, u"N/A");
  EXPECT_FALSE(ZoneRecordStore::ImportZoneData());
  EXPECT_EQ(CountryRecordStore::DeleteCountryStore(), Deletion::kFailed);
  EXPECT_TRUE(fs::exists(WindowsFile(kZonesFile)));
  EXPECT_GT(SqliteFaults::Injected(), 0);
  SqliteFaults::Set(Fault::kNone);
  EXPECT_EQ(Capital(u"France"), u"France capital") << "the same connection reads again";

  // A store file that cannot be opened at all.
  tv::store::ObjectStore::CloseShared();
  SqliteFaults::Set(Fault::kCantOpen);
  EXPECT_EQ(DeviceStore(), nullptr);
  EXPECT_EQ(Capital(u"France"), u"");
  EXPECT_FALSE(ZoneRecordStore::ImportZoneData());
  EXPECT_EQ(CountryRecordStore::DeleteCountryStore(), Deletion::kFailed);
  EXPECT_TRUE(fs::exists(WindowsFile(kZonesFile)));
  SqliteFaults::Set(Fault::kNone);
  EXPECT_EQ(Capital(u"France"), u"France capital") << "opened again at the next use";
  EXPECT_TRUE(ZoneRecordStore::ImportZoneData());
  ExpectDatabasesWhole();
}

// ---------------------------------------------------------------------------
// The installation files

TEST_F(StoreFaultTest, InstallationFilesThatCannotBeReadAreKept) {
  HangGuard guard;
  fs::create_directories(tv::files::WindowsFolder());
  // A folder where the zones file should be: not read, not deleted, and no
  // empty zone database in its place.
  fs::create_directory(WindowsFile(kZonesFile));
  EXPECT_FALSE(ZoneRecordStore::ImportZoneData());
  EXPECT_TRUE(fs::is_directory(WindowsFile(kZonesFile)));
  ASSERT_NE(DeviceStore(), nullptr);
  EXPECT_FALSE(DeviceStore()->Exists(ZoneRecordStore::kName));
  fs::remove(WindowsFile(kZonesFile));

  // Pipes: opening one must not wait for a writer that never comes.
  ASSERT_EQ(mkfifo(WindowsFile(kZonesFile).c_str(), 0644), 0);
  ASSERT_EQ(mkfifo(WindowsFile(kCountryFile).c_str(), 0644), 0);
  EXPECT_FALSE(ZoneRecordStore::ImportZoneData());
  EXPECT_FALSE(ImportCountryData());
  EXPECT_FALSE(DeviceStore()->Exists(ZoneRecordStore::kName));
  EXPECT_FALSE(DeviceStore()->Exists(CountryRecordStore::kName));
  EXPECT_EQ(fs::status(WindowsFile(kZonesFile)).type(), fs::file_type::fifo);
  EXPECT_EQ(fs::status(WindowsFile(kCountryFile)).type(), fs::file_type::fifo);

  // Files whose reads fail (EIO): /proc/self/mem has nothing at offset 0.
  fs::remove(WindowsFile(kZonesFile));
  fs::remove(WindowsFile(kCountryFile));
  fs::create_symlink("/proc/self/mem", WindowsFile(kZonesFile));
  fs::create_symlink("/proc/self/mem", WindowsFile(kCountryFile));
  EXPECT_FALSE(ZoneRecordStore::ImportZoneData());
  EXPECT_FALSE(ImportCountryData());
  EXPECT_FALSE(DeviceStore()->Exists(ZoneRecordStore::kName));
  EXPECT_FALSE(DeviceStore()->Exists(CountryRecordStore::kName));
  EXPECT_TRUE(fs::is_symlink(WindowsFile(kZonesFile)));
  EXPECT_TRUE(fs::is_symlink(WindowsFile(kCountryFile)));

  // A missing zones file makes no zone database either.
  fs::remove(WindowsFile(kZonesFile));
  EXPECT_TRUE(ZoneRecordStore::ImportZoneData());
  EXPECT_FALSE(DeviceStore()->Exists(ZoneRecordStore::kName));
}

// ---------------------------------------------------------------------------
// The program on a store it cannot use

TEST(StorageFaultProgramTest, StoreThatCannotBeOpenedLeavesTheProgramRunning) {
  HangGuard guard;
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> spoil;
  };
  const std::string garbage(4096, '\x5a');
  const Case cases[] = {
      {"a folder", [](const fs::path& store) { fs::create_directories(store / "inside"); }},
      {"not a database", [&garbage](const fs::path& store) { WriteBytes(store, garbage); }},
      {"a pipe", [](const fs::path& store) { ASSERT_EQ(mkfifo(store.c_str(), 0644), 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramRun run;
    StageTextFiles();
    const fs::path store = tv::files::ObjectStorePath();
    c.spoil(store);
    OpenScreensOnAMissingStore(run);
    EXPECT_EQ(run.Run(), 0);
    EXPECT_TRUE(TextFilesKept());

    ProgramRun uninstall(run.DeviceRoot());
    EXPECT_FALSE(UninstallSaysDone(uninstall));
    if (std::string(c.name) == "a folder") {
      EXPECT_TRUE(fs::is_directory(store / "inside"));
    } else if (std::string(c.name) == "not a database") {
      EXPECT_EQ(ReadBytes(store), garbage);
    } else {
      EXPECT_EQ(fs::status(store).type(), fs::file_type::fifo);
    }
  }
}

TEST(StorageFaultProgramTest, UnreadableStoreFileLeavesTheProgramRunning) {
  SqliteFaults faults;
  ProgramRun run;
  StageTextFiles();
  SqliteFaults::Set(Fault::kCantOpen);
  OpenScreensOnAMissingStore(run);
  EXPECT_EQ(run.Run(), 0);
  EXPECT_TRUE(TextFilesKept());
  SqliteFaults::Set(Fault::kNone);
}

TEST(StorageFaultProgramTest, ReadOnlyStoreShowsTheFactsAndIsNotUninstalled) {
  SqliteFaults faults;
  ProgramRun run;
  InstallDatabases();
  tv::store::ObjectStore::CloseShared();
  SqliteFaults::Set(Fault::kReadOnly);
  run.Step([] {
    EXPECT_EQ(TopTemplate(), kMainTemplate);
    GetNavigator().OpenCountryInfo(u"World");
  });
  run.Step([] {
    ASSERT_NE(dynamic_cast<CountryInfoScreen*>(Top()), nullptr) << TopKind();
    Press(std::to_string(kInfoExitButton));
  });
  EXPECT_EQ(run.Run(), 0);

  ProgramRun uninstall(run.DeviceRoot());
  EXPECT_FALSE(UninstallSaysDone(uninstall)) << "nothing was deleted";
  SqliteFaults::Set(Fault::kNone);
  ExpectDatabasesWhole();
}

TEST(StorageFaultProgramTest, FullDiskAtTheFirstStartAndAtUninstall) {
  SqliteFaults faults;
  ProgramRun first;
  StageTextFiles();
  SqliteFaults::Set(Fault::kFull);
  first.Step([] {
    EXPECT_EQ(MessageText(), kNothingInstalled);
    Press("ok");
  });
  first.Step([] {
    EXPECT_EQ(TopTemplate(), kMainTemplate);
    EXPECT_EQ(tv::ui::Desktop::Get().TopLevels().size(), 1u) << "the install screen is gone";
  });
  EXPECT_EQ(first.Run(), 0);
  EXPECT_TRUE(TextFilesKept()) << "the next start imports them";

  // With room again the next start imports both files.
  SqliteFaults::Set(Fault::kNone);
  ProgramRun second(first.DeviceRoot());
  second.Step([] { EXPECT_EQ(TopTemplate(), kMainTemplate); });
  EXPECT_EQ(second.Run(), 0);
  ExpectDatabasesWhole();

  // The disk full again: the uninstaller deletes nothing and says nothing.
  tv::store::ObjectStore::CloseShared();
  SqliteFaults::Set(Fault::kFull);
  ProgramRun uninstall(first.DeviceRoot());
  EXPECT_FALSE(UninstallSaysDone(uninstall));
  SqliteFaults::Set(Fault::kNone);
  ExpectDatabasesWhole();

  // With room, it does both and says so.
  ProgramRun again(first.DeviceRoot());
  EXPECT_TRUE(UninstallSaysDone(again));
  EXPECT_EQ(RecordCount(CountryRecordStore::kName), -1);
  EXPECT_EQ(RecordCount(ZoneRecordStore::kName), -1);
}

// ---------------------------------------------------------------------------
// The registry

// A disk that takes no more than `bytes` of any file, made with the process's
// file size limit: a write past it takes what fits and the next one fails
// (EFBIG, the signal that would kill the process ignored), as write(2) does
// on a full disk. The old limit comes back at the end of the scope.
class DiskFullAfter {
 public:
  explicit DiskFullAfter(rlim_t bytes) {
    old_handler_ = signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_limit_);
    const rlimit limit{bytes, old_limit_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~DiskFullAfter() {
    setrlimit(RLIMIT_FSIZE, &old_limit_);
    signal(SIGXFSZ, old_handler_);
  }
  DiskFullAfter(const DiskFullAfter&) = delete;
  DiskFullAfter& operator=(const DiskFullAfter&) = delete;

 private:
  rlimit old_limit_{};
  sighandler_t old_handler_ = SIG_DFL;
};

class RegistryFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = ProgramRun::MakeTemporaryRoot();
    tv::files::SetDeviceRoot(root_);
  }
  void TearDown() override {
    tv::files::SetDeviceRoot(std::nullopt);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  size_t FilesInRoot() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(root_), {}));
  }

  fs::path root_;
};

TEST_F(RegistryFaultTest, FullDiskKeepsTheStoredUnitWhole) {
  ASSERT_TRUE(WriteKilometresPreference(true));
  const std::string before = ReadBytes(tv::settings::RegistryPath());
  // Nothing fits, or the write stops half way.
  for (const rlim_t room : {rlim_t{0}, rlim_t{20}}) {
    DiskFullAfter full(room);
    EXPECT_FALSE(WriteKilometresPreference(false));
    EXPECT_EQ(ReadBytes(tv::settings::RegistryPath()), before);
    EXPECT_EQ(FilesInRoot(), 1u) << "no half-written file is left beside it";
    EXPECT_TRUE(ReadKilometresPreference());
  }
  EXPECT_TRUE(WriteKilometresPreference(false));
  EXPECT_FALSE(ReadKilometresPreference());
}

TEST_F(RegistryFaultTest, RegistryThatCannotBeReadIsNeverReplaced) {
  HangGuard guard;
  const fs::path path = tv::settings::RegistryPath();
  // A pipe must not block the reader, and neither it nor a folder may be
  // replaced by a registry that lost what they held.
  ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
  EXPECT_FALSE(tv::settings::RegistryKey::Open(kDistanceUnitKey));
  EXPECT_FALSE(tv::settings::RegistryKey::Create(kDistanceUnitKey));
  EXPECT_FALSE(WriteKilometresPreference(true));
  EXPECT_EQ(fs::status(path).type(), fs::file_type::fifo);
  EXPECT_EQ(FilesInRoot(), 1u);
  fs::remove(path);
  fs::create_directory(path);
  EXPECT_FALSE(WriteKilometresPreference(true));
  EXPECT_TRUE(fs::is_directory(path));
}

// ---------------------------------------------------------------------------
// The country map

constexpr int kMapSide = 40;

void WriteMap(const fs::path& path) {
  testing::GifSpec spec;
  spec.screen_width = spec.width = kMapSide;
  spec.screen_height = spec.height = kMapSide;
  spec.pixels.assign(kMapSide * kMapSide, 1);
  const std::vector<uint8_t> bytes = testing::WriteGif(spec);
  WriteBytes(path, std::string(bytes.begin(), bytes.end()));
}

class MapFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    maps_ = run_.DeviceRoot() / "maps";
    fs::create_directories(maps_);
    std::optional<tv::store::RecordDatabase> store = CountryRecordStore::OpenOrCreateCountryStore();
    ASSERT_TRUE(store);
    ASSERT_TRUE(CountryRecordStore::AppendCountryField(*store, u"France", u"geography", u"scale",
                                                       u"2.5"));
    ASSERT_TRUE(
        CountryRecordStore::AppendCountryField(*store, u"France", u"geography", u"map", u"france"));
  }

  int RunMap(const fs::path& folder) {
    int result = -1;
    run_.RunWith([&folder, &result] {
      CountryMapScreen screen;
      screen.country = u"France";
      screen.maps_folder = folder;
      result = screen.RunModal();
    });
    return result;
  }
  void ExpectNotFound(const fs::path& folder) {
    run_.Step([] {
      EXPECT_EQ(MessageText(), u"Map File not Found!");
      Press("ok");
    });
    EXPECT_EQ(RunMap(folder), tv::ui::kIdCancel);
  }

  ProgramRun run_;
  fs::path maps_;
};

CountryMapScreen* Map() { return dynamic_cast<CountryMapScreen*>(Top()); }

TEST_F(MapFaultTest, MapsThatCannotBeReadAreReportedAndTheScreenCloses) {
  HangGuard guard;
  const fs::path map = maps_ / "france.gif";
  {
    SCOPED_TRACE("no maps folder");
    ExpectNotFound(run_.DeviceRoot() / "no such folder");
  }
  {
    SCOPED_TRACE("a file where the folder should be");
    WriteBytes(run_.DeviceRoot() / "plain", "x");
    ExpectNotFound(run_.DeviceRoot() / "plain");
  }
  {
    SCOPED_TRACE("a folder where the map should be");
    fs::create_directory(map);
    ExpectNotFound(maps_);
    fs::remove(map);
  }
  {
    SCOPED_TRACE("an empty map file");
    WriteBytes(map, "");
    ExpectNotFound(maps_);
    fs::remove(map);
  }
  {
    SCOPED_TRACE("a pipe where the map should be");
    ASSERT_EQ(mkfifo(map.c_str(), 0644), 0);
    ExpectNotFound(maps_);
    fs::remove(map);
  }
  // The map is there, but its georeference files are pipes: it opens
  // without them instead of waiting.
  WriteMap(map);
  ASSERT_EQ(mkfifo((maps_ / "france.gfw").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo((maps_ / "france.prj").c_str(), 0644), 0);
  run_.Step([] {
    ASSERT_NE(Map(), nullptr) << TopKind();
    EXPECT_EQ(Map()->View().Natural().width, kMapSide);
    EXPECT_FALSE(Map()->HasGeoreference());
    Press(kMapExitCommand);
  });
  EXPECT_EQ(RunMap(maps_), tv::ui::kIdOk);
}

TEST_F(MapFaultTest, UnitChosenOnAFullDiskHoldsForTheOpeningAndTheStoredOneIsKept) {
  HangGuard guard;
  WriteMap(maps_ / "france.gif");
  ASSERT_TRUE(WriteKilometresPreference(true));
  const std::string before = ReadBytes(tv::settings::RegistryPath());
  run_.Step([] {
    ASSERT_NE(Map(), nullptr) << TopKind();
    EXPECT_TRUE(Map()->Distance().kilometres);
    DiskFullAfter full(0);
    Press(kMilesCommand);
  });
  run_.Step([] {
    // No message: the screen goes on in miles.
    ASSERT_NE(Map(), nullptr) << TopKind();
    EXPECT_FALSE(Map()->Distance().kilometres);
    tv::ui::CommandBar& bar = *Map()->GetCommandBar();
    bar.OpenMenu(0);
    EXPECT_TRUE(bar.Menus()[0].items[1].checked);
    bar.CloseMenu();
    Press(kMapExitCommand);
  });
  EXPECT_EQ(RunMap(maps_), tv::ui::kIdOk);
  EXPECT_EQ(ReadBytes(tv::settings::RegistryPath()), before);

  // A registry that cannot be read: the map opens with the locale's unit and
  // a choice leaves the registry as it was.
  const fs::path registry = tv::settings::RegistryPath();
  fs::remove(registry);
  ASSERT_EQ(mkfifo(registry.c_str(), 0644), 0);
  run_.Step([] {
    ASSERT_NE(Map(), nullptr) << TopKind();
    Press(kKmsCommand);
  });
  run_.Step([] {
    ASSERT_NE(Map(), nullptr) << TopKind();
    EXPECT_TRUE(Map()->Distance().kilometres);
    Press(kMapExitCommand);
  });
  EXPECT_EQ(RunMap(maps_), tv::ui::kIdOk);
  EXPECT_EQ(fs::status(registry).type(), fs::file_type::fifo);
}

}  // namespace
}  // namespace terravue
