#pragma once

#include <string>
#include <string_view>

namespace tv {

// Conversions between the UTF-16 text the program works in and the UTF-8 of
// files, fonts and the terminal. Invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// The one strict UTF-8 decoder of the program and its builders: decodes the
// code point at `pos` and advances past it. Overlong forms, surrogates,
// values past U+10FFFF, stray continuation bytes and cut-off sequences are
// refused: it returns false and advances `pos` by one byte.
bool DecodeUtf8(std::string_view utf8, size_t& pos, char32_t& code_point);
bool IsValidUtf8(std::string_view utf8);

// Decodes one code point from UTF-16 at `pos`, advancing it.
char32_t NextCodePoint(std::u16string_view text, size_t& pos);

// Case-blind comparison of ASCII letters (the place names and resource names
// are ASCII); other characters compare by code unit.
int CompareNoCase(std::u16string_view a, std::u16string_view b);
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace tv
