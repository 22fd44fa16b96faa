#pragma once

// Shared by the two halves of the store; not part of its interface.

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/store/object_store.h"

namespace tv::store {

struct ObjectStore::Statements {
  sqlite3_stmt* exists = nullptr;
  sqlite3_stmt* create = nullptr;
  sqlite3_stmt* open_by_name = nullptr;
  sqlite3_stmt* open_by_id = nullptr;
  sqlite3_stmt* delete_records = nullptr;
  sqlite3_stmt* delete_database = nullptr;
  sqlite3_stmt* next_seq = nullptr;
  sqlite3_stmt* insert = nullptr;
  sqlite3_stmt* read = nullptr;
  sqlite3_stmt* delete_record = nullptr;
  sqlite3_stmt* count = nullptr;
  sqlite3_stmt* data_version = nullptr;
  sqlite3_stmt* begin = nullptr;
  sqlite3_stmt* begin_read = nullptr;
  sqlite3_stmt* commit = nullptr;
  sqlite3_stmt* rollback = nullptr;
};

// Looks up the records of one key in insertion order, after sequence
// number ?3: the key seek (from 0) and the step to the next equal key.
inline constexpr char kSeekSql[] =
    "SELECT seq, props FROM tv_records WHERE db_id = ?1 AND sort_key = ?2 AND seq > ?3 "
    "ORDER BY seq";

// Runs a statement that returns no rows and resets it.
bool StepDone(sqlite3_stmt* stmt);

// Sort keys in memory are byte strings that compare like the sort order:
// text as its ASCII-folded UTF-16 code units, big-endian, so that byte order
// is code-unit order; integers as the value plus 32768, big-endian.
std::string EncodeTextKey(std::u16string_view text);
std::string EncodeIntKey(int16_t value);
// Binds an in-memory key as the stored column value (a blob for text, an
// integer for int16).
void BindKey(sqlite3_stmt* stmt, int index, SortKind kind, const std::string& key);

}  // namespace tv::store
