#pragma once

// What the two import fuzz targets share: a scratch device root for the
// whole run, and the check that an import left either nothing or everything.

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "db/device_store.h"
#include "platform/files/files.h"
#include "platform/store/object_store.h"

namespace terravue::fuzz {

// Stops the run with a message: libFuzzer keeps the input that caused it.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "import invariant broken: %s\n", what);
  std::abort();
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A device root made once per process (under TMPDIR, or the system's
// temporary folder) and removed at exit.
class ScratchRoot {
 public:
  static ScratchRoot& Get() {
    static ScratchRoot root;
    return root;
  }
  // Puts `bytes` where the import looks for its text file.
  std::filesystem::path Stage(const std::string& file, const uint8_t* data, size_t size) {
    const std::filesystem::path path = tv::files::WindowsFolder() / file;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
  }
  // Closes the store and deletes its file, and the text file, for the next
  // input.
  void Reset(const std::filesystem::path& text_file) {
    tv::store::ObjectStore::CloseShared();
    std::error_code ignored;
    const std::filesystem::path store = tv::files::ObjectStorePath();
    std::filesystem::remove(store, ignored);
    std::filesystem::remove(store.string() + "-journal", ignored);
    std::filesystem::remove(text_file, ignored);
  }

 private:
  ScratchRoot() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "terravue-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) Fail("no scratch folder");
    root_ = pattern;
    std::filesystem::create_directories(root_ / "windows");
    tv::files::SetDeviceRoot(root_);
    std::atexit([] {
      tv::store::ObjectStore::CloseShared();
      std::error_code ignored;
      std::filesystem::remove_all(Get().root_, ignored);
    });
  }
  std::filesystem::path root_;
};

// After an import of `input` that returned `ok`, reopens the store as the
// next start would and checks: either no database `name` and the text file
// as it was, or the database with exactly `expected_records` records (when
// the file is well formed) and the text file gone. A true result must be the
// second.
inline void CheckOutcome(std::u16string_view name, bool ok, const std::filesystem::path& text_file,
                         std::string_view input, std::optional<int32_t> expected_records) {
  tv::store::ObjectStore::CloseShared();
  tv::store::ObjectStore* store = DeviceStore();
  if (store == nullptr) Fail("the object store cannot be opened");
  const bool file_exists = std::filesystem::exists(text_file);
  if (!store->Exists(name)) {
    if (ok) Fail("import reported success without a database");
    if (!file_exists) Fail("no database and the text file deleted");
    if (ReadBytes(text_file) != input) Fail("no database and the text file changed");
    return;
  }
  if (!expected_records) Fail("a database from a malformed file");
  int32_t count = -1;
  {
    std::optional<tv::store::RecordDatabase> db = store->OpenByName(name);
    if (db) count = db->RecordCount();
  }
  if (count != *expected_records) Fail("a partial database");
  if (file_exists) Fail("a complete database but the text file kept");
  if (!ok) Fail("a complete database but the import reported failure");
}

}  // namespace terravue::fuzz
