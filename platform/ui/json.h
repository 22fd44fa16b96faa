#pragma once

#include <string>
#include <string_view>

namespace tv::ui {

// A JSON string literal (quotes included) for UTF-16 or UTF-8 text.
std::string JsonQuote(std::u16string_view text);
std::string JsonQuote(std::string_view utf8);

}  // namespace tv::ui
