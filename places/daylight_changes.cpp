#include "places/daylight_changes.h"

namespace terravue {
namespace {

struct PlaceChange {
  std::u16string_view place;
  DaylightChange change;
};

constexpr DaylightChange kEuropeanUnion{ChangeClock::kUtc, 60};
constexpr DaylightChange kLocalMidnight{ChangeClock::kLocal, 0};
constexpr DaylightChange kStandardMidnight{ChangeClock::kStandard, 0};
constexpr DaylightChange kStandardTwo{ChangeClock::kStandard, 2 * 60};

// The places with daylight saving that do not change when their own clock
// reads 02:00, by the place names of the region tables.
constexpr PlaceChange kDaylightChangeTable[] = {
    // The European Union's members and the places that follow its changes,
    // all at 01:00 UTC.
    {u"Albania", kEuropeanUnion},
    {u"Andorra", kEuropeanUnion},
    {u"Austria", kEuropeanUnion},
    {u"Belgium", kEuropeanUnion},
    {u"Bosnia and Herzegovina", kEuropeanUnion},
    {u"Bulgaria", kEuropeanUnion},
    {u"Croatia", kEuropeanUnion},
    {u"Cyprus", kEuropeanUnion},
    {u"Czech Republic", kEuropeanUnion},
    {u"Denmark", kEuropeanUnion},
    {u"Estonia", kEuropeanUnion},
    {u"Faroe Islands", kEuropeanUnion},
    {u"Finland", kEuropeanUnion},
    {u"France", kEuropeanUnion},
    {u"Germany", kEuropeanUnion},
    {u"Gibraltar", kEuropeanUnion},
    {u"Greece", kEuropeanUnion},
    {u"Greenland", kEuropeanUnion},
    {u"Holy See (Vatican City)", kEuropeanUnion},
    {u"Hungary", kEuropeanUnion},
    {u"Ireland", kEuropeanUnion},
    {u"Italy", kEuropeanUnion},
    {u"Jan Mayen", kEuropeanUnion},
    {u"Jersey", kEuropeanUnion},
    {u"Latvia", kEuropeanUnion},
    {u"Liechtenstein", kEuropeanUnion},
    {u"Lithuania", kEuropeanUnion},
    {u"Luxembourg", kEuropeanUnion},
    {u"Macedonia, The Former Yugoslav Republic of", kEuropeanUnion},
    {u"Malta", kEuropeanUnion},
    {u"Man, Isle of", kEuropeanUnion},
    {u"Monaco", kEuropeanUnion},
    {u"Netherlands", kEuropeanUnion},
    {u"Norway", kEuropeanUnion},
    {u"Poland", kEuropeanUnion},
    {u"Portugal", kEuropeanUnion},
    {u"Romania", kEuropeanUnion},
    {u"San Marino", kEuropeanUnion},
    {u"Serbia and Montenegro", kEuropeanUnion},
    {u"Slovakia", kEuropeanUnion},
    {u"Slovenia", kEuropeanUnion},
    {u"Spain", kEuropeanUnion},
    {u"Sweden", kEuropeanUnion},
    {u"Switzerland", kEuropeanUnion},
    {u"Ukraine", kEuropeanUnion},
    {u"United Kingdom", kEuropeanUnion},
    // Moldova changes at 02:00 standard time in spring and 03:00 summer time
    // in autumn: both are 00:00 UTC.
    {u"Moldova", {ChangeClock::kUtc, 0}},
    // At midnight by the clock: Chile's, Egypt's (the end of the last
    // Thursday of October, which the records give as the last Friday) and
    // Lebanon's changes.
    {u"Chile", kLocalMidnight},
    {u"Egypt", kLocalMidnight},
    {u"Lebanon", kLocalMidnight},
    // At midnight of standard time: 01:00 summer time when it ends.
    {u"Cuba", kStandardMidnight},
    // At 02:00 standard time, 03:00 summer time when it ends.
    {u"Australia", kStandardTwo},
    {u"New Zealand", kStandardTwo},
    {u"Norfolk Island", kStandardTwo},
    // Morocco and Western Sahara keep +01 outside Ramadan, written as their
    // daylight time; they change at 02:00 of +00, 03:00 of +01.
    {u"Morocco", kStandardTwo},
    {u"Western Sahara", kStandardTwo},
};

}  // namespace

DaylightChange DaylightChangeOf(std::u16string_view place) {
  for (const PlaceChange& row : kDaylightChangeTable) {
    if (row.place == place) return row.change;
  }
  return DaylightChange{};
}

}  // namespace terravue
