#include "platform/ui/automation.h"

#include <charconv>

#include "platform/base/utf.h"
#include "platform/gfx/image_io.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialog.h"
#include "platform/ui/json.h"
#include "platform/ui/message_box.h"
#include "platform/ui/widget.h"

namespace tv::ui::automation {
namespace {

Window* Active(std::string& error) {
  Window* active = Desktop::Get().ActiveWindow();
  if (active == nullptr) error = "no window is open";
  return active;
}

Widget* FindWidget(int id, std::string& error) {
  Window* active = Active(error);
  if (active == nullptr) return nullptr;
  auto* widget = dynamic_cast<Widget*>(active->FindChild(id));
  if (widget == nullptr) {
    error = "no control " + std::to_string(id) + " in the top window";
  }
  return widget;
}

std::string DescribeScrollBar(const ScrollInfo& info) {
  return "{\"min\":" + std::to_string(info.min) + ",\"max\":" + std::to_string(info.max) +
         ",\"page\":" + std::to_string(info.page) + ",\"pos\":" + std::to_string(info.pos) +
         ",\"visible\":" + (info.visible ? "true" : "false") + "}";
}

// A window's own bars, a screen's or a control's alike.
std::string DescribeScrollBars(const Window& window) {
  return ",\"scrollbars\":{\"horizontal\":" +
         DescribeScrollBar(window.GetScrollInfo(ScrollOrientation::kHorizontal)) +
         ",\"vertical\":" + DescribeScrollBar(window.GetScrollInfo(ScrollOrientation::kVertical)) +
         "}";
}

std::string DescribeWidget(const Widget& widget) {
  std::string out = "{\"id\":" + std::to_string(widget.Id()) + ",\"kind\":" +
                    JsonQuote(std::string_view(widget.KindName())) +
                    ",\"text\":" + JsonQuote(widget.Text()) + ",\"items\":[";
  bool first = true;
  for (const std::u16string& item : widget.Items()) {
    if (!first) out += ',';
    first = false;
    out += JsonQuote(item);
  }
  out += "],\"images\":[";
  first = true;
  for (const int image : widget.ItemImages()) {
    if (!first) out += ',';
    first = false;
    out += std::to_string(image);
  }
  out += "],\"selected\":" + std::to_string(widget.SelectedIndex());
  out += std::string(",\"enabled\":") + (widget.IsEnabled() ? "true" : "false");
  out += std::string(",\"visible\":") + (widget.IsVisible() ? "true" : "false");
  return out + DescribeScrollBars(widget) + "}";
}

std::string DescribeText(const gfx::TextRecord& text) {
  return "{\"x\":" + std::to_string(text.position.x) + ",\"y\":" +
         std::to_string(text.position.y) + ",\"text\":" + JsonQuote(text.text) +
         ",\"font\":{\"face\":" + JsonQuote(std::string_view(text.font.face)) +
         ",\"height\":" + std::to_string(text.font.height) +
         ",\"weight\":" + std::to_string(text.font.weight) + "},\"color\":[" +
         std::to_string(text.color.r) + "," + std::to_string(text.color.g) + "," +
         std::to_string(text.color.b) + "]}";
}

std::string DescribeCommandBar(const CommandBar* bar) {
  if (bar == nullptr) return "null";
  std::string out = "{\"menus\":[";
  bool first = true;
  for (const Menu& menu : bar->Menus()) {
    if (!first) out += ',';
    first = false;
    out += "{\"text\":" + JsonQuote(menu.text) + ",\"items\":[";
    bool first_item = true;
    for (const MenuItem& item : menu.items) {
      if (!first_item) out += ',';
      first_item = false;
      out += "{\"id\":" + std::to_string(item.id) + ",\"text\":" + JsonQuote(item.text) +
             ",\"checked\":" + (item.checked ? "true" : "false") + "}";
    }
    out += "]}";
  }
  out += "],\"buttons\":[";
  first = true;
  for (const ToolButton& button : bar->Buttons()) {
    if (!first) out += ',';
    first = false;
    out += "{\"id\":" + std::to_string(button.id) +
           ",\"checked\":" + (button.checked ? "true" : "false") + "}";
  }
  return out + "]}";
}

std::string DescribePairs(const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::string out = "{";
  bool first = true;
  for (const auto& [key, value] : pairs) {
    if (!first) out += ',';
    first = false;
    out += JsonQuote(std::string_view(key)) + ":" + value;
  }
  return out + "}";
}

std::string DescribeWindow(const Window& window) {
  std::string out = "{\"caption\":" + JsonQuote(window.Text()) +
                    ",\"kind\":" + JsonQuote(std::string_view(window.KindName()));
  if (const auto* dialog = dynamic_cast<const Dialog*>(&window)) {
    out += ",\"template\":" + std::to_string(dialog->TemplateNumber());
    out += ",\"input\":" + DescribePairs(dialog->InputForDump());
    out += ",\"state\":" + DescribePairs(dialog->StateForDump());
    out += ",\"commandbar\":" + DescribeCommandBar(dialog->GetCommandBar());
  }
  out += DescribeScrollBars(window);
  if (const auto* box = dynamic_cast<const MessageBoxWindow*>(&window)) {
    out += ",\"text\":" + JsonQuote(box->Message());
  }
  out += ",\"controls\":[";
  bool first = true;
  for (const auto& child : window.Children()) {
    const auto* widget = dynamic_cast<const Widget*>(child.get());
    if (widget == nullptr) continue;
    if (!first) out += ',';
    first = false;
    out += DescribeWidget(*widget);
  }
  out += "],\"texts\":[";
  first = true;
  // What the last paint drew, then what was drawn on the window since.
  for (const auto* texts : {&window.LastPaintTexts(), &window.ScreenTexts()}) {
    for (const gfx::TextRecord& text : *texts) {
      if (!first) out += ',';
      first = false;
      out += DescribeText(text);
    }
  }
  out += "]}";
  return out;
}

bool ChooseIndex(Widget& widget, int index, std::string& error) {
  if (index < 0 || index >= static_cast<int>(widget.Items().size())) {
    error = "item " + std::to_string(index) + " is out of range for control " +
            std::to_string(widget.Id()) + " (" + std::to_string(widget.Items().size()) +
            " items)";
    return false;
  }
  if (!widget.ChooseFromUser(index)) {
    error = "control " + std::to_string(widget.Id()) + " is not a list";
    return false;
  }
  return true;
}

}  // namespace

std::optional<gfx::Point> ClientToDisplay(gfx::Point client, std::string& error) {
  Window* active = Active(error);
  if (active == nullptr) return std::nullopt;
  return client + active->ScreenOrigin();
}

bool Press(std::string_view target, std::string& error) {
  Window* active = Active(error);
  if (active == nullptr) return false;
  if (target == "ok") {
    if (auto* box = dynamic_cast<MessageBoxWindow*>(active)) {
      box->Dismiss();
      return true;
    }
    auto* dialog = dynamic_cast<Dialog*>(active);
    if (dialog == nullptr || !dialog->HasOkButton()) {
      error = "the top window has no OK button";
      return false;
    }
    dialog->PressOk();
    return true;
  }
  int id = 0;
  const auto [end, ec] = std::from_chars(target.data(), target.data() + target.size(), id);
  if (ec != std::errc() || end != target.data() + target.size()) {
    error = "not a control id: " + std::string(target);
    return false;
  }
  if (auto* widget = dynamic_cast<Widget*>(active->FindChild(id))) {
    if (!widget->IsVisible() || !widget->IsEnabled()) {
      error = "control " + std::to_string(id) + " is hidden or disabled";
      return false;
    }
    if (!widget->ClickFromUser()) {
      error = "control " + std::to_string(id) + " is not a button";
      return false;
    }
    return true;
  }
  if (auto* dialog = dynamic_cast<Dialog*>(active); dialog != nullptr && dialog->RunCommand(id)) {
    return true;
  }
  error = "no control or command " + std::to_string(id) + " in the top window";
  return false;
}

bool Choose(int id, int index, std::string& error) {
  Widget* widget = FindWidget(id, error);
  return widget != nullptr && ChooseIndex(*widget, index, error);
}

bool Choose(int id, std::u16string_view text, std::string& error) {
  Widget* widget = FindWidget(id, error);
  if (widget == nullptr) return false;
  const std::vector<std::u16string> items = widget->Items();
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i] == text) return ChooseIndex(*widget, static_cast<int>(i), error);
  }
  error = "control " + std::to_string(id) + " has no item \"" + Utf16ToUtf8(text) + "\"";
  return false;
}

std::string Dump() {
  std::string out = "{\"windows\":[";
  bool first = true;
  for (const Window* window : Desktop::Get().TopLevels()) {
    if (!first) out += ',';
    first = false;
    out += DescribeWindow(*window);
  }
  out += "]}";
  return out;
}

bool Screenshot(const std::string& path, std::string& error) {
  Desktop& desktop = Desktop::Get();
  desktop.PaintPending();
  if (!gfx::WritePngFile(desktop.Display(), path)) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace tv::ui::automation
