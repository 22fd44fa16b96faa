#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/font.h"

namespace tv::ui {

// Breaks text into lines no wider than `max_width`: at the line breaks in the
// text ("\n" or "\r\n") and between words where a line would be too wide. A
// single word wider than the limit stands alone on its line.
std::vector<std::u16string> WrapText(std::u16string_view text, const gfx::Font* font,
                                     int max_width);

}  // namespace tv::ui
