#include "platform/base/utf.h"

namespace tv {

namespace {
constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

char16_t FoldAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}
}  // namespace

bool DecodeUtf8(std::string_view s, size_t& pos, char32_t& code_point) {
  const auto c = static_cast<unsigned char>(s[pos]);
  int extra = 0;
  char32_t cp = 0;
  if (c < 0x80) {
    code_point = c;
    ++pos;
    return true;
  }
  if ((c & 0xE0) == 0xC0) {
    cp = c & 0x1F;
    extra = 1;
  } else if ((c & 0xF0) == 0xE0) {
    cp = c & 0x0F;
    extra = 2;
  } else if ((c & 0xF8) == 0xF0) {
    cp = c & 0x07;
    extra = 3;
  } else {
    ++pos;
    return false;
  }
  for (int k = 1; k <= extra; ++k) {
    if (pos + k >= s.size() || (static_cast<unsigned char>(s[pos + k]) & 0xC0) != 0x80) {
      ++pos;
      return false;
    }
    cp = (cp << 6) | (static_cast<unsigned char>(s[pos + k]) & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return false;
  }
  code_point = cp;
  pos += extra + 1;
  return true;
}

bool IsValidUtf8(std::string_view s) {
  size_t pos = 0;
  char32_t cp = 0;
  while (pos < s.size()) {
    if (!DecodeUtf8(s, pos, cp)) return false;
  }
  return true;
}

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  size_t pos = 0;
  while (pos < s.size()) {
    char32_t cp = 0;
    AppendUtf16(out, DecodeUtf8(s, pos, cp) ? cp : kReplacement);
  }
  return out;
}

char32_t NextCodePoint(std::u16string_view t, size_t& pos) {
  const char16_t c = t[pos++];
  if (c >= 0xD800 && c <= 0xDBFF && pos < t.size() && t[pos] >= 0xDC00 &&
      t[pos] <= 0xDFFF) {
    const char16_t low = t[pos++];
    return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (low - 0xDC00);
  }
  if (c >= 0xD800 && c <= 0xDFFF) return kReplacement;
  return c;
}

std::string Utf16ToUtf8(std::u16string_view t) {
  std::string out;
  out.reserve(t.size());
  size_t pos = 0;
  while (pos < t.size()) {
    const char32_t cp = NextCodePoint(t, pos);
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const char16_t x = FoldAscii(a[i]);
    const char16_t y = FoldAscii(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace tv
