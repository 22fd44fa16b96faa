#pragma once

#include <memory>

#include "platform/ui/control_style.h"
#include "platform/ui/item_list.h"

namespace tv::ui {

// A drop-down selector: a display-only field showing the selected item with
// an arrow button, and a list that opens in a pop-up window below (or above)
// it. Only a choice confirmed from the list changes the selection from the
// user's side. The template's height includes the dropped list; the control
// itself is only as high as its field.
class ComboBox : public ItemListWidget {
 public:
  explicit ComboBox(const ControlTemplate& tmpl);
  ~ComboBox() override;
  const char* KindName() const override { return "combobox"; }

  static constexpr int kMaxDroppedItems = 8;

  bool IsDroppedDown() const { return dropped_; }
  int ItemHeight() const { return ListItemHeight(); }

  bool ChooseFromUser(int index) override;

 protected:
  void OnItemInserted(int index) override;
  void OnItemsCleared() override;
  // Also shows the selected item in the field.
  void OnSelectionSet(int index) override;
  void OnPaint(gfx::Canvas& canvas) override;
  void OnPenDown(gfx::Point p) override;
  bool OnKey(Key key) override;
  void OnFocusChanged(bool focused) override;

 private:
  class DropList;

  gfx::Rect ArrowRect() const;
  gfx::Rect DropFrame() const;
  void OpenList();
  // Takes the pop-up off the screen without telling anyone.
  void CloseList();
  void Confirm(int index);
  void Cancel();
  bool OnListKey(Key key);

  int list_height_;  // the template's height below the field
  bool dropped_ = false;
  std::unique_ptr<DropList> drop_list_;
};

}  // namespace tv::ui
