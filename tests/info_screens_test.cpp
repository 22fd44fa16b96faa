#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "db/country_import.h"
#include "db/country_store.h"
#include "db/zone_store.h"
#include "info/categories.h"
#include "info/compare_screen.h"
#include "info/country_info_screen.h"
#include "info/glossary.h"
#include "info/world_facts_screen.h"
#include "places/places.h"
#include "platform/base/utf.h"
#include "platform/clock/clock.h"
#include "platform/gfx/image_io.h"
#include "platform/resources/resources.h"
#include "platform/ui/automation.h"
#include "platform/ui/json.h"
#include "platform/ui/controls.h"
#include "platform/ui/line_edit.h"
#include "platform/ui/list_sink.h"
#include "platform/ui/list_view.h"
#include "tests/program_run.h"

namespace terravue {
namespace {

using testing::MessageText;
using testing::ProgramRun;
using testing::RecordingNavigator;
using testing::Top;
using testing::TopKind;
using testing::TopTemplate;
using tv::gfx::Color;
using tv::gfx::Point;

struct Fact {
  std::u16string_view country, category, field, value;
};

// Fills the run's device with country records and zones: zone 5 is 5 hours
// east of UTC and keeps standard time all year.
void Seed(const ProgramRun& run, std::initializer_list<Fact> facts) {
  std::filesystem::create_directories(run.DeviceRoot() / "windows");
  std::ofstream(run.DeviceRoot() / "windows" / "QuorvelZones.txt", std::ios::binary)
      << "5,Test Standard Time,Test Daylight Time,-300,0,0,0,0,0,0\n"
         "33,Greenwich Mean Time,Greenwich Mean Time,0,0,0,0,0,0,0\n"
         "4464,Wrapped Standard Time,Wrapped Daylight Time,0,0,0,0,0,0,0\n";
  ASSERT_TRUE(ZoneRecordStore::ImportZoneData());
  std::optional<tv::store::RecordDatabase> db = CountryRecordStore::OpenOrCreateCountryStore();
  ASSERT_TRUE(db);
  for (const Fact& f : facts) {
    ASSERT_TRUE(CountryRecordStore::AppendCountryField(*db, f.country, f.category, f.field, f.value));
  }
}

// A 40-character value whose only space is at position 20.
constexpr std::u16string_view kForty = u"abcdefghijklmnopqrst uvwxyzabcdefghijklm";
constexpr std::u16string_view kThirtyTwo = u"0123456789 0123456789 0123456789";

void SeedTestland(const ProgramRun& run) {
  Seed(run, {{u"Testland", u"government", u"capital", u"Capital City"},
             {u"Testland", u"geography", u"location", kForty},
             {u"Testland", u"geography", u"coordinates", kThirtyTwo},
             {u"Testland", u"geography", u"area", u""},
             {u"Testland", u"geography", u"Timezone", u"5"},
             {u"Testland", u"geography", u"flag", u"testflag"},
             {u"Testland", u"people", u"population", u"12 (2015 est.)"},
             {u"Nocapital", u"government", u"capital", u"N/A"},
             {u"Nocapital", u"geography", u"Timezone", u"N/A"},
             {u"Nocapital", u"geography", u"flag", u"N/A"}});
}

void Press(std::string_view target) {
  std::string error;
  ASSERT_TRUE(tv::ui::automation::Press(target, error)) << error;
}

void Choose(int id, std::u16string_view text) {
  std::string error;
  ASSERT_TRUE(tv::ui::automation::Choose(id, text, error)) << error;
}

int RunCountryInfo(ProgramRun& run, Navigator& navigator, std::u16string_view country) {
  return run.RunWith([&navigator, country] {
    ScopedNavigator installed(navigator);
    CountryInfoScreen screen;
    screen.country_name = country;
    screen.RunModal();
  });
}

template <class Screen>
int RunScreen(ProgramRun& run, Navigator& navigator) {
  return run.RunWith([&navigator] {
    ScopedNavigator installed(navigator);
    Screen screen;
    screen.RunModal();
  });
}

template <class Screen>
Screen& TopScreen() {
  auto* screen = dynamic_cast<Screen*>(Top());
  if (screen == nullptr) {
    ADD_FAILURE() << "top window is " << TopKind();
    std::abort();
  }
  return *screen;
}

std::vector<std::pair<std::u16string, int>> Rows(const tv::ui::ListView& list) {
  std::vector<std::pair<std::u16string, int>> rows;
  for (int i = 0; i < list.Count(); ++i) rows.emplace_back(list.ItemText(i), list.ItemImage(i));
  return rows;
}

Color Pixel(tv::ui::Window& window, Point p) {
  return window.GetScreenCanvas().GetPixel(p).value_or(Color{1, 2, 3});
}

// Every line at most 32 characters, none lost or reordered.
void ExpectSoundWrap(std::u16string_view value) {
  const std::vector<std::u16string> lines = WrapValueText(value);
  std::u16string joined;
  for (const std::u16string& line : lines) {
    EXPECT_LE(line.size(), 32u) << tv::Utf16ToUtf8(value);
    joined += line;
  }
  EXPECT_EQ(joined, value);
}

TEST(WrapValueTextTest, BreaksAtTheLastSpaceWithinThirtyTwo) {
  EXPECT_EQ(WrapValueText(kForty),
            (std::vector<std::u16string>{u"abcdefghijklmnopqrst", u" uvwxyzabcdefghijklm"}));
  EXPECT_EQ(WrapValueText(kThirtyTwo), std::vector<std::u16string>{std::u16string(kThirtyTwo)});
  EXPECT_EQ(WrapValueText(u""), std::vector<std::u16string>{u""});
  // A space at position 32 itself is a break: the first line is 32 long.
  const std::u16string at32 = std::u16string(32, u'a') + u" b";
  EXPECT_EQ(WrapValueText(at32),
            (std::vector<std::u16string>{std::u16string(32, u'a'), u" b"}));
  // The last space within reach wins over earlier ones.
  EXPECT_EQ(WrapValueText(u"aa bb cc dd ee ff gg hh ii jj kk ll mm"),
            (std::vector<std::u16string>{u"aa bb cc dd ee ff gg hh ii jj kk", u" ll mm"}));
}

TEST(WrapValueTextTest, BreaksHardWhereNoSpaceIsWithinReach) {
  // One long word: hard breaks every 32 characters.
  const std::u16string word(70, u'x');
  EXPECT_EQ(WrapValueText(word), (std::vector<std::u16string>{std::u16string(32, u'x'),
                                                               std::u16string(32, u'x'),
                                                               std::u16string(6, u'x')}));
  // A later line whose only space within reach is its leading one.
  const std::u16string value = u"short " + std::u16string(40, u'y');
  EXPECT_EQ(WrapValueText(value),
            (std::vector<std::u16string>{u"short", u" " + std::u16string(31, u'y'),
                                         std::u16string(9, u'y')}));
  // Random texts of words and runs of spaces always end, within bounds.
  std::mt19937 random(7);
  for (int round = 0; round < 500; ++round) {
    std::u16string text;
    const int length = std::uniform_int_distribution<int>(0, 300)(random);
    for (int i = 0; i < length; ++i) {
      const bool space = std::uniform_int_distribution<int>(0, 9)(random) == 0;
      text += space ? u' ' : static_cast<char16_t>(u'a' + i % 26);
    }
    ExpectSoundWrap(text);
  }
}

TEST(CountryInfoScreenTest, TitleIsCentredBySevenPixelsACharacter) {
  EXPECT_EQ(TitleX(0), 120);
  EXPECT_EQ(TitleX(6), 99);
  EXPECT_EQ(TitleX(34), 1);
  EXPECT_EQ(TitleX(35), 0);
  EXPECT_EQ(TitleX(1023), 0);
  EXPECT_EQ(TitleX(static_cast<size_t>(-1)), 0);
}

TEST(CountryInfoScreenTest, TimezoneValuesShowTheirZonesLeadingNumber) {
  ProgramRun run;
  Seed(run, {});
  EXPECT_EQ(TimezoneText(u"", u"5"), u"+5.0 Test Standard Time");
  EXPECT_EQ(TimezoneText(u"", u" 5 (note)"), u"+5.0 Test Standard Time");
  EXPECT_EQ(TimezoneText(u"", u"33"), u"0.0 Greenwich Mean Time");
  EXPECT_EQ(TimezoneText(u"", u"N/A"), u"N/A") << "zone 0 does not exist";
  EXPECT_EQ(TimezoneText(u"", u"6"), u"N/A");
  EXPECT_EQ(TimezoneText(u"", u"4464"), u"0.0 Wrapped Standard Time");
  // 70000 is no 16-bit zone number; it must not wrap around onto 4464.
  EXPECT_EQ(TimezoneText(u"", u"70000"), u"N/A");
  EXPECT_EQ(TimezoneText(u"", u"99999999999999999999"), u"N/A");
}

TEST(CountryInfoScreenTest, OpensOnGeographyWithWrappedRowsAndPaintsItsHeader) {
  ProgramRun run;
  SeedTestland(run);
  tv::clock::SetFixedUtc(tv::clock::ParseIsoUtc("2026-03-04T21:05:00Z"));
  RecordingNavigator navigator;
  run.Step([] {
    auto& screen = TopScreen<CountryInfoScreen>();
    EXPECT_EQ(screen.Text(), u"Country Info");
    EXPECT_EQ(screen.TemplateNumber(), kCountryInfoTemplate);
    const auto& selector = screen.Control<tv::ui::ComboBox>(kInfoCategorySelector);
    EXPECT_EQ(selector.Items(), std::vector<std::u16string>(CategoryTable.begin(),
                                                             CategoryTable.end()));
    EXPECT_EQ(selector.GetCurSel(), 0);
    // Missing fields give no rows; an empty value a heading and one empty
    // row; the zone number shows as its zone's text.
    const std::vector<std::pair<std::u16string, int>> expected = {
        {u"location", 0},    {u"abcdefghijklmnopqrst", 1}, {u" uvwxyzabcdefghijklm", 1},
        {u"coordinates", 0}, {std::u16string(kThirtyTwo), 1},
        {u"area", 0},        {u"", 1},
        {u"Timezone", 0},    {u"+5.0 Test Standard Time", 1}};
    EXPECT_EQ(Rows(screen.Control<tv::ui::ListView>(kInfoFieldList)), expected);

    const auto& texts = screen.LastPaintTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, u"Testland");
    EXPECT_EQ(texts[0].position, (Point{92, 5}));
    EXPECT_EQ(texts[1].text, u"Capital City");
    EXPECT_EQ(texts[1].position, kCapitalPosition);
    EXPECT_EQ(texts[2].text, u"Thu 3/5 2:05 AM");
    EXPECT_EQ(texts[2].position, kLocalTimePosition);
    ASSERT_NE(screen.TitleFont(), nullptr);
    EXPECT_EQ(screen.TitleFont()->Spec(), (tv::gfx::FontSpec{"Verdana", 12, 700}));
    EXPECT_EQ(screen.DetailFont()->Spec(), (tv::gfx::FontSpec{"Verdana", 10, 700}));
  });
  run.Step([] { Choose(kInfoCategorySelector, u"people"); });
  run.Step([] {
    const auto& list = TopScreen<CountryInfoScreen>().Control<tv::ui::ListView>(kInfoFieldList);
    EXPECT_EQ(Rows(list), (std::vector<std::pair<std::u16string, int>>{
                              {u"population", 0}, {u"12 (2015 est.)", 1}}));
  });
  // A category the country has no records for leaves the list empty.
  run.Step([] { Choose(kInfoCategorySelector, u"tourism"); });
  run.Step([] {
    auto& screen = TopScreen<CountryInfoScreen>();
    EXPECT_EQ(screen.Control<tv::ui::ListView>(kInfoFieldList).Count(), 0);
    EXPECT_EQ(screen.Control<tv::ui::ComboBox>(kInfoCategorySelector).Text(), u"tourism");
    Press(std::to_string(kInfoExitButton));
  });
  EXPECT_EQ(RunCountryInfo(run, navigator, u"Testland"), 0);
  EXPECT_TRUE(navigator.requests.empty());
  tv::clock::SetFixedUtc(std::nullopt);
}

// Long titles move to the left edge; a title or capital that would run off
// the screen ends at its last whole word that fits, with an ellipsis, drawn
// where the whole text would start. "N/A" lines are not drawn.
TEST(CountryInfoScreenTest, LongTitlesAndCapitalsEndWithAnEllipsisAtTheScreensEdge) {
  struct Case {
    std::u16string name, capital;
    int x;
    std::u16string title_drawn, capital_drawn;
  };
  for (const Case& c : std::vector<Case>{
           {u"", u"N/A", 120, u"", u""},
           {u"South Georgia and the South Sandwich Islands", u"N/A", 0,
            u"South Georgia and the South Sandwich...", u""},
           {u"Nauru", u"no official capital; government offices in Yaren District", 102,
            u"Nauru", u"no official capital..."},
           {u"Israel", u"Jerusalem; note - Israel proclaimed Jerusalem as its capital", 99,
            u"Israel", u"Jerusalem; note..."},
           // One word wider than the screen is cut between characters.
           {std::u16string(35, u'M'), u"N/A", 0, std::u16string(22, u'M') + u"...", u""}}) {
    ProgramRun run;
    Seed(run, {{c.name, u"government", u"capital", c.capital},
               {c.name, u"geography", u"Timezone", u"N/A"}});
    RecordingNavigator navigator;
    run.Step([&c] {
      const auto& texts = TopScreen<CountryInfoScreen>().LastPaintTexts();
      ASSERT_EQ(texts.size(), c.capital == u"N/A" ? 1u : 2u);
      EXPECT_EQ(texts[0].text, c.title_drawn);
      EXPECT_EQ(texts[0].position, (Point{c.x, 5}));
      if (texts.size() == 2) EXPECT_EQ(texts[1].text, c.capital_drawn);
    });
    EXPECT_EQ(RunCountryInfo(run, navigator, c.name), 0);
  }
}

TEST(CountryInfoScreenTest, MissingCapitalRecordClosesTheScreenWithItsMessage) {
  ProgramRun run;
  SeedTestland(run);
  RecordingNavigator navigator;
  run.Step([] {
    EXPECT_EQ(MessageText(), u"Country Info not found in Database");
    Press("ok");
  });
  run.Step([] { ADD_FAILURE() << "the screen should have closed"; });
  run.ExpectEarlyEnd();
  EXPECT_EQ(RunCountryInfo(run, navigator, u"Atlantis"), 0);
  EXPECT_EQ(run.StepsLeft(), 1);
}

class NoImagesScreen : public CountryInfoScreen {
 protected:
  bool CreateRowImages(tv::ui::ImageList& images) override {
    (void)images;
    return false;
  }
};

TEST(CountryInfoScreenTest, ImageListFailureLeavesTheScreenOpenWithAnEmptyList) {
  ProgramRun run;
  SeedTestland(run);
  RecordingNavigator navigator;
  run.Step([] {
    EXPECT_EQ(MessageText(), u"Error Displaying Info");
    Press("ok");
  });
  run.Step([] {
    auto& screen = TopScreen<CountryInfoScreen>();
    EXPECT_EQ(screen.RowImages(), nullptr);
    EXPECT_EQ(screen.Control<tv::ui::ListView>(kInfoFieldList).Count(), 0);
    EXPECT_EQ(screen.Control<tv::ui::ComboBox>(kInfoCategorySelector).Count(), 7);
  });
  // A later choice fills the list all the same.
  run.Step([] { Choose(kInfoCategorySelector, u"people"); });
  run.Step([] {
    auto& screen = TopScreen<CountryInfoScreen>();
    EXPECT_EQ(screen.Control<tv::ui::ListView>(kInfoFieldList).Count(), 2);
    Press(std::to_string(kInfoExitButton));
  });
  EXPECT_EQ(run.RunWith([&navigator] {
    ScopedNavigator installed(navigator);
    NoImagesScreen screen;
    screen.country_name = u"Testland";
    screen.RunModal();
  }),
            0);
}

TEST(CountryInfoScreenTest, ButtonsAskTheNavigator) {
  ProgramRun run;
  SeedTestland(run);
  RecordingNavigator navigator;
  for (int id : {kInfoMapButton, kInfoDayNightButton, kInfoFactsButton, kInfoCompareButton,
                 kInfoHelpButton, kInfoExitButton}) {
    run.Step([id] { Press(std::to_string(id)); });
  }
  run.Step([] { ADD_FAILURE() << "Exit should have closed the screen"; });
  run.ExpectEarlyEnd();
  EXPECT_EQ(RunCountryInfo(run, navigator, u"Testland"), 0);
  const std::vector<std::string> expected = {"country-map Testland", "day-night", "world-facts",
                                             "compare",
                                             "help " + tv::Utf16ToUtf8(GlossaryText())};
  EXPECT_EQ(navigator.requests, expected);
}

// A 48x32 flag: columns 0-7 red, 8-15 yellow, 16-31 green, 32-47 blue.
std::vector<uint8_t> NarrowFlagBmp() {
  tv::gfx::Bitmap flag(48, 32, tv::gfx::PixelFormat::kIndexed4);
  flag.SetPalette(tv::gfx::Vga16Palette());
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 48; ++x) {
      const Color c = x < 8 ? Color{255, 0, 0}
                      : x < 16 ? Color{255, 255, 0}
                      : x < 32 ? Color{0, 255, 0}
                               : Color{0, 0, 255};
      flag.Store(x, y, c);
    }
  }
  const std::string path = (ProgramRun::MakeTemporaryRoot() / "flag.bmp").string();
  EXPECT_TRUE(tv::gfx::WriteBmpFile(flag, path));
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove_all(std::filesystem::path(path).parent_path());
  return bytes;
}

