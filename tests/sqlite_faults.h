#pragma once

// A SQLite file system over the default one that makes the disk misbehave as
// a real one can: a store file that opens read-only (write-protected), one
// that cannot be opened at all, a disk that is full (every write fails with
// SQLITE_FULL, as ENOSPC does), and a disk whose reads fail. Permissions do
// not bind root, which the tests run as, so these stand in for them.
//
// While a SqliteFaults object lives it is SQLite's default file system, so
// every connection opened meanwhile goes through it, and a test can see when
// SQLite first touches a file. The fault in force is looked at on every call,
// so changing it also hits connections already open.

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <utility>

#include "platform/store/object_store.h"
#include "tests/sqlite_shim.h"

namespace terravue::testing {

class SqliteFaults {
 public:
  enum class Fault {
    kNone,
    // Files open read-only, as a write-protected file does: reads work and
    // SQLite refuses every write with SQLITE_READONLY.
    kReadOnly,
    // Opening a file fails, as with no permission to read it.
    kCantOpen,
    // Writes fail with SQLITE_FULL (the file system's ENOSPC).
    kFull,
    // Reads fail with SQLITE_IOERR_READ (the file system's EIO).
    kReadError,
  };

  SqliteFaults() {
    tv::store::ObjectStore::CloseShared();
    SqliteShim::Hooks hooks;
    hooks.open = &Open;
    hooks.read = [] { return Fail(Fault::kReadError, SQLITE_IOERR_READ); };
    hooks.write = [] { return Fail(Fault::kFull, SQLITE_FULL); };
    EXPECT_NE(SqliteShim::Wrap("terravue-storage-faults", hooks), nullptr);
    EXPECT_EQ(SqliteShim::MakeDefault(), SQLITE_OK);
  }
  ~SqliteFaults() {
    tv::store::ObjectStore::CloseShared();
    fault_ = Fault::kNone;
    open_hook_ = nullptr;
    SqliteShim::Remove();
  }
  SqliteFaults(const SqliteFaults&) = delete;
  SqliteFaults& operator=(const SqliteFaults&) = delete;

  static void Set(Fault fault) {
    fault_ = fault;
    injected_ = 0;
  }
  // Called at every file SQLite opens, before it is opened; null for none.
  static void SetOpenHook(std::function<void()> hook) { open_hook_ = std::move(hook); }
  // How many calls the fault has failed (or opened read-only) since Set.
  static long Injected() { return injected_; }

 private:
  static inline Fault fault_ = Fault::kNone;
  static inline long injected_ = 0;
  static inline std::function<void()> open_hook_;

  // Fails the call with `code` while `fault` is in force.
  static SqliteShim::Verdict Fail(Fault fault, int code) {
    if (fault_ != fault) return std::nullopt;
    ++injected_;
    return code;
  }

  static SqliteShim::Verdict Open(int& flags) {
    if (open_hook_) open_hook_();
    if ((flags & SQLITE_OPEN_MAIN_DB) == 0) return std::nullopt;
    if (fault_ == Fault::kReadOnly) {
      ++injected_;
      flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
    }
    return Fail(Fault::kCantOpen, SQLITE_CANTOPEN);
  }
};

}  // namespace terravue::testing
