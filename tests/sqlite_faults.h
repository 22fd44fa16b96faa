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
#include <utility>

#include "platform/store/object_store.h"

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
    real_ = sqlite3_vfs_find(nullptr);
    EXPECT_NE(real_, nullptr);
    vfs_ = *real_;
    vfs_.szOsFile = static_cast<int>(sizeof(File)) + real_->szOsFile;
    vfs_.zName = "terravue-storage-faults";
    vfs_.pNext = nullptr;
    vfs_.xOpen = &Open;
    vfs_.xDelete = [](sqlite3_vfs*, const char* name, int sync) {
      return real_->xDelete(real_, name, sync);
    };
    vfs_.xAccess = [](sqlite3_vfs*, const char* name, int flags, int* out) {
      return real_->xAccess(real_, name, flags, out);
    };
    vfs_.xFullPathname = [](sqlite3_vfs*, const char* name, int n, char* out) {
      return real_->xFullPathname(real_, name, n, out);
    };
    EXPECT_EQ(sqlite3_vfs_register(&vfs_, 1), SQLITE_OK);
  }
  ~SqliteFaults() {
    tv::store::ObjectStore::CloseShared();
    fault_ = Fault::kNone;
    open_hook_ = nullptr;
    sqlite3_vfs_unregister(&vfs_);
    sqlite3_vfs_register(real_, 1);
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
  static inline sqlite3_vfs* real_ = nullptr;
  static inline sqlite3_vfs vfs_{};
  static inline Fault fault_ = Fault::kNone;
  static inline long injected_ = 0;
  static inline std::function<void()> open_hook_;

  struct File {
    sqlite3_file base;
    sqlite3_file* real;
  };
  static sqlite3_file* Real(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real; }

  static int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* out_flags) {
    File* f = reinterpret_cast<File*>(file);
    f->real = reinterpret_cast<sqlite3_file*>(f + 1);
    f->base.pMethods = nullptr;
    if (open_hook_) open_hook_();
    const bool main_db = (flags & SQLITE_OPEN_MAIN_DB) != 0;
    if (main_db && fault_ == Fault::kCantOpen) {
      ++injected_;
      return SQLITE_CANTOPEN;
    }
    if (main_db && fault_ == Fault::kReadOnly) {
      ++injected_;
      flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
    }
    const int rc = real_->xOpen(real_, name, f->real, flags, out_flags);
    f->base.pMethods = f->real->pMethods != nullptr ? &kMethods : nullptr;
    return rc;
  }

  static inline const sqlite3_io_methods kMethods = {
      3,
      [](sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); },
      [](sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
        if (fault_ == Fault::kReadError) {
          ++injected_;
          return SQLITE_IOERR_READ;
        }
        return Real(f)->pMethods->xRead(Real(f), buffer, amount, offset);
      },
      [](sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
        if (fault_ == Fault::kFull) {
          ++injected_;
          return SQLITE_FULL;
        }
        return Real(f)->pMethods->xWrite(Real(f), buffer, amount, offset);
      },
      [](sqlite3_file* f, sqlite3_int64 size) {
        return Real(f)->pMethods->xTruncate(Real(f), size);
      },
      [](sqlite3_file* f, int flags) { return Real(f)->pMethods->xSync(Real(f), flags); },
      [](sqlite3_file* f, sqlite3_int64* size) {
        return Real(f)->pMethods->xFileSize(Real(f), size);
      },
      [](sqlite3_file* f, int lock) { return Real(f)->pMethods->xLock(Real(f), lock); },
      [](sqlite3_file* f, int lock) { return Real(f)->pMethods->xUnlock(Real(f), lock); },
      [](sqlite3_file* f, int* out) {
        return Real(f)->pMethods->xCheckReservedLock(Real(f), out);
      },
      [](sqlite3_file* f, int op, void* arg) {
        return Real(f)->pMethods->xFileControl(Real(f), op, arg);
      },
      [](sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); },
      [](sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); },
      [](sqlite3_file* f, int page, int size, int extend, void volatile** out) {
        return Real(f)->pMethods->xShmMap(Real(f), page, size, extend, out);
      },
      [](sqlite3_file* f, int offset, int n, int flags) {
        return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags);
      },
      [](sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); },
      [](sqlite3_file* f, int delete_flag) {
        return Real(f)->pMethods->xShmUnmap(Real(f), delete_flag);
      },
      [](sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
        return Real(f)->pMethods->xFetch(Real(f), offset, amount, out);
      },
      [](sqlite3_file* f, sqlite3_int64 offset, void* p) {
        return Real(f)->pMethods->xUnfetch(Real(f), offset, p);
      },
  };

};

}  // namespace terravue::testing
