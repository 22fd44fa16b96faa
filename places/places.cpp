#include "places/places.h"

#include <array>

#include "platform/base/check.h"

namespace terravue {
namespace {

// Africa: 63 rows, the first 47 on the region map.
constexpr MapHitRow kAfrica[] = {
    {u"Egypt", {128, 128, 128}, u'y', 0, 60},
    {u"Eritrea", {128, 128, 128}, u'y', 60, 85},
    {u"Djibouti", {128, 128, 128}, u'y', 85, 100},
    {u"Uganda", {128, 128, 128}, u'y', 100, 150},
    {u"South Africa", {128, 128, 128}, u'y', 150, 240},
    {u"Libya", {192, 192, 192}, u'y', 0, 70},
    {u"Nigeria", {192, 192, 192}, u'y', 70, 114},
    {u"Kenya", {192, 192, 192}, u'y', 114, 150},
    {u"Namibia", {192, 192, 192}, u'y', 150, 240},
    {u"Tunisia", {255, 0, 0}, u'y', 0, 50},
    {u"Ghana", {255, 0, 0}, u'y', 50, 120},
    {u"Rwanda", {255, 0, 0}, u'y', 120, 150},
    {u"Botswana", {255, 0, 0}, u'y', 150, 240},
    {u"Algeria", {128, 0, 0}, u'y', 0, 70},
    {u"Senegal", {128, 0, 0}, u'y', 70, 100},
    {u"Liberia", {128, 0, 0}, u'y', 100, 150},
    {u"Zimbabwe", {128, 0, 0}, u'y', 150, 240},
    {u"Morocco", {128, 128, 0}, u'y', 0, 50},
    {u"Togo", {128, 128, 0}, u'y', 50, 120},
    {u"Burundi", {128, 128, 0}, u'y', 120, 150},
    {u"Malawi", {128, 128, 0}, u'y', 150, 240},
    {u"Sudan", {0, 0, 128}, u'y', 0, 115},
    {u"Congo, Republic of the", {0, 0, 128}, u'y', 115, 240},
    {u"Guinea-Bissau", {0, 0, 255}, u'y', 0, 90},
    {u"Benin", {0, 0, 255}, u'y', 90, 110},
    {u"Gabon", {0, 0, 255}, u'y', 110, 240},
    {u"Mali", {0, 255, 0}, u'y', 0, 100},
    {u"Congo, Democratic Republic of the", {0, 255, 0}, u'y', 100, 160},
    {u"Madagascar", {0, 255, 0}, u'y', 160, 240},
    {u"Western Sahara", {255, 255, 0}, u'y', 0, 70},
    {u"Cote d'Ivoire", {255, 255, 0}, u'y', 70, 150},
    {u"Mozambique", {255, 255, 0}, u'y', 150, 210},
    {u"Lethoso", {255, 255, 0}, u'y', 210, 240},
    {u"Mauritania", {0, 128, 0}, u'y', 0, 80},
    {u"Central African Republic", {0, 128, 0}, u'y', 80, 150},
    {u"Zambia", {0, 128, 0}, u'y', 150, 240},
    {u"Niger", {0, 128, 128}, u'y', 0, 90},
    {u"Sierra Leone", {0, 128, 128}, u'y', 90, 120},
    {u"Angola", {0, 128, 128}, u'y', 120, 240},
    {u"Chad", {0, 255, 255}, u'y', 0, 105},
    {u"Tanzania", {0, 255, 255}, u'y', 105, 240},
    {u"Guinea", {128, 0, 128}, u'x', 0, 40},
    {u"Burkina Faso", {128, 0, 128}, u'x', 40, 70},
    {u"Cameroon", {128, 0, 128}, u'x', 70, 150},
    {u"Ethiopia", {128, 0, 128}, u'x', 150, 240},
    {u"Somalia", {255, 0, 255}, u'y', 0, 150},
    {u"Swaziland", {255, 0, 255}, u'y', 150, 240},
    {u"Cape Verde"},
    {u"Equatorial Guinea"},
    {u"Gambia, The"},
    {u"Mauritius"},
    {u"Sao Tome and Principe"},
    {u"Seychelles"},
    {u"Bassas da India"},
    {u"Bouvet Island"},
    {u"Europa Island"},
    {u"French Southern and Antarctic Lands"},
    {u"Glorioso Islands"},
    {u"Heard Island and McDonald Islands"},
    {u"Juan de Nova Island"},
    {u"Mayotte"},
    {u"Reunion"},
    {u"Tromelin Island"},
};

// Asia: 33 rows, the first 19 on the region map.
constexpr MapHitRow kAsia[] = {
    {u"Nepal", {0, 0, 255}, u'y', 0, 240},
    {u"Russia", {0, 255, 0}, u'y', 0, 150},
    {u"India", {0, 255, 0}, u'y', 150, 240},
    {u"Mongolia", {255, 0, 0}, u'y', 0, 150},
    {u"Taiwan", {255, 0, 0}, u'y', 150, 180},
    {u"Thailand", {255, 0, 0}, u'y', 180, 240},
    {u"Kazakhstan", {0, 128, 0}, u'y', 0, 150},
    {u"Burma", {0, 128, 0}, u'y', 150, 240},
    {u"Bhutan", {255, 0, 255}, u'y', 0, 180},
    {u"Sri Lanka", {255, 0, 255}, u'y', 180, 240},
    {u"China", {128, 0, 0}, u'y', 0, 240},
    {u"Japan", {0, 0, 128}, u'y', 0, 170},
    {u"Laos", {0, 0, 128}, u'y', 170, 240},
    {u"Korea, North", {255, 255, 0}, u'y', 0, 160},
    {u"Cambodia", {255, 255, 0}, u'y', 160, 240},
    {u"Korea, South", {0, 128, 128}, u'y', 0, 160},
    {u"Vietnam", {0, 128, 128}, u'y', 160, 240},
    {u"Bangladesh", {0, 255, 255}, u'y', 0, 180},
    {u"Philippines", {0, 255, 255}, u'y', 180, 240},
    {u"Singapore"},
    {u"Maldives"},
    {u"Malaysia"},
    {u"Indonesia"},
    {u"East Timor"},
    {u"Brunei"},
    {u"Ashmore and Cartier Islands"},
    {u"British Indian Ocean Territory"},
    {u"Christmas Island"},
    {u"Cocos (keeling) Islands"},
    {u"Hong Kong"},
    {u"Northern Mariana Islands"},
    {u"Paracel Islands"},
    {u"Spratly Islands"},
};

// Australia: 16 rows, the first 3 on the region map.
constexpr MapHitRow kAustralia[] = {
    {u"Papua New Guinea", {0, 0, 128}},
    {u"Australia", {255, 0, 0}},
    {u"New Zealand", {255, 255, 0}},
    {u"Fiji"},
    {u"Kiribati"},
    {u"Marshall Islands"},
    {u"Micronesia, Federated States of"},
    {u"Nauru"},
    {u"Palau"},
    {u"Samoa"},
    {u"Solomon Islands"},
    {u"Tonga"},
    {u"Tuvalu"},
    {u"Vanuatu"},
    {u"Cook Islands"},
    {u"Coral Sea Islands"},
};

// Europe: 52 rows, the first 34 on the region map.
constexpr MapHitRow kEurope[] = {
    {u"Norway", {128, 128, 128}, u'y', 0, 120},
    {u"France", {128, 128, 128}, u'y', 120, 221},
    {u"Estonia", {192, 192, 192}, u'y', 0, 120},
    {u"Belarus", {192, 192, 192}, u'y', 120, 160},
    {u"Romania", {192, 192, 192}, u'y', 160, 185},
    {u"Macedonia, The Former Yugoslav Republic of", {192, 192, 192}, u'y', 185, 221},
    {u"Austria", {128, 0, 0}, u'x', 0, 95},
    {u"Russia", {128, 0, 0}, u'x', 95, 240},
    {u"Finland", {255, 0, 0}, u'y', 0, 110},
    {u"Ukraine", {255, 0, 0}, u'y', 110, 221},
    {u"Sweden", {0, 0, 255}, u'y', 0, 130},
    {u"Czech Republic", {0, 0, 255}, u'y', 130, 180},
    {u"Spain", {0, 0, 255}, u'y', 180, 221},
    {u"Latvia", {255, 255, 0}, u'y', 0, 130},
    {u"Hungary", {255, 255, 0}, u'y', 130, 180},
    {u"Greece", {255, 255, 0}, u'y', 180, 221},
    {u"Poland", {128, 128, 0}, u'y', 0, 165},
    {u"Italy", {128, 128, 0}, u'y', 165, 221},
    {u"Lithuania", {0, 0, 128}, u'y', 0, 140},
    {u"Slovakia", {0, 0, 128}, u'y', 140, 170},
    {u"Bulgaria", {0, 0, 128}, u'y', 170, 221},
    {u"United Kingdom", {0, 255, 0}, u'y', 0, 160},
    {u"Slovenia", {0, 255, 0}, u'y', 160, 180},
    {u"Portugal", {0, 255, 0}, u'y', 180, 221},
    {u"Denmark", {0, 128, 0}, u'y', 0, 140},
    {u"Switzerland", {0, 128, 0}, u'y', 140, 221},
    {u"Luxembourg", {0, 255, 255}, u'y', 0, 160},
    {u"Netherlands", {0, 128, 128}, u'y', 0, 160},
    {u"Moldova", {0, 128, 128}, u'y', 160, 221},
    {u"Germany", {255, 0, 255}, u'y', 0, 170},
    {u"Bosnia and Herzegovina", {255, 0, 255}, u'y', 170, 221},
    {u"Ireland", {128, 0, 128}, u'y', 0, 155},
    {u"Croatia", {128, 0, 128}, u'y', 155, 185},
    {u"Albania", {128, 0, 128}, u'y', 185, 221},
    {u"Holy See (Vatican City)"},
    {u"Monaco"},
    {u"San Marino"},
    {u"Malta"},
    {u"Liechtenstein"},
    {u"Iceland"},
    {u"Belgium"},
    {u"Georgia"},
    {u"Andorra"},
    {u"British Virgin Islands"},
    {u"Faroe Islands"},
    {u"Gibraltar"},
    {u"Jan Mayen"},
    {u"Jersey"},
    {u"Man, Isle of"},
    {u"Serbia and Montenegro"},
    {u"Turks and Caicos Islands"},
    {u"Wallis and Futuna"},
};

// Middle East: 25 rows, the first 21 on the region map.
constexpr MapHitRow kMiddleEast[] = {
    {u"Jordan", {128, 128, 128}, u'y', 40, 100},
    {u"Kyrgyzstan", {128, 128, 128}, u'y', 0, 40},
    {u"Qatar", {128, 128, 128}, u'y', 100, 173},
    {u"Pakistan", {192, 192, 192}, u'y', 0, 173},
    {u"Turkey", {128, 128, 0}, u'y', 0, 60},
    {u"Saudi Arabia", {128, 128, 0}, u'y', 60, 173},
    {u"Azerbaijan", {0, 0, 255}, u'y', 0, 40},
    {u"Afghanistan", {0, 0, 255}, u'y', 40, 173},
    {u"Syria", {255, 0, 0}, u'y', 0, 173},
    {u"Iraq", {255, 0, 255}, u'y', 0, 173},
    {u"Iran", {0, 128, 128}, u'y', 0, 173},
    {u"Tajikistan", {0, 255, 255}, u'y', 0, 173},
    {u"Turkmenistan", {128, 0, 0}, u'y', 0, 65},
    {u"Kuwait", {128, 0, 0}, u'y', 65, 100},
    {u"Oman", {128, 0, 0}, u'y', 100, 173},
    {u"Armenia", {0, 0, 128}, u'y', 0, 45},
    {u"Israel", {0, 0, 128}, u'y', 45, 173},
    {u"Uzbekistan", {255, 255, 0}, u'y', 0, 60},
    {u"Yemen", {255, 255, 0}, u'y', 60, 173},
    {u"Cyprus", {128, 0, 128}, u'y', 0, 173},
    {u"Lebanon", {0, 255, 0}, u'y', 0, 173},
    {u"Bahrain"},
    {u"Gaza Strip"},
    {u"United Arab Emirates"},
    {u"West Bank"},
};

// North America: 41 rows, the first 11 on the region map.
constexpr MapHitRow kNorthAmerica[] = {
    {u"Greenland", {128, 128, 128}},
    {u"Canada", {128, 128, 0}},
    {u"Nicaragua", {0, 128, 0}},
    {u"United States", {255, 0, 0}},
    {u"Dominican Republic", {255, 255, 0}},
    {u"Honduras", {192, 192, 192}},
    {u"Cuba", {128, 0, 0}},
    {u"Panama", {0, 255, 0}},
    {u"Mexico", {0, 0, 255}},
    {u"Costa Rica", {0, 0, 128}},
    {u"Guatemala", {128, 0, 128}},
    {u"Antigua and Barbuda"},
    {u"Bahamas, The"},
    {u"Barbados"},
    {u"Belize"},
    {u"Dominica"},
    {u"El Salvador"},
    {u"Grenada"},
    {u"Haiti"},
    {u"Jamaica"},
    {u"Saint Kitts and Nevis"},
    {u"Saint Lucia"},
    {u"Saint Vincent and the Grenadines"},
    {u"Trinidad and Tobago"},
    {u"Baker Island"},
    {u"Cayman Islands"},
    {u"Clipperton Island"},
    {u"Howland Island"},
    {u"Jarvis Island"},
    {u"Johnston Atoll"},
    {u"Kingman Reef"},
    {u"Martinique"},
    {u"Midway Islands"},
    {u"Navassa Island"},
    {u"Palmyra Atoll"},
    {u"Guadeloupe"},
    {u"Puerto Rico"},
    {u"Saint Helena"},
    {u"Saint Pierre and Miquelon"},
    {u"Virgin Islands"},
    {u"Wake Island"},
};

// South America: 21 rows, the first 13 on the region map.
constexpr MapHitRow kSouthAmerica[] = {
    {u"Colombia", {128, 128, 128}},
    {u"Chile", {128, 128, 0}},
    {u"Guyana", {0, 128, 0}},
    {u"Suriname", {0, 255, 255}},
    {u"French Guiana", {0, 128, 128}},
    {u"Brazil", {255, 255, 0}},
    {u"Ecuador", {128, 0, 0}},
    {u"Peru", {0, 255, 0}},
    {u"Bolivia", {0, 0, 255}},
    {u"Paraguay", {0, 0, 128}},
    {u"Argentina", {128, 0, 128}},
    {u"Uruguay", {255, 0, 255}},
    {u"Venezuela", {255, 0, 0}},
    {u"Falkland Islands (Islas Malvinas)"},
    {u"French Polynesia"},
    {u"Montserrat"},
    {u"Netherlands Antilles"},
    {u"New Caledonia"},
    {u"Norfolk Island"},
    {u"Pitcairn Islands"},
    {u"South Georgia and the South Sandwich Islands"},
};

constexpr std::u16string_view kOtherPlaces[] = {
    u"Antarctica",
    u"Arctic Ocean",
    u"Atlantic Ocean",
    u"Pacific Ocean",
    u"Southern Ocean",
};
constexpr MapHitRow kRegions[] = {
    {u"Africa", {255, 0, 0}, u'x', 0, 240},
    {u"Asia", {0, 0, 255}, u'x', 0, 240},
    {u"Australia", {0, 255, 0}, u'x', 180, 240},
    {u"Europe", {255, 255, 0}, u'x', 90, 240},
    {u"Middle East", {0, 255, 0}, u'x', 110, 180},
    {u"North America", {0, 255, 0}, u'x', 0, 110},
    {u"South America", {255, 255, 0}, u'x', 0, 90},
    {u"World Countries"},
};

const std::array<RegionCountryTable, kRegionCount> kRegionTables = {{
    {kAfrica, 47, false},
    {kAsia, 19, false},
    {kAustralia, 3, true},
    {kEurope, 34, false},
    {kMiddleEast, 21, false},
    {kNorthAmerica, 11, true},
    {kSouthAmerica, 13, true},
}};

}  // namespace

const std::span<const MapHitRow> RegionTable = kRegions;
const std::span<const std::u16string_view> OtherPlacesTable = kOtherPlaces;

const RegionCountryTable& RegionCountries(int region) {
  TV_CHECK(region >= 0 && region < kRegionCount);
  return kRegionTables[region];
}

void FillRegionCountries(int region, tv::ui::ListSink& list) {
  if (region == kWorldCountries) {
    AddAllPlaces(list);
    return;
  }
  if (region < 0 || region >= kRegionCount) return;
  for (const MapHitRow& row : kRegionTables[region].rows) list.AddString(row.name);
}

void AddAllPlaces(tv::ui::ListSink& list) {
  for (const RegionCountryTable& table : kRegionTables) {
    for (const MapHitRow& row : table.rows) list.AddString(row.name);
  }
  for (std::u16string_view name : kOtherPlaces) list.AddString(name);
}

int FindRegionOfCountry(std::u16string_view name) {
  for (int region = 0; region < kRegionCount; ++region) {
    for (const MapHitRow& row : kRegionTables[region].rows) {
      if (row.name == name) return region;
    }
  }
  return -1;
}

int HitTestRegion(Color colour, int x, std::u16string& name) {
  // Every region row ranges over x, so the axis is not consulted.
  for (int region = 0; region < kRegionCount; ++region) {
    const MapHitRow& row = kRegions[region];
    if (row.key_colour == colour && row.InRange(x)) {
      name = row.name;
      return region;
    }
  }
  return kNoRegion;
}

int HitTestRegionMap(int region, Color colour, tv::gfx::Point p) {
  if (region < 0 || region >= kRegionCount) return -1;
  const RegionCountryTable& table = kRegionTables[region];
  for (int i = 0; i < table.mapped_rows; ++i) {
    const MapHitRow& row = table.rows[i];
    if (row.key_colour != colour) continue;
    if (table.colour_only) return i;
    const int v = row.axis == u'x' ? p.x : p.y;
    if (row.InRange(v)) return i;
  }
  return -1;
}

Color NormalizePixelColor(Color c) {
  struct Mapping {
    Color read;
    Color palette;
  };
  static constexpr Mapping kMappings[] = {
      {{248, 0, 0}, {255, 0, 0}},     {{0, 252, 0}, {0, 255, 0}},
      {{248, 252, 0}, {255, 255, 0}}, {{248, 0, 248}, {255, 0, 255}},
      {{0, 252, 248}, {0, 255, 255}}, {{0, 0, 248}, {0, 0, 255}},
  };
  for (const Mapping& m : kMappings) {
    if (m.read == c) return m.palette;
  }
  return c;
}

}  // namespace terravue
