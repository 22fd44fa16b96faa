#include "db/daylight_rule.h"

#include <chrono>
#include <cmath>
#include <cstdint>

namespace terravue {
namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kDaylightSeconds = 3600;
// 1970-01-01 counted in OLE automation days.
constexpr int64_t kOleDaysAtUnixEpoch = 25569;

int64_t Seconds(tv::clock::TimePoint instant) {
  return std::chrono::floor<std::chrono::seconds>(instant).time_since_epoch().count();
}

// The UTC second of a change on (year, month, day). At the end of the daylight
// period the place's own clock reads daylight time just before the change.
int64_t ChangeSecond(int year, int month, int day, DaylightChange change,
                     int64_t standard_seconds, bool ends_daylight) {
  const int64_t midnight =
      (tv::clock::ToOleDays(year, month, day).value_or(0) - kOleDaysAtUnixEpoch) * kSecondsPerDay;
  const int64_t at = midnight + int64_t{change.minute} * 60;
  switch (change.clock) {
    case ChangeClock::kUtc:
      return at;
    case ChangeClock::kStandard:
      return at - standard_seconds;
    case ChangeClock::kLocal:
      return at - standard_seconds - (ends_daylight ? kDaylightSeconds : 0);
  }
  return at;
}

}  // namespace

int RuleDayInYear(const ZoneRule& rule, int year) {
  const int days = tv::clock::DaysInMonth(year, rule.month);
  int count = 0;
  int fourth = 0;
  for (int day = 1; day <= days; ++day) {
    if (tv::clock::DayOfWeek(year, rule.month, day) != rule.weekday) continue;
    ++count;
    if (count == rule.occurrence) return day;
    if (count == 4) fourth = day;
  }
  return count == 4 && rule.occurrence == 5 ? fourth : 0;
}

bool IsDaylightTimeAt(const ZoneRule& start, const ZoneRule& end, double standard_hours,
                      DaylightChange change, tv::clock::TimePoint instant) {
  if (end.month == 0) return false;
  const int64_t standard_seconds = std::llround(standard_hours * 3600.0);
  // The rules' dates are the place's own: take the year of its date, in
  // standard time so that the year does not depend on the answer.
  const int year = tv::clock::ToUtc(instant + std::chrono::seconds(standard_seconds)).year;
  const int start_day = RuleDayInYear(start, year);
  const int end_day = RuleDayInYear(end, year);
  if (start_day == 0 || end_day == 0) return false;
  const int64_t begins =
      ChangeSecond(year, start.month, start_day, change, standard_seconds, false);
  const int64_t ends = ChangeSecond(year, end.month, end_day, change, standard_seconds, true);
  const int64_t now = Seconds(instant);
  const bool start_first = start.month != end.month ? start.month < end.month : start_day < end_day;
  if (start_first) return now >= begins && now < ends;
  // The period runs over the new year: from the start of this year's period
  // to 31 December, and from 1 January to the end of the period.
  return now >= begins || now < ends;
}

}  // namespace terravue
