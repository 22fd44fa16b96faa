#pragma once

// A SQLite file system that passes every call on to the default one, for
// tests that make the disk misbehave. The user gives a few hooks, each looked
// at before its call is passed on: a hook that returns a code ends the call
// with that code (the real file system never sees it), one that returns
// nothing lets the call through. Calls without a hook always go through.
//
// There is one shim per process, as SQLite has one default file system:
// Wrap builds it over the default of the moment, MakeDefault makes it the
// default (again after sqlite3_initialize, which makes SQLite's own the
// default), and Remove gives the default back.

#include <sqlite3.h>

#include <optional>

namespace terravue::testing {

// The hooks of a SqliteShim. A hook's answer is a code to end the call with,
// or nothing to pass it on.
struct SqliteShimHooks {
  // Before a file is opened, with the flags it is to be opened with, which
  // the hook may change.
  std::optional<int> (*open)(int& flags) = nullptr;
  std::optional<int> (*read)() = nullptr;
  std::optional<int> (*write)() = nullptr;
  std::optional<int> (*truncate)() = nullptr;
  std::optional<int> (*sync)() = nullptr;
};

class SqliteShim {
 public:
  using Hooks = SqliteShimHooks;
  using Verdict = std::optional<int>;

  // Builds the shim, named `name`, over the current default file system (the
  // one found the first time, should the shim itself be the default) and
  // returns that file system, null if SQLite has none.
  static sqlite3_vfs* Wrap(const char* name, const Hooks& hooks) {
    sqlite3_vfs* found = sqlite3_vfs_find(nullptr);
    if (found != nullptr && found != &vfs_) real_ = found;
    hooks_ = hooks;
    if (real_ == nullptr) return nullptr;
    vfs_ = *real_;
    vfs_.szOsFile = static_cast<int>(sizeof(File)) + real_->szOsFile;
    vfs_.zName = name;
    vfs_.pNext = nullptr;
    vfs_.xOpen = &Open;
    vfs_.xDelete = [](sqlite3_vfs*, const char* path, int sync) {
      return real_->xDelete(real_, path, sync);
    };
    vfs_.xAccess = [](sqlite3_vfs*, const char* path, int flags, int* out) {
      return real_->xAccess(real_, path, flags, out);
    };
    vfs_.xFullPathname = [](sqlite3_vfs*, const char* path, int n, char* out) {
      return real_->xFullPathname(real_, path, n, out);
    };
    return real_;
  }
  // Registers the shim as SQLite's default file system; SQLite's result code.
  static int MakeDefault() {
    if (real_ == nullptr) return SQLITE_ERROR;
    return sqlite3_vfs_register(&vfs_, 1);
  }
  // Unregisters the shim, drops its hooks and makes the wrapped file system
  // the default again.
  static void Remove() {
    hooks_ = Hooks{};
    if (real_ == nullptr) return;
    sqlite3_vfs_unregister(&vfs_);
    sqlite3_vfs_register(real_, 1);
  }

 private:
  // The shim's file: SQLite allocates szOsFile bytes, this header first and
  // the real file system's own file right after it.
  struct File {
    sqlite3_file base;
    sqlite3_file* real;
  };
  static sqlite3_file* Real(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real; }

  static int Open(sqlite3_vfs*, const char* path, sqlite3_file* file, int flags, int* out_flags) {
    File* f = reinterpret_cast<File*>(file);
    f->real = reinterpret_cast<sqlite3_file*>(f + 1);
    f->base.pMethods = nullptr;
    if (hooks_.open != nullptr) {
      if (const Verdict verdict = hooks_.open(flags)) return *verdict;
    }
    const int rc = real_->xOpen(real_, path, f->real, flags, out_flags);
    f->base.pMethods = f->real->pMethods != nullptr ? &kMethods : nullptr;
    return rc;
  }

  static inline sqlite3_vfs* real_ = nullptr;
  static inline sqlite3_vfs vfs_{};
  static inline Hooks hooks_{};

  static inline const sqlite3_io_methods kMethods = {
      3,
      [](sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); },
      [](sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
        if (hooks_.read != nullptr) {
          if (const Verdict verdict = hooks_.read()) return *verdict;
        }
        return Real(f)->pMethods->xRead(Real(f), buffer, amount, offset);
      },
      [](sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
        if (hooks_.write != nullptr) {
          if (const Verdict verdict = hooks_.write()) return *verdict;
        }
        return Real(f)->pMethods->xWrite(Real(f), buffer, amount, offset);
      },
      [](sqlite3_file* f, sqlite3_int64 size) {
        if (hooks_.truncate != nullptr) {
          if (const Verdict verdict = hooks_.truncate()) return *verdict;
        }
        return Real(f)->pMethods->xTruncate(Real(f), size);
      },
      [](sqlite3_file* f, int flags) {
        if (hooks_.sync != nullptr) {
          if (const Verdict verdict = hooks_.sync()) return *verdict;
        }
        return Real(f)->pMethods->xSync(Real(f), flags);
      },
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