TEST(CountryInfoScreenTest, NarrowFlagRepeatsItsFirstColumnsInAFramedBox) {
  static const std::vector<uint8_t> bmp = NarrowFlagBmp();
  static const tv::res::Entry kEntries[] = {
      {tv::res::Kind::kBitmap, 0, "TESTFLAG_FLAG", {bmp.data(), bmp.size()}}};
  ProgramRun run;
  SeedTestland(run);
  tv::res::Register(kEntries);
  RecordingNavigator navigator;
  run.Step([] {
    auto& screen = TopScreen<CountryInfoScreen>();
    const Color red{248, 0, 0}, yellow{248, 252, 0}, green{0, 252, 0}, blue{0, 0, 248};
    EXPECT_EQ(Pixel(screen, {4, 40}), red);
    EXPECT_EQ(Pixel(screen, {12, 40}), yellow);
    EXPECT_EQ(Pixel(screen, {20, 40}), green);
    EXPECT_EQ(Pixel(screen, {40, 62}), blue);
    // Columns 48 to 63 repeat columns 0 to 15.
    EXPECT_EQ(Pixel(screen, {48, 33}), red);
    EXPECT_EQ(Pixel(screen, {55, 50}), red);
    EXPECT_EQ(Pixel(screen, {56, 50}), yellow);
    EXPECT_EQ(Pixel(screen, {62, 62}), yellow);
    // The default pen frames the box; outside it the screen is white.
    for (Point p : {Point{0, 32}, Point{63, 32}, Point{0, 63}, Point{63, 63}, Point{30, 32},
                    Point{63, 45}}) {
      EXPECT_EQ(Pixel(screen, p), Color{}) << p.x << "," << p.y;
    }
    EXPECT_EQ(Pixel(screen, {64, 45}), (Color{248, 252, 248}));
    EXPECT_EQ(Pixel(screen, {30, 31}), (Color{248, 252, 248}));
  });
  EXPECT_EQ(RunCountryInfo(run, navigator, u"Testland"), 0);
}

