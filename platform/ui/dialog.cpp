#include "platform/ui/dialog.h"

#include "platform/ui/desktop.h"

namespace tv::ui {

Dialog::Dialog(const DialogTemplate& tmpl) : template_(tmpl) {
  SetText(tmpl.caption);
}

Dialog::~Dialog() {
  Destroy();
  command_bar_.reset();
}

CommandBar& Dialog::GetOrCreateCommandBar() {
  if (!command_bar_) command_bar_ = std::make_unique<CommandBar>(*this);
  if (Desktop::Exists()) Desktop::Get().InvalidateBars();
  return *command_bar_;
}

void Dialog::Create() {
  if (created_) return;
  SetFrame(kScreenArea);
  ShowScrollBar(ScrollOrientation::kHorizontal, (template_.style & dialog_style::kHScroll) != 0);
  ShowScrollBar(ScrollOrientation::kVertical, (template_.style & dialog_style::kVScroll) != 0);
  // A dialog made again after it was destroyed starts from fresh controls,
  // never a second set beside the first.
  DestroyChildren();
  for (const ControlTemplate& control : template_.controls) {
    AddChild(CreateWidget(control));
  }
  created_ = true;
  ended_ = false;
  closed_ = false;
  Desktop& desktop = Desktop::Get();
  desktop.AddTopLevel(this);
  if (OnInitDialog()) {
    // The focus starts on the first control the template makes a tab stop;
    // buttons that Tab also reaches do not take it at the start.
    for (const auto& child : Children()) {
      const auto* widget = dynamic_cast<const Widget*>(child.get());
      if (widget != nullptr && widget->HasStyle(style::kTabStop) && child->IsVisible() &&
          child->AcceptsFocus()) {
        desktop.SetFocus(child.get());
        break;
      }
    }
  }
}

void Dialog::Destroy() {
  if (!created_) return;
  created_ = false;
  if (command_bar_) command_bar_->CloseMenu();
  Show(false);
  if (Desktop::Exists()) Desktop::Get().RemoveTopLevel(this);
}

int Dialog::RunModal() {
  modal_ = true;
  result_ = kIdCancel;
  Create();
  Show(true);
  Desktop::Get().RunUntil([this] { return ended_; });
  Destroy();
  modal_ = false;
  return result_;
}

void Dialog::CreateModeless() {
  modal_ = false;
  Create();
}

void Dialog::EndDialog(int result) {
  result_ = result;
  if (modal_) {
    ended_ = true;
  } else {
    Close();
  }
}

void Dialog::Close() {
  if (closed_ || !created_) return;
  closed_ = true;
  Desktop::Get().PostTask(
      [this] {
        Destroy();
        OnClosed();
      },
      this);
}

bool Dialog::OnKey(Key key) {
  switch (key) {
    case Key::kEscape:
      OnCancel();
      return true;
    case Key::kTab:
      Desktop::Get().CycleFocus(true);
      return true;
    case Key::kBackTab:
      Desktop::Get().CycleFocus(false);
      return true;
    default:
      return false;
  }
}

}  // namespace tv::ui
