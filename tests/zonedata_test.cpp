// Checks the committed zone installation file and the place-to-zone table:
// their shape, and that every place's clock as the zone file's rules give it
// agrees with the C library's conversion for the place's tz zone through
// the year the data was built for.

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "places/places.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDataYear = 2026;

struct Rule {
  int occurrence = 0;
  int weekday = 0;
  int month = 0;
};

struct Zone {
  int number = 0;
  std::string standard;
  std::string daylight;
  int offset_west = 0;
  Rule start;
  Rule end;
};

struct PlaceZone {
  std::string place;
  int number = 0;
  std::string tz;
  std::string method;
};

fs::path DataDir() {
  const char* root = std::getenv("TERRAVUE_SOURCE_DIR");
  return fs::path(root ? root : ".") / "data";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> fields;
  size_t begin = 0;
  for (;;) {
    const size_t at = line.find(separator, begin);
    fields.push_back(line.substr(begin, at - begin));
    if (at == std::string::npos) return fields;
    begin = at + 1;
  }
}

// A whole decimal integer, or false.
bool ParseInt(const std::string& text, int& value) {
  if (text.empty()) return false;
  size_t used = 0;
  try {
    value = std::stoi(text, &used);
  } catch (const std::exception&) {
    return false;
  }
  return used == text.size();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines = Split(text, '\n');
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

std::string Utf8(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out += static_cast<char>(c);
  return out;
}

std::set<std::string> DistinctPlacesAndWorld() {
  std::set<std::string> places;
  for (int region = 0; region < terravue::kRegionCount; ++region) {
    for (const terravue::MapHitRow& row : terravue::RegionCountries(region).rows) {
      places.insert(Utf8(row.name));
    }
  }
  for (std::u16string_view name : terravue::OtherPlacesTable) places.insert(Utf8(name));
  places.insert("World");
  return places;
}

class ZoneDataTest : public testing::Test {
 protected:
  void SetUp() override {
    zones_text_ = ReadFile(DataDir() / "QuorvelZones.txt");
    places_text_ = ReadFile(DataDir() / "place-zones.tsv");
    ASSERT_FALSE(zones_text_.empty()) << "no zone file under " << DataDir();
    ASSERT_FALSE(places_text_.empty()) << "no place table under " << DataDir();
    for (const std::string& line : Lines(zones_text_)) {
      const std::vector<std::string> f = Split(line, ',');
      if (f.size() != 10) continue;  // reported by the shape test
      Zone z;
      int* numbers[] = {&z.number,         &z.offset_west,  &z.start.occurrence, &z.start.weekday,
                        &z.start.month,    &z.end.occurrence, &z.end.weekday,   &z.end.month};
      const std::string* texts[] = {&f[0], &f[3], &f[4], &f[5], &f[6], &f[7], &f[8], &f[9]};
      bool ok = true;
      for (int i = 0; i < 8; ++i) ok = ok && ParseInt(*texts[i], *numbers[i]);
      if (!ok) continue;
      z.standard = f[1];
      z.daylight = f[2];
      zones_[z.number] = z;
    }
    for (const std::string& line : Lines(places_text_)) {
      const std::vector<std::string> f = Split(line, '\t');
      if (f.size() != 4) continue;
      PlaceZone p{f[0], 0, f[2], f[3]};
      if (!ParseInt(f[1], p.number)) continue;
      places_.push_back(p);
    }
  }

  std::string zones_text_;
  std::string places_text_;
  std::map<int, Zone> zones_;
  std::vector<PlaceZone> places_;
};

TEST_F(ZoneDataTest, ZoneLinesHaveTenFieldsInRange) {
  EXPECT_EQ(zones_text_.back(), '\n');
  EXPECT_EQ(zones_text_.find('\r'), std::string::npos);
  const std::vector<std::string> lines = Lines(zones_text_);
  ASSERT_FALSE(lines.empty());
  std::set<std::string> contents;
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    const std::vector<std::string> f = Split(line, ',');
    ASSERT_EQ(f.size(), 10u);
    // The program reads a line into 1024 characters.
    EXPECT_LT(line.size(), 1023u);
    int number = 0;
    ASSERT_TRUE(ParseInt(f[0], number));
    EXPECT_GE(number, 1);
    EXPECT_LE(number, 32767);
    EXPECT_FALSE(f[1].empty());
    EXPECT_FALSE(f[2].empty());
    for (int i = 3; i < 10; ++i) {
      int value = 0;
      EXPECT_TRUE(ParseInt(f[i], value)) << "field " << i + 1;
    }
    // Each line is one distinct zone.
    EXPECT_TRUE(contents.insert(line.substr(line.find(','))).second);
  }
  EXPECT_EQ(zones_.size(), lines.size()) << "zone numbers repeat";

  for (const auto& [number, z] : zones_) {
    SCOPED_TRACE(number);
    EXPECT_GE(z.offset_west, -14 * 60);
    EXPECT_LE(z.offset_west, 12 * 60);
    if (z.end.month == 0) {
      // No daylight saving: the builder writes the whole start rule as zeros.
      EXPECT_EQ(z.start.month, 0);
      EXPECT_EQ(z.end.occurrence, 0);
      continue;
    }
    for (const Rule& r : {z.start, z.end}) {
      EXPECT_GE(r.occurrence, 1);
      EXPECT_LE(r.occurrence, 5);
      EXPECT_GE(r.weekday, 0);
      EXPECT_LE(r.weekday, 6);
      EXPECT_GE(r.month, 1);
      EXPECT_LE(r.month, 12);
    }
    // The daylight test cannot tell a period inside one month.
    EXPECT_NE(z.start.month, z.end.month);
  }
}