TEST(CountryInfoScreenTest, NoFlagIsDrawnForNotAvailableOrAMissingBitmap) {
  // Testland names a flag that the program's resources do not hold.
  for (std::u16string_view country : {u"Nocapital", u"Testland"}) {
    ProgramRun run;
    SeedTestland(run);
    RecordingNavigator navigator;
    run.Step([] {
      auto& screen = TopScreen<CountryInfoScreen>();
      for (Point p : {Point{0, 32}, Point{30, 45}, Point{63, 63}}) {
        EXPECT_EQ(Pixel(screen, p), (Color{248, 252, 248})) << p.x << "," << p.y;
      }
    });
    EXPECT_EQ(RunCountryInfo(run, navigator, country), 0);
  }
}

TEST(CountryInfoScreenTest, FieldListScrollsByKeysWhenRowsOverflow) {
  ProgramRun run;
  std::u16string longer;
  for (int i = 0; i < 20; ++i) longer += u"word" + std::u16string(1, u'a' + i) + u" ";
  Seed(run, {{u"Longland", u"government", u"capital", u"X"},
             {u"Longland", u"geography", u"location", longer},
             {u"Longland", u"geography", u"climate", longer},
             {u"Longland", u"geography", u"resources", longer}});
  RecordingNavigator navigator;
  run.Step([] {
    auto& list = TopScreen<CountryInfoScreen>().Control<tv::ui::ListView>(kInfoFieldList);
    ASSERT_GT(list.Count(), list.VisibleRows());
    ASSERT_TRUE(list.GetScrollInfo(tv::ui::ScrollOrientation::kVertical).visible);
    EXPECT_EQ(list.TopIndex(), 0);
    tv::ui::Desktop::Get().SetFocus(&list);
    testing::PressKey(tv::ui::Key::kEnd);
  });
  run.Step([] {
    auto& list = TopScreen<CountryInfoScreen>().Control<tv::ui::ListView>(kInfoFieldList);
    EXPECT_EQ(list.GetSelection(), list.Count() - 1);
    EXPECT_EQ(list.TopIndex(), list.Count() - list.VisibleRows());
    testing::PressKey(tv::ui::Key::kPageUp);
  });
  run.Step([] {
    auto& list = TopScreen<CountryInfoScreen>().Control<tv::ui::ListView>(kInfoFieldList);
    EXPECT_EQ(list.GetSelection(), list.Count() - 1 - (list.VisibleRows() - 1));
    testing::PressKey(tv::ui::Key::kHome);
  });
  run.Step([] {
    auto& list = TopScreen<CountryInfoScreen>().Control<tv::ui::ListView>(kInfoFieldList);
    EXPECT_EQ(list.GetSelection(), 0);
    EXPECT_EQ(list.TopIndex(), 0);
  });
  EXPECT_EQ(RunCountryInfo(run, navigator, u"Longland"), 0);
}

