#include "platform/ui/text_layout.h"

#include <functional>

namespace tv::ui {

namespace {

// Splits a word too wide for one line into pieces that fit, each at least
// one character (a surrogate pair stays whole); the last piece is returned
// to go on with.
std::u16string BreakWord(std::u16string word, int max_width,
                         const std::function<int(std::u16string_view)>& width,
                         std::vector<std::u16string>& lines) {
  while (width(word) > max_width && word.size() > 1) {
    size_t fit = 1;
    if (word[0] >= 0xD800 && word[0] <= 0xDBFF && word.size() > 2) fit = 2;
    while (fit < word.size()) {
      size_t next = fit + 1;
      if (word[fit] >= 0xD800 && word[fit] <= 0xDBFF && next < word.size()) ++next;
      if (width(std::u16string_view(word).substr(0, next)) > max_width) break;
      fit = next;
    }
    if (fit >= word.size()) break;
    lines.push_back(word.substr(0, fit));
    word.erase(0, fit);
  }
  return word;
}

}  // namespace

std::vector<std::u16string> WrapText(std::u16string_view text, const gfx::Font* font,
                                     int max_width, LongWords long_words) {
  std::vector<std::u16string> lines;
  const std::function<int(std::u16string_view)> width = [font](std::u16string_view s) {
    return font ? font->Measure(s).width : 0;
  };
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string_view::npos) end = text.size();
    std::u16string_view paragraph = text.substr(start, end - start);
    if (!paragraph.empty() && paragraph.back() == u'\r') paragraph.remove_suffix(1);
    std::u16string line;
    size_t pos = 0;
    while (pos < paragraph.size()) {
      size_t word_end = paragraph.find(u' ', pos);
      if (word_end == std::u16string_view::npos) word_end = paragraph.size();
      std::u16string candidate = line;
      if (!candidate.empty()) candidate += u' ';
      candidate += paragraph.substr(pos, word_end - pos);
      if (!line.empty() && width(candidate) > max_width) {
        lines.push_back(line);
        line = std::u16string(paragraph.substr(pos, word_end - pos));
      } else {
        line = std::move(candidate);
      }
      if (long_words == LongWords::kBreak) line = BreakWord(std::move(line), max_width, width, lines);
      pos = word_end + 1;
    }
    lines.push_back(line);
    if (end == text.size()) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace tv::ui
