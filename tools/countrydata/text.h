#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace terravue::countrydata {

// The longest value written. The program reads lines of at most 1023
// characters, and a field line also carries "<field name>" before the value.
inline constexpr size_t kMaxValueBytes = 1000;

// Makes one line of plain text from a Factbook text: drops inline HTML tags
// (<em>, <strong>) and turns line and paragraph tags into "; ", decodes HTML
// entities ("&eacute;" to "é", "&#39;", "&nbsp;" to a space), turns the " ++ " line separators
// of the JSON conversion into "; ", turns control characters into spaces,
// drops U+FFFD (characters the conversion lost), collapses whitespace and
// trims stray separators at both ends. "NA" (the Factbook's "not available")
// and an empty text become the empty string.
std::string CleanText(std::string_view text);

// Cuts `text` to at most `max_bytes` bytes at the last space that keeps it,
// with "..." appended so that a reader sees the value goes on in the source.
// Text that fits is returned unchanged.
std::string CutAtWord(std::string text, size_t max_bytes = kMaxValueBytes);

// ASCII letters made lower case, everything else kept.
std::string Lower(std::string_view text);

// Number of code points of well-formed UTF-8 text.
size_t CountCodePoints(std::string_view text);

}  // namespace terravue::countrydata
