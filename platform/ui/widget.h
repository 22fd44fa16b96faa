#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/dialog_template.h"
#include "platform/ui/window.h"

namespace tv::ui {

// Notification codes that controls send to their dialog's OnCommand.
namespace notify {
inline constexpr int kClicked = 0;        // button released over itself
inline constexpr int kSelChange = 1;      // list box selection made by the user
inline constexpr int kSelEndOk = 9;       // combo box choice confirmed from its list
inline constexpr int kSelEndCancel = 10;  // combo box list closed without a choice
inline constexpr int kDropDown = 7;
inline constexpr int kCloseUp = 8;
}  // namespace notify

// The base of every control: a child window made from a template entry,
// which can describe itself for the automation's dump.
class Widget : public Window {
 public:
  explicit Widget(const ControlTemplate& tmpl);

  uint32_t Style() const { return style_; }
  bool HasStyle(uint32_t bits) const { return (style_ & bits) == bits; }

  // What the dump shows: the items of a list (empty for others) and the
  // selected index (-1 when none or not a list).
  virtual std::vector<std::u16string> Items() const { return {}; }
  virtual int SelectedIndex() const { return -1; }
  // The image index of each item of a list that shows images (empty for
  // the others).
  virtual std::vector<int> ItemImages() const { return {}; }
  // Does what a tap on the control would do: a button clicks; a list picks
  // item `index` and sends the notification that a tap in its list sends.
  // Returns false when the control cannot do that (index out of range, not a
  // list, not a button).
  virtual bool ClickFromUser() { return false; }
  virtual bool ChooseFromUser(int index) { (void)index; return false; }

  bool AcceptsFocus() const override { return IsEnabled() && HasStyle(style::kTabStop); }

 private:
  uint32_t style_;
};

// Builds the control for one template entry.
std::unique_ptr<Widget> CreateWidget(const ControlTemplate& tmpl);

}  // namespace tv::ui
