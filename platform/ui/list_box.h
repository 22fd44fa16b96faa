#pragma once

#include "platform/ui/item_list.h"
#include "platform/ui/list_rows.h"

namespace tv::ui {

// A list of strings, one per row, with a single selection. A tap selects an
// item and, with style::kNotify, tells the parent on release; the keys move
// a caret and Return picks the caret's item.
class ListBox : public ItemListWidget {
 public:
  explicit ListBox(const ControlTemplate& tmpl);
  const char* KindName() const override { return "listbox"; }

  int TopIndex() const { return rows_.Top(); }
  int CaretIndex() const { return caret_; }
  int ItemHeight() const { return rows_.ItemHeight(); }
  const ListRows& Rows() const { return rows_; }

  bool ChooseFromUser(int index) override;

 protected:
  void OnItemInserted(int index) override;
  void OnItemsCleared() override;
  // Also scrolls the selected item into view.
  void OnSelectionSet(int index) override;
  void OnPaint(gfx::Canvas& canvas) override;
  void OnPenDown(gfx::Point p) override;
  void OnPenMove(gfx::Point p) override;
  void OnPenUp(gfx::Point p) override;
  bool OnKey(Key key) override;
  // Typed letters move the selection to the item they start, as a tap
  // would, without telling the parent until Return picks it.
  bool OnText(std::u16string_view text) override;
  void OnFocusChanged(bool focused) override;

 private:
  void Layout();
  void MoveCaret(int index);
  void PickAndNotify(int index);

  int caret_ = 0;
  ListRows rows_;
};

}  // namespace tv::ui
