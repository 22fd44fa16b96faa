#include "platform/ui/command_bar.h"

#include <algorithm>

#include "platform/ui/control_style.h"
#include "platform/ui/desktop.h"
#include "platform/ui/widget.h"

namespace tv::ui {
namespace {

constexpr int kBarTop = kDisplayHeight - kBarHeight;
constexpr int kPartTop = kBarTop + 3;
constexpr int kMenuLeft = 2;
constexpr int kTitlePadding = 6;
constexpr int kCheckColumn = 14;
constexpr int kItemPadding = 8;

int TextWidth(std::u16string_view text) {
  const std::shared_ptr<const gfx::Font> font = DialogFont();
  return font != nullptr ? font->Measure(text).width : static_cast<int>(text.size()) * 6;
}

// A tick in a box of the row's height.
void DrawCheckMark(gfx::Canvas& canvas, gfx::Point at, gfx::Color color) {
  canvas.Save();
  canvas.SetPen({gfx::Pen::Style::kSolid, color});
  for (int d = 0; d < 2; ++d) {
    canvas.Line({at.x, at.y + 3 + d}, {at.x + 3, at.y + 6 + d});
    canvas.Line({at.x + 2, at.y + 5 + d}, {at.x + 8, at.y - 1 + d});
  }
  canvas.Restore();
}

}  // namespace

// The open menu: a pop-up above the bar that holds the pen capture, so that
// a tap anywhere else closes it.
class CommandBar::MenuList : public Window {
 public:
  MenuList(CommandBar& bar, int menu) : bar_(bar), menu_(menu) {}
  const char* KindName() const override { return "menu"; }

  const Menu& Items() const { return bar_.menus_[menu_]; }
  int RowHeight() const { return ListItemHeight() + 2; }
  int Hot() const { return hot_; }

 protected:
  void OnPaint(gfx::Canvas& canvas) override {
    const gfx::Rect client = ClientRect();
    canvas.SetPen({gfx::Pen::Style::kSolid, gfx::kBlack});
    canvas.SetBrush(gfx::Brush::Solid(gfx::kWhite));
    canvas.Rectangle(client);
    canvas.SetFont(DialogFont());
    canvas.SetBackgroundMode(gfx::BackgroundMode::kTransparent);
    const int row = RowHeight();
    for (size_t i = 0; i < Items().items.size(); ++i) {
      const MenuItem& item = Items().items[i];
      const gfx::Rect rect{1, 1 + static_cast<int>(i) * row, client.right - 1,
                           1 + static_cast<int>(i + 1) * row};
      const bool hot = static_cast<int>(i) == hot_;
      if (hot) canvas.FillRect(rect, kSelectionColor);
      const gfx::Color color = hot ? gfx::kWhite : gfx::kBlack;
      canvas.SetTextColor(color);
      if (item.checked) DrawCheckMark(canvas, {rect.left + 3, rect.top + row / 2 - 3}, color);
      canvas.DrawText({rect.left + kCheckColumn, rect.top + 1}, item.text);
    }
  }

  void OnPenDown(gfx::Point p) override {
    if (!ClientRect().Contains(p)) {
      bar_.CloseMenu();
      return;
    }
    tracking_ = true;
    SetHot(RowAt(p));
  }
  void OnPenMove(gfx::Point p) override {
    if (tracking_) SetHot(RowAt(p));
  }
  void OnPenUp(gfx::Point p) override {
    if (!tracking_) return;
    tracking_ = false;
    const int row = RowAt(p);
    if (row >= 0) bar_.Choose(Items().items[row].id);
  }
  bool OnKey(Key key) override {
    const int count = static_cast<int>(Items().items.size());
    switch (key) {
      case Key::kUp:
        SetHot(hot_ <= 0 ? count - 1 : hot_ - 1);
        break;
      case Key::kDown:
        SetHot(hot_ + 1 >= count ? 0 : hot_ + 1);
        break;
      case Key::kReturn:
        if (hot_ >= 0) {
          bar_.Choose(Items().items[hot_].id);
        } else {
          bar_.CloseMenu();
        }
        break;
      case Key::kEscape:
        bar_.CloseMenu();
        break;
      default:
        break;
    }
    // While the menu is open no key reaches anything else.
    return true;
  }