TEST(GlossaryTest, HeadingTitlesLengthsAndLayout) {
  const std::u16string text = GlossaryText();
  EXPECT_EQ(text.size(), 8773u);
  EXPECT_EQ(std::count(text.begin(), text.end(), u'\n'), 109);
  EXPECT_EQ(std::count(text.begin(), text.end(), u'\r'), 109);
  EXPECT_TRUE(text.starts_with(u"Glossary of terms:\r\n\r\nAdministrative divisions\r\n"));
  EXPECT_FALSE(text.ends_with(u"\r\n\r\n"));

  struct Expected {
    std::u16string_view title;
    size_t length;
  };
  static constexpr Expected kExpected[] = {
      {u"Administrative divisions", 225}, {u"Age structure", 637},
      {u"Airports", 261},                 {u"Area", 462},
      {u"Birth rate", 322},               {u"Capital ", 57},
      {u"Climate ", 87},                  {u"Coastline ", 104},
      {u"Communications", 146},           {u"Currency ", 76},
      {u"Currency code ", 121},           {u"Ethnic groups ", 133},
      {u"Exports", 93},                   {u"Fiscal year", 273},
      {u"Geographic coordinates", 264},   {u"Government type ", 154},
      {u"Heliports ", 137},               {u"Imports ", 133},
      {u"Industries", 102},               {u"Inflation rate (consumer prices)", 116},
      {u"Internet country code", 254},    {u"Internet Service Providers (ISPs)", 147},
      {u"Internet users", 264},           {u"Land boundaries", 131},
      {u"Languages", 153},                {u"Literacy", 546},
      {u"Location", 107},                 {u"Nationality", 76},
      {u"Natural resources", 106},        {u"Population growth rate", 532},
      {u"Ports and harbors", 248},        {u"Religions", 150},
      {u"Sex ratio", 595},                {u"Telephones - main lines in use", 66},
      {u"Telephones - mobile cellular", 71}, {u"Total fertility rate", 665},
  };
  const auto entries = GlossaryEntries();
  ASSERT_EQ(entries.size(), std::size(kExpected));
  std::u16string rebuilt = u"Glossary of terms:\r\n\r\n";
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::string title = tv::Utf16ToUtf8(entries[i].title);
    EXPECT_EQ(entries[i].title, kExpected[i].title);
    EXPECT_EQ(entries[i].definition.size(), kExpected[i].length) << title;
    EXPECT_EQ(entries[i].definition.find_first_of(u"\r\n"), std::u16string_view::npos) << title;
    EXPECT_TRUE(entries[i].definition.starts_with(u"This ") ||
                entries[i].definition.starts_with(u"The average annual percent"))
        << title;
    if (i > 0) rebuilt += u"\r\n";
    rebuilt += std::u16string(entries[i].title) + u"\r\n" +
               std::u16string(entries[i].definition) + u"\r\n";
  }
  EXPECT_EQ(rebuilt, text);
  // Trailing blanks belong to the text; the one typographic apostrophe is
  // entry 20's.
  EXPECT_NE(text.find(u"\r\nCapital \r\nThis entry gives the location of the seat of "
                      u"government. \r\n"),
            std::u16string::npos);
  EXPECT_TRUE(entries[31].definition.ends_with(u"population. "));
  EXPECT_EQ(std::count(text.begin(), text.end(), u'\u2019'), 1);
  EXPECT_NE(entries[19].definition.find(u"year\u2019s"), std::u16string_view::npos);
}

