#include "info/glossary.h"

namespace terravue {
namespace {

constexpr GlossaryEntry kEntries[] = {
    {u"Administrative divisions",
         u"This entry generally gives the numbers, designatory terms, and first-order "
         u"administrative divisions as approved by the US Board on Geographic Names (BGN). "
         u"Numbers and names of the divisions are given as the source lists them."},
    {u"Age structure",
         u"This entry provides the distribution of the population according to age. The "
         u"population is split into five age groups, by years of age: 0-14 years, 15-24 years, "
         u"25-54 years, 55-64 years, and 65 years and over. For each group the entry then "
         u"gives its share, as a percent, of the total population and the estimated numbers of "
         u"the males and females in it. The shape of this structure shows how a population is "
         u"changing: a large share of young people points to fast growth and to a rising "
         u"demand for schools and for jobs, while a large share of older people points to slow "
         u"growth or decline and to a rising need for pensions and health care."},
    {u"Airports",
         u"This entry gives the total number of airports. An airport is counted if its runway "
         u"or landing area can still be recognized from above, even if it is closed or lacks "
         u"buildings or services. The total may be split into airports with paved and with "
         u"unpaved runways."},
    {u"Area",
         u"This entry includes three subfields. The total covers everything inside a country's "
         u"international boundaries and coastlines, land and water alike. Land area is the "
         u"part of the total that is dry ground, including any of its islands. Water area is "
         u"the part covered by inland waters like lakes, reservoirs, and rivers; the sea off "
         u"its coast is not counted. All three are given in square kilometers (sq km), and the "
         u"total is simply the land area plus the water area."},
    {u"Birth rate",
         u"This entry gives the average annual number of births during a year per 1,000 "
         u"persons in the population at midyear; also known as crude birth rate. Together with "
         u"the death rate and the net rate of migration, the birth rate decides whether a "
         u"population grows or shrinks, and in most countries it is the main cause of growth."},
    {u"Capital ",
         u"This entry gives the location of the seat of government. "},
    {u"Climate ",
         u"This entry includes a brief description of typical weather regimes throughout the "
         u"year."},
    {u"Coastline ",
         u"This entry gives the total length of the boundary between the land area (including "
         u"islands) and the sea."},
    {u"Communications",
         u"This category deals with the means of exchanging information and includes the "
         u"telephone, radio, television, and Internet service provider entries."},
    {u"Currency ",
         u"This entry identifies the national medium of exchange and its basic subunit."},
    {u"Currency code ",
         u"This entry gives the International Organization for Standardization (ISO) 4217 "
         u"alphabetic currency code for each country."},
    {u"Ethnic groups ",
         u"This entry provides a rank ordering of ethnic groups starting with the largest and "
         u"normally includes the percent of total population."},
    {u"Exports",
         u"This entry provides the total US dollar amount of exports on an f.o.b. (free on "
         u"board) basis."},
    {u"Fiscal year",
         u"This entry identifies the beginning and ending months for a country's accounting "
         u"period of 12 months, which often is the calendar year but which may begin in any "
         u"month. When it differs from the calendar year, the entry gives the months in which "
         u"that period starts and ends."},
    {u"Geographic coordinates",
         u"This entry includes rounded latitude and longitude figures for the purpose of "
         u"finding the approximate geographic center of an entity and is based on the "
         u"Gazetteer of Conventional Names, Third Edition, August 1988, US Board on Geographic "
         u"Names and on other sources."},
    {u"Government type ",
         u"This entry gives the basic form of government (e.g., republic, constitutional "
         u"monarchy, federal republic, parliamentary democracy, military dictatorship)."},
    {u"Heliports ",
         u"This entry gives the total number of established helicopter takeoff and landing "
         u"sites (which may or may not have fuel or other services)."},
    {u"Imports ",
         u"This entry provides the total US dollar amount of imports on a c.i.f. (cost, "
         u"insurance, and freight) or f.o.b. (free on board) basis."},
    {u"Industries",
         u"This entry provides a rank ordering of industries starting with the largest by "
         u"value of annual output."},
    {u"Inflation rate (consumer prices)",
         u"This entry furnishes the annual percent change in consumer prices compared with the "
         u"previous year’s consumer prices."},
    {u"Internet country code",
         u"This entry includes the two-letter codes maintained by the International "
         u"Organization for Standardization (ISO) in the ISO 3166 Alpha-2 list and used by the "
         u"Internet Assigned Numbers Authority (IANA) to establish country-coded top-level "
         u"domains (ccTLDs)."},
    {u"Internet Service Providers (ISPs)",
         u"This entry supplies the number of Internet Service Providers within a country. An "
         u"ISP is defined as a company that provides access to the Internet."},
    {u"Internet users",
         u"This entry gives the number of users within a country that access the Internet. It "
         u"counts people who go online at home, at work or elsewhere, and may add the share of "
         u"the population they make up. The figures are estimates, usually given with the year "
         u"they are for."},
    {u"Land boundaries",
         u"This entry contains the total length of all land boundaries and the individual "
         u"lengths for each of the contiguous border countries."},
    {u"Languages",
         u"This entry provides a rank ordering of languages starting with the largest and "
         u"sometimes includes the percent of total population speaking that language."},
    {u"Literacy",
         u"This entry includes a definition of literacy and Census Bureau percentages for the "
         u"total population, males, and females. Literacy means the share of people aged 15 "
         u"and over who can read and write. Countries measure it in different ways, for "
         u"example by the years of schooling finished or by whether a person can read and "
         u"write a short simple statement about everyday life, so figures are not always "
         u"comparable between countries. The entry gives the rate for the total population and "
         u"for males and females separately, with the year of the estimate."},
    {u"Location",
         u"This entry identifies the country's regional location, neighboring countries, and "
         u"adjacent bodies of water."},
    {u"Nationality",
         u"This entry provides the identifying terms for citizens - noun and adjective."},
    {u"Natural resources",
         u"This entry lists a country's mineral, petroleum, hydropower, and other resources of "
         u"commercial importance."},
    {u"Population growth rate",
         u"The average annual percent change in the population, resulting from a surplus (or "
         u"deficit) of births over deaths and the balance of migrants entering and leaving a "
         u"country. It equals the birth rate minus the death rate plus the net migration rate, "
         u"shown as a percent of the population. A positive rate means that a population is "
         u"growing, a negative one that it is shrinking. The rate shows how fast a country "
         u"needs to add schools, housing, jobs, and services, and even a small rate can "
         u"quickly add many people to a large population."},
    {u"Ports and harbors",
         u"This entry lists the major ports and harbors selected on the basis of overall "
         u"importance to each country. A port is a place on a coast or a river where ships "
         u"load and unload cargo or passengers; a harbor is a sheltered stretch of water for "
         u"vessels."},
    {u"Religions",
         u"This entry includes a rank ordering of religions by adherents starting with the "
         u"largest group and sometimes includes the percent of total population. "},
    {u"Sex ratio",
         u"This entry includes the number of males for each female in five age groups - at "
         u"birth, under 15 years, 15-64 years, 65 years and over, and for the total "
         u"population. The ratio is given as the number of males per female, so a value above "
         u"1.00 means more males than females. Slightly more boys than girls are born "
         u"everywhere, but women usually live longer, so the ratio falls with age and is often "
         u"well below 1.00 in the group aged 65 and over. Workers of one sex who move into or "
         u"out of a country, and causes of death that strike men and women unequally, can move "
         u"the ratio away from this pattern."},
    {u"Telephones - main lines in use",
         u"This entry gives the total number of main telephone lines in use. "},
    {u"Telephones - mobile cellular",
         u"This entry gives the total number of mobile cellular telephones in use."},
    {u"Total fertility rate",
         u"This entry gives a figure for the average number of children that would be born per "
         u"woman if all women lived to the end of their childbearing years and bore children "
         u"according to a given fertility rate at each age. The figure is the number of "
         u"children an average woman would have over her lifetime if the birth rates of today "
         u"held throughout her childbearing years. A rate of around 2.1 children per woman is "
         u"called replacement level: it keeps the size of a population steady in the long run "
         u"when there is no migration. A rate below that means each generation will be smaller "
         u"than the one before it, and a rate well above it means a population that grows very "
         u"fast."},
};

}  // namespace

std::span<const GlossaryEntry> GlossaryEntries() { return kEntries; }

std::u16string GlossaryText() {
  std::u16string text = u"Glossary of terms:\r\n\r\n";
  bool first = true;
  for (const GlossaryEntry& entry : kEntries) {
    if (!first) text += u"\r\n";
    first = false;
    text += entry.title;
    text += u"\r\n";
    text += entry.definition;
    text += u"\r\n";
  }
  return text;
}

}  // namespace terravue
