#include "text/cvo_string.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <locale.h>

namespace terravue {
namespace {

std::u16string Str(const CVOString& s) { return std::u16string(s.View()); }

TEST(CVOStringTest, NullStringHasNoBufferAndComparesAsEmpty) {
  const CVOString s(nullptr);
  EXPECT_EQ(s.Buffer(), nullptr);
  EXPECT_EQ(s.GetCapacity(), 0u);
  EXPECT_EQ(s.GetAt(0), 0);
  EXPECT_TRUE(s.IsEqual(static_cast<const char16_t*>(nullptr)));
  EXPECT_TRUE(s.IsEqual(u""));
  EXPECT_FALSE(s.IsEqual(u"a"));
  EXPECT_EQ(s.Compare(u""), -1);
  EXPECT_EQ(s.Compare(u"x"), -1);
  EXPECT_EQ(s.Compare(nullptr), 0);
  EXPECT_EQ(s.Find(u"", 0), -1);
  EXPECT_EQ(s.FindOneOf(u"abc"), -1);

  const CVOString empty(u"");
  EXPECT_NE(empty.Buffer(), nullptr);
  EXPECT_TRUE(s.IsEqual(empty));
  EXPECT_FALSE(empty.IsEqual(s));  // a buffer against none
  EXPECT_FALSE(empty.IsEqual(static_cast<const char16_t*>(nullptr)));
  EXPECT_EQ(empty.Compare(nullptr), 1);
}

TEST(CVOStringTest, ComparisonIgnoresCaseOfLettersOnly) {
  const CVOString path(u"/maps/Terravue Maps/France.gif");
  EXPECT_TRUE(path.IsEqual(u"/MAPS/terravue maps/FRANCE.GIF"));
  EXPECT_TRUE(path.IsEqual(CVOString(u"/maps/TERRAVUE MAPS/france.gif")));
  EXPECT_FALSE(path.IsEqual(u"/maps/Terravue Maps/France.gi"));
  EXPECT_LT(CVOString(u"apple").Compare(u"BANANA"), 0);
  EXPECT_GT(CVOString(u"b").Compare(u"A"), 0);
  EXPECT_EQ(CVOString(u"ABC").Compare(u"abc"), 0);
  EXPECT_LT(CVOString(u"ab").Compare(u"abc"), 0);
  // Only A to Z fold: an accented capital differs from its small letter.
  EXPECT_FALSE(CVOString(u"\u00C9").IsEqual(u"\u00E9"));
}

TEST(CVOStringTest, ReserveGrowsWithSixteenSpareAndKeepsContents) {
  CVOString s;
  s.Reserve(10);
  EXPECT_EQ(s.GetCapacity(), 26u);
  const char16_t* before = s.Buffer();
  s.Reserve(25);
  EXPECT_EQ(s.GetCapacity(), 26u);
  EXPECT_EQ(s.Buffer(), before);
  s.Assign(u"keep me");
  s.Reserve(26);
  EXPECT_EQ(s.GetCapacity(), 42u);
  EXPECT_EQ(Str(s), u"keep me");
  // The new room is zero-filled.
  for (uint32_t i = s.GetLength(); i < s.GetCapacity(); ++i) EXPECT_EQ(s.Buffer()[i], 0);

  // Assigning a shorter text never shrinks; null drops the buffer.
  s.Assign(u"x");
  EXPECT_EQ(s.GetCapacity(), 42u);
  s.Assign(static_cast<const char16_t*>(nullptr));
  EXPECT_EQ(s.Buffer(), nullptr);
  EXPECT_EQ(s.GetCapacity(), 0u);
}

TEST(CVOStringTest, AppendGrowsOnceEverySixteenCharacters) {
  CVOString s;
  s.AppendChar(u'a');
  const uint32_t first = s.GetCapacity();
  int reallocations = 0;
  for (int i = 0; i < 64; ++i) {
    const uint32_t capacity = s.GetCapacity();
    s.AppendChar(static_cast<char16_t>(u'a' + i % 26));
    if (s.GetCapacity() != capacity) ++reallocations;
  }
  EXPECT_EQ(first, 18u);
  EXPECT_EQ(s.GetLength(), 65u);
  EXPECT_EQ(reallocations, 4);

  CVOString t(u"ab");
  t.Append(u"cd");
  t.Append(nullptr);
  EXPECT_EQ(Str(t), u"abcd");
  t.Append(t.Buffer());  // appending itself, whose buffer moves while growing
  EXPECT_EQ(Str(t), u"abcdabcd");
  EXPECT_EQ(Str(t.Concat(u"!")), u"abcdabcd!");
  EXPECT_EQ(Str(t), u"abcdabcd");
  CVOString none;
  none.Append(u"first");
  EXPECT_EQ(Str(none), u"first");
}

TEST(CVOStringTest, DirectWritingThroughGetBuffer) {
  CVOString s;
  char16_t* p = s.GetBuffer(5);
  std::u16string text = u"hello";
  std::copy(text.begin(), text.end(), p);
  EXPECT_EQ(s.ReleaseBuffer(-1), 5u);
  EXPECT_EQ(Str(s), u"hello");
  EXPECT_EQ(s.ReleaseBuffer(2), 2u);
  EXPECT_EQ(Str(s), u"he");
  // At or above the capacity the length stops at capacity - 1.
  EXPECT_EQ(s.ReleaseBuffer(static_cast<int32_t>(s.GetCapacity())), s.GetCapacity() - 1);
  EXPECT_EQ(s.Buffer()[s.GetLength()], 0);
  // A writer that fills every slot still leaves a terminated string.
  p = s.GetBuffer(0);
  std::fill(p, p + s.GetCapacity(), u'z');
  EXPECT_EQ(s.ReleaseBuffer(-1), s.GetCapacity() - 1);
  EXPECT_EQ(s.Buffer()[s.GetLength()], 0);
  CVOString none;
  EXPECT_EQ(none.ReleaseBuffer(3), 0u);
}

TEST(CVOStringTest, SearchAndSubstrings) {
  const CVOString s(u"abcabc");
  EXPECT_EQ(s.Find(u"bc"), 1);
  EXPECT_EQ(s.Find(u"bc", 2), 4);
  EXPECT_EQ(s.Find(u"bc", -5), 1);
  EXPECT_EQ(s.Find(u"BC"), -1);  // searching is exact
  EXPECT_EQ(s.Find(u"a", 7), -1);
  EXPECT_EQ(s.Find(u'c', 3), 5);
  EXPECT_EQ(s.ReverseFind(u"ab"), 3);
  EXPECT_EQ(s.ReverseFind(u"x"), -1);
  EXPECT_EQ(s.FindOneOf(u"xc"), 2);
  EXPECT_EQ(s.FindOneOf(u"xyz"), -1);
  EXPECT_EQ(s.FindOneOf(nullptr), -1);
  EXPECT_EQ(s.GetAt(5), u'c');
  EXPECT_EQ(s.GetAt(6), 0);
  EXPECT_EQ(CVOString(u"aaa").ReverseFind(u"aa"), 1);

  const CVOString abc(u"abc");
  EXPECT_EQ(Str(abc.Mid(3, -1)), u"");
  EXPECT_EQ(Str(abc.Mid(4, 1)), u"");
  EXPECT_EQ(Str(abc.Mid(1, 1)), u"b");
  EXPECT_EQ(Str(abc.Mid(1, 10)), u"bc");
  EXPECT_EQ(Str(abc.Left(5)), u"abc");
  EXPECT_EQ(Str(abc.Left(2)), u"ab");
  EXPECT_EQ(Str(abc.Right(2)), u"bc");
  EXPECT_EQ(Str(abc.Right(4)), u"abc");
  EXPECT_EQ(Str(abc), u"abc");
}

TEST(CVOStringTest, InPlaceEdits) {
  CVOString s(u"ab  ");
  s.TrimRight();
  EXPECT_EQ(Str(s), u"ab");
  s = u"   x y ";
  s.TrimLeft();
  EXPECT_EQ(Str(s), u"x y ");
  s = u"\tx";
  s.TrimLeft();
  EXPECT_EQ(Str(s), u"\tx");
  s = u"    ";
  s.TrimLeft();
  EXPECT_EQ(s.GetLength(), 0u);
  s = u"abz{\u00e9";
  s.MakeUpper();
  EXPECT_EQ(Str(s), u"ABZ{\u00e9");

  s = u"aaa";
  EXPECT_EQ(s.Replace(u"a", u"ab"), 0);
  EXPECT_EQ(Str(s), u"aaa");
  s = u"aaaa";
  EXPECT_EQ(s.Replace(u"aa", u"b"), 2);
  EXPECT_EQ(Str(s), u"bb");
  s = u"one, two, three";
  EXPECT_EQ(s.Replace(u", ", u"/"), 2);
  EXPECT_EQ(Str(s), u"one/two/three");
  EXPECT_EQ(s.Replace(u"", u"x"), 0);
  EXPECT_EQ(s.Replace(u"o", nullptr), 2);
  EXPECT_EQ(Str(s), u"ne/tw/three");
}

TEST(CVOStringTest, QuotingAndHex) {
  const CVOString quoted = CVOString::Quote(u"a\"b");
  EXPECT_EQ(Str(quoted), u"\"a%22b\"");
  EXPECT_EQ(Str(CVOString::Unquote(quoted.Buffer())), u"a\"b");
  EXPECT_EQ(Str(CVOString::Unquote(u"\"")), u"\"");
  EXPECT_EQ(Str(CVOString::Unquote(u"%22x")), u"\"x");
  EXPECT_EQ(Str(CVOString::Quote(nullptr)), u"\"\"");

  EXPECT_EQ(Str(CVOString::ToHex(u"abc")), u"616263");
  EXPECT_EQ(Str(CVOString::ToHex(u"\u0141")), u"41");  // only the low 8 bits
  EXPECT_EQ(CVOString::ToHex(nullptr).GetLength(), 0u);
  EXPECT_EQ(Str(CVOString::FromHex(u"4a4B")), u"JK");
  EXPECT_EQ(CVOString::FromHex(u"4a4").GetLength(), 0u);
  EXPECT_EQ(Str(CVOString::FromHex(u"G1")), u"\u0001");
  EXPECT_EQ(Str(CVOString::FromHex(CVOString::ToHex(u"Hello").Buffer())), u"Hello");
}

TEST(CVOStringTest, FormatFollowsPrintfWithWideStrings) {
  CVOString s;
  EXPECT_EQ(s.Format(u"%s has %d places, %5.2f%%", u"Europe", 52, 3.14159), 28);
  EXPECT_EQ(Str(s), u"Europe has 52 places,  3.14%");
  s.Format(u"[%-4s|%4s|%.2s|%c|%S|%x|%04X|%lu]", u"ab", u"cd", u"xyz", u'\u00e9', "naïve", 255,
           0xBEEFu, 4000000000ul);
  EXPECT_EQ(Str(s), u"[ab  |  cd|xy|\u00e9|na\u00efve|ff|BEEF|4000000000]");
  s.Format(u"%*d|%-*d|%hs|%ls|%hc", 4, 7, 3, 8, "narrow", u"wide", 'n');
  EXPECT_EQ(Str(s), u"   7|8  |narrow|wide|n");
  // Its own buffer may be an argument.
  s = u"twice";
  s.Format(u"%s %s", s.Buffer(), s.Buffer());
  EXPECT_EQ(Str(s), u"twice twice");
}

TEST(CVOStringTest, FormatCutsLongResultsInsteadOfOverflowing) {
  CVOString s;
  const std::u16string long_text(5000, u'x');
  EXPECT_EQ(s.Format(u"%s", long_text.c_str()), 2048);
  EXPECT_EQ(s.GetLength(), CVOString::kFormatLimit);
  EXPECT_LT(s.GetLength(), s.GetCapacity());
  EXPECT_EQ(s.Buffer()[2048], 0);
  EXPECT_EQ(s.Format(u"%100000d|", 1), 2048);
  EXPECT_EQ(s.GetAt(2047), u' ');
  // A cut never leaves half of a surrogate pair.
  std::u16string pairs(2047, u'a');
  pairs += u"\U0001F600";
  EXPECT_EQ(s.Format(u"%s", pairs.c_str()), 2047);
  // And a later short result is whole again.
  EXPECT_EQ(s.Format(u"%d", 42), 2);
  EXPECT_EQ(Str(s), u"42");
}

TEST(CVOStringTest, LastErrorTextNamesTheError) {
  errno = ENOENT;
  const CVOString text = CVOString::LastErrorText();
  EXPECT_TRUE(text.IsEqual(u"No such file or directory")) << text.ToUtf8();
}

// Date tests run in the C locale unless they set another one.
class CVOStringDateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"LC_ALL", "LC_TIME", "LC_CTYPE", "LANG"}) {
      const char* v = std::getenv(name);
      saved_.push_back({name, v ? std::optional<std::string>(v) : std::nullopt});
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name, value->c_str(), 1);
      } else {
        unsetenv(name);
      }
    }
  }
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

