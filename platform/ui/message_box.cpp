#include "platform/ui/message_box.h"

#include <algorithm>
#include <vector>

#include "platform/gfx/font.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialog.h"
#include "platform/ui/text_layout.h"
#include "platform/ui/widget.h"

namespace tv::ui {
namespace {

constexpr int kTitleHeight = 20;
constexpr int kPadding = 8;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 22;
constexpr int kMaxTextWidth = kDisplayWidth - 12 - 2 * kPadding;
constexpr gfx::Color kTitleBlue{0, 40, 120};

constexpr ControlTemplate kOkTemplate{kIdOk, ControlKind::kPushButton, 0, 0, 30, 12,
                                      style::kTabStop | style::kDefault, u"OK"};

}  // namespace

MessageBoxWindow::MessageBoxWindow(std::u16string_view text, std::u16string_view caption)
    : caption_(caption), message_(text) {
  SetText(caption);
  const auto font = gfx::Font::Get(gfx::SystemFontSpec());
  const std::vector<std::u16string> lines = WrapText(text, font.get(), kMaxTextWidth);
  int text_width = 0;
  for (const auto& line : lines) text_width = std::max(text_width, font ? font->Measure(line).width : 0);
  const int line_height = font ? font->CellHeight() : 13;
  const int width = std::clamp(text_width + 2 * kPadding, 140, kDisplayWidth - 12);
  const int height = kTitleHeight + kPadding + static_cast<int>(lines.size()) * line_height +
                     kPadding + kButtonHeight + kPadding;
  const int left = (kDisplayWidth - width) / 2;
  const int top = (kDisplayHeight - height) / 2;
  SetFrame({left, top, left + width, top + height});
  std::unique_ptr<Widget> ok = CreateWidget(kOkTemplate);
  const int button_left = (width - kButtonWidth) / 2;
  const int button_top = height - kPadding - kButtonHeight;
  ok->SetFrame({button_left, button_top, button_left + kButtonWidth, button_top + kButtonHeight});
  AddChild(std::move(ok));
}

void MessageBoxWindow::OnPaint(gfx::Canvas& canvas) {
  const gfx::Rect client = ClientRect();
  canvas.SetPen({gfx::Pen::Style::kSolid, gfx::kBlack});
  canvas.SetBrush(gfx::Brush::Solid(gfx::kWhite));
  canvas.Rectangle(client);
  canvas.FillRect({1, 1, client.right - 1, kTitleHeight}, kTitleBlue);
  canvas.SetBackgroundMode(gfx::BackgroundMode::kTransparent);
  canvas.SetTextColor(gfx::kWhite);
  canvas.SetFont(gfx::Font::Get({std::string(gfx::kSystemFontFace), 13, gfx::kWeightBold, true}));
  canvas.DrawText({kPadding, 3}, caption_);
  const auto font = gfx::Font::Get(gfx::SystemFontSpec());
  canvas.SetFont(font);
  canvas.SetTextColor(gfx::kBlack);
  const int line_height = font ? font->CellHeight() : 13;
  int y = kTitleHeight + kPadding;
  for (const std::u16string& line : WrapText(message_, font.get(), kMaxTextWidth)) {
    const int w = font ? font->Measure(line).width : 0;
    canvas.DrawText({(client.Width() - w) / 2, y}, line);
    y += line_height;
  }
}

bool MessageBoxWindow::OnKey(Key key) {
  if (key == Key::kEscape || key == Key::kReturn) {
    done_ = true;
    return true;
  }
  if (key == Key::kTab || key == Key::kBackTab) return true;
  return false;
}

void MessageBoxWindow::OnCommand(int id, int notification) {
  if (id == kIdOk && notification == notify::kClicked) done_ = true;
}

void MessageBox(std::u16string_view text, std::u16string_view caption) {
  Desktop& desktop = Desktop::Get();
  if (desktop.Quitting()) return;
  MessageBoxWindow box(text, caption);
  desktop.AddTopLevel(&box);
  box.Show(true);
  if (!box.Children().empty()) desktop.SetFocus(box.Children().front().get());
  desktop.RunUntil([&box] { return box.Done(); });
  box.Show(false);
  desktop.RemoveTopLevel(&box);
}

}  // namespace tv::ui
