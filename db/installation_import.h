#pragma once

#include <functional>
#include <string_view>

#include "db/line_reader.h"

namespace terravue {

// Builds database `name` of the device store from the installation file
// `handheld_path` (such as "\windows\QuorvelZones.txt"), the way both
// first-start imports do:
// - no file: nothing to do, nothing is created;
// - the database exists: it was written whole, in one transaction, from this
//   file (by an earlier start, or by another copy of the program starting at
//   the same moment), so the file is a leftover and is removed;
// - otherwise `fill` creates the database and writes the file's records into
//   it, in one write transaction that also decides whether the database
//   exists. The file is removed once they are committed. A file that cannot
//   be read, that `fill` finds damaged, or that holds no record commits
//   nothing and stays for the next start.
// Returns false only when the import failed and is to be tried again.
[[nodiscard]] bool ImportInstallationFile(std::string_view handheld_path, std::u16string_view name,
                                          const std::function<bool(LineReader&)>& fill);

}  // namespace terravue