tv::clock::SystemTime Time(int y, int mo, int d, int h, int mi, int s) {
  tv::clock::SystemTime t;
  t.year = y;
  t.month = mo;
  t.day = d;
  t.hour = h;
  t.minute = mi;
  t.second = s;
  t.day_of_week = tv::clock::DayOfWeek(y, mo, d);
  return t;
}

TEST_F(CVOStringDateTest, RoundTripsInTheCLocale) {
  CVOString s;
  ASSERT_TRUE(s.FromSystemTime(Time(2003, 6, 21, 14, 5, 9)));
  EXPECT_EQ(Str(s), u"06/21/2003 14:05:09");
  tv::clock::SystemTime back;
  ASSERT_TRUE(s.ToSystemTime(back));
  EXPECT_EQ(back, Time(2003, 6, 21, 14, 5, 9));

  ASSERT_TRUE(s.FromSystemTime(Time(1850, 1, 2, 0, 0, 0)));
  EXPECT_EQ(Str(s), u"01/02/1850");  // midnight: the date alone
  ASSERT_TRUE(s.FromSystemTime(Time(1899, 12, 30, 8, 0, 0)));
  EXPECT_EQ(Str(s), u"08:00:00");  // day zero: the time alone
  ASSERT_TRUE(s.ToSystemTime(back));
  EXPECT_EQ(back, Time(1899, 12, 30, 8, 0, 0));

  ASSERT_TRUE(s.FromSystemTime(Time(2003, 6, 21, 14, 5, 9), CVOString::kDateValueOnly));
  EXPECT_EQ(Str(s), u"06/21/2003");
  ASSERT_TRUE(s.FromSystemTime(Time(2003, 6, 21, 14, 5, 9), CVOString::kTimeValueOnly));
  EXPECT_EQ(Str(s), u"14:05:09");

  s = u"06/21/2003 14:05:09";
  ASSERT_TRUE(s.ToSystemTime(back, CVOString::kDateValueOnly));
  EXPECT_EQ(back, Time(2003, 6, 21, 0, 0, 0));
  // The C locale writes two-digit years too; those read as the C library
  // reads them.
  s = u"  7/4/76 ";
  ASSERT_TRUE(s.ToSystemTime(back));
  EXPECT_EQ(back, Time(1976, 7, 4, 0, 0, 0));
}

