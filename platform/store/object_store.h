#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/store/record_database.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tv::store {

// One file of named record databases, kept in SQLite. A process holds one
// connection per file with its statements prepared once, so opening a
// database is only taking a handle.
//
// An existing file is never deleted, truncated or re-initialised: if it is not
// a readable object store (garbage, a foreign SQLite file, a directory, no
// permission) opening fails and nothing is written to it. A store is created
// only where no file exists (an empty file counts as none).
//
// Reads outside a write transaction run in one long read transaction: the first read
// begins a read transaction that later reads, through any handle, share, so
// they take no file locks of their own. That read transaction holds a shared lock that
// keeps other processes from committing; it ends when EndReadTransaction() is
// called, before any write of this store, or at the first read after it has
// lasted kReadTransactionLimit. A writer in another process waits for it (up to
// the busy timeout) rather than failing at once.
class ObjectStore {
 public:
  ~ObjectStore();
  ObjectStore(const ObjectStore&) = delete;
  ObjectStore& operator=(const ObjectStore&) = delete;

  // Opens or creates the store at `path`; nothing when it cannot.
  static std::unique_ptr<ObjectStore> Open(const std::filesystem::path& path);

  // The process's store for `path`, opened on first use. Returns nothing
  // while the file cannot be opened; each call tries again, so a store that
  // appears later is found.
  static ObjectStore* Shared(const std::filesystem::path& path);
  // Closes every shared store (for tests that replace files).
  static void CloseShared();
  // Ends the shared read of every shared store.
  static void EndSharedReadTransactions();

  // A shared read older than this ends at the next read, so a long run of
  // reads without idle time cannot starve a writer in another process.
  static constexpr std::chrono::milliseconds kReadTransactionLimit{100};

  // Ends the shared read, if one is open, releasing the shared lock; also
  // lets go of the read position of open handles, which keep their current
  // record. Call it whenever the program goes idle. Does nothing inside a
  // write transaction.
  void EndReadTransaction();
  // Whether a shared read is open.
  bool InReadTransaction();

  // How long a statement waits for another process's lock before failing
  // (kBusyTimeout unless changed).
  static constexpr std::chrono::milliseconds kBusyTimeout{2000};
  void SetBusyTimeout(std::chrono::milliseconds timeout);

  // Whether a database of that name exists; nothing when the store cannot
  // be read.
  std::optional<bool> FindDatabase(std::u16string_view name);
  // The same, a store that cannot be read counting as no database.
  bool Exists(std::u16string_view name) { return FindDatabase(name).value_or(false); }
  // Creates an empty database; nothing if the name is taken or on failure.
  [[nodiscard]] std::optional<uint32_t> Create(std::u16string_view name, uint32_t type,
                                 SortOrder sort_order);
  std::optional<RecordDatabase> OpenByName(std::u16string_view name);
  std::optional<RecordDatabase> OpenById(uint32_t id);
  // Removes the database and all its records.
  [[nodiscard]] bool DeleteDatabase(std::u16string_view name);

  // One write transaction at a time; Begin fails inside one and ends a read
  // shared read first. A failed commit rolls the transaction back.
  [[nodiscard]] bool Begin();
  [[nodiscard]] bool Commit();
  // Fails only when there is nothing to roll back or SQLite has ended the
  // transaction itself; either way nothing of it is left.
  bool Rollback();
  // Whether a write transaction is open (a shared read does not count).
  bool InTransaction() const;

 private:
  friend class RecordDatabase;
  struct Statements;

  explicit ObjectStore(sqlite3* db);
  bool Prepare();
  std::optional<RecordDatabase> OpenWhere(sqlite3_stmt* stmt);
  // Called at the start of every read: ends a shared read past its limit and
  // begins one when no transaction is open.
  void EnterRead();
  // Called before a write outside a transaction.
  // Before a write: ends the shared read; false when a write transaction
  // begun here has been ended by SQLite behind the caller's back.
  bool EnterWrite();
  // Resets every statement still stepping, so that none holds a lock, and
  // tells handles their cursors no longer stand on their current record.
  void ReleaseCursors();
  std::optional<int64_t> DataVersion();
  bool RunSavepoint(const char* sql);
  sqlite3_stmt* TakeCursor();
  void ReturnCursor(sqlite3_stmt* stmt);

  sqlite3* db_ = nullptr;
  std::unique_ptr<Statements> stmts_;
  std::vector<sqlite3_stmt*> free_cursors_;
  int open_handles_ = 0;
  // Begin() succeeded and neither Commit() nor Rollback() has run since.
  bool transaction_begun_ = false;

  // The shared read: whether this store's read transaction is open and when
  // it began (on a coarse monotonic clock).
  bool read_open_ = false;
  std::chrono::nanoseconds read_start_{0};
  // Bumped whenever ReleaseCursors() resets the handles' cursors.
  uint64_t cursor_epoch_ = 0;

  // The record last appended inside the open write transaction. A record of
  // the same database and key takes the next sequence number without a
  // look-up: a bulk import appends runs of records of one key. While the
  // transaction holds the write lock only this connection writes, and its
  // other writes (deletions, a database made under a freed id) never leave
  // a higher number behind, so the next is still above every record of the
  // key. Each transaction's begin and end forget it.
  struct LastAppend {
    uint32_t db_id = 0;
    std::string key;
    int64_t seq = 0;
  };
  std::optional<LastAppend> last_append_;
};

// Begins a transaction and rolls it back on destruction unless committed.
class Transaction {
 public:
  explicit Transaction(ObjectStore& store) : store_(store), active_(store.Begin()) {}
  ~Transaction() {
    if (active_) store_.Rollback();
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  bool Active() const { return active_; }
  [[nodiscard]] bool Commit() {
    if (!active_) return false;
    active_ = false;
    return store_.Commit();
  }

 private:
  ObjectStore& store_;
  bool active_;
};

}  // namespace tv::store
