#include "platform/ui/text_layout.h"

namespace tv::ui {

std::vector<std::u16string> WrapText(std::u16string_view text, const gfx::Font* font,
                                     int max_width) {
  std::vector<std::u16string> lines;
  auto width = [font](std::u16string_view s) { return font ? font->Measure(s).width : 0; };
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
      pos = word_end + 1;
    }
    lines.push_back(line);
    if (end == text.size()) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace tv::ui