TEST(CompareScreenTest, OpensWithFiveEqualRowsAndRefreshesOnChoices) {
  ProgramRun run;
  Seed(run, {{u"Afghanistan", u"geography", u"location", u"Southern Asia"},
             {u"Afghanistan", u"geography", u"Timezone", u"5"},
             {u"Afghanistan", u"tourism", u"attractions", u"mountains"},
             {u"France", u"geography", u"location", u"Western Europe"},
             {u"France", u"geography", u"Timezone", u"999"},
             {u"France", u"tourism", u"attractions", u"museums"}});
  RecordingNavigator navigator;
  auto values = [] {
    std::vector<std::u16string> texts;
    for (const CompareRow& row : kCompareRows) {
      texts.push_back(TopScreen<CompareScreen>().Control<tv::ui::LineEdit>(row.value_box).Text());
    }
    return texts;
  };
  run.Step([&values] {
    auto& screen = TopScreen<CompareScreen>();
    EXPECT_EQ(screen.Text(), u"Compare Countries Info");
    EXPECT_EQ(screen.TemplateNumber(), kCompareTemplate);
    // Category and feature selectors keep the tables' order.
    const auto& categories = screen.Control<tv::ui::ComboBox>(kCompareCategorySelector);
    EXPECT_EQ(categories.Items(), std::vector<std::u16string>(CategoryTable.begin(),
                                                               CategoryTable.end()));
    EXPECT_EQ(categories.Text(), u"geography");
    const auto& features = screen.Control<tv::ui::ComboBox>(kCompareFeatureSelector);
    const auto geography = CategoryFieldTable(0);
    EXPECT_EQ(features.Items(), std::vector<std::u16string>(geography.begin(), geography.end()));
    EXPECT_EQ(features.Text(), u"location");
    for (const CompareRow& row : kCompareRows) {
      const auto& country = screen.Control<tv::ui::ComboBox>(row.country_selector);
      EXPECT_EQ(country.Count(), 256);
      EXPECT_EQ(country.Text(), u"Afghanistan");
    }
    EXPECT_EQ(values(), std::vector<std::u16string>(5, u"Southern Asia"));
  });
  run.Step([] { Choose(kCompareCategorySelector, u"tourism"); });
  run.Step([&values] {
    const auto& features = TopScreen<CompareScreen>().Control<tv::ui::ComboBox>(
        kCompareFeatureSelector);
    EXPECT_EQ(features.Items(), std::vector<std::u16string>{u"attractions"});
    EXPECT_EQ(features.GetCurSel(), 0);
    EXPECT_EQ(values(), std::vector<std::u16string>(5, u"mountains"));
  });
  // Only row 3 follows its own selector: the other boxes are not even set
  // again.
  run.Step([] {
    TopScreen<CompareScreen>().Control<tv::ui::LineEdit>(kCompareRows[0].value_box).SetText(u"kept");
    Choose(kCompareRows[2].country_selector, u"France");
  });
  run.Step([&values] {
    EXPECT_EQ(values(), (std::vector<std::u16string>{u"kept", u"mountains", u"museums",
                                                     u"mountains", u"mountains"}));
  });
  run.Step([] { Choose(kCompareFeatureSelector, u"attractions"); });
  run.Step([&values] {
    EXPECT_EQ(values(), (std::vector<std::u16string>{u"mountains", u"mountains", u"museums",
                                                     u"mountains", u"mountains"}));
  });
  // Zone numbers show as zone texts; one with no zone as "N/A".
  run.Step([] { Choose(kCompareCategorySelector, u"geography"); });
  run.Step([] { Choose(kCompareFeatureSelector, u"Timezone"); });
  run.Step([&values] {
    const std::u16string zone = u"+5.0 Test Standard Time";
    EXPECT_EQ(values(), (std::vector<std::u16string>{zone, zone, u"N/A", zone, zone}));
  });
  // A country without the record shows an empty box, except for "Timezone",
  // whose missing number reads as zone 0, which no zone has.
  run.Step([] { Choose(kCompareRows[4].country_selector, u"Albania"); });
  run.Step([&values] { EXPECT_EQ(values()[4], u"N/A"); });
  run.Step([] { Choose(kCompareFeatureSelector, u"location"); });
  run.Step([&values] {
    EXPECT_EQ(values(), (std::vector<std::u16string>{u"Southern Asia", u"Southern Asia",
                                                     u"Western Europe", u"Southern Asia", u""}));
  });
  run.Step([] { Press(std::to_string(kCompareExitButton)); });
  EXPECT_EQ(RunScreen<CompareScreen>(run, navigator), 0);
}