 private:
  int RowAt(gfx::Point p) const {
    if (!ClientRect().Inflate(-1).Contains(p)) return -1;
    const int row = (p.y - 1) / RowHeight();
    return row < static_cast<int>(Items().items.size()) ? row : -1;
  }
  void SetHot(int row) {
    if (row == hot_) return;
    hot_ = row;
    Invalidate();
  }

  CommandBar& bar_;
  int menu_;
  int hot_ = -1;
  bool tracking_ = false;
};

CommandBar::CommandBar(Window& owner) : owner_(owner) {}

CommandBar::~CommandBar() { CloseMenu(); }

void CommandBar::Changed() const {
  if (!Desktop::Exists()) return;
  Desktop::Get().InvalidateBars();
  Desktop::Get().MarkDirty();
}

void CommandBar::AddMenu(std::u16string_view text, std::vector<MenuItem> items) {
  menus_.push_back({std::u16string(text), std::move(items)});
  Changed();
}

void CommandBar::SetButtonImages(std::shared_ptr<const gfx::Bitmap> strip) {
  images_ = std::move(strip);
  Changed();
}

void CommandBar::AddButton(int id, int image, bool check_button) {
  buttons_.push_back({id, image, check_button, false});
  Changed();
}

bool CommandBar::CheckMenuItem(int id, bool checked) {
  for (Menu& menu : menus_) {
    for (MenuItem& item : menu.items) {
      if (item.id != id) continue;
      item.checked = checked;
      if (Window* list = MenuWindow()) list->Invalidate();
      return true;
    }
  }
  return false;
}

bool CommandBar::SetButtonChecked(int id, bool checked) {
  for (ToolButton& button : buttons_) {
    if (button.id != id) continue;
    if (button.checked != checked) {
      button.checked = checked;
      Changed();
    }
    return true;
  }
  return false;
}

bool CommandBar::IsButtonChecked(int id) const {
  for (const ToolButton& button : buttons_) {
    if (button.id == id) return button.checked;
  }
  return false;
}

bool CommandBar::HasCommand(int id) const {
  for (const ToolButton& button : buttons_) {
    if (button.id == id) return true;
  }
  for (const Menu& menu : menus_) {
    for (const MenuItem& item : menu.items) {
      if (item.id == id) return true;
    }
  }
  return false;
}

gfx::Rect CommandBar::MenuTitleRect(int index) const {
  int x = kMenuLeft;
  for (int i = 0; i < static_cast<int>(menus_.size()); ++i) {
    const int width = TextWidth(menus_[i].text) + 2 * kTitlePadding;
    if (i == index) return {x, kPartTop, x + width, kPartTop + kButtonHeight};
    x += width;
  }
  return {};
}

gfx::Rect CommandBar::ButtonRect(int index) const {
  int x = kMenuLeft;
  if (!menus_.empty()) x = MenuTitleRect(static_cast<int>(menus_.size()) - 1).right + 4;
  x += index * kButtonWidth;
  return {x, kPartTop, x + kButtonWidth, kPartTop + kButtonHeight};
}

int CommandBar::ButtonAt(gfx::Point p) const {
  for (int i = 0; i < static_cast<int>(buttons_.size()); ++i) {
    if (ButtonRect(i).Contains(p)) return i;
  }
  return -1;
}

int CommandBar::MenuAt(gfx::Point p) const {
  for (int i = 0; i < static_cast<int>(menus_.size()); ++i) {
    if (MenuTitleRect(i).Contains(p)) return i;
  }
  return -1;
}

void CommandBar::OpenMenu(int index) {
  if (index < 0 || index >= static_cast<int>(menus_.size()) || !Desktop::Exists()) return;
  CloseMenu();
  owner_.OnMenuOpening(index);
  menu_list_ = std::make_unique<MenuList>(*this, index);
  int width = 0;
  for (const MenuItem& item : menus_[index].items) width = std::max(width, TextWidth(item.text));
  width += kCheckColumn + kItemPadding + 2;
  const int height = static_cast<int>(menus_[index].items.size()) * menu_list_->RowHeight() + 2;
  const int left = std::min(MenuTitleRect(index).left, kDisplayWidth - width);
  // Menus open upward from the bar.
  const int top = std::max(0, kBarTop - height);
  menu_list_->SetFrame({left, top, left + width, kBarTop});
  open_menu_ = index;
  Desktop& desktop = Desktop::Get();
  menu_list_->Show(true);
  desktop.AddTopLevel(menu_list_.get());
  desktop.SetCapture(menu_list_.get());
  Changed();
}

void CommandBar::CloseMenu() {
  if (!menu_list_) return;
  std::unique_ptr<MenuList> list = std::move(menu_list_);
  open_menu_ = -1;
  if (Desktop::Exists()) {
    Desktop& desktop = Desktop::Get();
    desktop.ReleaseCapture(list.get());
    list->Show(false);
    desktop.RemoveTopLevel(list.get());
  }
  // The list may be closing from inside its own pen handler, so it goes
  // after the current event.
  closed_lists_.push_back(std::move(list));
  if (Desktop::Exists()) {
    Desktop::Get().PostTask([this] { closed_lists_.clear(); }, &owner_);
  }
  Changed();
}

Window* CommandBar::MenuWindow() const { return menu_list_.get(); }

void CommandBar::Choose(int id) {
  CloseMenu();
  RunCommand(id);
}

bool CommandBar::RunCommand(int id) {
  if (!HasCommand(id)) return false;
  owner_.OnCommand(id, notify::kClicked);
  return true;
}

bool CommandBar::PenDown(gfx::Point p) {
  const int menu = MenuAt(p);
  if (menu >= 0) {
    OpenMenu(menu);
    return true;
  }
  tracked_button_ = ButtonAt(p);
  tracked_pressed_ = tracked_button_ >= 0;
  if (tracked_button_ >= 0) Changed();
  return tracked_button_ >= 0;
}

void CommandBar::PenMove(gfx::Point p) {
  if (tracked_button_ < 0) return;
  const bool inside = ButtonRect(tracked_button_).Contains(p);
  if (inside != tracked_pressed_) {
    tracked_pressed_ = inside;
    Changed();
  }
}

void CommandBar::PenUp(gfx::Point p) {
  const int button = tracked_button_;
  tracked_button_ = -1;
  tracked_pressed_ = false;
  if (button < 0) return;
  Changed();
  // Like a push button, a toolbar button acts only when released over itself.
  if (ButtonRect(button).Contains(p)) RunCommand(buttons_[button].id);
}

void CommandBar::Paint(gfx::Canvas& canvas) const {
  canvas.Save();
  canvas.SetFont(DialogFont());
  canvas.SetBackgroundMode(gfx::BackgroundMode::kTransparent);
  for (int i = 0; i < static_cast<int>(menus_.size()); ++i) {
    const gfx::Rect title = MenuTitleRect(i);
    const bool open = i == open_menu_;
    if (open) canvas.FillRect(title, kSelectionColor);
    canvas.SetTextColor(open ? gfx::kWhite : gfx::kBlack);
    canvas.DrawText({title.left + kTitlePadding, title.top + (title.Height() - DialogLineHeight()) / 2},
                    menus_[i].text);
  }
  for (int i = 0; i < static_cast<int>(buttons_.size()); ++i) {
    const ToolButton& button = buttons_[i];
    const gfx::Rect rect = ButtonRect(i);
    const bool down = button.checked || (i == tracked_button_ && tracked_pressed_);
    // A checked button shows pressed on a lighter face.
    canvas.FillRect(rect, button.checked ? gfx::kWhite : gfx::kSilver);
    const gfx::Color top_left = down ? gfx::kGrey : gfx::kWhite;
    const gfx::Color bottom_right = down ? gfx::kWhite : gfx::kGrey;
    canvas.FillRect({rect.left, rect.top, rect.right, rect.top + 1}, top_left);
    canvas.FillRect({rect.left, rect.top, rect.left + 1, rect.bottom}, top_left);
    canvas.FillRect({rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottom_right);
    canvas.FillRect({rect.right - 1, rect.top, rect.right, rect.bottom}, bottom_right);
    if (images_ != nullptr) {
      const int shift = down ? 1 : 0;
      const gfx::Point at{rect.left + (kButtonWidth - kImageWidth) / 2 + shift,
                          rect.top + (kButtonHeight - kImageHeight) / 2 + shift};
      canvas.Blit(at, *images_,
                  gfx::Rect::FromSize(button.image * kImageStride, 0, kImageWidth, kImageHeight));
    }
  }
  canvas.Restore();
}

}  // namespace tv::ui
