#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/font.h"

namespace tv::ui {

enum class LongWords {
  kKeep,   // a word wider than the limit stands alone on its line
  kBreak,  // it is broken between characters, so no line is too wide
};

// Breaks text into lines no wider than `max_width`: at the line breaks in the
// text ("\n" or "\r\n") and between words where a line would be too wide.
std::vector<std::u16string> WrapText(std::u16string_view text, const gfx::Font* font,
                                     int max_width, LongWords long_words = LongWords::kKeep);

}  // namespace tv::ui
