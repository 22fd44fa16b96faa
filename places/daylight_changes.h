#pragma once

#include <string_view>

#include "db/daylight_rule.h"

namespace terravue {

// When a place changes to and from daylight time on the days its zone's
// rules give. The zone records hold only the days, and one record serves
// places that change at different moments (Finland and Lebanon share one),
// so the moment belongs to the place: at 01:00 UTC where the place follows
// the European Union's changes, at its own moment where a place is listed
// with one, and otherwise when its clock reads 02:00.
DaylightChange DaylightChangeOf(std::u16string_view place);

}  // namespace terravue
