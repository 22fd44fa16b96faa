#include "platform/ui/message_box.h"

#include <algorithm>
#include <vector>

#include "platform/gfx/font.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialog.h"
#include "platform/ui/widget.h"

namespace tv::ui {
namespace {

constexpr int kTitleHeight = 20;
constexpr int kPadding = 8;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 22;
constexpr int kMaxTextWidth = kDisplayWidth - 12 - 2 * kPadding;
constexpr gfx::Color kTitleBlue{0, 40, 120};

// Breaks the message into lines that fit the box: at line breaks in the
// text, and between words where a line would be too wide.
std::vector<std::u16string> WrapText(std::u16string_view text, const gfx::Font* font) {
  std::vector<std::u16string> lines;
  auto width = [font](std::u16string_view s) { return font ? font->Measure(s).width : 0; };
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string_view::npos) end = text.size();
    std::u16string_view paragraph = text.substr(start, end - start);
    if (!paragraph.empty() && paragraph.back() == u'\r') paragraph.remove_suffix(1);
    std::u16string line;
    size_t pos = 0;
    while (pos < paragraph.size()) {
      size_t word_end = paragraph.find(u' ', pos);
      if (word_end == std::u16string_view::npos) word_end = paragraph.size();
      std::u16string candidate = line;
      if (!candidate.empty()) candidate += u' ';
      candidate += paragraph.substr(pos, word_end - pos);
      if (!line.empty() && width(candidate) > kMaxTextWidth) {
        lines.push_back(line);
        line = std::u16string(paragraph.substr(pos, word_end - pos));
      } else {
        line = std::move(candidate);
      }
      pos = word_end + 1;
    }
    lines.push_back(line);
    if (end == text.size()) break;
    start = end + 1;
  }
  return lines;
}

constexpr ControlTemplate kOkTemplate{kIdOk, ControlKind::kPushButton, 0, 0, 30, 12,
                                      style::kTabStop | style::kDefault, u"OK"};

}  // namespace

MessageBoxWindow::MessageBoxWindow(std::u16string_view text, std::u16string_view caption)
    : caption_(caption), message_(text) {
  SetText(caption);
  const auto font = gfx::Font::Get(gfx::SystemFontSpec());
  const std::vector<std::u16string> lines = WrapText(text, font.get());
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
  for (const std::u16string& line : WrapText(message_, font.get())) {
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
