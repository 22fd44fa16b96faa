#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tv::clock {

using TimePoint = std::chrono::system_clock::time_point;

// A calendar date and time of day, as the handheld's clock reports it.
struct SystemTime {
  int year = 0;
  int month = 0;        // 1 to 12
  int day_of_week = 0;  // 0 = Sunday
  int day = 0;          // 1 to 31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;

  friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

// The current instant: the real clock, or the fixed one when set.
TimePoint Now();
// Fixes the clock at an instant (scripts and tests); nothing restores the
// real clock.
void SetFixedUtc(std::optional<TimePoint> instant);
// Moves the clock on by `by`: the fixed instant, or else the real clock as
// the program sees it (a script's wait); never past the end of
// kLastClockYear.
void Advance(std::chrono::milliseconds by);

// The current date and time in UTC. Nothing the program shows depends on
// the process's own time zone (TZ).
SystemTime UtcNow();

SystemTime ToUtc(TimePoint instant);

// The years the clock itself can be in. TimePoint counts nanoseconds in 64
// bits, which reaches only from 1677 to 2262; a fixed clock is kept within
// these years and a script's waits stop at the end of the last, so that no
// arithmetic on the current instant can overflow.
inline constexpr int kFirstClockYear = 1700;
inline constexpr int kLastClockYear = 2200;

// Parses "YYYY-MM-DDTHH:MM:SSZ" (seconds may carry a fraction of up to three
// digits); nothing for any other form, a date that does not exist, or a
// year outside kFirstClockYear to kLastClockYear.
std::optional<TimePoint> ParseIsoUtc(std::string_view text);

// Proleptic Gregorian calendar, as the OLE automation dates count it. The
// dates these accept run from 1 January 100 to 31 December 9999.
inline constexpr int kMinYear = 100;
inline constexpr int kMaxYear = 9999;

bool IsLeapYear(int year);
// 0 for a month outside 1 to 12.
int DaysInMonth(int year, int month);
// 0 = Sunday; -1 for a date that does not exist.
int DayOfWeek(int year, int month, int day);
bool IsValidDate(int year, int month, int day);

// Days since 30 December 1899 (the OLE epoch), negative before it.
std::optional<int64_t> ToOleDays(int year, int month, int day);

// Moves a date by whole days, keeping the time of day; the weekday follows.
// Nothing when the date is invalid or the result leaves years 100 to 9999.
std::optional<SystemTime> AddDays(const SystemTime& time, int days);

}  // namespace tv::clock
