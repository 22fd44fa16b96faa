#pragma once

#include <string_view>

namespace tv::ui {

// What list boxes and combo boxes have in common for whoever fills them.
class ListSink {
 public:
  virtual ~ListSink() = default;
  // Adds an item (sorted lists place it in order) and returns its index.
  virtual int AddString(std::u16string_view text) = 0;
};

}  // namespace tv::ui
