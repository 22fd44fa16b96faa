#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/store/object_store.h"
#include "platform/store/record_database.h"

namespace tv::store {
namespace {

namespace fs = std::filesystem;

constexpr SortOrder kByCountry{201, SortKind::kTextNoCase};
constexpr SortOrder kByZone{301, SortKind::kInt16};

Record Fact(std::u16string_view country, std::u16string_view category,
            std::u16string_view field, std::u16string_view value) {
  Record r;
  r.AddText(201, country);
  r.AddText(202, category);
  r.AddText(203, field);
  r.AddText(204, value);
  return r;
}

Record Zone(int16_t number, std::u16string_view name) {
  Record r;
  r.AddInt16(301, number);
  r.AddText(302, name);
  return r;
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tv_store_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = dir_ / "objectstore.sqlite3";
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Property 204 of each record of `key`, in order ("?" where unreadable).
  static std::vector<std::u16string> Values(RecordDatabase& db, std::u16string_view key) {
    std::vector<std::u16string> values;
    for (bool found = db.SeekFirstEqual(key); found; found = db.SeekNextEqual()) {
      auto record = db.ReadRecord();
      values.push_back(record && record->Text(204) ? *record->Text(204) : u"?");
    }
    return values;
  }

  fs::path dir_;
  fs::path path_;
};

TEST_F(StoreTest, CreateExistsAndOpenByNameAndId) {
  auto store = ObjectStore::Open(path_);
  ASSERT_TRUE(store);
  EXPECT_FALSE(store->Exists(u"Countries List"));
  EXPECT_FALSE(store->OpenByName(u"Countries List"));

  const auto id = store->Create(u"Countries List", 12347, kByCountry);
  ASSERT_TRUE(id);
  EXPECT_TRUE(store->Exists(u"Countries List"));
  EXPECT_FALSE(store->Create(u"Countries List", 1, kByCountry)) << "names are unique";

  auto by_name = store->OpenByName(u"Countries List");
  ASSERT_TRUE(by_name);
  EXPECT_EQ(by_name->Id(), *id);
  EXPECT_EQ(by_name->Type(), 12347u);
  EXPECT_EQ(by_name->Order().prop_id, 201);
  EXPECT_EQ(by_name->Order().kind, SortKind::kTextNoCase);
  EXPECT_TRUE(by_name->AppendRecord(Fact(u"Peru", u"government", u"capital", u"Lima")));

  auto by_id = store->OpenById(*id);
  ASSERT_TRUE(by_id);
  EXPECT_TRUE(by_id->SeekFirstEqual(u"peru"));
  EXPECT_FALSE(store->OpenById(*id + 100));

  // Everything survives closing and reopening the file.
  by_name.reset();
  by_id.reset();
  store.reset();
  store = ObjectStore::Open(path_);
  ASSERT_TRUE(store);
  auto again = store->OpenByName(u"Countries List");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->Id(), *id);
  EXPECT_EQ(again->RecordCount(), 1);
}

TEST_F(StoreTest, TextSeekIsCaseBlindAndStepsThroughEqualKeys) {
  auto store = ObjectStore::Open(path_);
  ASSERT_TRUE(store);
  ASSERT_TRUE(store->Create(u"Countries List", 12347, kByCountry));
  auto db = store->OpenByName(u"Countries List");
  ASSERT_TRUE(db);
  ASSERT_TRUE(db->AppendRecord(Fact(u"Peru", u"people", u"population", u"P1")));
  ASSERT_TRUE(db->AppendRecord(Fact(u"Chad", u"people", u"population", u"C1")));
  ASSERT_TRUE(db->AppendRecord(Fact(u"PERU", u"government", u"capital", u"P2")));
  ASSERT_TRUE(db->AppendRecord(Fact(u"Peruvia", u"people", u"population", u"X")));
  ASSERT_TRUE(db->AppendRecord(Fact(u"peru", u"geography", u"flag", u"P3")));

  // Order: Chad, Peru x3 (insertion order), Peruvia.
  EXPECT_TRUE(db->SeekFirstEqual(u"pErU"));
  std::vector<std::u16string> values;
  for (int i = 0; i < 3; ++i) {
    auto record = db->ReadRecord();
    ASSERT_TRUE(record);
    values.push_back(*record->Text(204));
    EXPECT_EQ(db->SeekNextEqual(), i < 2);
  }
  EXPECT_EQ(values, (std::vector<std::u16string>{u"P1", u"P2", u"P3"}));
  EXPECT_FALSE(db->ReadRecord()) << "no current record after the last equal key";

  EXPECT_FALSE(db->SeekFirstEqual(u"Per")) << "a prefix is not an equal key";
  EXPECT_FALSE(db->SeekFirstEqual(u"Zambia"));
  EXPECT_FALSE(db->SeekFirstEqual(int16_t{5})) << "integer key on a text order";
}

TEST_F(StoreTest, CaseBlindKeysFoldAsciiLettersOnly) {
  auto store = ObjectStore::Open(path_);
  ASSERT_TRUE(store);
  ASSERT_TRUE(store->Create(u"Names", 1, kByCountry));
  auto db = store->OpenByName(u"Names");
  for (std::u16string name : {u"b", u"_", u"A", u"\u00e9", u"a"}) {
    ASSERT_TRUE(db->AppendRecord(Fact(name, u"", u"", name)));
  }
  EXPECT_EQ(Values(*db, u"a"), (std::vector<std::u16string>{u"A", u"a"}));
  EXPECT_EQ(Values(*db, u"_"), std::vector<std::u16string>{u"_"});
  EXPECT_EQ(Values(*db, u"\u00e9"), std::vector<std::u16string>{u"\u00e9"});
  EXPECT_FALSE(db->SeekFirstEqual(u"\u00c9")) << "only ASCII letters fold";
}

TEST_F(StoreTest, Int16KeysWithNegativeValuesAndTies) {
  auto store = ObjectStore::Open(path_);
  ASSERT_TRUE(store);
  ASSERT_TRUE(store->Create(u"Timezones List", 12348, kByZone));
  auto db = store->OpenByName(u"Timezones List");
  ASSERT_TRUE(db);
  for (int16_t n : {int16_t{5}, int16_t{-330}, int16_t{32767}, int16_t{-32768}, int16_t{0},
                    int16_t{5}}) {
    ASSERT_TRUE(db->AppendRecord(Zone(n, u"z" + std::u16string(1, u'a' + db->RecordCount()))));
  }
  for (int16_t n : {int16_t{-32768}, int16_t{-330}, int16_t{0}, int16_t{32767}}) {
    EXPECT_TRUE(db->SeekFirstEqual(n)) << n;
  }
  EXPECT_TRUE(db->SeekFirstEqual(int16_t{5}));
  EXPECT_EQ(*db->ReadRecord()->Text(302), u"za") << "ties keep insertion order";
  EXPECT_TRUE(db->SeekNextEqual());
  EXPECT_EQ(*db->ReadRecord()->Text(302), u"zf");
  EXPECT_FALSE(db->SeekFirstEqual(int16_t{6}));
  EXPECT_FALSE(db->SeekFirstEqual(u"5")) << "text key on an integer order";
  EXPECT_FALSE(db->AppendRecord(Fact(u"5", u"", u"", u""))) << "record without the sort property";
}

TEST_F(StoreTest, AppendAndDeleteThroughTwoHandles) {
  auto store = ObjectStore::Open(path_);
  ASSERT_TRUE(store);
  ASSERT_TRUE(store->Create(u"Countries List", 12347, kByCountry));
  auto db = store->OpenByName(u"Countries List");
  ASSERT_TRUE(db->AppendRecord(Fact(u"Chad", u"", u"", u"chad")));
  ASSERT_TRUE(db->AppendRecord(Fact(u"Peru", u"", u"", u"peru")));
  EXPECT_TRUE(db->SeekFirstEqual(u"Peru"));

  // A second handle sees the first one's append at once.
  auto other = store->OpenByName(u"Countries List");
  ASSERT_TRUE(other->AppendRecord(Fact(u"Angola", u"", u"", u"angola")));
  EXPECT_EQ(Values(*db, u"Angola"), std::vector<std::u16string>{u"angola"});

  ASSERT_TRUE(db->SeekFirstEqual(u"Chad"));
  EXPECT_TRUE(db->DeleteRecord());
  EXPECT_FALSE(db->DeleteRecord()) << "no current record after a delete";
  EXPECT_EQ(db->RecordCount(), 2);
  EXPECT_FALSE(db->SeekFirstEqual(u"Chad"));
  EXPECT_EQ(Values(*db, u"Peru"), std::vector<std::u16string>{u"peru"});
}

// Inside a transaction a run of one key is appended without looking up its
// sequence; equal keys must stay unique and in the order appended, across
// handles, deletions and another connection's appends between transactions.
TEST_F(StoreTest, AppendsInTransactionsKeepEqualKeysInOrder) {
  auto store = ObjectStore::Open(path_);
  auto second = ObjectStore::Open(path_);
  ASSERT_TRUE(store && second);
  ASSERT_TRUE(store->Create(u"Countries List", 12347, kByCountry));
  auto db = store->OpenByName(u"Countries List");
  auto other = store->OpenByName(u"Countries List");
  {
    Transaction transaction(*store);
    ASSERT_TRUE(db->AppendRecord(Fact(u"Peru", u"", u"", u"1")));
    ASSERT_TRUE(other->AppendRecord(Fact(u"Peru", u"", u"", u"2")));
    ASSERT_TRUE(db->AppendRecord(Fact(u"Peru", u"", u"", u"3")));
    ASSERT_TRUE(db->SeekFirstEqual(u"Peru") && db->SeekNextEqual() && db->SeekNextEqual());
    ASSERT_TRUE(db->DeleteRecord());
    ASSERT_TRUE(other->AppendRecord(Fact(u"Peru", u"", u"", u"4")));
    ASSERT_TRUE(transaction.Commit());
  }
  store->EndReadTransaction();
  ASSERT_TRUE(second->OpenByName(u"Countries List")->AppendRecord(Fact(u"Peru", u"", u"", u"5")));
  second->EndReadTransaction();
  {
    Transaction transaction(*store);
    ASSERT_TRUE(db->AppendRecord(Fact(u"Peru", u"", u"", u"6")));
    ASSERT_TRUE(transaction.Commit());
  }
  EXPECT_EQ(Values(*db, u"Peru"), (std::vector<std::u16string>{u"1", u"2", u"4", u"5", u"6"}));
}

TEST_F(StoreTest, RecordsKeepTypesAndOrderOfProperties) {
  auto store = ObjectStore::Open(path_);
  ASSERT_TRUE(store->Create(u"Timezones List", 12348, kByZone));
  auto db = store->OpenByName(u"Timezones List");
  Record r;
  r.AddInt16(301, -7);
  r.AddText(302, u"");
  r.AddText(303, std::u16string(1023, u'\u4e16') + u"\U0001F30D");
  r.AddInt16(306, 0x0a03);
  ASSERT_TRUE(db->AppendRecord(r));
  ASSERT_TRUE(db->SeekFirstEqual(int16_t{-7}));
  const auto read = db->ReadRecord();
  ASSERT_TRUE(read);
  ASSERT_EQ(read->Properties().size(), 4u);
  EXPECT_EQ(read->Properties()[3].id, 306);
  EXPECT_EQ(read->Int16(306), 0x0a03);
  EXPECT_EQ(*read->Text(302), u"");
  EXPECT_EQ(*read->Text(303), *r.Text(303));
  EXPECT_EQ(read->Text(301), nullptr) << "an integer is not text";
  EXPECT_FALSE(read->Int16(302));
  EXPECT_FALSE(read->Int16(999));
}

TEST_F(StoreTest, DeleteDatabaseRemovesItAndItsRecords) {
  auto store = ObjectStore::Open(path_);
  const auto id = store->Create(u"Countries List", 12347, kByCountry);
  ASSERT_TRUE(store->Create(u"Timezones List", 12348, kByZone));
  {
    auto db = store->OpenByName(u"Countries List");
    ASSERT_TRUE(db->AppendRecord(Fact(u"Peru", u"", u"", u"")));
  }
  auto zones = store->OpenByName(u"Timezones List");
  ASSERT_TRUE(zones->AppendRecord(Zone(1, u"one")));

  EXPECT_TRUE(store->DeleteDatabase(u"Countries List"));
  EXPECT_FALSE(store->Exists(u"Countries List"));
  EXPECT_FALSE(store->OpenById(*id));
  EXPECT_FALSE(store->DeleteDatabase(u"Countries List")) << "second delete finds nothing";
  EXPECT_EQ(zones->RecordCount(), 1) << "other databases are untouched";

  // A new database of the same name starts empty.
  ASSERT_TRUE(store->Create(u"Countries List", 12347, kByCountry));
  auto fresh = store->OpenByName(u"Countries List");
  EXPECT_EQ(fresh->RecordCount(), 0);
  EXPECT_FALSE(fresh->SeekFirstEqual(u"Peru"));
}

TEST_F(StoreTest, HandlesWorkOnlyWhileOpen) {
  auto store = ObjectStore::Open(path_);
  ASSERT_TRUE(store->Create(u"Countries List", 12347, kByCountry));
  auto db = store->OpenByName(u"Countries List");
  ASSERT_TRUE(db->AppendRecord(Fact(u"Peru", u"", u"", u"lima")));
  ASSERT_TRUE(db->SeekFirstEqual(u"Peru"));

  RecordDatabase moved = std::move(*db);
  EXPECT_FALSE(db->IsOpen());
  EXPECT_FALSE(db->SeekFirstEqual(u"Peru"));
  EXPECT_TRUE(moved.IsOpen());
  EXPECT_EQ(*moved.ReadRecord()->Text(204), u"lima") << "current record moves along";

  moved.Close();
  EXPECT_FALSE(moved.ReadRecord());
  EXPECT_FALSE(moved.SeekFirstEqual(u"Peru"));
  EXPECT_FALSE(moved.AppendRecord(Fact(u"Chad", u"", u"", u"")));
  EXPECT_EQ(moved.RecordCount(), -1);

  // A handle to a deleted database can no longer write to it.
  auto stale = store->OpenByName(u"Countries List");
  ASSERT_TRUE(store->DeleteDatabase(u"Countries List"));
  EXPECT_FALSE(stale->AppendRecord(Fact(u"Chad", u"", u"", u"")));
  EXPECT_FALSE(stale->SeekFirstEqual(u"Peru"));
}

TEST_F(StoreTest, RollbackLeavesNoDatabaseAndCommitKeepsIt) {
  auto store = ObjectStore::Open(path_);
  {
    Transaction txn(*store);
    ASSERT_TRUE(txn.Active());
    EXPECT_FALSE(store->Begin()) << "no nested transactions";
    const auto id = store->Create(u"Countries List", 12347, kByCountry);
    ASSERT_TRUE(id);
    auto db = store->OpenById(*id);
    ASSERT_TRUE(db->AppendRecord(Fact(u"Peru", u"", u"", u"")));
    EXPECT_TRUE(db->SeekFirstEqual(u"Peru"));
  }  // not committed
  EXPECT_FALSE(store->InTransaction());
  EXPECT_FALSE(store->Exists(u"Countries List"));

  {
    Transaction txn(*store);
    ASSERT_TRUE(store->Create(u"Countries List", 12347, kByCountry));
    auto db = store->OpenByName(u"Countries List");
    ASSERT_TRUE(db->AppendRecord(Fact(u"Chad", u"", u"", u"")));
    ASSERT_TRUE(db->AppendRecord(Fact(u"Peru", u"", u"", u"")));
    ASSERT_TRUE(txn.Commit());
  }
  auto db = store->OpenByName(u"Countries List");
  ASSERT_TRUE(db);
  // A rolled-back append is gone.
  ASSERT_TRUE(store->Begin());
  ASSERT_TRUE(db->AppendRecord(Fact(u"Peru", u"", u"", u"again")));
  EXPECT_EQ(Values(*db, u"Peru"), (std::vector<std::u16string>{u"", u"again"}));
  ASSERT_TRUE(store->Rollback());
  EXPECT_EQ(Values(*db, u"Peru"), std::vector<std::u16string>{u""});
  EXPECT_EQ(db->RecordCount(), 2);
}

TEST_F(StoreTest, ChangesByAnotherConnectionAreSeen) {
  auto first = ObjectStore::Open(path_);
  ASSERT_TRUE(first->Create(u"Countries List", 12347, kByCountry));
  auto db = first->OpenByName(u"Countries List");
  ASSERT_TRUE(db->AppendRecord(Fact(u"Peru", u"", u"", u"")));
  EXPECT_TRUE(db->SeekFirstEqual(u"Peru"));
  // Reads hold a shared lock until the shared read ends, even with the
  // handle still on a record.
  first->EndReadTransaction();

  auto second = ObjectStore::Open(path_);
  ASSERT_TRUE(second);
  auto other = second->OpenByName(u"Countries List");
  ASSERT_TRUE(other->AppendRecord(Fact(u"Peru", u"", u"", u"p2")));
  other->Close();

  db = first->OpenByName(u"Countries List");
  EXPECT_EQ(Values(*db, u"Peru"), (std::vector<std::u16string>{u"", u"p2"}));
}

// Reads share one read transaction (a shared read) that holds a shared lock
// on the file; a second connection plays the other process.
class ReadTransactionTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    a_ = ObjectStore::Open(path_);
    ASSERT_TRUE(a_);
    ASSERT_TRUE(a_->Create(u"Countries List", 12347, kByCountry));
    auto db = a_->OpenByName(u"Countries List");
    for (const char16_t* value : {u"P1", u"P2", u"P3"}) {
      ASSERT_TRUE(db->AppendRecord(Fact(u"Peru", u"", u"", value)));
    }
    ASSERT_TRUE(db->AppendRecord(Fact(u"Chad", u"", u"", u"chad")));
    db->Close();
    a_->EndReadTransaction();
    b_ = ObjectStore::Open(path_);
    ASSERT_TRUE(b_);
  }
  void TearDown() override {
    a_.reset();
    b_.reset();
    StoreTest::TearDown();
  }

  std::unique_ptr<ObjectStore> a_;
  std::unique_ptr<ObjectStore> b_;
};

