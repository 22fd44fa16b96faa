#pragma once

#include "platform/clock/clock.h"

namespace terravue {

// A daylight-saving rule: the `occurrence`-th (1 to 4, or 5 for the last)
// `weekday` (0 = Sunday) of `month`. An end rule with month 0 means the zone
// keeps standard time all year.
struct ZoneRule {
  int month = 0;
  int weekday = 0;
  int occurrence = 0;
  bool operator==(const ZoneRule&) const = default;
};

// The clock by which a place times its changes to and from daylight time.
enum class ChangeClock {
  kLocal,     // the place's own clock as it reads just before the change
  kStandard,  // the place's standard time, whichever time its clock shows
  kUtc,       // universal time, as the European Union's changes are timed
};

// The moment of a change on the day its rule gives: `minute` minutes after
// midnight of `clock`. The zone records hold no hour of change; places that
// do not change at 02:00 by their own clock say when they do (places/).
struct DaylightChange {
  ChangeClock clock = ChangeClock::kLocal;
  int minute = 2 * 60;
  bool operator==(const DaylightChange&) const = default;
};

// The day of the month a rule gives in `year`: the last such weekday for
// occurrence 5; 0 when the rule names no day (occurrence or weekday out of
// range, month not 1 to 12).
int RuleDayInYear(const ZoneRule& rule, int year);

// Whether daylight time is in force at `instant` in a zone `standard_hours`
// east of UTC in standard time, whose daylight period runs from the day of
// `start` to the day of `end` (over the new year when `start` falls after
// `end` in the calendar) and whose changes happen at `change`. Daylight
// saving is one hour. Never in a zone whose end month is 0 or whose rules
// name no day. The device's own zone plays no part.
bool IsDaylightTimeAt(const ZoneRule& start, const ZoneRule& end, double standard_hours,
                      DaylightChange change, tv::clock::TimePoint instant);

}  // namespace terravue
