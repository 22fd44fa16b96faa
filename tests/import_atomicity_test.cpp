// The two first-start imports are atomic: whatever fails part-way (an
// allocation, a write, a sync, a truncation, the process itself), reopening
// the object store finds either no database and the text file as it was, so
// that the next start imports again, or the whole database and the text file
// deleted. Faults are injected the way SQLite tests itself: fail the Nth
// allocation or I/O call for N = 1, 2, 3, ... until an import runs with no
// fault left to inject.

#include <signal.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "db/country_import.h"
#include "db/country_store.h"
#include "db/device_store.h"
#include "db/zone_store.h"
#include "platform/base/utf.h"
#include "platform/files/files.h"
#include "platform/store/object_store.h"
#include "tests/sqlite_shim.h"

namespace terravue {
namespace {

namespace fs = std::filesystem;
using terravue::testing::SqliteShim;

constexpr char kCountryFile[] = "QuorvelCountriesTerravue.txt";
constexpr char kZonesFile[] = "QuorvelZones.txt";
// Outcomes of a run, as Outcome() names them.
constexpr char kAbsent[] = "absent";
constexpr char kComplete[] = "complete";
// No fixture needs anywhere near this many allocations or I/O calls; a loop
// that reaches it has lost its way.
constexpr long kMaxFaultIndex = 200000;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::u16string U16(const std::string& utf8) { return tv::Utf8ToUtf16(utf8); }

// A device root of the test's own, made the process's device root; the
// shared store is closed on the way in and out so each root is opened afresh.
class ScratchRoot {
 public:
  ScratchRoot() {
    std::string pattern = (fs::temp_directory_path() / "terravue-atomic-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) root_ = pattern;
    fs::create_directories(root_ / "windows");
    tv::store::ObjectStore::CloseShared();
    tv::files::SetDeviceRoot(root_);
  }
  ~ScratchRoot() {
    tv::store::ObjectStore::CloseShared();
    tv::files::SetDeviceRoot(std::nullopt);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  ScratchRoot(const ScratchRoot&) = delete;
  ScratchRoot& operator=(const ScratchRoot&) = delete;

  fs::path Windows(const std::string& name) const { return tv::files::WindowsFolder() / name; }

 private:
  fs::path root_;
};

// ---------------------------------------------------------------------------
// Fixtures

struct Fact {
  std::u16string country, category, field, value;
};

struct Zone {
  int16_t number;
  std::string standard, daylight, offset;
  ZoneRule start, end;
};

struct Category {
  const char* name;
  int fields;
};

// The seven categories with the field counts the import expects.
constexpr Category kCategories[] = {{"geography", 11},    {"people", 10},  {"government", 5},
                                    {"economy", 6},       {"communication", 6},
                                    {"transportation", 3}, {"tourism", 1}};

// One country block of the file's 59 lines, categories in `order`, appending
// its records to `facts`.
std::string CountryBlock(const std::string& country, const std::vector<int>& order,
                         std::vector<Fact>& facts) {
  std::string text = "<country>" + country + "\n";
  for (int index : order) {
    const Category& category = kCategories[index];
    text += std::string("<") + category.name + ">\n";
    for (int i = 1; i <= category.fields; ++i) {
      const std::string field = "field " + std::to_string(i);
      const std::string value = country + " / " + category.name + " <" + std::to_string(i) + ">";
      text += "<" + field + ">" + value + "\n";
      facts.push_back({U16(country), U16(category.name), U16(field), U16(value)});
    }
    text += std::string("</") + category.name + ">\n";
  }
  return text + "</country>\n\n";
}

struct CountryFixture {
  std::string text;
  std::vector<Fact> facts;
};

// Three countries (126 records); the second lists its categories in another
// order, and its name is not plain ASCII.
CountryFixture SmallCountries() {
  CountryFixture f;
  f.text += CountryBlock("Zeeland", {0, 1, 2, 3, 4, 5, 6}, f.facts);
  f.text += CountryBlock("C\xC3\xB4te Rouge", {6, 3, 0, 5, 2, 1, 4}, f.facts);
  f.text += CountryBlock("Aland", {0, 1, 2, 3, 4, 5, 6}, f.facts);
  return f;
}

const std::vector<Zone>& SmallZones() {
  static const std::vector<Zone> zones = {
      {1, "GMT-12:00", "GMT-12:00", "720", {0, 0, 0}, {0, 0, 0}},
      {12, "Eastern Standard Time", "Eastern Daylight Time", "300", {3, 0, 2}, {11, 0, 1}},
      {-7, "New Zealand Standard Time", "New Zealand Daylight Time", "-720", {9, 0, 5},
       {4, 0, 1}},
  };
  return zones;
}

std::string ZoneLine(const Zone& z) {
  auto rule = [](const ZoneRule& r) {
    return std::to_string(r.occurrence) + "," + std::to_string(r.weekday) + "," +
           std::to_string(r.month);
  };
  return std::to_string(z.number) + "," + z.standard + "," + z.daylight + "," + z.offset + "," +
         rule(z.start) + "," + rule(z.end) + "\n";
}

std::string ZonesText(const std::vector<Zone>& zones) {
  std::string text;
  for (const Zone& z : zones) text += ZoneLine(z);
  return text;
}

// ---------------------------------------------------------------------------
// What a run left behind

int32_t RecordCount(std::u16string_view name) {
  tv::store::ObjectStore* store = DeviceStore();
  if (store == nullptr) return -1;
  std::optional<tv::store::RecordDatabase> db = store->OpenByName(name);
  return db ? db->RecordCount() : -1;
}

std::string CountryRecordsProblem(const std::vector<Fact>& facts) {
  const int32_t count = RecordCount(CountryRecordStore::kName);
  if (count != static_cast<int32_t>(facts.size())) {
    return "partial database: " + std::to_string(count) + " of " + std::to_string(facts.size()) +
           " records";
  }
  for (const Fact& f : facts) {
    std::u16string value;
    if (!CountryRecordStore::GetCountryField(f.country, f.category, f.field, value) ||
        value != f.value) {
      return "record " + tv::Utf16ToUtf8(f.country + u"/" + f.category + u"/" + f.field) +
             " missing or wrong";
    }
  }
  return {};
}

std::string ZoneRecordsProblem(const std::vector<Zone>& zones) {
  const int32_t count = RecordCount(ZoneRecordStore::kName);
  if (count != static_cast<int32_t>(zones.size())) {
    return "partial database: " + std::to_string(count) + " of " + std::to_string(zones.size()) +
           " records";
  }
  for (const Zone& z : zones) {
    const std::optional<ZoneRecord> read = ZoneRecordStore::GetZone(z.number);
    if (!read || read->offset != U16(z.offset) || read->standard_name != U16(z.standard) ||
        read->daylight_name != U16(z.daylight) || !(read->start == z.start) ||
        !(read->end == z.end)) {
      return "zone " + std::to_string(z.number) + " missing or wrong";
    }
  }
  return {};
}

// Reopens the object store as the next start would (a hot journal is rolled
// back then) and names what it finds: kAbsent when there is no database
// `name` and the text file is as staged, kComplete when `records_problem`
// finds nothing amiss and the text file is gone; anything else describes the
// fault.
std::string Outcome(std::u16string_view name, const fs::path& text_file,
                    const std::string& staged,
                    const std::function<std::string()>& records_problem) {
  tv::store::ObjectStore::CloseShared();
  tv::store::ObjectStore* store = DeviceStore();
  if (store == nullptr) return "the object store can no longer be opened";
  const bool file_exists = fs::exists(text_file);
  if (!store->Exists(name)) {
    if (!file_exists) return "no database and the text file deleted";
    if (ReadBytes(text_file) != staged) return "no database and the text file changed";
    return kAbsent;
  }
  const std::string problem = records_problem();
  if (!problem.empty()) return problem;
  if (file_exists) return "complete database but the text file kept";
  return kComplete;
}

// One import with its fixture, its staging and its checks.
struct ImportCase {
  std::string name;
  std::u16string database;
  std::string file;
  std::string text;
  std::function<bool()> run;
  std::function<std::string()> records_problem;
  // Makes the object store the import starts from, in a scratch root.
  std::function<void()> prepare;
  // Checked after every run: nothing else in the store was harmed.
  std::function<std::string()> others_problem;
};

ImportCase CountryCase() {
  static const CountryFixture fixture = SmallCountries();
  ImportCase c;
  c.name = "country import";
  c.database = std::u16string(CountryRecordStore::kName);
  c.file = kCountryFile;
  c.text = fixture.text;
  c.run = [] { return ImportCountryData(); };
  c.records_problem = [] { return CountryRecordsProblem(fixture.facts); };
  // The country import runs on a store that exists already and holds the
  // zones; they must come through every fault untouched.
  c.prepare = [] {
    WriteBytes(tv::files::WindowsFolder() / kZonesFile, ZonesText(SmallZones()));
    ASSERT_TRUE(ZoneRecordStore::ImportZoneData());
  };
  c.others_problem = [] { return ZoneRecordsProblem(SmallZones()); };
  return c;
}

ImportCase ZoneCase() {
  ImportCase c;
  c.name = "zone import";
  c.database = std::u16string(ZoneRecordStore::kName);
  c.file = kZonesFile;
  c.text = ZonesText(SmallZones());
  c.run = [] { return ZoneRecordStore::ImportZoneData(); };
  c.records_problem = [] { return ZoneRecordsProblem(SmallZones()); };
  // The zone import runs where no object store exists yet, so the faults
  // also hit the creation of the store file itself.
  c.prepare = [] {};
  c.others_problem = [] { return std::string(); };
  return c;
}

// ---------------------------------------------------------------------------
// Allocation failures

// Fails SQLite's allocations: the Nth after arming, or every one from the
// Nth on. Installed only while SQLite is shut down, as sqlite3_config wants.
class MallocFaults {
 public:
  static void Install() {
    tv::store::ObjectStore::CloseShared();
    ASSERT_EQ(sqlite3_shutdown(), SQLITE_OK);
    if (!have_defaults_) {
      ASSERT_EQ(sqlite3_config(SQLITE_CONFIG_GETMALLOC, &defaults_), SQLITE_OK);
      have_defaults_ = true;
    }
    sqlite3_mem_methods methods = defaults_;
    methods.xMalloc = &Malloc;
    methods.xRealloc = &Realloc;
    ASSERT_EQ(sqlite3_config(SQLITE_CONFIG_MALLOC, &methods), SQLITE_OK);
    ASSERT_EQ(sqlite3_initialize(), SQLITE_OK);
  }
  static void Remove() {
    Disarm();
    tv::store::ObjectStore::CloseShared();
    ASSERT_EQ(sqlite3_shutdown(), SQLITE_OK);
    ASSERT_EQ(sqlite3_config(SQLITE_CONFIG_MALLOC, &defaults_), SQLITE_OK);
    ASSERT_EQ(sqlite3_initialize(), SQLITE_OK);
  }
  static void Arm(long fail_at, bool persistent) {
    calls_ = 0;
    injected_ = 0;
    fail_at_ = fail_at;
    persistent_ = persistent;
  }
  static void Disarm() { fail_at_ = 0; }
  static long injected() { return injected_; }

 private:
  static bool Fail() {
    if (fail_at_ <= 0) return false;
    ++calls_;
    if (calls_ == fail_at_ || (persistent_ && calls_ > fail_at_)) {
      ++injected_;
      return true;
    }
    return false;
  }
  static void* Malloc(int size) { return Fail() ? nullptr : defaults_.xMalloc(size); }
  static void* Realloc(void* p, int size) { return Fail() ? nullptr : defaults_.xRealloc(p, size); }

  static inline sqlite3_mem_methods defaults_{};
  static inline bool have_defaults_ = false;
  static inline long fail_at_ = 0;
  static inline bool persistent_ = false;
  static inline long calls_ = 0;
  static inline long injected_ = 0;
};

// ---------------------------------------------------------------------------
// I/O failures

enum class IoOp { kWrite, kSync, kTruncate };

// The shared pass-through VFS, the default while installed, failing one
// kind of I/O call: the Nth after arming, or every one from the Nth on, with
// the error a full or failing disk gives.
//
// Syncs are counted but not passed on: these tests end processes, never the
// machine, and the file system keeps whatever was written either way, so
// waiting for the disk thousands of times would only make them slow.
class IoFaults {
 public:
  static void Install() {
    tv::store::ObjectStore::CloseShared();
    SqliteShim::Hooks hooks;
    hooks.write = [] { return Fail(IoOp::kWrite, SQLITE_IOERR_WRITE); };
    hooks.truncate = [] { return Fail(IoOp::kTruncate, SQLITE_IOERR_TRUNCATE); };
    hooks.sync = []() -> SqliteShim::Verdict {
      return Fail(IoOp::kSync, SQLITE_IOERR_FSYNC).value_or(SQLITE_OK);
    };
    ASSERT_NE(SqliteShim::Wrap("terravue-faults", hooks), nullptr);
    MakeDefault();
  }
  static void Remove() {
    tv::store::ObjectStore::CloseShared();
    Disarm();
    SqliteShim::Remove();
  }
  // Makes the VFS the default again (initialising SQLite registers its own
  // as the default).
  static void MakeDefault() { ASSERT_EQ(SqliteShim::MakeDefault(), SQLITE_OK); }
  // Ends a run: the connection is closed while the disk still fails, as when
  // the program ends after the fault, so what it left on disk is what the
  // next start finds.
  static void EndRun() {
    tv::store::ObjectStore::CloseShared();
    Disarm();
  }
  static void Arm(IoOp op, long fail_at, bool persistent) {
    op_ = op;
    calls_ = 0;
    injected_ = 0;
    fail_at_ = fail_at;
    persistent_ = persistent;
  }
  static void Disarm() { fail_at_ = 0; }
  static long injected() { return injected_; }

 private:
  // Fails the call with `code` if it is the armed kind and its turn.
  static SqliteShim::Verdict Fail(IoOp op, int code) {
    if (fail_at_ <= 0 || op != op_) return std::nullopt;
    ++calls_;
    if (calls_ == fail_at_ || (persistent_ && calls_ > fail_at_)) {
      ++injected_;
      return code;
    }
    return std::nullopt;
  }

  static inline IoOp op_ = IoOp::kWrite;
  static inline long fail_at_ = 0;
  static inline bool persistent_ = false;
  static inline long calls_ = 0;
  static inline long injected_ = 0;
};

// ---------------------------------------------------------------------------
// The fault loop

struct Tally {
  int runs = 0;
  int absent = 0;
  int complete = 0;
};

// For N = 1, 2, 3, ...: stages a fresh device root, arms a fault at N, runs
// the import, and checks what it left; an import that left no database
// completes at the next start. Ends at the first N where nothing was
// injected, which must be a completed import.
Tally RunFaultLoop(const ImportCase& c, const std::string& label,
                   const std::function<void()>& install, const std::function<void(long)>& arm,
                   const std::function<void()>& remove, const std::function<long()>& injected) {
  // The store as the import finds it, made once and copied into each run.
  std::string template_store;
  {
    ScratchRoot root;
    c.prepare();
    tv::store::ObjectStore::CloseShared();
    if (fs::exists(tv::files::ObjectStorePath())) {
      template_store = ReadBytes(tv::files::ObjectStorePath());
    }
  }
  Tally tally;
  for (long n = 1; n <= kMaxFaultIndex; ++n) {
    SCOPED_TRACE(c.name + ", " + label + ", N = " + std::to_string(n));
    ScratchRoot root;
    const fs::path text_file = root.Windows(c.file);
    WriteBytes(text_file, c.text);
    if (!template_store.empty()) WriteBytes(tv::files::ObjectStorePath(), template_store);

    install();
    arm(n);
    const bool ok = c.run();
    const long faults = injected();
    remove();

    const std::string outcome = Outcome(c.database, text_file, c.text, c.records_problem);
    ++tally.runs;
    if (ok) {
      EXPECT_EQ(outcome, kComplete) << "the import reported success";
    } else {
      EXPECT_TRUE(outcome == kAbsent || outcome == kComplete) << outcome;
    }
    EXPECT_EQ(c.others_problem(), "");
    if (outcome == kAbsent) {
      // The next start imports again. Checked on every 8th such run (and
      // the first): the state it starts from has already been checked.
      if (tally.absent++ % 8 == 0) {
        EXPECT_TRUE(c.run()) << "the next start imports again";
        EXPECT_EQ(Outcome(c.database, text_file, c.text, c.records_problem), kComplete);
      }
    } else if (outcome == kComplete) {
      ++tally.complete;
    }
    if (::testing::Test::HasFailure()) break;
    if (faults == 0) {
      EXPECT_TRUE(ok) << "no fault was injected";
      return tally;
    }
  }
  ADD_FAILURE() << c.name << ", " << label << ": never ran without a fault";
  return tally;
}

void ExpectFaultsWereSeen(const Tally& tally, const std::string& what) {
  // Faults at the start of the run must stop the import; otherwise nothing
  // was injected where it mattered.
  EXPECT_GT(tally.absent, 0) << what;
  std::printf("%s: %d runs, %d left no database, %d completed\n", what.c_str(), tally.runs,
              tally.absent, tally.complete);
}

void MallocFaultLoops(const ImportCase& c) {
  for (const bool persistent : {false, true}) {
    const std::string label = persistent ? "every allocation from N on fails"
                                         : "allocation N fails";
    const Tally tally = RunFaultLoop(
        c, label,
        [] {
          MallocFaults::Install();
          IoFaults::MakeDefault();
        },
        [persistent](long n) { MallocFaults::Arm(n, persistent); },
        [] {
          MallocFaults::Remove();
          IoFaults::MakeDefault();
        },
        [] { return MallocFaults::injected(); });
    ExpectFaultsWereSeen(tally, c.name + ", " + label);
    if (::testing::Test::HasFailure()) return;
  }
}

void IoFaultLoops(const ImportCase& c) {
  const std::pair<IoOp, const char*> ops[] = {
      {IoOp::kWrite, "write"}, {IoOp::kSync, "sync"}, {IoOp::kTruncate, "truncate"}};
  for (const auto& [op, op_name] : ops) {
    for (const bool persistent : {false, true}) {
      const std::string label = std::string(persistent ? "every " : "") + op_name +
                                (persistent ? " from N on fails" : " N fails");
      const IoOp armed_op = op;
      const Tally tally = RunFaultLoop(
          c, label, [] {},
          [armed_op, persistent](long n) { IoFaults::Arm(armed_op, n, persistent); },
          [] { IoFaults::EndRun(); }, [] { return IoFaults::injected(); });
      // Writes and syncs happen in every import and must stop it when the
      // first one fails; a truncation may not happen at all.
      if (op != IoOp::kTruncate) {
        ExpectFaultsWereSeen(tally, c.name + ", " + label);
      } else {
        std::printf("%s, %s: %d runs\n", c.name.c_str(), label.c_str(), tally.runs);
      }
      if (::testing::Test::HasFailure()) return;
    }
  }
}

// Runs every store operation of a test through IoFaults.
class FaultInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override { IoFaults::Install(); }
  void TearDown() override { IoFaults::Remove(); }
};

TEST_F(FaultInjectionTest, CountryImportSurvivesEveryAllocationFailure) {
  MallocFaultLoops(CountryCase());
}

TEST_F(FaultInjectionTest, ZoneImportSurvivesEveryAllocationFailure) {
  MallocFaultLoops(ZoneCase());
}

TEST_F(FaultInjectionTest, CountryImportSurvivesEveryIoFailure) { IoFaultLoops(CountryCase()); }

TEST_F(FaultInjectionTest, ZoneImportSurvivesEveryIoFailure) { IoFaultLoops(ZoneCase()); }

// ---------------------------------------------------------------------------
// Killed mid-import

fs::path RealCountryFile() {
  const char* source = std::getenv("TERRAVUE_SOURCE_DIR");
  return fs::path(source != nullptr ? source : ".") / "data" / kCountryFile;
}

// The whole of the real file: every block's records, and the first and last
// countries readable.
std::string RealCountriesProblem(int32_t records) {
  const int32_t count = RecordCount(CountryRecordStore::kName);
  if (count != records) {
    return "partial database: " + std::to_string(count) + " of " + std::to_string(records) +
           " records";
  }
  std::u16string value;
  if (!CountryRecordStore::GetCountryField(u"Egypt", u"people", u"population", value)) {
    return "Egypt missing";
  }
  if (!CountryRecordStore::GetCountryField(u"World", u"geography", u"Timezone", value)) {
    return "World missing";
  }
  return {};
}

TEST(ImportAtomicityTest, CountryImportKilledAtRandomMomentsLeavesNothingOrEverything) {
  const fs::path source = RealCountryFile();
  ASSERT_TRUE(fs::exists(source)) << source;
  const std::string text = ReadBytes(source);
  int32_t blocks = 0;
  for (size_t at = text.find("<country>"); at != std::string::npos;
       at = text.find("<country>", at + 1)) {
    ++blocks;
  }
  const int32_t records = blocks * 42;
  ASSERT_EQ(records, 256 * 42);
  const auto problem = [records] { return RealCountriesProblem(records); };
  auto import = [] { return ImportCountryData(); };

  // How long a whole import takes here, so the kills spread over it.
  std::chrono::microseconds duration{};
  {
    ScratchRoot root;
    WriteBytes(root.Windows(kCountryFile), text);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(import());
    duration = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    ASSERT_EQ(Outcome(CountryRecordStore::kName, root.Windows(kCountryFile), text, problem),
              kComplete);
  }

  std::mt19937 random(20240229);
  std::uniform_int_distribution<int64_t> delay_us(0, duration.count() * 6 / 5);
  Tally tally;
  for (int round = 0; round < 20; ++round) {
    const int64_t delay = delay_us(random);
    SCOPED_TRACE("round " + std::to_string(round) + ", kill after " + std::to_string(delay) +
                 " us");
    ScratchRoot root;
    const fs::path text_file = root.Windows(kCountryFile);
    WriteBytes(text_file, text);
    tv::store::ObjectStore::CloseShared();  // nothing open across the fork

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(import() ? 0 : 1);
    std::this_thread::sleep_for(std::chrono::microseconds(delay));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const bool killed = WIFSIGNALED(status);
    if (!killed) {
      EXPECT_EQ(WEXITSTATUS(status), 0) << "the import ran to its end and failed";
    }

    const std::string outcome = Outcome(CountryRecordStore::kName, text_file, text, problem);
    ++tally.runs;
    if (outcome == kAbsent) {
      ++tally.absent;
      EXPECT_TRUE(killed);
      EXPECT_TRUE(import()) << "the next start imports again";
      EXPECT_EQ(Outcome(CountryRecordStore::kName, text_file, text, problem), kComplete);
    } else if (outcome == kComplete) {
      ++tally.complete;
    } else if (killed && outcome == "complete database but the text file kept") {
      // Killed between the commit and the deletion of the text file: the
      // data is whole, and the next start removes the leftover file.
      ++tally.complete;
      EXPECT_TRUE(import());
      EXPECT_EQ(Outcome(CountryRecordStore::kName, text_file, text, problem), kComplete);
    } else {
      ADD_FAILURE() << outcome;
    }
  }
  std::printf("import took %lld us; %d kills: %d left no database, %d complete\n",
              static_cast<long long>(duration.count()), tally.runs, tally.absent,
              tally.complete);
}

// Two copies of the program starting at once on a fresh device: one imports,
// the other finds the database made when it gets the write lock and leaves
// it alone; both succeed.
TEST(ImportAtomicityTest, TwoImportsAtOnceWriteEveryRecordOnce) {
  const std::string text = ReadBytes(RealCountryFile());
  ScratchRoot root;
  WriteBytes(root.Windows(kCountryFile), text);
  tv::store::ObjectStore::CloseShared();  // nothing open across the fork
  int start[2];
  ASSERT_EQ(::pipe(start), 0);
  pid_t children[2];
  for (pid_t& child : children) {
    child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      char go = 0;
      ::close(start[1]);
      _exit(::read(start[0], &go, 1) == 0 && ImportCountryData() ? 0 : 1);
    }
  }
  ::close(start[0]);
  ::close(start[1]);  // both read the end of the pipe at the same moment
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(Outcome(CountryRecordStore::kName, root.Windows(kCountryFile), text,
                    [] { return RealCountriesProblem(256 * 42); }),
            kComplete);
}

// ---------------------------------------------------------------------------
// A corrupt object store

TEST(ImportAtomicityTest, CorruptObjectStoreFailsBothImportsAndIsLeftAlone) {
  ScratchRoot root;
  const fs::path store_path = tv::files::ObjectStorePath();
  std::string garbage;
  std::mt19937 random(7);
  for (int i = 0; i < 8192; ++i) garbage.push_back(static_cast<char>(random() & 0xff));
  WriteBytes(store_path, garbage);
  const CountryFixture countries = SmallCountries();
  const std::string zones = ZonesText(SmallZones());
  WriteBytes(root.Windows(kCountryFile), countries.text);
  WriteBytes(root.Windows(kZonesFile), zones);

  EXPECT_FALSE(ImportCountryData());
  EXPECT_FALSE(ZoneRecordStore::ImportZoneData());
  std::u16string value = u"kept";
  EXPECT_FALSE(CountryRecordStore::GetCountryField(u"Aland", u"tourism", u"field 1", value));
  EXPECT_EQ(value, u"kept");
  EXPECT_FALSE(ZoneRecordStore::GetZone(12));

  tv::store::ObjectStore::CloseShared();
  EXPECT_EQ(ReadBytes(store_path), garbage);
  EXPECT_EQ(ReadBytes(root.Windows(kCountryFile)), countries.text);
  EXPECT_EQ(ReadBytes(root.Windows(kZonesFile)), zones);
}

// ---------------------------------------------------------------------------
// Malformed files

class MalformedInputTest : public ::testing::Test {
 protected:
  bool ImportCountries(const std::string& text) {
    WriteBytes(root_.Windows(kCountryFile), text);
    tv::store::ObjectStore::CloseShared();
    return ImportCountryData();
  }
  bool ImportZones(const std::string& text) {
    WriteBytes(root_.Windows(kZonesFile), text);
    tv::store::ObjectStore::CloseShared();
    return ZoneRecordStore::ImportZoneData();
  }
  // No database `name` after reopening, and the text file still as written.
  void ExpectNothingKept(std::u16string_view name, const std::string& file,
                         const std::string& text) {
    EXPECT_EQ(Outcome(name, root_.Windows(file), text, [] { return std::string(); }), kAbsent);
  }
  std::u16string Value(std::u16string_view country, std::u16string_view category,
                       std::u16string_view field) {
    std::u16string value = u"<none>";
    CountryRecordStore::GetCountryField(country, category, field, value);
    return value;
  }