TEST(CompareScreenTest, ButtonsAskTheNavigatorWithTheirRowsCountries) {
  ProgramRun run;
  RecordingNavigator navigator;
  run.Step([] { Choose(kCompareRows[1].country_selector, u"France"); });
  run.Step([] {
    // A row with no current item opens the map with the empty name.
    auto& screen = TopScreen<CompareScreen>();
    screen.Control<tv::ui::ComboBox>(kCompareRows[4].country_selector).SetCurSel(-1);
    screen.RefreshCompareRow(4);
    EXPECT_EQ(screen.Control<tv::ui::LineEdit>(kCompareRows[4].value_box).Text(), u"");
  });
  for (const CompareRow& row : kCompareRows) {
    run.Step([id = row.map_button] { Press(std::to_string(id)); });
  }
  for (int id : {kCompareDayNightButton, kCompareFactsButton, kCompareHelpButton,
                 kCompareExitButton}) {
    run.Step([id] { Press(std::to_string(id)); });
  }
  run.Step([] { ADD_FAILURE() << "Exit should have closed the screen"; });
  run.ExpectEarlyEnd();
  EXPECT_EQ(RunScreen<CompareScreen>(run, navigator), 0);
  const std::vector<std::string> expected = {
      "country-map Afghanistan", "country-map France",      "country-map Afghanistan",
      "country-map Afghanistan", "country-map",             "day-night",
      "world-facts",             "help " + tv::Utf16ToUtf8(CompareHelpText())};
  EXPECT_EQ(navigator.requests, expected);
  EXPECT_EQ(CompareHelpText(),
            u"This screen allows you to compare \r\n the different features of 5 different \r\n "
            u"countries. You can change\r\n the category, feature, country names and\r\n get "
            u"the corresponding value. \r\n");
}

TEST(CompareScreenTest, LongValueScrollsWithinItsBox) {
  ProgramRun run;
  const std::u16string value =
      u"the whole text of this value is far wider than its box and stays reachable";
  Seed(run, {{u"Afghanistan", u"geography", u"location", value}});
  RecordingNavigator navigator;
  run.Step([value] {
    auto& box = TopScreen<CompareScreen>().Control<tv::ui::LineEdit>(kCompareRows[0].value_box);
    EXPECT_EQ(box.Text(), value);
    EXPECT_GT(box.TextWidth(), box.TextArea().Width());
    EXPECT_EQ(box.HorizontalOffset(), 0);
    tv::ui::Desktop::Get().SetFocus(&box);
    testing::PressKey(tv::ui::Key::kEnd);
  });
  run.Step([] {
    auto& box = TopScreen<CompareScreen>().Control<tv::ui::LineEdit>(kCompareRows[0].value_box);
    EXPECT_EQ(box.HorizontalOffset(), box.MaxHorizontalOffset());
    EXPECT_GT(box.MaxHorizontalOffset(), 0);
    testing::PressKey(tv::ui::Key::kHome);
    testing::PressKey(tv::ui::Key::kRight);
  });
  run.Step([] {
    auto& box = TopScreen<CompareScreen>().Control<tv::ui::LineEdit>(kCompareRows[0].value_box);
    EXPECT_EQ(box.HorizontalOffset(), tv::ui::LineEdit::kHorizontalStep);
    box.SetText(box.Text());
    EXPECT_EQ(box.HorizontalOffset(), 0) << "a new text shows its beginning";
    // Dragging the stylus to the left pushes the text along with it.
    tv::ui::Desktop& desktop = tv::ui::Desktop::Get();
    const Point start = box.ScreenOrigin() + Point{100, 5};
    desktop.PostEvent(tv::ui::Event::Pen(tv::ui::Event::Type::kPenDown, start));
    desktop.PostEvent(tv::ui::Event::Pen(tv::ui::Event::Type::kPenMove, start + Point{-30, 0}));
    desktop.PostEvent(tv::ui::Event::Pen(tv::ui::Event::Type::kPenUp, start + Point{-30, 0}));
  });
  run.Step([] {
    auto& box = TopScreen<CompareScreen>().Control<tv::ui::LineEdit>(kCompareRows[0].value_box);
    EXPECT_EQ(box.HorizontalOffset(), 30);
  });
  EXPECT_EQ(RunScreen<CompareScreen>(run, navigator), 0);
}

