#include "platform/store/record_database.h"

#include <sqlite3.h>

#include <bit>
#include <cstring>
#include <utility>

#include "platform/store/object_store.h"
#include "platform/store/store_internal.h"

namespace tv::store {

namespace {

// A record is stored as one blob: for each property its id (2 bytes), a type
// byte and the value; text as a 4-byte count of UTF-16 code units and the
// units, integers as 2 bytes; all little-endian.
constexpr uint8_t kTextType = 1;
constexpr uint8_t kInt16Type = 2;

void PutU16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xff));
  out.push_back(static_cast<char>(v >> 8));
}

std::string EncodeProperties(const std::vector<Property>& properties) {
  size_t size = 0;
  for (const Property& p : properties) {
    const auto* text = std::get_if<std::u16string>(&p.value);
    size += text ? 7 + 2 * text->size() : 5;
  }
  std::string out;
  out.reserve(size);
  for (const Property& p : properties) {
    PutU16(out, p.id);
    if (const auto* text = std::get_if<std::u16string>(&p.value)) {
      out.push_back(static_cast<char>(kTextType));
      const auto n = static_cast<uint32_t>(text->size());
      PutU16(out, static_cast<uint16_t>(n & 0xffff));
      PutU16(out, static_cast<uint16_t>(n >> 16));
      if constexpr (std::endian::native == std::endian::little) {
        out.append(reinterpret_cast<const char*>(text->data()), 2 * text->size());
      } else {
        for (char16_t c : *text) PutU16(out, c);
      }
    } else {
      out.push_back(static_cast<char>(kInt16Type));
      PutU16(out, static_cast<uint16_t>(std::get<int16_t>(p.value)));
    }
  }
  return out;
}

// Rejects anything that does not parse exactly, so a damaged blob reads as a
// failure rather than as wrong text.
std::optional<std::vector<Property>> DecodeProperties(const uint8_t* data, size_t size) {
  std::vector<Property> properties;
  properties.reserve(8);
  size_t i = 0;
  auto u16 = [&](size_t at) { return static_cast<uint16_t>(data[at] | (data[at + 1] << 8)); };
  while (i < size) {
    if (size - i < 3) return std::nullopt;
    Property p;
    p.id = u16(i);
    const uint8_t type = data[i + 2];
    i += 3;
    if (type == kTextType) {
      if (size - i < 4) return std::nullopt;
      const uint32_t n = u16(i) | (static_cast<uint32_t>(u16(i + 2)) << 16);
      i += 4;
      if ((size - i) / 2 < n) return std::nullopt;
      std::u16string text(n, u'\0');
      if constexpr (std::endian::native == std::endian::little) {
        if (n > 0) std::memcpy(text.data(), data + i, 2 * static_cast<size_t>(n));
      } else {
        for (uint32_t k = 0; k < n; ++k) text[k] = static_cast<char16_t>(u16(i + 2 * k));
      }
      i += 2 * static_cast<size_t>(n);
      p.value = std::move(text);
    } else if (type == kInt16Type) {
      if (size - i < 2) return std::nullopt;
      p.value = static_cast<int16_t>(u16(i));
      i += 2;
    } else {
      return std::nullopt;
    }
    properties.push_back(std::move(p));
  }
  return properties;
}

}  // namespace

std::optional<Record> RecordDatabase::RecordFromColumn(sqlite3_stmt* stmt, int column) {
  if (sqlite3_column_type(stmt, column) != SQLITE_BLOB) return std::nullopt;
  const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(stmt, column));
  const auto size = static_cast<size_t>(sqlite3_column_bytes(stmt, column));
  auto properties = DecodeProperties(data, size);
  if (!properties) return std::nullopt;
  Record record;
  record.properties_ = std::move(*properties);
  return record;
}

void Record::AddText(uint16_t id, std::u16string_view text) {
  properties_.push_back({id, std::u16string(text)});
}

void Record::AddInt16(uint16_t id, int16_t value) { properties_.push_back({id, value}); }

