#include "platform/store/object_store.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <utility>

#include "platform/base/check.h"
#include "platform/base/utf.h"
#include "platform/store/store_internal.h"

namespace tv::store {

namespace {

// "TvOS" marks a file as ours; a SQLite file with another id is left alone.
constexpr int32_t kApplicationId = 0x54764f53;
constexpr int32_t kSchemaVersion = 1;
// Page cache of the connection, in KiB (SQLite's default is 2000). The
// country database alone is a few megabytes; pages that do not fit are read
// from the file again on every look-up.
constexpr int kCacheKib = 16384;
// Page size of a new file. With 16 KiB pages the country facts take a
// quarter of the pages (and B-tree cells) that SQLite's default 4 KiB needs,
// which makes the first-start import cheaper; a file made with another size
// keeps it.
constexpr int kPageSize = 16384;

constexpr char kSchemaSql[] =
    "CREATE TABLE tv_databases ("
    "  id INTEGER PRIMARY KEY,"
    "  name TEXT NOT NULL UNIQUE,"
    "  type INTEGER NOT NULL,"
    "  sort_prop INTEGER NOT NULL,"
    "  sort_kind INTEGER NOT NULL);"
    // The primary key is the sort order: key, then insertion sequence. Key
    // seeks and position scans walk it directly.
    "CREATE TABLE tv_records ("
    "  db_id INTEGER NOT NULL,"
    "  sort_key NOT NULL,"
    "  seq INTEGER NOT NULL,"
    "  props BLOB NOT NULL,"
    "  PRIMARY KEY (db_id, sort_key, seq)) WITHOUT ROWID;";

std::optional<int64_t> QueryInt(sqlite3* db, const char* sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return std::nullopt;
  }
  std::optional<int64_t> result;
  if (sqlite3_step(stmt) == SQLITE_ROW) result = sqlite3_column_int64(stmt, 0);
  sqlite3_finalize(stmt);
  return result;
}

bool Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool InitialiseSchema(sqlite3* db) {
  // Only an empty file takes it: on a file another process has just
  // initialised, SQLite ignores it.
  const std::string page_size = "PRAGMA page_size = " + std::to_string(kPageSize);
  if (!Exec(db, page_size.c_str()) || !Exec(db, "BEGIN IMMEDIATE")) return false;
  // Another process may have initialised the file since we looked.
  const auto tables = QueryInt(db, "SELECT count(*) FROM sqlite_schema");
  const auto app_id = QueryInt(db, "PRAGMA application_id");
  bool ok = tables && app_id;
  if (ok && *tables == 0 && *app_id == 0) {
    const std::string pragmas = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                                "; PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";";
    ok = Exec(db, pragmas.c_str()) && Exec(db, kSchemaSql);
  }
  if (ok && Exec(db, "COMMIT")) return true;
  Exec(db, "ROLLBACK");
  return false;
}

// The shared read clock: monotonic with a few milliseconds' resolution, which is
// plenty for its limit, and several times cheaper to read than the precise
// clock; every read looks at it.
std::chrono::nanoseconds ReadClockNow() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
  return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

void BindName(sqlite3_stmt* stmt, int index, std::u16string_view name) {
  const std::string utf8 = Utf16ToUtf8(name);
  sqlite3_bind_text(stmt, index, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

std::unordered_map<std::string, std::unique_ptr<ObjectStore>>& SharedStores() {
  static auto* stores = new std::unordered_map<std::string, std::unique_ptr<ObjectStore>>();
  return *stores;
}

}  // namespace

bool StepDone(sqlite3_stmt* stmt) {
  const int rc = sqlite3_step(stmt);
  sqlite3_reset(stmt);
  return rc == SQLITE_DONE || rc == SQLITE_ROW;
}

std::string EncodeTextKey(std::u16string_view text) {
  std::string key;
  key.reserve(text.size() * 2);
  for (char16_t c : text) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    key.push_back(static_cast<char>(c >> 8));
    key.push_back(static_cast<char>(c & 0xff));
  }
  return key;
}

std::string EncodeIntKey(int16_t value) {
  const uint16_t biased = static_cast<uint16_t>(value + 32768);
  return std::string{static_cast<char>(biased >> 8), static_cast<char>(biased & 0xff)};
}

void BindKey(sqlite3_stmt* stmt, int index, SortKind kind, const std::string& key) {
  if (kind == SortKind::kInt16) {
    const auto b0 = static_cast<uint8_t>(key[0]);
    const auto b1 = static_cast<uint8_t>(key[1]);
    sqlite3_bind_int(stmt, index, ((b0 << 8) | b1) - 32768);
  } else {
    sqlite3_bind_blob(stmt, index, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
  }
}

ObjectStore::ObjectStore(sqlite3* db) : db_(db), stmts_(std::make_unique<Statements>()) {}

ObjectStore::~ObjectStore() {
  // Handles point at their store; one outliving it is a programming error.
  TV_CHECK(open_handles_ == 0);
  if (read_open_) EndReadTransaction();
  for (sqlite3_stmt* stmt : free_cursors_) sqlite3_finalize(stmt);
  if (stmts_) {
    for (sqlite3_stmt* stmt :
         {stmts_->exists, stmts_->create, stmts_->open_by_name, stmts_->open_by_id,
          stmts_->delete_records, stmts_->delete_database, stmts_->next_seq, stmts_->insert,
          stmts_->read, stmts_->delete_record, stmts_->count,
          stmts_->data_version, stmts_->begin, stmts_->begin_read, stmts_->commit,
          stmts_->rollback}) {
      sqlite3_finalize(stmt);
    }
  }
  sqlite3_close_v2(db_);
}

std::unique_ptr<ObjectStore> ObjectStore::Open(const std::filesystem::path& path) {
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return nullptr;
  const bool empty = exists && st.st_size == 0;

  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
  if (!exists) flags |= SQLITE_OPEN_CREATE;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    sqlite3_close_v2(db);
    return nullptr;
  }
  std::unique_ptr<ObjectStore> store(new ObjectStore(db));
  sqlite3_busy_timeout(db, static_cast<int>(kBusyTimeout.count()));
  sqlite3_extended_result_codes(db, 1);

  // Reading the header is the first access to the file; garbage fails here
  // with "not a database" before anything could be written.
  const auto pages = QueryInt(db, "PRAGMA page_count");
  if (!pages) return nullptr;
  if (*pages == 0) {
    if (exists && !empty) return nullptr;
    if (!InitialiseSchema(db)) return nullptr;
  }
  if (QueryInt(db, "PRAGMA application_id") != kApplicationId ||
      QueryInt(db, "PRAGMA user_version") != kSchemaVersion) {
    return nullptr;
  }
  if (!store->Prepare()) return nullptr;
  // Only the connection's memory: nothing is written to the file.
  const std::string cache = "PRAGMA cache_size = -" + std::to_string(kCacheKib);
  if (!Exec(db, cache.c_str())) return nullptr;
  return store;
}

ObjectStore* ObjectStore::Shared(const std::filesystem::path& path) {
  auto& stores = SharedStores();
  const std::string key = path.string();
  auto it = stores.find(key);
  if (it != stores.end()) return it->second.get();
  auto store = Open(path);
  if (!store) return nullptr;
  return stores.emplace(key, std::move(store)).first->second.get();
}

void ObjectStore::CloseShared() { SharedStores().clear(); }

void ObjectStore::EndSharedReadTransactions() {
  for (auto& [path, store] : SharedStores()) store->EndReadTransaction();
}

void ObjectStore::SetBusyTimeout(std::chrono::milliseconds timeout) {
  sqlite3_busy_timeout(db_, static_cast<int>(timeout.count()));
}

bool ObjectStore::InReadTransaction() {
  // SQLite ends a transaction itself after some errors (I/O, out of memory).
  if (read_open_ && sqlite3_get_autocommit(db_)) read_open_ = false;
  return read_open_;
}

void ObjectStore::ReleaseCursors() {
  // Outside a write transaction only handles' cursors are left stepping; a
  // stepping statement keeps the shared lock even after its transaction ends.
  for (sqlite3_stmt* stmt = sqlite3_next_stmt(db_, nullptr); stmt;
       stmt = sqlite3_next_stmt(db_, stmt)) {
    if (sqlite3_stmt_busy(stmt)) sqlite3_reset(stmt);
  }
  ++cursor_epoch_;
}

void ObjectStore::EndReadTransaction() {
  if (InTransaction()) return;
  ReleaseCursors();
  if (!InReadTransaction()) return;
  read_open_ = false;
  // A read transaction has nothing to write; its commit only drops the lock.
  if (!StepDone(stmts_->commit) && !sqlite3_get_autocommit(db_)) StepDone(stmts_->rollback);
}

void ObjectStore::EnterRead() {
  if (InReadTransaction()) {
    if (ReadClockNow() - read_start_ < kReadTransactionLimit) return;
    EndReadTransaction();
  }
  // Inside a write transaction reads belong to it.
  if (!sqlite3_get_autocommit(db_)) return;
  if (!StepDone(stmts_->begin_read)) return;
  // The first read takes the shared lock, which holds until the shared read
  // ends.
  if (!DataVersion() || sqlite3_get_autocommit(db_)) {
    // Busy or unreadable: leave each read to its own transaction and error.
    if (!sqlite3_get_autocommit(db_) && !StepDone(stmts_->commit)) StepDone(stmts_->rollback);
    return;
  }
  read_open_ = true;
  read_start_ = ReadClockNow();
}

bool ObjectStore::EnterWrite() {
  // SQLite ends a transaction by itself on some errors (out of memory, I/O),
  // even of statements that only read. Writing on would commit each change on
  // its own, outside the transaction its caller believes open; refuse until
  // the caller ends the lost transaction.
  if (transaction_begun_ && sqlite3_get_autocommit(db_) != 0) return false;
  if (!InTransaction()) EndReadTransaction();
  return true;
}

bool ObjectStore::Prepare() {
  const std::pair<sqlite3_stmt**, const char*> sql[] = {
      {&stmts_->exists, "SELECT 1 FROM tv_databases WHERE name = ?1"},
      {&stmts_->create,
       "INSERT INTO tv_databases (name, type, sort_prop, sort_kind) VALUES (?1, ?2, ?3, ?4)"},
      {&stmts_->open_by_name,
       "SELECT id, type, sort_prop, sort_kind FROM tv_databases WHERE name = ?1"},
      {&stmts_->open_by_id,
       "SELECT id, type, sort_prop, sort_kind FROM tv_databases WHERE id = ?1"},
      {&stmts_->delete_records, "DELETE FROM tv_records WHERE db_id = ?1"},
      {&stmts_->delete_database, "DELETE FROM tv_databases WHERE id = ?1"},
      // Sequence numbers only order records of equal key, so each key counts
      // its own; a plain read keeps the append to one single-row insert.
      {&stmts_->next_seq,
       "SELECT (SELECT 1 FROM tv_databases WHERE id = ?1),"
       " coalesce((SELECT max(seq) FROM tv_records WHERE db_id = ?1 AND sort_key = ?2), 0) + 1"},
      {&stmts_->insert, "INSERT INTO tv_records (db_id, sort_key, seq, props) VALUES (?1, ?2, ?3, ?4)"},
      {&stmts_->read, "SELECT props FROM tv_records WHERE db_id = ?1 AND sort_key = ?2 AND seq = ?3"},
      {&stmts_->delete_record,
       "DELETE FROM tv_records WHERE db_id = ?1 AND sort_key = ?2 AND seq = ?3"},
      {&stmts_->count, "SELECT count(*) FROM tv_records WHERE db_id = ?1"},
      {&stmts_->data_version, "PRAGMA data_version"},
      {&stmts_->begin, "BEGIN IMMEDIATE"},
      {&stmts_->begin_read, "BEGIN DEFERRED"},
      {&stmts_->commit, "COMMIT"},
      {&stmts_->rollback, "ROLLBACK"},
  };
  for (const auto& [stmt, text] : sql) {
    if (sqlite3_prepare_v3(db_, text, -1, SQLITE_PREPARE_PERSISTENT, stmt, nullptr) != SQLITE_OK) {
      return false;
    }
  }
  return true;
}

std::optional<bool> ObjectStore::FindDatabase(std::u16string_view name) {
  EnterRead();
  sqlite3_stmt* stmt = stmts_->exists;
  BindName(stmt, 1, name);
  const int rc = sqlite3_step(stmt);
  sqlite3_reset(stmt);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return std::nullopt;
  return rc == SQLITE_ROW;
}

std::optional<uint32_t> ObjectStore::Create(std::u16string_view name, uint32_t type,
                                            SortOrder sort_order) {
  if (sort_order.kind != SortKind::kTextNoCase && sort_order.kind != SortKind::kInt16) {
    return std::nullopt;
  }
  if (!EnterWrite()) return std::nullopt;
  sqlite3_stmt* stmt = stmts_->create;
  BindName(stmt, 1, name);
  sqlite3_bind_int64(stmt, 2, type);
  sqlite3_bind_int(stmt, 3, sort_order.prop_id);
  sqlite3_bind_int(stmt, 4, static_cast<int>(sort_order.kind));
  const int rc = sqlite3_step(stmt);
  sqlite3_reset(stmt);
  if (rc != SQLITE_DONE) return std::nullopt;
  const int64_t id = sqlite3_last_insert_rowid(db_);
  if (id <= 0 || id > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(id);
}

std::optional<RecordDatabase> ObjectStore::OpenWhere(sqlite3_stmt* stmt) {
  std::optional<RecordDatabase> result;
  if (sqlite3_step(stmt) == SQLITE_ROW) {
    const int kind = sqlite3_column_int(stmt, 3);
    if (kind == static_cast<int>(SortKind::kTextNoCase) ||
        kind == static_cast<int>(SortKind::kInt16)) {
      const SortOrder order{static_cast<uint16_t>(sqlite3_column_int(stmt, 2)),
                            static_cast<SortKind>(kind)};
      result.emplace(RecordDatabase(this, static_cast<uint32_t>(sqlite3_column_int64(stmt, 0)),
                                    static_cast<uint32_t>(sqlite3_column_int64(stmt, 1)), order));
    }
  }
  sqlite3_reset(stmt);
  return result;
}

std::optional<RecordDatabase> ObjectStore::OpenByName(std::u16string_view name) {
  EnterRead();
  BindName(stmts_->open_by_name, 1, name);
  return OpenWhere(stmts_->open_by_name);
}

std::optional<RecordDatabase> ObjectStore::OpenById(uint32_t id) {
  EnterRead();
  sqlite3_bind_int64(stmts_->open_by_id, 1, id);
  return OpenWhere(stmts_->open_by_id);
}

bool ObjectStore::RunSavepoint(const char* sql) { return Exec(db_, sql); }

bool ObjectStore::DeleteDatabase(std::u16string_view name) {
  // Outside a caller's transaction the look-up and the deletions run in a
  // write transaction of their own, so the name cannot change hands between
  // them.
  if (!EnterWrite()) return false;
  const bool own = !InTransaction();
  if (own && !Begin()) return false;
  std::optional<uint32_t> id;
  {
    auto db = OpenByName(name);
    if (db) id = db->Id();
  }
  // A savepoint makes the two deletions one change, inside or outside a
  // caller's transaction.
  bool ok = id && RunSavepoint("SAVEPOINT tv_delete");
  if (ok) {
    sqlite3_bind_int64(stmts_->delete_records, 1, *id);
    sqlite3_bind_int64(stmts_->delete_database, 1, *id);
    ok = StepDone(stmts_->delete_records) && StepDone(stmts_->delete_database);
    if (!ok || !RunSavepoint("RELEASE tv_delete")) {
      RunSavepoint("ROLLBACK TO tv_delete");
      RunSavepoint("RELEASE tv_delete");
      ok = false;
    }
  }
  // After a failure the savepoint has undone everything; the commit only
  // ends the transaction.
  if (own && !Commit()) return false;
  return ok;
}

bool ObjectStore::Begin() {
  if (InTransaction()) return false;
  // Holding the shared lock while asking for the write lock could deadlock
  // with another writer; SQLite would then fail at once instead of waiting.
  EndReadTransaction();
  last_append_.reset();
  transaction_begun_ = StepDone(stmts_->begin);
  return transaction_begun_;
}

bool ObjectStore::Commit() {
  const bool begun = transaction_begun_;
  transaction_begun_ = false;
  last_append_.reset();
  // A transaction that SQLite ended by itself has nothing left to commit.
  if (!begun || !InTransaction()) return false;
  if (StepDone(stmts_->commit)) return true;
  // A commit that failed (busy, disk full) leaves the transaction open;
  // nothing of it should survive.
  if (InTransaction()) Rollback();
  return false;
}

bool ObjectStore::Rollback() {
  transaction_begun_ = false;
  last_append_.reset();
  if (!InTransaction()) return false;
  return StepDone(stmts_->rollback);
}

bool ObjectStore::InTransaction() const {
  return !read_open_ && sqlite3_get_autocommit(db_) == 0;
}

std::optional<int64_t> ObjectStore::DataVersion() {
  sqlite3_stmt* stmt = stmts_->data_version;
  std::optional<int64_t> version;
  if (sqlite3_step(stmt) == SQLITE_ROW) version = sqlite3_column_int64(stmt, 0);
  sqlite3_reset(stmt);
  return version;
}

sqlite3_stmt* ObjectStore::TakeCursor() {
  if (!free_cursors_.empty()) {
    sqlite3_stmt* stmt = free_cursors_.back();
    free_cursors_.pop_back();
    return stmt;
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v3(db_, kSeekSql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
      SQLITE_OK) {
    sqlite3_finalize(stmt);
    return nullptr;
  }
  return stmt;
}

void ObjectStore::ReturnCursor(sqlite3_stmt* stmt) {
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  free_cursors_.push_back(stmt);
}

}  // namespace tv::store
