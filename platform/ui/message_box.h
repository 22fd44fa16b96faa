#pragma once

#include <string_view>

#include "platform/ui/window.h"

namespace tv::ui {

// Shows a centred pop-up with `text`, `caption` in its title strip and an OK
// button, and waits until it is dismissed (OK, Return or Escape).
void MessageBox(std::u16string_view text, std::u16string_view caption);

// The pop-up window itself, for the automation's dump.
class MessageBoxWindow : public Window {
 public:
  MessageBoxWindow(std::u16string_view text, std::u16string_view caption);
  const char* KindName() const override { return "messagebox"; }
  const std::u16string& Caption() const { return caption_; }
  const std::u16string& Message() const { return message_; }
  void Dismiss() { done_ = true; }
  bool Done() const { return done_; }

 protected:
  void OnPaint(gfx::Canvas& canvas) override;
  bool OnKey(Key key) override;
  void OnCommand(int id, int notification) override;

 private:
  std::u16string caption_;
  std::u16string message_;
  bool done_ = false;
};

}  // namespace tv::ui