const std::u16string* Record::Text(uint16_t id) const {
  for (const Property& p : properties_) {
    if (p.id == id) return std::get_if<std::u16string>(&p.value);
  }
  return nullptr;
}

std::optional<int16_t> Record::Int16(uint16_t id) const {
  for (const Property& p : properties_) {
    if (p.id != id) continue;
    if (const auto* v = std::get_if<int16_t>(&p.value)) return *v;
    return std::nullopt;
  }
  return std::nullopt;
}

RecordDatabase::RecordDatabase(ObjectStore* store, uint32_t db_id, uint32_t type,
                               SortOrder sort_order)
    : store_(store), db_id_(db_id), type_(type), sort_order_(sort_order) {
  ++store_->open_handles_;
}

RecordDatabase::RecordDatabase(RecordDatabase&& other) noexcept { *this = std::move(other); }

RecordDatabase& RecordDatabase::operator=(RecordDatabase&& other) noexcept {
  if (this == &other) return *this;
  Close();
  store_ = std::exchange(other.store_, nullptr);
  db_id_ = other.db_id_;
  type_ = other.type_;
  sort_order_ = other.sort_order_;
  has_current_ = std::exchange(other.has_current_, false);
  current_key_ = std::move(other.current_key_);
  current_seq_ = other.current_seq_;
  cursor_ = std::exchange(other.cursor_, nullptr);
  cursor_on_current_ = std::exchange(other.cursor_on_current_, false);
  cursor_epoch_ = other.cursor_epoch_;
  return *this;
}

RecordDatabase::~RecordDatabase() { Close(); }

void RecordDatabase::Close() {
  if (!store_) return;
  ResetCursor();
  if (cursor_) store_->ReturnCursor(cursor_);
  cursor_ = nullptr;
  --store_->open_handles_;
  store_ = nullptr;
  has_current_ = false;
}

bool RecordDatabase::CursorOnCurrent() const {
  return cursor_on_current_ && cursor_epoch_ == store_->cursor_epoch_;
}

void RecordDatabase::ResetCursor() {
  // A finished or abandoned cursor must not hold its read transaction open.
  if (cursor_) sqlite3_reset(cursor_);
  cursor_on_current_ = false;
}

void RecordDatabase::ClearCurrent() {
  ResetCursor();
  has_current_ = false;
}

bool RecordDatabase::SeekFirstEqual(std::u16string_view key) {
  if (!store_ || sort_order_.kind != SortKind::kTextNoCase) return false;
  store_->EnterRead();
  ClearCurrent();
  current_key_ = EncodeTextKey(key);
  return StepCursorAfter(0);
}

bool RecordDatabase::SeekFirstEqual(int16_t key) {
  if (!store_ || sort_order_.kind != SortKind::kInt16) return false;
  store_->EnterRead();
  ClearCurrent();
  current_key_ = EncodeIntKey(key);
  return StepCursorAfter(0);
}

bool RecordDatabase::StepCursorAfter(int64_t after) {
  if (!cursor_) cursor_ = store_->TakeCursor();
  if (!cursor_) return false;
  sqlite3_reset(cursor_);
  sqlite3_bind_int64(cursor_, 1, db_id_);
  BindKey(cursor_, 2, sort_order_.kind, current_key_);
  // Sequence numbers start at 1.
  sqlite3_bind_int64(cursor_, 3, after);
  if (sqlite3_step(cursor_) != SQLITE_ROW) {
    ClearCurrent();
    return false;
  }
  has_current_ = true;
  current_seq_ = sqlite3_column_int64(cursor_, 0);
  cursor_on_current_ = true;
  cursor_epoch_ = store_->cursor_epoch_;
  return true;
}

bool RecordDatabase::SeekNextEqual() {
  if (!store_ || !has_current_) return false;
  store_->EnterRead();
  // The cursor walks this key's records in insertion order; once the store
  // has reset it, it starts again after the current record.
  if (!CursorOnCurrent()) return StepCursorAfter(current_seq_);
  if (sqlite3_step(cursor_) != SQLITE_ROW) {
    ClearCurrent();
    return false;
  }
  current_seq_ = sqlite3_column_int64(cursor_, 0);
  return true;
}

