#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3_stmt;

namespace tv::store {

class ObjectStore;

// How a database orders its records: by one property, either text compared
// case-blind on ASCII letters (as tv::CompareNoCase does) or a signed 16-bit
// integer.
enum class SortKind : uint8_t { kTextNoCase = 1, kInt16 = 2 };

struct SortOrder {
  uint16_t prop_id = 0;
  SortKind kind = SortKind::kTextNoCase;
};

struct Property {
  uint16_t id = 0;
  std::variant<std::u16string, int16_t> value;
};

// The properties of one record, in the order they were added.
class Record {
 public:
  void AddText(uint16_t id, std::u16string_view text);
  void AddInt16(uint16_t id, int16_t value);

  // The first property with this id, if it holds the asked-for type.
  const std::u16string* Text(uint16_t id) const;
  std::optional<int16_t> Int16(uint16_t id) const;

  const std::vector<Property>& Properties() const { return properties_; }

 private:
  friend class RecordDatabase;
  std::vector<Property> properties_;
};

// An open database of an ObjectStore. Opening and closing are cheap: the
// handle only names the database and keeps a current record. Every operation
// fails quietly (-1, false or nothing) on a closed handle or a store error.
// The ObjectStore must outlive its handles.
//
// Records with equal keys keep their insertion order.
class RecordDatabase {
 public:
  RecordDatabase() = default;
  RecordDatabase(RecordDatabase&& other) noexcept;
  RecordDatabase& operator=(RecordDatabase&& other) noexcept;
  RecordDatabase(const RecordDatabase&) = delete;
  RecordDatabase& operator=(const RecordDatabase&) = delete;
  ~RecordDatabase();

  bool IsOpen() const { return store_ != nullptr; }
  uint32_t Id() const { return db_id_; }
  uint32_t Type() const { return type_; }
  SortOrder Order() const { return sort_order_; }

  // Makes the first record (in sort order) whose key equals `key` current;
  // false when there is none. A text key on an integer-sorted database (or
  // the reverse) finds nothing.
  bool SeekFirstEqual(std::u16string_view key);
  bool SeekFirstEqual(int16_t key);
  // Moves to the next record whose key equals the current record's key;
  // false when there is none (the current record is then cleared).
  bool SeekNextEqual();

  // All properties of the current record.
  std::optional<Record> ReadRecord();

  // Writes a new record; it must carry the sort property with the sort
  // order's type. Clears the current record.
  [[nodiscard]] bool AppendRecord(const Record& record);
  // Deletes the current record; there is no current record afterwards.
  [[nodiscard]] bool DeleteRecord();

  // Number of records, or -1 on failure.
  int32_t RecordCount();

  void Close();

 private:
  friend class ObjectStore;
  RecordDatabase(ObjectStore* store, uint32_t db_id, uint32_t type,
                 SortOrder sort_order);

  // Runs the cursor over the current key's records after sequence number
  // `after`, making the first of them current.
  bool StepCursorAfter(int64_t after);
  // Decodes a stored record; nothing if the blob does not parse.
  static std::optional<Record> RecordFromColumn(sqlite3_stmt* stmt, int column);
  // Whether `cursor_` still stands on the current record; the store resets
  // cursors when a shared read ends.
  bool CursorOnCurrent() const;
  void ResetCursor();
  void ClearCurrent();

  ObjectStore* store_ = nullptr;
  uint32_t db_id_ = 0;
  uint32_t type_ = 0;
  SortOrder sort_order_;

  // The current record: its encoded sort key and insertion sequence.
  // `cursor_` walks the records of one key in insertion order and stays on
  // the current record while it came from a key seek, so stepping through
  // equal keys costs one step each. `cursor_epoch_` is the store's cursor
  // epoch when it was placed there.
  bool has_current_ = false;
  std::string current_key_;
  int64_t current_seq_ = 0;
  sqlite3_stmt* cursor_ = nullptr;
  bool cursor_on_current_ = false;
  uint64_t cursor_epoch_ = 0;
};

}  // namespace tv::store
