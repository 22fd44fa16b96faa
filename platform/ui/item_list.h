#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/list_sink.h"
#include "platform/ui/typing.h"
#include "platform/ui/widget.h"

namespace tv::ui {

// What list boxes and combo boxes share: their items, kept in
// case-insensitive order with style::kSorted, and the one selected item.
// Changes made by the program (not by the user) reach the control through
// the hooks below.
class ItemListWidget : public Widget, public ListSink {
 public:
  int AddString(std::u16string_view text) final;
  void ResetContent();
  int Count() const { return static_cast<int>(items_.size()); }
  // The item's text; empty when `index` is out of range.
  std::u16string GetText(int index) const;
  int GetCurSel() const { return selected_; }
  // Selects `index` (-1 clears) without notifying; returns false, changing
  // nothing, when `index` is out of range.
  bool SetCurSel(int index);

  std::vector<std::u16string> Items() const override { return items_; }
  int SelectedIndex() const override { return selected_; }

 protected:
  explicit ItemListWidget(const ControlTemplate& tmpl) : Widget(tmpl) {}
  // An item was inserted at `index` (the selection already follows it).
  virtual void OnItemInserted(int index) = 0;
  virtual void OnItemsCleared() = 0;
  virtual void OnSelectionSet(int index) = 0;

  std::vector<std::u16string> items_;
  int selected_ = -1;
  TypeToFind finder_;
};

}  // namespace tv::ui
