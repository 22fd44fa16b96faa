#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/geometry.h"

namespace tv::ui {

class Window;

// Menu and toolbar commands are numbered from here up, apart from the
// control ids of the templates.
inline constexpr int kFirstCommandId = 32783;

struct MenuItem {
  int id = 0;
  std::u16string text;
  bool checked = false;
};

struct Menu {
  std::u16string text;
  std::vector<MenuItem> items;
};

struct ToolButton {
  int id = 0;
  int image = 0;              // index into the button image strip
  bool check_button = false;  // shows pressed while checked
  bool checked = false;
};

// The screen's command bar in the bottom bar of the display: menus whose
// lists open upward, followed by a toolbar of image buttons. A chosen item
// or a released button reaches the owner's OnCommand as (id,
// notify::kClicked). A check button shows pressed while checked; its owner
// alone sets that, with SetButtonChecked.
class CommandBar {
 public:
  static constexpr int kButtonWidth = 23;
  static constexpr int kButtonHeight = 21;
  // Images lie side by side in the strip, 16 pixels apart; 16 x 15 of each
  // are drawn.
  static constexpr int kImageStride = 16;
  static constexpr int kImageWidth = 16;
  static constexpr int kImageHeight = 15;

  explicit CommandBar(Window& owner);
  ~CommandBar();
  CommandBar(const CommandBar&) = delete;
  CommandBar& operator=(const CommandBar&) = delete;

  void AddMenu(std::u16string_view text, std::vector<MenuItem> items);
  void SetButtonImages(std::shared_ptr<const gfx::Bitmap> strip);
  void AddButton(int id, int image, bool check_button = false);

  // Return false when no item or button has `id`.
  bool CheckMenuItem(int id, bool checked);
  bool SetButtonChecked(int id, bool checked);
  bool IsButtonChecked(int id) const;
  bool HasCommand(int id) const;

  const std::vector<Menu>& Menus() const { return menus_; }
  const std::vector<ToolButton>& Buttons() const { return buttons_; }

  // Where the parts sit, in display coordinates.
  gfx::Rect MenuTitleRect(int index) const;
  gfx::Rect ButtonRect(int index) const;

  // Opens menu `index` above the bar (the owner hears OnMenuOpening first);
  // it closes on a choice, a tap elsewhere or Escape.
  void OpenMenu(int index);
  void CloseMenu();
  // The open menu's window, or null.
  Window* MenuWindow() const;
  int OpenMenuIndex() const { return open_menu_; }

  // Does what choosing the item or releasing the button would do; false
  // when the bar has no such command.
  bool RunCommand(int id);

  // Pen events in display coordinates; PenDown returns whether the pen went
  // down on a menu title or a button.
  bool PenDown(gfx::Point p);
  void PenMove(gfx::Point p);
  void PenUp(gfx::Point p);

  // Draws the bar into a canvas whose origin is the display's top-left.
  void Paint(gfx::Canvas& canvas) const;

 private:
  class MenuList;
  friend class MenuList;

  int ButtonAt(gfx::Point p) const;
  int MenuAt(gfx::Point p) const;
  void Changed() const;
  void Choose(int id);

  Window& owner_;
  std::vector<Menu> menus_;
  std::vector<ToolButton> buttons_;
  std::shared_ptr<const gfx::Bitmap> images_;
  int tracked_button_ = -1;
  bool tracked_pressed_ = false;
  int open_menu_ = -1;
  std::unique_ptr<MenuList> menu_list_;
  std::vector<std::unique_ptr<MenuList>> closed_lists_;
};

}  // namespace tv::ui
