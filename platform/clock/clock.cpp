#include "platform/clock/clock.h"

#include <time.h>

#include <algorithm>
#include <charconv>

namespace tv::clock {

namespace {

std::optional<TimePoint>& FixedInstant() {
  static std::optional<TimePoint> instant;
  return instant;
}

// Days from 1970-01-01 to a proleptic Gregorian date (Howard Hinnant's
// days_from_civil), exact for every year the calendar functions accept.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// 1970-01-01 was a Thursday.
int WeekdayFromDays(int64_t days) { return static_cast<int>(((days % 7) + 7 + 4) % 7); }

constexpr int64_t kOleEpochDays = -25569;  // 1899-12-30 counted from 1970-01-01

SystemTime FromTm(const struct tm& tm, int millisecond) {
  return SystemTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_wday, tm.tm_mday,
                    tm.tm_hour,        tm.tm_min,     tm.tm_sec,  millisecond};
}

int Millisecond(TimePoint instant) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      instant.time_since_epoch()).count() % 1000;
  return static_cast<int>(ms < 0 ? ms + 1000 : ms);
}

time_t Seconds(TimePoint instant) {
  return static_cast<time_t>(
      std::chrono::floor<std::chrono::seconds>(instant).time_since_epoch().count());
}

bool ParseDigits(std::string_view text, size_t pos, size_t count, int& out) {
  if (pos + count > text.size()) return false;
  for (size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return std::from_chars(text.data() + pos, text.data() + pos + count, out).ec == std::errc();
}

}  // namespace

namespace {

// How far Advance has moved the real clock.
std::chrono::milliseconds& Advanced() {
  static std::chrono::milliseconds advanced{0};
  return advanced;
}

// The first instant after kLastClockYear.
TimePoint ClockEnd() {
  return TimePoint(std::chrono::seconds(DaysFromCivil(kLastClockYear + 1, 1, 1) * 86400));
}

}  // namespace

TimePoint Now() {
  if (FixedInstant()) return *FixedInstant();
  return std::chrono::system_clock::now() + Advanced();
}

void SetFixedUtc(std::optional<TimePoint> instant) { FixedInstant() = instant; }

void Advance(std::chrono::milliseconds by) {
  // How far the clock may still move; the difference of two instants within
  // the representable years cannot overflow.
  const auto room = std::chrono::floor<std::chrono::milliseconds>(ClockEnd() - Now());
  by = std::max(std::chrono::milliseconds(0), std::min(by, room));
  if (FixedInstant()) {
    *FixedInstant() += by;
  } else {
    Advanced() += by;
  }
}

SystemTime UtcNow() { return ToUtc(Now()); }

SystemTime ToUtc(TimePoint instant) {
  const time_t seconds = Seconds(instant);
  struct tm tm {};
  gmtime_r(&seconds, &tm);
  return FromTm(tm, Millisecond(instant));
}

std::optional<TimePoint> ParseIsoUtc(std::string_view text) {
  int year, month, day, hour, minute, second;
  if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
      text[13] != ':' || text[16] != ':') {
    return std::nullopt;
  }
  if (!ParseDigits(text, 0, 4, year) || !ParseDigits(text, 5, 2, month) ||
      !ParseDigits(text, 8, 2, day) || !ParseDigits(text, 11, 2, hour) ||
      !ParseDigits(text, 14, 2, minute) || !ParseDigits(text, 17, 2, second)) {
    return std::nullopt;
  }
  int millisecond = 0;
  size_t pos = 19;
  if (text[pos] == '.') {
    const size_t start = ++pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
    const size_t digits = pos - start;
    if (digits == 0 || digits > 3) return std::nullopt;
    ParseDigits(text, start, digits, millisecond);
    for (size_t i = digits; i < 3; ++i) millisecond *= 10;
  }
  if (pos + 1 != text.size() || text[pos] != 'Z') return std::nullopt;
  if (!IsValidDate(year, month, day) || year < kFirstClockYear || year > kLastClockYear ||
      hour > 23 || minute > 59 || second > 59) {
    return std::nullopt;
  }
  const int64_t days = DaysFromCivil(year, month, day);
  const int64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second;
  return TimePoint(std::chrono::seconds(seconds)) + std::chrono::milliseconds(millisecond);
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  return year >= kMinYear && year <= kMaxYear && day >= 1 && day <= DaysInMonth(year, month);
}

int DayOfWeek(int year, int month, int day) {
  if (!IsValidDate(year, month, day)) return -1;
  return WeekdayFromDays(DaysFromCivil(year, month, day));
}

std::optional<int64_t> ToOleDays(int year, int month, int day) {
  if (!IsValidDate(year, month, day)) return std::nullopt;
  return DaysFromCivil(year, month, day) - kOleEpochDays;
}

std::optional<SystemTime> AddDays(const SystemTime& time, int days) {
  if (!IsValidDate(time.year, time.month, time.day)) return std::nullopt;
  const int64_t moved = DaysFromCivil(time.year, time.month, time.day) + days;
  SystemTime out = time;
  CivilFromDays(moved, out.year, out.month, out.day);
  if (out.year < kMinYear || out.year > kMaxYear) return std::nullopt;
  out.day_of_week = WeekdayFromDays(moved);
  return out;
}

}  // namespace tv::clock