TEST(WorldFactsScreenTest, TwelveRowsInTheirColoursAndNoFontGrowth) {
  ProgramRun run;
  RecordingNavigator navigator;
  run.Step([] {
    auto& screen = TopScreen<WorldFactsScreen>();
    EXPECT_EQ(screen.Text(), u"Quick World Facts");
    EXPECT_EQ(screen.TemplateNumber(), kWorldFactsTemplate);
    const auto& texts = screen.LastPaintTexts();
    ASSERT_EQ(texts.size(), 25u);
    EXPECT_EQ(texts[0].text, u"World Facts");
    EXPECT_EQ(texts[0].position, (Point{60, 5}));
    for (int i = 0; i < 12; ++i) {
      EXPECT_EQ(texts[1 + 2 * i].text, WorldFactsTable[i].label);
      EXPECT_EQ(texts[1 + 2 * i].position, (Point{10, 40 + 15 * i}));
      EXPECT_EQ(texts[2 + 2 * i].text, WorldFactsTable[i].value);
      EXPECT_EQ(texts[2 + 2 * i].position, (Point{160, 40 + 15 * i}));
    }
    EXPECT_EQ(texts.back().position.y, 205);
    EXPECT_EQ(WorldFactsTable[3].value, u"Bombay,India");
    // Labels dark red, values dark blue.
    auto has = [&screen](tv::gfx::Rect area, Color colour) {
      for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
          if (Pixel(screen, {x, y}) == colour) return true;
        }
      }
      return false;
    };
    EXPECT_TRUE(has({10, 40, 100, 52}, Color{128, 0, 0}));
    EXPECT_FALSE(has({10, 40, 100, 52}, Color{0, 0, 128}));
    EXPECT_TRUE(has({160, 205, 230, 217}, Color{0, 0, 128}));
    EXPECT_EQ(screen.TitleFont()->Spec(), (tv::gfx::FontSpec{"Verdana", 16, 700}));
    EXPECT_EQ(screen.RowFont()->Spec(), (tv::gfx::FontSpec{"Verdana", 10, 400}));
  });
  run.Step([] {
    auto& screen = TopScreen<WorldFactsScreen>();
    const tv::gfx::Font* title = screen.TitleFont().get();
    const tv::gfx::Font* row = screen.RowFont().get();
    const long title_uses = screen.TitleFont().use_count();
    const long row_uses = screen.RowFont().use_count();
    for (int i = 0; i < 100; ++i) {
      screen.Invalidate();
      screen.Update();
    }
    EXPECT_EQ(screen.TitleFont().get(), title);
    EXPECT_EQ(screen.RowFont().get(), row);
    EXPECT_EQ(screen.TitleFont().use_count(), title_uses);
    EXPECT_EQ(screen.RowFont().use_count(), row_uses);
    EXPECT_EQ(screen.LastPaintTexts().size(), 25u);
  });
  for (int id : {kFactsCompareButton, kFactsDayNightButton, kFactsExitButton}) {
    run.Step([id] { Press(std::to_string(id)); });
  }
  run.Step([] { ADD_FAILURE() << "Exit should have closed the screen"; });
  run.ExpectEarlyEnd();
  EXPECT_EQ(RunScreen<WorldFactsScreen>(run, navigator), 0);
  EXPECT_EQ(navigator.requests, (std::vector<std::string>{"compare", "day-night"}));
}

// The program's own openers reach the real screens: Info for "World",
// Facts, Compare, and the glossary from Country Info.
TEST(InfoScreensProgramTest, MainScreenButtonsOpenTheScreens) {
  ProgramRun run;
  run.Step([] { Press("1000"); });  // Info: "World" has no records here
  run.Step([] {
    EXPECT_EQ(MessageText(), u"Country Info not found in Database");
    Press("ok");
  });
  run.Step([] { EXPECT_EQ(TopTemplate(), 102); Press("1006"); });  // Facts
  run.Step([] { EXPECT_EQ(TopTemplate(), kWorldFactsTemplate); Press("1047"); });
  run.Step([] { EXPECT_EQ(TopTemplate(), kCompareTemplate); Press("1029"); });
  run.Step([] {
    EXPECT_EQ(TopTemplate(), 416);
    testing::PressKey(tv::ui::Key::kEscape);
  });
  run.Step([] { EXPECT_EQ(TopTemplate(), kCompareTemplate); Press("1028"); });
  run.Step([] { EXPECT_EQ(TopTemplate(), kWorldFactsTemplate); Press("1049"); });
  run.Step([] { EXPECT_EQ(TopTemplate(), 102); });
  EXPECT_EQ(run.Run(), 0);
}

// Imports the installed facts and zones into the run's device.
void ImportRealData(const ProgramRun& run) {
  std::filesystem::create_directories(run.DeviceRoot() / "windows");
  const char* source = std::getenv("TERRAVUE_SOURCE_DIR");
  const std::filesystem::path data = std::filesystem::path(source ? source : ".") / "data";
  for (const char* name : {"QuorvelCountriesTerravue.txt", "QuorvelZones.txt"}) {
    std::filesystem::copy_file(data / name, run.DeviceRoot() / "windows" / name);
  }
  ASSERT_TRUE(ZoneRecordStore::ImportZoneData());
  ASSERT_TRUE(ImportCountryData());
}

// The installed facts: every value of every country wraps soundly, and
// "World" opens like any other place.
TEST(InfoScreensProgramTest, RealDataWrapsSoundlyAndWorldOpens) {
  ProgramRun run;
  ImportRealData(run);
  for (std::u16string_view country : {u"Croatia", u"Netherlands Antilles", u"France"}) {
    for (int c = 0; c < kCategoryCount; ++c) {
      for (std::u16string_view field : CategoryFieldTable(c)) {
        std::u16string value;
        if (CountryRecordStore::GetCountryField(country, CategoryTable[c], field, value)) {
          ExpectSoundWrap(value);
        }
      }
    }
  }
  RecordingNavigator navigator;
  run.Step([] {
    auto& screen = TopScreen<CountryInfoScreen>();
    const auto& list = screen.Control<tv::ui::ListView>(kInfoFieldList);
    // "location" and "coordinates" are "N/A" for the world, and still rows.
    ASSERT_GE(list.Count(), 4);
    EXPECT_EQ(list.ItemText(0), u"location");
    EXPECT_EQ(list.ItemText(1), u"N/A");
    EXPECT_EQ(screen.LastPaintTexts()[0].text, u"World");
    EXPECT_EQ(screen.LastPaintTexts()[0].position, (Point{(240 - 35) / 2, 5}));
  });
  EXPECT_EQ(RunCountryInfo(run, navigator, u"World"), 0);
}

struct PlaceNames : tv::ui::ListSink {
  int AddString(std::u16string_view text) override { return (names.emplace_back(text), 0); }
  std::vector<std::u16string> names;
};