TEST_F(ReadTransactionTest, OtherWritersWaitUntilTheSharedReadEnds) {
  b_->SetBusyTimeout(std::chrono::milliseconds(0));
  auto db = a_->OpenByName(u"Countries List");
  ASSERT_TRUE(db);
  ASSERT_TRUE(db->SeekFirstEqual(u"Peru"));
  EXPECT_EQ(*db->ReadRecord()->Text(204), u"P1");
  EXPECT_TRUE(a_->InReadTransaction());
  EXPECT_FALSE(a_->InTransaction()) << "a shared read is no write transaction";
  EXPECT_FALSE(a_->Commit());
  EXPECT_FALSE(b_->Create(u"Timezones List", 12348, kByZone)) << "A's shared lock holds B off";

  a_->EndReadTransaction();
  EXPECT_FALSE(a_->InReadTransaction());
  ASSERT_TRUE(b_->Create(u"Timezones List", 12348, kByZone));

  // The handle kept its current record and walks on; that read begins a new
  // shared read, which holds B off again.
  EXPECT_TRUE(db->SeekNextEqual());
  EXPECT_EQ(*db->ReadRecord()->Text(204), u"P2");
  EXPECT_TRUE(a_->InReadTransaction());
  EXPECT_FALSE(b_->Create(u"Other", 1, kByZone));

  a_->EndReadTransaction();
  {
    // B's own shared read ends before B writes.
    auto other = b_->OpenByName(u"Countries List");
    ASSERT_TRUE(other);
    EXPECT_TRUE(b_->InReadTransaction());
    ASSERT_TRUE(other->AppendRecord(Fact(u"Angola", u"", u"", u"angola")));
    EXPECT_FALSE(b_->InReadTransaction());
  }

  // A's next look-ups see B's changes.
  EXPECT_TRUE(a_->Exists(u"Timezones List"));
  EXPECT_EQ(Values(*db, u"Angola"), std::vector<std::u16string>{u"angola"});
  EXPECT_EQ(db->RecordCount(), 5);
}

