#include "platform/ui/typing.h"

#include "platform/base/utf.h"
#include "platform/ui/desktop.h"

namespace tv::ui {
namespace {

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && CompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

// The first item from `start` onwards, wrapping round, that starts with
// `prefix`; -1 when none does.
int FindFrom(const std::vector<std::u16string>& items, int start, std::u16string_view prefix) {
  const int count = static_cast<int>(items.size());
  for (int n = 0; n < count; ++n) {
    const int i = (start + n) % count;
    if (StartsWithNoCase(items[i], prefix)) return i;
  }
  return -1;
}

}  // namespace

int TypeToFind::Type(std::u16string_view typed, const std::vector<std::u16string>& items,
                     int current, std::chrono::milliseconds now) {
  int result = -1;
  for (const char16_t c : typed) {
    if (prefix_.empty() || now - last_ > kPause) prefix_.clear();
    last_ = now;
    // Control characters (a backspace a layout sends as text) find nothing.
    if (c < u' ') continue;
    prefix_ += c;
    if (items.empty()) continue;
    // A letter typed over and over steps through the items with that
    // initial, starting after the selected one.
    const std::u16string_view initial(prefix_.data(), 1);
    const bool repeated =
        prefix_.size() > 1 && CompareNoCase(prefix_, std::u16string(prefix_.size(), prefix_[0])) == 0;
    const int found =
        repeated ? FindFrom(items, (current + 1) % static_cast<int>(items.size()), initial)
                 : FindFrom(items, 0, prefix_);
    // A letter that matches nothing leaves the last match selected.
    if (found >= 0) current = result = found;
  }
  return result;
}

std::vector<size_t> WordStarts(std::u16string_view text) {
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!blank(text[i]) && (i == 0 || blank(text[i - 1]))) starts.push_back(i);
  }
  return starts;
}

std::chrono::milliseconds UiNow() {
  if (Desktop::Exists()) return Desktop::Get().GetBackend().Now();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace tv::ui