// The facts list was laid out for the handheld's system font: every line of
// every category page of every place fits across the list, so no page needs
// a horizontal scroll bar.
TEST(InfoScreensProgramTest, EveryFactsPageFitsTheListsWidth) {
  ProgramRun run;
  ImportRealData(run);
  RecordingNavigator navigator;
  run.Step([] {
    auto& screen = TopScreen<CountryInfoScreen>();
    auto& selector = screen.Control<tv::ui::ComboBox>(kInfoCategorySelector);
    const auto& list = screen.Control<tv::ui::ListView>(kInfoFieldList);
    PlaceNames places;
    AddAllPlaces(places);
    ASSERT_EQ(places.names.size(), 256u);
    int overflowing = 0;
    std::string names;
    for (const std::u16string& place : places.names) {
      screen.country_name = place;
      for (int c = 0; c < kCategoryCount; ++c) {
        selector.SetCurSel(c);
        screen.FillFieldList();
        if (!list.GetScrollInfo(tv::ui::ScrollOrientation::kHorizontal).visible) continue;
        ++overflowing;
        names += " " + tv::Utf16ToUtf8(place) + "/" + tv::Utf16ToUtf8(CategoryTable[c]);
      }
    }
    EXPECT_EQ(overflowing, 0) << "of 1,792 pages overflow:" << names;
    Press(std::to_string(kInfoExitButton));
  });
  EXPECT_EQ(RunCountryInfo(run, navigator, u"World"), 0);
}

bool Contains(const std::string& dump, const std::string& fragment) {
  return dump.find(fragment) != std::string::npos;
}

// Scripts open the screens by name; the dump then shows the field list's rows
// with their images, and each painted text with its font and colour.
TEST(InfoScreensProgramTest, OpenedByNameAndDescribedByTheDump) {
  ProgramRun run;
  ImportRealData(run);
  auto open = [](std::string_view screen, std::optional<std::u16string> input) {
    std::string error;
    EXPECT_TRUE(OpenScreenByName(GetNavigator(), screen, input, error)) << error;
  };
  run.Step([open] { open("country-info", u"France"); });
  run.Step([] {
    const std::string dump = tv::ui::automation::Dump();
    EXPECT_TRUE(Contains(dump, R"("caption":"Country Info","kind":"dialog","template":392,)"
                               R"("input":{"country":"France"})"))
        << dump;
    const auto& list = TopScreen<CountryInfoScreen>().Control<tv::ui::ListView>(kInfoFieldList);
    std::string items = R"("kind":"listview","text":"","items":[)";
    std::string images = R"("images":[)";
    for (int i = 0; i < list.Count(); ++i) {
      items += (i ? "," : "") + tv::ui::JsonQuote(list.ItemText(i));
      images += (i ? "," : "") + std::to_string(list.ItemImage(i));
    }
    EXPECT_TRUE(Contains(dump, items + "]," + images + "]")) << dump;
    EXPECT_TRUE(Contains(dump, R"("images":[0,1,)")) << dump;
    EXPECT_TRUE(Contains(dump, R"({"x":99,"y":5,"text":"France",)"
                               R"("font":{"face":"Verdana","height":12,"weight":700},)"
                               R"("color":[0,0,0]})"))
        << dump;
    EXPECT_TRUE(Contains(dump, R"({"x":120,"y":35,"text":"Paris",)"
                               R"("font":{"face":"Verdana","height":10,"weight":700},)"))
        << dump;
    Press(std::to_string(kInfoExitButton));
  });
  run.Step([open] { open("world-facts", std::nullopt); });
  run.Step([] {
    const std::string dump = tv::ui::automation::Dump();
    EXPECT_TRUE(Contains(dump, R"({"x":10,"y":205,"text":"Lowest Literacy Rate:",)"
                               R"("font":{"face":"Verdana","height":10,"weight":400},)"
                               R"("color":[128,0,0]})"))
        << dump;
    EXPECT_TRUE(Contains(dump, R"({"x":160,"y":205,"text":"Burkina Faso",)"
                               R"("font":{"face":"Verdana","height":10,"weight":400},)"
                               R"("color":[0,0,128]})"))
        << dump;
    EXPECT_TRUE(Contains(dump, R"({"x":60,"y":5,"text":"World Facts",)"
                               R"("font":{"face":"Verdana","height":16,"weight":700},)"))
        << dump;
    Press(std::to_string(kFactsExitButton));
  });
  run.Step([open] { open("compare", std::nullopt); });
  run.Step([] {
    const std::string dump = tv::ui::automation::Dump();
    EXPECT_TRUE(Contains(dump, R"({"id":1033,"kind":"lineedit","text":"Southern Asia, )")) << dump;
    Press(std::to_string(kCompareExitButton));
  });
  run.Step([] { EXPECT_EQ(TopTemplate(), 102); });
  EXPECT_EQ(run.Run(), 0);
}

// The program's own flags fill the framed box: France's three bands, Japan's
// disc on white.
TEST(InfoScreensProgramTest, RealFlagsFillTheBox) {
  for (std::u16string_view country : {u"France", u"Japan"}) {
    ProgramRun run;
    ImportRealData(run);
    RecordingNavigator navigator;
    run.Step([country] {
      auto& screen = TopScreen<CountryInfoScreen>();
      for (Point p : {Point{0, 32}, Point{63, 63}, Point{32, 32}}) {
        EXPECT_EQ(Pixel(screen, p), Color{}) << p.x << "," << p.y;
      }
      auto white = [](Color c) { return c.r > 200 && c.g > 200 && c.b > 200; };
      if (country == u"France") {
        const Color left = Pixel(screen, {10, 48});
        const Color middle = Pixel(screen, {32, 48});
        const Color right = Pixel(screen, {53, 48});
        EXPECT_GT(left.b, left.r);
        EXPECT_TRUE(white(middle));
        EXPECT_GT(right.r, right.b);
        // Flat bands: a band is one colour from top to bottom.
        EXPECT_EQ(Pixel(screen, {10, 34}), left);
        EXPECT_EQ(Pixel(screen, {53, 61}), right);
      } else {
        const Color centre = Pixel(screen, {32, 48});
        EXPECT_GT(centre.r, 150);
        EXPECT_LT(centre.g, 100);
        EXPECT_TRUE(white(Pixel(screen, {4, 36})));
        EXPECT_TRUE(white(Pixel(screen, {59, 59})));
      }
    });
    EXPECT_EQ(RunCountryInfo(run, navigator, country), 0);
  }
}

}  // namespace
}  // namespace terravue
