#include "platform/ui/static_text.h"
#include "platform/ui/control_style.h"
#include "platform/ui/text_layout.h"

namespace tv::ui {

void StaticText::OnPaint(gfx::Canvas& canvas) {
  const auto font = DialogFont();
  canvas.SetFont(font);
  canvas.SetTextColor(gfx::kBlack);
  canvas.SetBackgroundMode(gfx::BackgroundMode::kTransparent);
  int y = 0;
  for (const std::u16string& line : WrapText(Text(), font.get(), ClientRect().Width())) {
    canvas.DrawText({0, y}, line);
    y += DialogLineHeight();
  }
}

}  // namespace tv::ui
