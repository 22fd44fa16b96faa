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
  line_height_ = font ? font->CellHeight() : gfx::kSystemFontCellHeight;
  lines_ = WrapText(text, font.get(), kMaxTextWidth, LongWords::kBreak);
  int text_width = 0;
  for (const auto& line : lines_) {
    text_width = std::max(text_width, font ? font->Measure(line).width : 0);
  }
  const int chrome = kTitleHeight + kPadding + kPadding + kButtonHeight + kPadding;
  // The box stays inside the screen area; a text taller than the room left
  // scrolls, with a bar beside it.
  const int max_text_height = std::max(line_height_, kScreenArea.Height() - chrome);
  int text_height = static_cast<int>(lines_.size()) * line_height_;
  const bool scrolls = text_height > max_text_height;
  if (scrolls) text_height = max_text_height / line_height_ * line_height_;
  const int bar_room = scrolls ? ScrollBar::kThickness + 2 : 0;
  if (scrolls) {
    // The bar takes its room from the lines.
    lines_ = WrapText(text, font.get(), kMaxTextWidth - bar_room, LongWords::kBreak);
    text_width = 0;
    for (const auto& line : lines_) {
      text_width = std::max(text_width, font ? font->Measure(line).width : 0);
    }
  }
  const int width =
      std::clamp(text_width + 2 * kPadding + bar_room, 140, kDisplayWidth - 12);
  const int height = chrome + text_height;
  const int left = (kDisplayWidth - width) / 2;
  const int top = kScreenArea.top + (kScreenArea.Height() - height) / 2;
  text_area_ = {kPadding, kTitleHeight + kPadding, width - kPadding - bar_room,
                kTitleHeight + kPadding + text_height};
  SetFrame({left, top, left + width, top + height});
  // The bar stands beside the lines, a gap away from them.
  ScrollHost& scroller = Scroller();
  scroller.SetPolicy(ScrollOrientation::kVertical,
                     scrolls ? ScrollHost::Policy::kAlways : ScrollHost::Policy::kNever);
  scroller.PlaceInside({text_area_.left, text_area_.top, width - kPadding, text_area_.bottom});
  scroller.SetContent(ScrollOrientation::kVertical, static_cast<int>(lines_.size()),
                      std::max(1, line_height_));
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
  canvas.Save();
  canvas.IntersectClip(text_area_);
  const int first_line = FirstLine();
  const int end = std::min(static_cast<int>(lines_.size()), first_line + VisibleLines());
  int y = text_area_.top;
  for (int i = first_line; i < end; ++i) {
    const int w = font ? font->Measure(lines_[i]).width : 0;
    canvas.DrawText({text_area_.left + (text_area_.Width() - w) / 2, y}, lines_[i]);
    y += line_height_;
  }
  canvas.Restore();
}

bool MessageBoxWindow::OnKey(Key key) {
  if (key == Key::kEscape || key == Key::kReturn) {
    done_ = true;
    return true;
  }
  if (key == Key::kTab || key == Key::kBackTab) return true;
  return Scroller().Key(key);
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
