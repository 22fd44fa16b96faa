#include "tools/countrydata/text.h"

#include <cctype>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include <libxml/HTMLparser.h>

#include "platform/base/utf.h"

namespace terravue::countrydata {
namespace {

bool StartsWith(std::string_view text, size_t pos, std::string_view prefix) {
  return text.substr(pos, prefix.size()) == prefix;
}

bool IsSeparator(char c) { return c == ';' || c == ',' || c == ' '; }

// The lower-case name of a tag's text between "<" and ">" ("/em" gives "em").
std::string TagName(std::string_view tag) {
  if (!tag.empty() && tag[0] == '/') tag.remove_prefix(1);
  return Lower(tag.substr(0, tag.find_first_of(" /")));
}

// What a tag becomes: tags that only style a run of text vanish without a
// trace ("<em>régions</em>, singular"), tags that end a line or a paragraph
// separate what they part as the " ++ " line breaks do, others leave a space.
std::string_view TagReplacement(std::string_view tag) {
  static constexpr std::string_view kInline[] = {"em", "strong", "b", "i", "u", "span", "a", "sup", "sub", "font"};
  static constexpr std::string_view kBreaks[] = {"br", "p", "div", "li", "ul", "ol", "tr"};
  const std::string name = TagName(tag);
  for (std::string_view known : kInline) {
    if (name == known) return "";
  }
  for (std::string_view known : kBreaks) {
    if (name == known) return "; ";
  }
  return " ";
}

// The character an HTML entity at `text[pos]` ("&eacute;", "&#233;",
// "&#xE9;") stands for, as UTF-8, with the entity's length; nothing when it
// is not one. Named entities are looked up in libxml2's HTML 4 table.
std::optional<std::pair<std::string, size_t>> DecodeEntity(std::string_view text, size_t pos) {
  const size_t semicolon = text.find(';', pos);
  if (semicolon == std::string_view::npos || semicolon - pos < 3 || semicolon - pos > 10) return std::nullopt;
  const std::string name(text.substr(pos + 1, semicolon - pos - 1));
  char32_t code_point = 0;
  if (name[0] == '#') {
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos) {
      return std::nullopt;
    }
    code_point = static_cast<char32_t>(std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10));
  } else {
    const htmlEntityDesc* entity = htmlEntityLookup(reinterpret_cast<const xmlChar*>(name.c_str()));
    if (entity == nullptr) return std::nullopt;
    code_point = entity->value;
  }
  // No surrogates and nothing outside the Basic Multilingual Plane, which the
  // program's readers count as one character each.
  if (code_point == 0 || code_point > 0xFFFF || (code_point >= 0xD800 && code_point <= 0xDFFF)) return std::nullopt;
  if (code_point == 0xA0) code_point = ' ';  // &nbsp;
  return std::make_pair(tv::Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(code_point))), semicolon - pos + 1);
}

}  // namespace

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string CleanText(std::string_view text) {
  // First pass: tags, entities, separators and control characters.
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '<' && i + 1 < text.size() &&
        (std::isalpha(static_cast<unsigned char>(text[i + 1])) || text[i + 1] == '/')) {
      const size_t close = text.find('>', i);
      if (close != std::string_view::npos) {
        const std::string_view tag = text.substr(i + 1, close - i - 1);
        out += TagReplacement(tag);
        i = close + 1;
        continue;
      }
    }
    if (c == '&') {
      if (const auto entity = DecodeEntity(text, i)) {
        out += entity->first;
        i += entity->second;
        continue;
      }
    }
    if (StartsWith(text, i, "\xC2\xA0")) {  // a no-break space, as the Factbook writes some
      out += ' ';
      i += 2;
      continue;
    }
    if (StartsWith(text, i, "++")) {
      out += "; ";
      i += 2;
      continue;
    }
    if (StartsWith(text, i, "\xEF\xBF\xBD")) {  // U+FFFD
      i += 3;
      continue;
    }
    out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? ' ' : c;
    ++i;
  }

  // Second pass: collapse whitespace and empty list items ("a;  ; b").
  std::string line;
  line.reserve(out.size());
  for (char c : out) {
    if (c == ' ') {
      if (!line.empty() && line.back() != ' ') line += ' ';
      continue;
    }
    if (c == ';') {
      while (!line.empty() && line.back() == ' ') line.pop_back();
      // "x - ;" is a label whose items followed a separator: keep the label.
      if (line.empty() || line.back() == ';') continue;
      line += ';';
      continue;
    }
    if (!line.empty() && line.back() == ';') line += ' ';
    line += c;
  }
  while (!line.empty() && IsSeparator(line.back())) line.pop_back();
  size_t start = 0;
  while (start < line.size() && IsSeparator(line[start])) ++start;
  line.erase(0, start);
  if (line == "NA") line.clear();
  return line;
}

std::string CutAtWord(std::string text, size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  static constexpr std::string_view kEllipsis = "...";
  const size_t limit = max_bytes - kEllipsis.size();
  size_t cut = text.rfind(' ', limit);
  if (cut == std::string::npos || cut == 0) {
    // One word longer than the limit: cut before a UTF-8 lead byte instead.
    cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  }
  text.resize(cut);
  while (!text.empty() && IsSeparator(text.back())) text.pop_back();
  text += kEllipsis;
  return text;
}

size_t CountCodePoints(std::string_view text) {
  size_t count = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

}  // namespace terravue::countrydata
