#include "platform/ui/chrome.h"

#include "platform/gfx/font.h"
#include "platform/ui/desktop.h"

namespace tv::ui {
namespace {
constexpr gfx::Color kBarBlue{0, 40, 120};
constexpr gfx::Color kBarLine{96, 128, 192};
}  // namespace

gfx::Rect NavigationOkRect() { return {206, 4, 236, 22}; }

void PaintNavigationBar(gfx::Canvas& canvas, std::u16string_view caption, bool ok_button) {
  canvas.FillRect({0, 0, kDisplayWidth, kBarHeight}, kBarBlue);
  canvas.FillRect({0, kBarHeight - 1, kDisplayWidth, kBarHeight}, kBarLine);
  canvas.SetBackgroundMode(gfx::BackgroundMode::kTransparent);
  canvas.SetTextColor(gfx::kWhite);
  canvas.SetFont(gfx::Font::Get({std::string(gfx::kSystemFontFace), 15, gfx::kWeightBold, true}));
  const gfx::Size size = canvas.MeasureText(caption);
  canvas.DrawText({8, (kBarHeight - size.height) / 2}, caption);
  if (ok_button) {
    const gfx::Rect ok = NavigationOkRect();
    canvas.SetPen({gfx::Pen::Style::kSolid, gfx::kWhite});
    canvas.SetBrush(gfx::Brush::Solid(kBarBlue));
    canvas.Rectangle(ok);
    canvas.SetFont(gfx::Font::Get({std::string(gfx::kSystemFontFace), 13, gfx::kWeightBold, true}));
    const gfx::Size ok_size = canvas.MeasureText(u"ok");
    canvas.DrawText({ok.left + (ok.Width() - ok_size.width) / 2,
                     ok.top + (ok.Height() - ok_size.height) / 2},
                    u"ok");
  }
}

void PaintCommandBar(gfx::Canvas& canvas) {
  const int top = kDisplayHeight - kBarHeight;
  canvas.FillRect({0, top, kDisplayWidth, kDisplayHeight}, gfx::kSilver);
  canvas.FillRect({0, top, kDisplayWidth, top + 1}, gfx::kGrey);
  canvas.FillRect({0, top + 1, kDisplayWidth, top + 2}, gfx::kWhite);
}

}  // namespace tv::ui
