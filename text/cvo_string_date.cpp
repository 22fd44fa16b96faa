// Dates and times written the way the user's locale writes them, through the
// C library's locale data (nl_langinfo, strftime, strptime).

// strptime, newlocale and the other POSIX 2008 calls: declared by default
// with glibc, only on request by stricter C libraries.
#if !defined(_GNU_SOURCE) && !defined(_XOPEN_SOURCE)
#define _XOPEN_SOURCE 700
#endif

#include <clocale>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include <langinfo.h>
#include <locale.h>

#include "platform/base/utf.h"
#include "text/cvo_string.h"

namespace terravue {

namespace {

// Debug builds explain a failed parse on standard error; release builds say
// nothing.
void DebugMessage(const char* text) {
#ifndef NDEBUG
  std::fputs(text, stderr);
#else
  (void)text;
#endif
}

// The user's conventions for dates (LC_TIME, and LC_CTYPE for the bytes of
// month and day names), or the C locale's when the environment names a
// locale this machine does not have.
class UserTimeLocale {
 public:
  UserTimeLocale() {
    locale_ = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (locale_ == static_cast<locale_t>(0)) {
      locale_ = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    }
  }
  ~UserTimeLocale() {
    if (locale_ != static_cast<locale_t>(0)) freelocale(locale_);
  }
  UserTimeLocale(const UserTimeLocale&) = delete;
  UserTimeLocale& operator=(const UserTimeLocale&) = delete;

  locale_t Get() const { return locale_; }

  std::string DateFormat() const { return Info(D_FMT, "%m/%d/%Y"); }
  // The locale's date with the year always in four digits, so that a date
  // written and read back keeps its century.
  std::string FullYearDateFormat() const {
    std::string format = DateFormat();
    for (size_t at = format.find("%y"); at != std::string::npos; at = format.find("%y", at)) {
      format[at + 1] = 'Y';
    }
    return format;
  }
  std::string TimeFormat() const { return Info(T_FMT, "%H:%M:%S"); }

 private:
  std::string Info(nl_item item, const char* fallback) const {
    if (locale_ == static_cast<locale_t>(0)) return fallback;
    const char* value = nl_langinfo_l(item, locale_);
    return (value != nullptr && *value != '\0') ? value : fallback;
  }

  locale_t locale_;
};

// Makes `locale` the calling thread's locale for as long as it lives
// (strptime has no variant that takes a locale).
class ThreadLocaleScope {
 public:
  explicit ThreadLocaleScope(locale_t locale)
      : previous_(locale == static_cast<locale_t>(0) ? static_cast<locale_t>(0)
                                                      : uselocale(locale)) {}
  ~ThreadLocaleScope() {
    if (previous_ != static_cast<locale_t>(0)) uselocale(previous_);
  }
  ThreadLocaleScope(const ThreadLocaleScope&) = delete;
  ThreadLocaleScope& operator=(const ThreadLocaleScope&) = delete;