TEST_F(ZoneDataTest, EveryPlaceHasOneResolvableZone) {
  EXPECT_EQ(places_text_.back(), '\n');
  EXPECT_EQ(places_.size(), Lines(places_text_).size()) << "a line without four fields";
  const std::set<std::string> expected = DistinctPlacesAndWorld();
  EXPECT_EQ(expected.size(), 256u);  // 255 distinct places and World
  std::set<std::string> listed;
  const std::set<std::string> methods = {"capital", "centre", "country", "longitude", "hand"};
  for (const PlaceZone& p : places_) {
    SCOPED_TRACE(p.place);
    EXPECT_TRUE(listed.insert(p.place).second) << "listed twice";
    EXPECT_TRUE(expected.count(p.place)) << "not a place";
    EXPECT_TRUE(zones_.count(p.number)) << "zone " << p.number << " has no line";
    EXPECT_TRUE(methods.count(p.method)) << p.method;
    EXPECT_TRUE(fs::exists(fs::path("/usr/share/zoneinfo") / p.tz)) << p.tz;
  }
  EXPECT_EQ(listed, expected);
}

// The day of `month` that a rule names in `year`, from the standard
// calendar: the n-th such weekday, or the last one for occurrence 5.
unsigned RuleDay(const Rule& r, int year) {
  using namespace std::chrono;
  const auto y = std::chrono::year{year};
  const auto m = std::chrono::month{static_cast<unsigned>(r.month)};
  const std::chrono::weekday wd{static_cast<unsigned>(r.weekday)};
  if (r.occurrence == 5) return unsigned{year_month_day{y / m / wd[last]}.day()};
  const year_month_day date{y / m / wd[static_cast<unsigned>(r.occurrence)]};
  return date.ok() ? unsigned{date.day()} : 0;
}

// The zone's offset east of UTC in minutes on a local date, by the zone
// line's rules as the program evaluates them (the hour ignored, daylight
// from the start day to the day before the end day, around the new year
// when the start month comes after the end month).
int ModelOffsetEast(const Zone& z, int year, int month, int day) {
  int east = -z.offset_west;
  if (z.end.month == 0) return east;
  const int sm = z.start.month;
  const int em = z.end.month;
  const int sd = static_cast<int>(RuleDay(z.start, year));
  const int ed = static_cast<int>(RuleDay(z.end, year));
  const bool from_start = month > sm || (month == sm && day >= sd);
  const bool before_end = month < em || (month == em && day < ed);
  const bool daylight = sm < em ? (from_start && before_end) : (from_start || before_end);
  return daylight ? east + 60 : east;
}

