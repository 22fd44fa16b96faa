#pragma once

#include <string>
#include <string_view>

namespace terravue {

// Texts move through buffers of 1024 characters: at most 1023 characters and
// a terminator. Whatever enters such a buffer is cut to fit, never written
// past its end; a cut never splits a surrogate pair.
inline constexpr size_t kTextBufferChars = 1024;
inline constexpr size_t kMaxTextChars = kTextBufferChars - 1;

inline std::u16string BoundedText(std::u16string_view text) {
  if (text.size() <= kMaxTextChars) return std::u16string(text);
  size_t length = kMaxTextChars;
  const char16_t last = text[length - 1];
  if (last >= 0xD800 && last <= 0xDBFF) --length;
  return std::u16string(text.substr(0, length));
}

}  // namespace terravue
