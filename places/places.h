#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/gfx/color.h"
#include "platform/gfx/geometry.h"
#include "platform/ui/list_sink.h"

namespace terravue {

using tv::gfx::Color;

// One row of a hit-tested place table. A coordinate v lies in the row's range
// when range_low < v <= range_high; `axis` names the coordinate ('x' or 'y'), or
// is 0 on the tables whose map gives every place its own colour.
struct MapHitRow {
  std::u16string_view name;
  Color key_colour;
  char16_t axis = 0;
  int32_t range_low = 0;
  int32_t range_high = 0;

  constexpr bool InRange(int v) const { return range_low < v && v <= range_high; }
};

inline constexpr int kRegionCount = 7;        // regions 0 to 6
inline constexpr int kWorldCountries = 7;     // selector row "World Countries"
inline constexpr int kNoRegion = 7;           // HitTestRegion's "no match"
inline constexpr int kAllPlacesCount = 256;

// The places of one region in their fixed order. The first `mapped_rows` are
// drawn in their own colour on the region's map and take part in taps.
struct RegionCountryTable {
  std::span<const MapHitRow> rows;
  int mapped_rows = 0;
  bool colour_only = false;  // every colour on the map belongs to one place
};

// The eight rows of the region selector; the index is the region number.
extern const std::span<const MapHitRow> RegionTable;
// Places listed in no region (Antarctica and the oceans).
extern const std::span<const std::u16string_view> OtherPlacesTable;
// The place table of region 0 to 6.
const RegionCountryTable& RegionCountries(int region);

// Adds the names of region 0 to 6, or of every place for region 7, to a list;
// any other region adds nothing. The caller empties the list first.
void FillRegionCountries(int region, tv::ui::ListSink& list);
// Adds all 256 place names: the region tables 0 to 6 in order, then the other
// places. "Russia" is in two regions and so appears twice.
void AddAllPlaces(tv::ui::ListSink& list);

// The region of the first table row (region 0 first) whose name equals
// `name` exactly, case included; -1 when there is none.
int FindRegionOfCountry(std::u16string_view name);

// The first of regions 0 to 6 whose key colour equals `colour` and whose x
// range holds x. Copies its name into `name` and returns the region number;
// returns kNoRegion and leaves `name` alone when nothing matches.
int HitTestRegion(Color colour, int x, std::u16string& name);

// The row of `region`'s mapped places that a tap at `p` with colour `colour`
// picks on the region's map, or -1.
int HitTestRegionMap(int region, Color colour, tv::gfx::Point p);

// Maps a colour read back from a 16-bit display (248 for a full red or blue,
// 252 for a full green) back to its palette colour; others pass unchanged.
Color NormalizePixelColor(Color colour);

}  // namespace terravue
