#pragma once

#include <array>
#include <span>
#include <string_view>

namespace terravue {

// The seven categories of country facts and the field names of each. They
// are the category and field keys of the country records, compared exactly,
// and what the Country Info and Compare screens list, in this order.
inline constexpr int kCategoryCount = 7;
extern const std::array<std::u16string_view, kCategoryCount> CategoryTable;
// The fields of category `index` (0 to 6).
std::span<const std::u16string_view> CategoryFieldTable(int index);

// Geography records that no list shows: the flag bitmap's stem, the map's km
// per pixel and the map image's stem. The installation file carries them after
// geography's listed fields.
inline constexpr std::array<std::u16string_view, 3> kGeographyExtraFields = {u"flag", u"scale",
                                                                            u"map"};

}  // namespace terravue
