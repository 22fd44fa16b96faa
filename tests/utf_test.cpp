#include <gtest/gtest.h>

#include <string>

#include "platform/base/utf.h"

namespace tv {
namespace {

TEST(Utf8Test, DecodesEachLengthAndRoundTrips) {
  const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8C\x8D";  // A, e acute, euro, globe
  const std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide, (std::u16string{u'A', 0x00E9, 0x20AC, 0xD83C, 0xDF0D}));
  EXPECT_EQ(Utf16ToUtf8(wide), text);
  EXPECT_TRUE(IsValidUtf8(text));
  size_t pos = 6;
  char32_t cp = 0;
  ASSERT_TRUE(DecodeUtf8(text, pos, cp));
  EXPECT_EQ(cp, U'\U0001F30D');
  EXPECT_EQ(pos, text.size());
}

TEST(Utf8Test, OverlongFormsAreRefused) {
  // "/" written in two, three and four bytes, and the smallest overlong
  // forms of each length.
  for (const std::string bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF", "\xC1\xBF",
                                "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF"}) {
    EXPECT_FALSE(IsValidUtf8(bad)) << bad.size();
    const std::u16string decoded = Utf8ToUtf16(bad);
    EXPECT_EQ(decoded.find(u'/'), std::u16string::npos);
    // Every byte of a refused sequence becomes one replacement character.
    EXPECT_EQ(decoded, std::u16string(bad.size(), u'\uFFFD'));
  }
  // The smallest well-formed values of each length pass.
  EXPECT_TRUE(IsValidUtf8("\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80"));
}

TEST(Utf8Test, SurrogatesAndValuesPastTheLastCodePointAreRefused) {
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // a lone high surrogate
  EXPECT_FALSE(IsValidUtf8("\xED\xBF\xBF"));  // a lone low surrogate
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\xBD\xED\xB8\x80"));  // a pair written as two
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // U+110000
  EXPECT_TRUE(IsValidUtf8("\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF"));
  EXPECT_EQ(Utf8ToUtf16("a\xED\xA0\x80z"), u"a\uFFFD\uFFFD\uFFFDz");
}

TEST(Utf8Test, StrayAndCutOffBytesBecomeReplacements) {
  EXPECT_EQ(Utf8ToUtf16("\x80x"), u"\uFFFDx");
  EXPECT_EQ(Utf8ToUtf16("x\xE2\x82"), u"x\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xFF\xFE"), u"\uFFFD\uFFFD");
  // A cut sequence does not swallow the character after it.
  EXPECT_EQ(Utf8ToUtf16("\xC3y"), u"\uFFFDy");
  EXPECT_FALSE(IsValidUtf8("\xC3"));
}

TEST(Utf16Test, LoneSurrogatesBecomeReplacementsInUtf8) {
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', 0xD800, u'b'}), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDC00}), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDBFF}), "\xEF\xBF\xBD");
  size_t pos = 0;
  const std::u16string reversed{0xDF0D, 0xD83C};
  EXPECT_EQ(NextCodePoint(reversed, pos), U'\uFFFD');
  EXPECT_EQ(NextCodePoint(reversed, pos), U'\uFFFD');
  EXPECT_EQ(pos, 2u);
}

}  // namespace
}  // namespace tv
