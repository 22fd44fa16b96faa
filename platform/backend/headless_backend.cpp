#include "platform/backend/headless_backend.h"

#include <cstdio>
#include <iostream>

#include "platform/backend/script.h"
#include "platform/ui/automation.h"
#include "platform/ui/desktop.h"

namespace tv::backend {
namespace {

void Report(const std::string& name, int line, const std::string& message) {
  std::fprintf(stderr, "%s:%d: %s\n", name.c_str(), line, message.c_str());
}

}  // namespace

HeadlessBackend::HeadlessBackend(std::unique_ptr<std::istream> script, std::string name,
                                 OpenScreenHandler open_screen)
    : script_(std::move(script)), name_(std::move(name)), open_screen_(std::move(open_screen)) {}

HeadlessBackend::~HeadlessBackend() = default;

void HeadlessBackend::Present(const gfx::Bitmap& frame) { (void)frame; }

ui::Event HeadlessBackend::Fail(int line, const std::string& message) {
  Report(name_, line, message);
  finished_ = true;
  return ui::Event::Task([] { ui::Desktop::Get().Quit(2); });
}

ui::Event HeadlessBackend::WaitEvent() {
  std::string text;
  while (!finished_ && std::getline(*script_, text)) {
    ++line_;
    std::string error;
    std::optional<ScriptCommand> parsed = ParseScriptLine(text, line_, error);
    if (!error.empty()) return Fail(line_, error);
    if (!parsed) continue;
    const ScriptCommand command = std::move(*parsed);
    using Type = ScriptCommand::Type;
    const std::string name = name_;
    const int line = line_;
    // Every command acts through a task, so it sees the window stack as it
    // is when the command's turn comes.
    auto fail = [name, line](const std::string& message) {
      Report(name, line, message);
      ui::Desktop::Get().Quit(2);
    };
    switch (command.type) {
      case Type::kKey:
        return ui::Event::KeyPress(command.key);
      case Type::kTap:
      case Type::kDown:
      case Type::kMove:
      case Type::kUp:
        return ui::Event::Task([command, fail] {
          std::string error;
          const auto point = ui::automation::ClientToDisplay(command.point, error);
          if (!point) return fail(error);
          ui::Desktop& desktop = ui::Desktop::Get();
          if (command.type == Type::kTap || command.type == Type::kDown) {
            desktop.PostEvent(ui::Event::Pen(ui::Event::Type::kPenDown, *point));
          }
          if (command.type == Type::kMove) {
            desktop.PostEvent(ui::Event::Pen(ui::Event::Type::kPenMove, *point));
          }
          if (command.type == Type::kTap || command.type == Type::kUp) {
            desktop.PostEvent(ui::Event::Pen(ui::Event::Type::kPenUp, *point));
          }
        });
      case Type::kPress:
        return ui::Event::Task([command, fail] {
          std::string error;
          if (!ui::automation::Press(command.target, error)) fail(error);
        });
      case Type::kChoose:
        return ui::Event::Task([command, fail] {
          std::string error;
          const bool ok =
              std::holds_alternative<int>(command.item)
                  ? ui::automation::Choose(command.control, std::get<int>(command.item), error)
                  : ui::automation::Choose(command.control,
                                           std::get<std::u16string>(command.item), error);
          if (!ok) fail(error);
        });
      case Type::kScreenshot:
        return ui::Event::Task([command, fail] {
          std::string error;
          if (!ui::automation::Screenshot(command.path, error)) fail(error);
        });
      case Type::kOpen:
        // The screen runs modally inside this task, so the script's next
        // commands act on it until it closes.
        return ui::Event::Task([this, command, fail] {
          std::string error;
          if (!open_screen_) {
            fail("this program opens no screens by name");
          } else if (!open_screen_(command.screen, command.input, error)) {
            fail(error);
          }
        });
      case Type::kDump:
        return ui::Event::Task([] {
          const std::string json = ui::automation::Dump();
          std::fwrite(json.data(), 1, json.size(), stdout);
          std::fputc('\n', stdout);
          std::fflush(stdout);
        });
    }
  }
  finished_ = true;
  return ui::Event::Quit();
}

bool HeadlessBackend::ReportCommandsLeft() {
  if (finished_) return false;
  std::string text;
  while (std::getline(*script_, text)) {
    ++line_;
    std::string error;
    const std::optional<ScriptCommand> parsed = ParseScriptLine(text, line_, error);
    if (parsed || !error.empty()) {
      Report(name_, line_, "not run: the program ended before this command");
      finished_ = true;
      return true;
    }
  }
  finished_ = true;
  return false;
}

}  // namespace tv::backend