  ScratchRoot root_;
};

TEST_F(MalformedInputTest, CountryFileEndingInsideABlockKeepsNothing) {
  const CountryFixture full = SmallCountries();
  // Cut at several places of the last block: after its name, in a category,
  // just before a closing line.
  const size_t last = full.text.rfind("<country>");
  for (const std::string& cut_before :
       {std::string("<geography>"), std::string("<field 5>"), std::string("</tourism>")}) {
    SCOPED_TRACE("cut before " + cut_before);
    const std::string text = full.text.substr(0, full.text.find(cut_before, last));
    EXPECT_FALSE(ImportCountries(text));
    ExpectNothingKept(CountryRecordStore::kName, kCountryFile, text);
  }
}

TEST_F(MalformedInputTest, CountryLinesWithoutBracketsGiveEmptyNames) {
  std::vector<Fact> facts;
  std::string block = CountryBlock("Nowhere", {0, 1, 2, 3, 4, 5, 6}, facts);
  // No ">" on the country line: the name is empty. No "<" or ">" on a field
  // line: its name and value are empty.
  block.replace(0, block.find('\n'), "<country Nowhere");
  const std::string field_line = "<field 2>Nowhere / people <2>";
  block.replace(block.find(field_line), field_line.size(), "field 2 without brackets");
  ASSERT_TRUE(ImportCountries(block));
  EXPECT_EQ(Outcome(CountryRecordStore::kName, root_.Windows(kCountryFile), block,
                    [] { return std::string(); }),
            kComplete);
  EXPECT_EQ(RecordCount(CountryRecordStore::kName), 42);
  EXPECT_EQ(Value(u"", u"people", u""), u"");
  EXPECT_EQ(Value(u"", u"people", u"field 3"), u"Nowhere / people <3>");
  EXPECT_EQ(Value(u"", u"tourism", u"field 1"), u"Nowhere / tourism <1>");
  EXPECT_EQ(Value(u"Nowhere", u"tourism", u"field 1"), u"<none>");
}

TEST_F(MalformedInputTest, UnknownCategoryHasNoFieldsAndTheImportGoesOn) {
  // A category the import does not know has no field lines: the next line
  // is taken as its closing line, and the block ends early, so the file's
  // remaining lines are read as the next blocks, as the format defines.
  std::vector<Fact> facts;
  std::string text = CountryBlock("Aland", {0, 1, 2, 3, 4, 5, 6}, facts);
  text.replace(text.find("<tourism>"), 9, "<sights>");
  // The "tourism" group now reads "<sights>" "<field 1>..." as an empty
  // group; "</tourism>" and "</country>" end the block; the blank line
  // starts a block with no name, and the file ends inside it: nothing of
  // the file is kept.
  EXPECT_FALSE(ImportCountries(text));
  ExpectNothingKept(CountryRecordStore::kName, kCountryFile, text);
}

TEST_F(MalformedInputTest, OverlongLineIsCutAndKeepsTheBlockInStep) {
  std::vector<Fact> facts;
  std::string block = CountryBlock("Aland", {0, 1, 2, 3, 4, 5, 6}, facts);
  const std::string long_line = "<field 1>" + std::string(5000, 'x');
  const std::string euro = "\xE2\x82\xAC";  // three bytes, one character
  std::string long_euros = "<field 2>";
  for (int i = 0; i < 3000; ++i) long_euros += euro;
  block.replace(block.find("<field 1>Aland / people <1>"),
                std::string("<field 1>Aland / people <1>").size(), long_line);
  block.replace(block.find("<field 2>Aland / people <2>"),
                std::string("<field 2>Aland / people <2>").size(), long_euros);
  ASSERT_TRUE(ImportCountries(block));
  const std::u16string prefix = u"<field 1>";
  EXPECT_EQ(Value(u"Aland", u"people", u"field 1"), std::u16string(1023 - prefix.size(), u'x'));
  EXPECT_EQ(Value(u"Aland", u"people", u"field 2"),
            std::u16string(1023 - prefix.size(), u'\u20AC'));
  // The lines after the long ones are read in step.
  EXPECT_EQ(Value(u"Aland", u"people", u"field 3"), u"Aland / people <3>");
  EXPECT_EQ(Value(u"Aland", u"tourism", u"field 1"), u"Aland / tourism <1>");
  EXPECT_EQ(RecordCount(CountryRecordStore::kName), 42);
}

TEST_F(MalformedInputTest, InvalidUtf8BecomesReplacementCharacters) {
  std::vector<Fact> facts;
  std::string block = CountryBlock("Aland", {0, 1, 2, 3, 4, 5, 6}, facts);
  const std::string line = "<field 1>Aland / people <1>";
  block.replace(block.find(line), line.size(), "<field 1>a\xFF" "b\x80" "c\xC3");
  // Carriage returns before the line feeds are dropped.
  const std::string crlf_line = "<field 3>Aland / people <3>\n";
  block.replace(block.find(crlf_line), crlf_line.size(), "<field 3>crlf\r\n");
  ASSERT_TRUE(ImportCountries(block));
  EXPECT_EQ(Value(u"Aland", u"people", u"field 1"), u"a\uFFFDb\uFFFDc\uFFFD");
  EXPECT_EQ(Value(u"Aland", u"people", u"field 3"), u"crlf");
  EXPECT_EQ(Value(u"Aland", u"people", u"field 4"), u"Aland / people <4>");
}

TEST_F(MalformedInputTest, LastCountryBlockMayEndWithoutItsTrailingLines) {
  const CountryFixture full = SmallCountries();
  const std::string text = full.text.substr(0, full.text.rfind("</country>"));
  ASSERT_TRUE(ImportCountries(text));
  EXPECT_EQ(Outcome(CountryRecordStore::kName, root_.Windows(kCountryFile), text,
                    [&full] { return CountryRecordsProblem(full.facts); }),
            kComplete);
}

TEST_F(MalformedInputTest, ZoneLineWithFewerThanTenFieldsKeepsNothing) {
  const std::string good = ZonesText(SmallZones());
  for (const std::string& bad :
       {std::string("5,Short Time,Short Time,60,0,0,0,0,0\n"), std::string("5,a,b\n"),
        std::string("40000,Out Of Range,Time,60,0,0,0,0,0,0\n")}) {
    SCOPED_TRACE(bad);
    const std::string text = good + bad + good;
    EXPECT_FALSE(ImportZones(text));
    ExpectNothingKept(ZoneRecordStore::kName, kZonesFile, text);
  }
}

TEST_F(MalformedInputTest, ZonesFileEndsCleanlyWithOrWithoutAFinalLineFeed) {
  const std::string with_feed = ZonesText(SmallZones());
  for (const std::string& text : {with_feed, with_feed.substr(0, with_feed.size() - 1),
                                  with_feed + "\n", with_feed + "\r\n"}) {
    ScratchRoot fresh;
    SCOPED_TRACE(std::to_string(text.size()) + " bytes");
    WriteBytes(fresh.Windows(kZonesFile), text);
    ASSERT_TRUE(ZoneRecordStore::ImportZoneData());
    EXPECT_EQ(Outcome(ZoneRecordStore::kName, fresh.Windows(kZonesFile), text,
                      [] { return ZoneRecordsProblem(SmallZones()); }),
              kComplete);
  }
}

TEST_F(MalformedInputTest, MissingZonesFileCreatesNothingAndALaterOneIsImported) {
  ASSERT_FALSE(fs::exists(root_.Windows(kZonesFile)));
  EXPECT_TRUE(ZoneRecordStore::ImportZoneData());
  tv::store::ObjectStore::CloseShared();
  ASSERT_NE(DeviceStore(), nullptr);
  EXPECT_FALSE(DeviceStore()->Exists(ZoneRecordStore::kName));
  WriteBytes(root_.Windows(kZonesFile), ZonesText(SmallZones()));
  EXPECT_TRUE(ZoneRecordStore::ImportZoneData());
  EXPECT_EQ(ZoneRecordsProblem(SmallZones()), "");
}

TEST_F(MalformedInputTest, MissingCountryFileCreatesNothing) {
  EXPECT_TRUE(ImportCountryData());
  tv::store::ObjectStore::CloseShared();
  ASSERT_NE(DeviceStore(), nullptr);
  EXPECT_FALSE(DeviceStore()->Exists(CountryRecordStore::kName));
}

}  // namespace
}  // namespace terravue
