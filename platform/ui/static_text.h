#pragma once

#include "platform/ui/widget.h"

namespace tv::ui {

// Text that a screen shows in its template: left-aligned in the dialog font,
// wrapped between words to the control's width, on the dialog's background.
class StaticText : public Widget {
 public:
  explicit StaticText(const ControlTemplate& tmpl) : Widget(tmpl) {}
  const char* KindName() const override { return "static"; }
  bool AcceptsFocus() const override { return false; }

 protected:
  void OnPaint(gfx::Canvas& canvas) override;
};

}  // namespace tv::ui