std::optional<Record> RecordDatabase::ReadRecord() {
  if (!store_ || !has_current_) return std::nullopt;
  store_->EnterRead();
  if (CursorOnCurrent()) return RecordFromColumn(cursor_, 1);
  sqlite3_stmt* stmt = store_->stmts_->read;
  sqlite3_bind_int64(stmt, 1, db_id_);
  BindKey(stmt, 2, sort_order_.kind, current_key_);
  sqlite3_bind_int64(stmt, 3, current_seq_);
  std::optional<Record> record;
  if (sqlite3_step(stmt) == SQLITE_ROW) record = RecordFromColumn(stmt, 0);
  sqlite3_reset(stmt);
  return record;
}

bool RecordDatabase::AppendRecord(const Record& record) {
  if (!store_) return false;
  ClearCurrent();
  if (!store_->EnterWrite()) return false;
  std::string key;
  if (sort_order_.kind == SortKind::kTextNoCase) {
    const std::u16string* text = record.Text(sort_order_.prop_id);
    if (!text) return false;
    key = EncodeTextKey(*text);
  } else {
    const auto value = record.Int16(sort_order_.prop_id);
    if (!value) return false;
    key = EncodeIntKey(*value);
  }
  const std::string props = EncodeProperties(record.Properties());
  auto& s = *store_->stmts_;
  auto& last = store_->last_append_;
  int64_t seq = 0;
  bool ok = true;
  if (store_->transaction_begun_ && last && last->db_id == db_id_ && last->key == key) {
    seq = last->seq + 1;
  } else {
    // The look-up of the next sequence number also checks that the database
    // still exists.
    sqlite3_bind_int64(s.next_seq, 1, db_id_);
    BindKey(s.next_seq, 2, sort_order_.kind, key);
    ok = sqlite3_step(s.next_seq) == SQLITE_ROW &&
         sqlite3_column_type(s.next_seq, 0) == SQLITE_INTEGER;
    seq = ok ? sqlite3_column_int64(s.next_seq, 1) : 0;
    sqlite3_reset(s.next_seq);
  }
  last.reset();
  if (ok) {
    sqlite3_bind_int64(s.insert, 1, db_id_);
    BindKey(s.insert, 2, sort_order_.kind, key);
    sqlite3_bind_int64(s.insert, 3, seq);
    sqlite3_bind_blob(s.insert, 4, props.data(), static_cast<int>(props.size()), SQLITE_STATIC);
    const int rc = sqlite3_step(s.insert);
    sqlite3_reset(s.insert);
    sqlite3_clear_bindings(s.insert);
    ok = rc == SQLITE_DONE;
  }
  if (ok && store_->transaction_begun_) {
    last = ObjectStore::LastAppend{db_id_, std::move(key), seq};
  }
  return ok;
}

bool RecordDatabase::DeleteRecord() {
  if (!store_ || !has_current_) return false;
  const std::string key = current_key_;
  const int64_t seq = current_seq_;
  ClearCurrent();
  if (!store_->EnterWrite()) return false;
  sqlite3_stmt* stmt = store_->stmts_->delete_record;
  sqlite3_bind_int64(stmt, 1, db_id_);
  BindKey(stmt, 2, sort_order_.kind, key);
  sqlite3_bind_int64(stmt, 3, seq);
  const int rc = sqlite3_step(stmt);
  sqlite3_reset(stmt);
  const bool deleted = rc == SQLITE_DONE && sqlite3_changes(store_->db_) == 1;
  return deleted;
}

int32_t RecordDatabase::RecordCount() {
  if (!store_) return -1;
  store_->EnterRead();
  sqlite3_stmt* stmt = store_->stmts_->count;
  sqlite3_bind_int64(stmt, 1, db_id_);
  int32_t count = -1;
  if (sqlite3_step(stmt) == SQLITE_ROW) count = sqlite3_column_int(stmt, 0);
  sqlite3_reset(stmt);
  return count;
}

}  // namespace tv::store
