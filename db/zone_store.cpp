#include "db/zone_store.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <vector>

#include "db/country_store.h"
#include "db/device_store.h"
#include "db/installation_import.h"
#include "db/line_reader.h"
#include "db/text_bounds.h"
#include "platform/base/utf.h"
#include "platform/files/files.h"

namespace terravue {
namespace {

constexpr std::string_view kZonesFile = "\\windows\\QuorvelZones.txt";
constexpr std::u16string_view kWeekdays[] = {u"Mon", u"Tue", u"Wed", u"Thu",
                                             u"Fri", u"Sat", u"Sun"};

int ClampToInt(long v) {
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

// A rule is kept as the text "occurrence weekday month", so that the three
// numbers come back exactly as the zones file gave them.
std::u16string RuleText(const ZoneRule& rule) {
  const std::string text = std::to_string(rule.occurrence) + " " + std::to_string(rule.weekday) +
                           " " + std::to_string(rule.month);
  return tv::Utf8ToUtf16(text);
}

std::optional<ZoneRule> ParseRuleText(const std::u16string* text) {
  if (text == nullptr) return std::nullopt;
  ZoneRule rule;
  const std::string ascii = tv::Utf16ToUtf8(*text);
  if (std::sscanf(ascii.c_str(), "%d %d %d", &rule.occurrence, &rule.weekday, &rule.month) != 3) {
    return std::nullopt;
  }
  return rule;
}

// Offset text to hours east of UTC, standard time: the text counts minutes
// by which UTC is ahead of the zone.
double StandardHours(std::u16string_view offset_text) {
  const double k = 1.0 / 60.0;
  return (ParseDouble(offset_text) * k) * -1.0;
}

std::u16string FormatNumber(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return tv::Utf8ToUtf16(buffer);
}

}  // namespace

std::optional<ZoneRecord> ZoneRecordStore::GetZone(int16_t zone) {
  tv::store::ObjectStore* store = DeviceStore();
  if (store == nullptr) return std::nullopt;
  std::optional<tv::store::RecordDatabase> db = store->OpenByName(kName);
  if (!db || !db->SeekFirstEqual(zone)) return std::nullopt;
  const std::optional<tv::store::Record> record = db->ReadRecord();
  if (!record) return std::nullopt;
  const std::u16string* offset_text = record->Text(kOffsetProp);
  const std::u16string* standard = record->Text(kStandardNameProp);
  const std::u16string* daylight = record->Text(kDaylightNameProp);
  const std::optional<ZoneRule> end_rule = ParseRuleText(record->Text(kEndRuleProp));
  const std::optional<ZoneRule> start_rule = ParseRuleText(record->Text(kStartRuleProp));
  if (!offset_text || !standard || !daylight || !end_rule || !start_rule) return std::nullopt;
  // An offset that no arithmetic can use is no zone: converting it to hours
  // and whole numbers would be undefined.
  if (!IsUsableOffsetText(*offset_text)) return std::nullopt;
  return ZoneRecord{BoundedText(*offset_text), BoundedText(*standard), BoundedText(*daylight),
                    *end_rule, *start_rule};
}

bool ZoneRecordStore::IsUsableOffsetText(std::u16string_view text) {
  // The number is read as the C library reads it, which also takes
  // hexadecimal, "inf" and "nan": an offset is written in decimal.
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
  const std::u16string_view number = text.substr(i);
  auto starts_with_word = [number](std::u16string_view word) {
    if (number.size() < word.size()) return false;
    for (size_t k = 0; k < word.size(); ++k) {
      if ((number[k] | 0x20) != word[k]) return false;
    }
    return true;
  };
  if (starts_with_word(u"0x") || starts_with_word(u"inf") || starts_with_word(u"nan")) {
    return false;
  }
  const double minutes = ParseDouble(text);
  return std::isfinite(minutes) && std::fabs(minutes) <= kMinutesPerDay;
}

bool ZoneRecordStore::IsZoneInDaylightTime(int16_t zone, DaylightChange change) {
  const std::optional<ZoneRecord> record = GetZone(zone);
  return record && IsZoneInDaylightTime(*record, change);
}

bool ZoneRecordStore::IsZoneInDaylightTime(const ZoneRecord& zone, DaylightChange change) {
  return IsDaylightTimeAt(zone.start, zone.end, StandardHours(zone.offset), change,
                          tv::clock::Now());
}

double ZoneRecordStore::GetZoneUtcOffset(int16_t zone, DaylightChange change) {
  const std::optional<ZoneRecord> record = GetZone(zone);
  if (!record) return kUnknownOffset;
  const double k = 1.0 / 60.0;
  const double v = ParseDouble(record->offset);
  if (record->end.month == 0 || !IsZoneInDaylightTime(*record, change)) return (v * k) * -1.0;
  return ((v - 60.0) * k) * -1.0;
}

void ZoneRecordStore::FormatZoneOffset(int16_t zone, DaylightChange change,
                                       std::u16string& text) {
  const std::optional<ZoneRecord> record = GetZone(zone);
  if (!record) {
    text = u"N/A";
    return;
  }
  double hours = StandardHours(record->offset);
  std::u16string name = record->standard_name;
  if (IsZoneInDaylightTime(*record, change)) {
    hours += 1.0;
    name = record->daylight_name;
  }
  // Greenwich shows "0.0": a negative zero would print as "-0.0".
  if (hours == 0.0) hours = 0.0;
  std::u16string result = hours > 0 ? u"+" : u"";
  result += FormatNumber("%.1f", hours) + u" " + name;
  text = BoundedText(result);
}

std::u16string ZoneRecordStore::FormatLocalTime(const tv::clock::SystemTime& now, double hours) {
  const int whole = static_cast<int>(std::trunc(hours));
  const int off_minutes = static_cast<int>(std::trunc((hours - whole) * -60.0));
  int minute = now.minute - off_minutes;
  int hour = whole + now.hour;
  if (minute < 0) {
    minute += 60;
    hour -= 1;
  } else if (minute > 59) {
    minute -= 60;
    hour += 1;
  }
  tv::clock::SystemTime date = now;
  if (hour < 0) {
    hour += 24;
    date = SubtractOneDay(now);
  } else if (hour >= 24) {
    hour -= 24;
    date = AddOneDay(now);
  }
  const char* suffix = hour < 12 ? "AM" : "PM";
  const int shown = hour % 12 == 0 ? 12 : hour % 12;
  const std::u16string_view weekday = kWeekdays[(date.day_of_week + 6) % 7];
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, minute >= 10 ? " %d/%d %d:%d %s" : " %d/%d %d:0%d %s",
                date.month, date.day, shown, minute, suffix);
  return std::u16string(weekday) + tv::Utf8ToUtf16(buffer);
}

void ZoneRecordStore::FormatCountryLocalTime(std::u16string_view country, DaylightChange change,
                                             std::u16string& text) {
  const tv::clock::SystemTime now = tv::clock::UtcNow();
  std::u16string value;
  if (!CountryRecordStore::GetCountryField(country, u"geography", u"Timezone", value) ||
      value == u"N/A") {
    text = u"N/A";
    return;
  }
  const long number = ParseLong(value);
  const double hours = number < INT16_MIN || number > INT16_MAX
                           ? kUnknownOffset
                           : GetZoneUtcOffset(static_cast<int16_t>(number), change);
  if (hours == kUnknownOffset) {
    text.clear();
    return;
  }
  text = FormatLocalTime(now, hours);
}

tv::clock::SystemTime AddOneDay(const tv::clock::SystemTime& time) {
  return tv::clock::AddDays(time, 1).value_or(time);
}

tv::clock::SystemTime SubtractOneDay(const tv::clock::SystemTime& time) {
  return tv::clock::AddDays(time, -1).value_or(time);
}

Deletion ZoneRecordStore::DeleteZoneStore() { return DeleteDeviceDatabase(kName); }

namespace {

bool IsBlank(std::u16string_view line) {
  return line.find_first_not_of(u" \t\r") == std::u16string_view::npos;
}

// One zone line's record; nothing when the line is not a zone: fewer than
// ten fields, a number outside 16 bits, an offset that is no number of
// minutes.
std::optional<tv::store::Record> ZoneOfLine(std::u16string_view line) {
  std::vector<std::u16string_view> fields;
  std::u16string_view rest = line;
  while (fields.size() < 9) {
    const size_t comma = rest.find(u',');
    if (comma == std::u16string_view::npos) return std::nullopt;
    fields.push_back(rest.substr(0, comma));
    rest.remove_prefix(comma + 1);
  }
  fields.push_back(rest);
  const long number = ParseLong(fields[0]);
  if (number < INT16_MIN || number > INT16_MAX) return std::nullopt;
  if (!ZoneRecordStore::IsUsableOffsetText(fields[3])) return std::nullopt;
  const ZoneRule start{ClampToInt(ParseLong(fields[6])), ClampToInt(ParseLong(fields[5])),
                       ClampToInt(ParseLong(fields[4]))};
  const ZoneRule end{ClampToInt(ParseLong(fields[9])), ClampToInt(ParseLong(fields[8])),
                     ClampToInt(ParseLong(fields[7]))};
  tv::store::Record record;
  record.AddInt16(ZoneRecordStore::kNumberProp, static_cast<int16_t>(number));
  record.AddText(ZoneRecordStore::kStandardNameProp, fields[1]);
  record.AddText(ZoneRecordStore::kDaylightNameProp, fields[2]);
  record.AddText(ZoneRecordStore::kOffsetProp, fields[3]);
  record.AddText(ZoneRecordStore::kStartRuleProp, RuleText(start));
  record.AddText(ZoneRecordStore::kEndRuleProp, RuleText(end));
  return record;
}

}  // namespace

bool ZoneRecordStore::ImportZoneData() {
  return ImportInstallationFile(kZonesFile, kName, [](LineReader& reader) {
    tv::store::ObjectStore* store = DeviceStore();
    const std::optional<uint32_t> id =
        store ? store->Create(kName, kType, {kNumberProp, tv::store::SortKind::kInt16})
              : std::nullopt;
    std::optional<tv::store::RecordDatabase> db;
    if (id) db = store->OpenById(*id);
    if (!db) return false;
    while (const std::optional<std::u16string> line = reader.ReadLine()) {
      if (IsBlank(*line)) continue;
      const std::optional<tv::store::Record> record = ZoneOfLine(*line);
      if (!record || !db->AppendRecord(*record)) return false;
    }
    return true;
  });
}

}  // namespace terravue