TEST_F(CVOStringDateTest, RejectsWhatIsNoDate) {
  CVOString s(u"keep");
  EXPECT_FALSE(s.FromSystemTime(Time(2003, 2, 29, 0, 0, 0)));
  EXPECT_FALSE(s.FromSystemTime(Time(2003, 1, 1, 24, 0, 0)));
  EXPECT_FALSE(s.FromSystemTime(Time(99, 1, 1, 0, 0, 0)));
  EXPECT_EQ(Str(s), u"keep");

  const tv::clock::SystemTime untouched = Time(2000, 1, 1, 1, 1, 1);
  for (const char16_t* text : {u"", u"hello", u"02/30/2003", u"06/21/2003 14:05:09 extra",
                               u"13/01/2003", u"06/21/0050"}) {
    tv::clock::SystemTime out = untouched;
    s = text;
    EXPECT_FALSE(s.ToSystemTime(out)) << s.ToUtf8();
    EXPECT_EQ(out, untouched);
  }
}

#ifndef NDEBUG
TEST_F(CVOStringDateTest, FailedParsesExplainThemselvesInDebugBuilds) {
  tv::clock::SystemTime out;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(CVOString(u"not a date").ToSystemTime(out));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "CVOString::ToSystemTime() Failed - Type Mismatch\n");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(CVOString(u"06/21/0050").ToSystemTime(out));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "CVOString::ToSystemTime() Failed - Overflow\n");
}
#endif

TEST_F(CVOStringDateTest, FollowsTheUsersLocale) {
  locale_t german = newlocale(LC_TIME_MASK, "de_DE.UTF-8", static_cast<locale_t>(0));
  if (german == static_cast<locale_t>(0)) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  freelocale(german);
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  CVOString s;
  ASSERT_TRUE(s.FromSystemTime(Time(2003, 6, 21, 14, 5, 9)));
  EXPECT_EQ(Str(s), u"21.06.2003 14:05:09");
  tv::clock::SystemTime back;
  ASSERT_TRUE(s.ToSystemTime(back));
  EXPECT_EQ(back, Time(2003, 6, 21, 14, 5, 9));
}

}  // namespace
}  // namespace terravue
