#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace tv::ui {

// Finds a list's item by the letters typed into it, as desktop lists do:
// the letters typed so far select the first item that starts with them
// (case-blind), a pause starts a new prefix, and the same letter typed again
// steps through the items with that initial. Every list control owns one.
class TypeToFind {
 public:
  // A pause longer than this on the program's clock starts a new prefix.
  static constexpr std::chrono::milliseconds kPause{1000};

  // Adds `typed` at time `now` and returns the item to select among `items`,
  // where `current` is selected now (-1 for none); -1 when nothing matches,
  // in which case the selection should stay.
  int Type(std::u16string_view typed, const std::vector<std::u16string>& items, int current,
           std::chrono::milliseconds now);
  // The letters that make up the current prefix.
  const std::u16string& Prefix() const { return prefix_; }
  void Reset() { prefix_.clear(); }

 private:
  std::u16string prefix_;
  std::chrono::milliseconds last_{0};
};

// Where the words of `text` start (a word is a run of characters other than
// spaces and tabs), in order: the stops of Ctrl+Left and Ctrl+Right.
std::vector<size_t> WordStarts(std::u16string_view text);

// The current time on the clock that timers follow: the program's clock in
// a script, so that a scripted `wait` counts as a pause.
std::chrono::milliseconds UiNow();

}  // namespace tv::ui
