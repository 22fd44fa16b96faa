#pragma once

#include <span>
#include <string>
#include <string_view>

namespace terravue {

// One term of the glossary and its definition, a single line of text.
struct GlossaryEntry {
  std::u16string_view title;
  std::u16string_view definition;
};

// The 36 entries, alphabetical by title. Some titles and definitions end in
// a blank, which belongs to them.
std::span<const GlossaryEntry> GlossaryEntries();

// The glossary the Country Info screen's Help button shows: the heading
// "Glossary of terms:", a blank line, then each entry's title and definition
// on lines of their own, with a blank line between entries. Every line ends
// in "\r\n"; no blank line follows the last definition.
std::u16string GlossaryText();

}  // namespace terravue