long LibraryOffsetEast(std::time_t t, std::tm* local) {
  std::tm scratch{};
  if (!local) local = &scratch;
  localtime_r(&t, local);
  return local->tm_gmtoff / 60;
}

class ScopedTz {
 public:
  explicit ScopedTz(const std::string& zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    had_ = std::getenv("TZ") != nullptr;
    setenv("TZ", zone.c_str(), 1);
    tzset();
  }
  ~ScopedTz() {
    if (had_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::string old_;
  bool had_ = false;
};

TEST_F(ZoneDataTest, LocalTimeMatchesTheLibraryThroughTheYear) {
  // Without the compiled zones the C library would quietly use UTC.
  ASSERT_TRUE(fs::exists("/usr/share/zoneinfo/Europe/Berlin")) << "install Debian's tzdata";
  ASSERT_EQ(places_.size(), 256u);
  std::tm first{};
  first.tm_year = kDataYear - 1900;
  first.tm_mday = 1;
  first.tm_hour = 12;
  const std::time_t year_noon = timegm(&first);
  for (const PlaceZone& p : places_) {
    SCOPED_TRACE(p.place + " " + p.tz);
    ASSERT_TRUE(zones_.count(p.number));
    const Zone& z = zones_.at(p.number);
    ScopedTz tz(p.tz);
    int near_transition = 0;
    int mismatches = 0;
    // Every day at 12:00 UTC.
    for (int d = 0; d < 365; ++d) {
      const std::time_t t = year_noon + d * 86400L;
      std::tm local{};
      const long actual = LibraryOffsetEast(t, &local);
      // The rules ignore the hour of a change: an instant within half a day
      // of a change may fall on the wrong side of it.
      if (LibraryOffsetEast(t - 43200, nullptr) != actual ||
          LibraryOffsetEast(t + 43200, nullptr) != actual) {
        ++near_transition;
        continue;
      }
      const int model =
          ModelOffsetEast(z, local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
      if (model != actual && ++mismatches <= 3) {
        ADD_FAILURE() << "on " << local.tm_year + 1900 << "-" << local.tm_mon + 1 << "-"
                      << local.tm_mday << " the zone line gives " << model
                      << " minutes east, the C library " << actual;
      }
    }
    EXPECT_EQ(mismatches, 0);
    // A zone changes at most twice a year in this data; each change spoils
    // at most one noon sample on either side.
    EXPECT_LE(near_transition, 4);
  }
}

TEST(ZoneRuleDay, ResolvesNthAndLastWeekdays) {
  // The checks above rest on this: in 2026 the last Sunday of March is the
  // 29th, the second Sunday the 8th, and October's last Sunday the 25th.
  EXPECT_EQ(RuleDay({5, 0, 3}, 2026), 29u);
  EXPECT_EQ(RuleDay({2, 0, 3}, 2026), 8u);
  EXPECT_EQ(RuleDay({5, 0, 10}, 2026), 25u);
  EXPECT_EQ(RuleDay({1, 0, 11}, 2026), 1u);
  // A southern rule wraps: daylight in December and January, not in June.
  const Zone southern{1, "S", "D", -600, {1, 0, 10}, {1, 0, 4}};
  EXPECT_EQ(ModelOffsetEast(southern, 2026, 12, 20), 660);
  EXPECT_EQ(ModelOffsetEast(southern, 2026, 1, 20), 660);
  EXPECT_EQ(ModelOffsetEast(southern, 2026, 4, 4), 660);
  EXPECT_EQ(ModelOffsetEast(southern, 2026, 4, 5), 600);
  EXPECT_EQ(ModelOffsetEast(southern, 2026, 6, 1), 600);
  EXPECT_EQ(ModelOffsetEast(southern, 2026, 10, 4), 660);
}

}  // namespace
