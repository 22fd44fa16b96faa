#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/window.h"

namespace tv::ui {

// Shows a centred pop-up with `text`, `caption` in its title strip and an OK
// button, and waits until it is dismissed (OK, Return or Escape). The pop-up
// never grows past the screen area: a longer text scrolls in its box.
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

  // The wrapped lines, the first one shown and how many fit.
  const std::vector<std::u16string>& Lines() const { return lines_; }
  int FirstLine() const { return GetScrollInfo(ScrollOrientation::kVertical).pos; }
  int VisibleLines() const { return GetScrollInfo(ScrollOrientation::kVertical).page; }
  // Where the lines are drawn; a text that does not fit has a scroll bar
  // beside it.
  gfx::Rect TextArea() const { return text_area_; }

 protected:
  void OnPaint(gfx::Canvas& canvas) override;
  bool OnKey(Key key) override;
  void OnCommand(int id, int notification) override;

 private:
  std::u16string caption_;
  std::u16string message_;
  std::vector<std::u16string> lines_;
  int line_height_ = 13;
  gfx::Rect text_area_;
  bool done_ = false;
};

}  // namespace tv::ui
