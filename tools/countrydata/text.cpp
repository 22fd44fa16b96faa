#include "tools/countrydata/text.h"

#include <cctype>
#include <string>
#include <utility>

namespace terravue::countrydata {
namespace {

bool StartsWith(std::string_view text, size_t pos, std::string_view prefix) {
  return text.substr(pos, prefix.size()) == prefix;
}

bool IsSeparator(char c) { return c == ';' || c == ',' || c == ' '; }

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
        out += ' ';
        i = close + 1;
        continue;
      }
    }
    if (c == '&') {
      static constexpr std::pair<std::string_view, std::string_view> kEntities[] = {
          {"&amp;", "&"}, {"&nbsp;", " "}, {"&quot;", "\""}, {"&#39;", "'"},
          {"&apos;", "'"}, {"&lt;", "<"},  {"&gt;", ">"}};
      bool decoded = false;
      for (const auto& [entity, replacement] : kEntities) {
        if (StartsWith(text, i, entity)) {
          out += replacement;
          i += entity.size();
          decoded = true;
          break;
        }
      }
      if (decoded) continue;
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