 private:
  locale_t previous_;
};

// 30 December 1899: day zero of the calendar, the date of a time alone.
constexpr int kZeroYear = 1899;
constexpr int kZeroMonth = 12;
constexpr int kZeroDay = 30;

bool IsZeroDate(const tv::clock::SystemTime& t) {
  return t.year == kZeroYear && t.month == kZeroMonth && t.day == kZeroDay;
}

bool IsValid(const tv::clock::SystemTime& t) {
  return t.year >= tv::clock::kMinYear && t.year <= tv::clock::kMaxYear &&
         tv::clock::IsValidDate(t.year, t.month, t.day) && t.hour >= 0 && t.hour < 24 &&
         t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second < 60;
}

bool OnlySpaces(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  return *p == '\0';
}

enum class ParseResult { kOk, kTypeMismatch, kOverflow, kFailed };

struct Candidate {
  std::string format;
  bool has_date;
  bool has_time;
};

ParseResult Parse(const std::string& text, tv::clock::SystemTime& out) {
  const UserTimeLocale locale;
  // Without even the C locale (out of memory) nothing can be read.
  if (locale.Get() == static_cast<locale_t>(0)) return ParseResult::kFailed;
  const std::string time = locale.TimeFormat();
  std::vector<Candidate> candidates;
  // The locale's own date first: where it writes two-digit years, a
  // two-digit year is read the way the C library reads %y.
  for (const std::string& date : {locale.DateFormat(), locale.FullYearDateFormat()}) {
    candidates.push_back({date + " " + time, true, true});
    candidates.push_back({date, true, false});
  }
  candidates.push_back({time, false, true});

  const ThreadLocaleScope scope(locale.Get());
  for (const Candidate& candidate : candidates) {
    std::tm tm{};
    const char* end = strptime(text.c_str(), candidate.format.c_str(), &tm);
    if (end == nullptr || !OnlySpaces(end)) continue;
    tv::clock::SystemTime parsed;
    if (candidate.has_date) {
      parsed.year = tm.tm_year + 1900;
      parsed.month = tm.tm_mon + 1;
      parsed.day = tm.tm_mday;
      if (parsed.year < tv::clock::kMinYear || parsed.year > tv::clock::kMaxYear) {
        return ParseResult::kOverflow;
      }
      if (!tv::clock::IsValidDate(parsed.year, parsed.month, parsed.day)) {
        return ParseResult::kTypeMismatch;
      }
    } else {
      parsed.year = kZeroYear;
      parsed.month = kZeroMonth;
      parsed.day = kZeroDay;
    }
    if (candidate.has_time) {
      parsed.hour = tm.tm_hour;
      parsed.minute = tm.tm_min;
      parsed.second = tm.tm_sec;
      if (parsed.second > 59) return ParseResult::kTypeMismatch;  // leap seconds
    }
    parsed.day_of_week = tv::clock::DayOfWeek(parsed.year, parsed.month, parsed.day);
    out = parsed;
    return ParseResult::kOk;
  }
  return ParseResult::kTypeMismatch;
}

}  // namespace

bool CVOString::ToSystemTime(tv::clock::SystemTime& out, uint32_t flags) const {
  tv::clock::SystemTime parsed;
  switch (Parse(ToUtf8(), parsed)) {
    case ParseResult::kOk:
      break;
    case ParseResult::kTypeMismatch:
      DebugMessage("CVOString::ToSystemTime() Failed - Type Mismatch\n");
      return false;
    case ParseResult::kOverflow:
      DebugMessage("CVOString::ToSystemTime() Failed - Overflow\n");
      return false;
    case ParseResult::kFailed:
      DebugMessage("CVOString::ToSystemTime() Failed\n");
      return false;
  }
  if (flags & kDateValueOnly) {
    parsed.hour = parsed.minute = parsed.second = 0;
  } else if (flags & kTimeValueOnly) {
    parsed.year = kZeroYear;
    parsed.month = kZeroMonth;
    parsed.day = kZeroDay;
    parsed.day_of_week = tv::clock::DayOfWeek(kZeroYear, kZeroMonth, kZeroDay);
  }
  out = parsed;
  return true;
}

bool CVOString::FromSystemTime(const tv::clock::SystemTime& time, uint32_t flags) {
  if (!IsValid(time)) return false;
  const bool midnight = time.hour == 0 && time.minute == 0 && time.second == 0;
  bool show_date = !IsZeroDate(time);
  bool show_time = !midnight || IsZeroDate(time);
  if (flags & kDateValueOnly) {
    show_date = true;
    show_time = false;
  } else if (flags & kTimeValueOnly) {
    show_date = false;
    show_time = true;
  }

  const UserTimeLocale locale;
  std::string format;
  if (show_date) format = locale.FullYearDateFormat();
  if (show_time) {
    if (show_date) format += ' ';
    format += locale.TimeFormat();
  }

  std::tm tm{};
  tm.tm_year = time.year - 1900;
  tm.tm_mon = time.month - 1;
  tm.tm_mday = time.day;
  tm.tm_hour = time.hour;
  tm.tm_min = time.minute;
  tm.tm_sec = time.second;
  tm.tm_wday = tv::clock::DayOfWeek(time.year, time.month, time.day);
  int yday = time.day - 1;
  for (int month = 1; month < time.month; ++month) {
    yday += tv::clock::DaysInMonth(time.year, month);
  }
  tm.tm_yday = yday;
  tm.tm_isdst = -1;

  char text[256];
  const size_t n = strftime_l(text, sizeof text, format.c_str(), &tm, locale.Get());
  if (n == 0) return false;
  const std::u16string wide = tv::Utf8ToUtf16(std::string_view(text, n));
  Assign(wide.c_str());
  return true;
}

}  // namespace terravue