TEST_F(ReadTransactionTest, WriterWaitsForEndReadTransactionInsteadOfFailing) {
  auto db = a_->OpenByName(u"Countries List");
  ASSERT_TRUE(db->SeekFirstEqual(u"Chad"));
  std::atomic<bool> done{false};
  std::optional<uint32_t> created;
  std::thread writer([&] {
    created = b_->Create(u"Timezones List", 12348, kByZone);
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(done) << "B committed while A's shared read held the file";
  a_->EndReadTransaction();
  writer.join();
  EXPECT_TRUE(created) << "B gave up instead of waiting";
  EXPECT_TRUE(a_->Exists(u"Timezones List"));
}

TEST_F(ReadTransactionTest, LongSharedReadEndsAtTheNextRead) {
  auto db = a_->OpenByName(u"Countries List");
  ASSERT_TRUE(db->SeekFirstEqual(u"Peru"));
  std::atomic<bool> done{false};
  std::optional<uint32_t> created;
  std::thread writer([&] {
    created = b_->Create(u"Timezones List", 12348, kByZone);
    done = true;
  });
  // A keeps reading without ever going idle. Without the shared read limit B
  // would give up after its busy timeout.
  while (!done) a_->Exists(u"Timezones List");
  writer.join();
  EXPECT_TRUE(created) << "B gave up while A kept reading";
  EXPECT_TRUE(a_->Exists(u"Timezones List"));
  // The handle walks on from its record after its shared read ended under it.
  EXPECT_TRUE(db->SeekNextEqual());
  EXPECT_EQ(*db->ReadRecord()->Text(204), u"P2");
}

TEST_F(ReadTransactionTest, BeginInsideASharedReadCommitsTheWrite) {
  auto db = a_->OpenByName(u"Countries List");
  ASSERT_TRUE(db->SeekFirstEqual(u"Peru"));
  ASSERT_TRUE(a_->InReadTransaction());

  ASSERT_TRUE(a_->Begin());
  EXPECT_FALSE(a_->InReadTransaction());
  EXPECT_TRUE(a_->InTransaction());
  ASSERT_TRUE(db->AppendRecord(Fact(u"Angola", u"", u"", u"angola")));
  EXPECT_TRUE(db->SeekFirstEqual(u"Angola")) << "reads inside see the transaction's writes";
  EXPECT_FALSE(a_->InReadTransaction()) << "reads inside a write transaction begin no shared read";
  ASSERT_TRUE(a_->Commit());
  EXPECT_FALSE(a_->InTransaction());

  b_->SetBusyTimeout(std::chrono::milliseconds(0));
  auto other = b_->OpenByName(u"Countries List");
  ASSERT_TRUE(other);
  EXPECT_EQ(other->RecordCount(), 5) << "the write reached the file";
  other->Close();
  b_->EndReadTransaction();

  // The guard rolls back inside a shared read as well.
  EXPECT_EQ(db->RecordCount(), 5);
  ASSERT_TRUE(a_->InReadTransaction());
  {
    Transaction txn(*a_);
    ASSERT_TRUE(txn.Active());
    ASSERT_TRUE(db->AppendRecord(Fact(u"Benin", u"", u"", u"")));
    EXPECT_TRUE(db->SeekFirstEqual(u"Benin"));
  }
  EXPECT_FALSE(a_->InTransaction());
  EXPECT_FALSE(db->SeekFirstEqual(u"Benin")) << "the rolled-back append is gone";
  EXPECT_EQ(db->RecordCount(), 5);
  a_->EndReadTransaction();
  EXPECT_TRUE(b_->Create(u"Timezones List", 12348, kByZone)) << "A holds nothing after its shared read";
}

TEST_F(ReadTransactionTest, DeleteDatabaseInsideASharedRead) {
  ASSERT_TRUE(a_->Exists(u"Countries List"));
  ASSERT_TRUE(a_->InReadTransaction());
  EXPECT_TRUE(a_->DeleteDatabase(u"Countries List"));
  EXPECT_FALSE(a_->InTransaction());
  EXPECT_FALSE(a_->DeleteDatabase(u"Countries List"));
  EXPECT_FALSE(a_->InTransaction()) << "a failed delete ends its transaction";
  auto other = b_->OpenByName(u"Countries List");
  EXPECT_FALSE(other);
}

TEST_F(ReadTransactionTest, EndSharedReadTransactionsReleasesSharedStores) {
  a_.reset();
  ObjectStore* shared = ObjectStore::Shared(path_);
  ASSERT_NE(shared, nullptr);
  EXPECT_TRUE(shared->Exists(u"Countries List"));
  b_->SetBusyTimeout(std::chrono::milliseconds(0));
  EXPECT_FALSE(b_->Create(u"Timezones List", 12348, kByZone));
  ObjectStore::EndSharedReadTransactions();
  EXPECT_FALSE(shared->InReadTransaction());
  EXPECT_TRUE(b_->Create(u"Timezones List", 12348, kByZone));
  EXPECT_TRUE(shared->Exists(u"Timezones List"));
  ObjectStore::CloseShared();
}

// An existing file that is not an object store is neither used nor changed.
class CorruptStoreTest : public StoreTest {
 protected:
  void ExpectCleanFailure() {
    const std::string before = ReadBytes(path_);
    EXPECT_FALSE(ObjectStore::Open(path_));
    EXPECT_FALSE(ObjectStore::Shared(path_));
    EXPECT_EQ(ReadBytes(path_), before);
    EXPECT_FALSE(fs::exists(path_.string() + "-journal"));
  }
};

TEST_F(CorruptStoreTest, GarbageBytes) {
  std::string garbage;
  for (int i = 0; i < 8192; ++i) garbage.push_back(static_cast<char>((i * 7919) & 0xff));
  std::ofstream(path_, std::ios::binary) << garbage;
  ExpectCleanFailure();
}

TEST_F(CorruptStoreTest, ShortTextFile) {
  std::ofstream(path_) << "not a database\n";
  ExpectCleanFailure();
}

TEST_F(CorruptStoreTest, TruncatedStore) {
  {
    auto store = ObjectStore::Open(path_);
    ASSERT_TRUE(store->Create(u"Countries List", 12347, kByCountry));
    auto db = store->OpenByName(u"Countries List");
    Transaction txn(*store);
    for (int i = 0; i < 500; ++i) {
      ASSERT_TRUE(db->AppendRecord(Fact(u"Country" + std::u16string(1, u'a' + i % 26), u"c",
                                        u"f", std::u16string(100, u'v'))));
    }
    ASSERT_TRUE(txn.Commit());
  }
  const std::string whole = ReadBytes(path_);
  ASSERT_GT(whole.size(), 4096u);
  // Cut inside the header, then inside the pages.
  for (size_t size : {size_t{60}, whole.size() / 2}) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << whole.substr(0, size);
    const std::string before = ReadBytes(path_);
    auto store = ObjectStore::Open(path_);
    if (store) {
      // A cut the header does not reveal must still fail quietly on use.
      auto db = store->OpenByName(u"Countries List");
      if (db) {
        for (bool found = db->SeekFirstEqual(u"Countrya"); found; found = db->SeekNextEqual()) {
          db->ReadRecord();
        }
      }
    }
    store.reset();
    EXPECT_EQ(ReadBytes(path_), before) << "size " << size;
  }
}

TEST_F(CorruptStoreTest, ForeignSqliteFile) {
  {
    auto store = ObjectStore::Open(path_);
    ASSERT_TRUE(store);
  }
  // Another program's database: same format, other application id.
  std::string bytes = ReadBytes(path_);
  ASSERT_GT(bytes.size(), 72u);
  bytes[68] = 0x12;
  std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes;
  ExpectCleanFailure();
}

TEST_F(CorruptStoreTest, DirectoryAtThePath) {
  fs::create_directory(path_);
  EXPECT_FALSE(ObjectStore::Open(path_));
  EXPECT_TRUE(fs::is_directory(path_));
  EXPECT_TRUE(fs::is_empty(path_));
}

TEST_F(CorruptStoreTest, UnreadableFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  {
    auto store = ObjectStore::Open(path_);
    ASSERT_TRUE(store);
  }
  fs::permissions(path_, fs::perms::none);
  EXPECT_FALSE(ObjectStore::Open(path_));
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(StoreTest, MissingFolderFailsAndEmptyFileIsInitialised) {
  EXPECT_FALSE(ObjectStore::Open(dir_ / "missing" / "objectstore.sqlite3"));
  EXPECT_FALSE(fs::exists(dir_ / "missing"));

  std::ofstream(path_).close();
  auto store = ObjectStore::Open(path_);
  ASSERT_TRUE(store);
  EXPECT_TRUE(store->Create(u"Countries List", 12347, kByCountry));
}

TEST_F(StoreTest, SharedStoreIsOnePerPath) {
  ObjectStore* a = ObjectStore::Shared(path_);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(ObjectStore::Shared(path_), a);
  ObjectStore::CloseShared();
}

}  // namespace
}  // namespace tv::store
