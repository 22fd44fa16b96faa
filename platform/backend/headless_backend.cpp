#include "platform/backend/headless_backend.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "platform/backend/script.h"
#include "platform/clock/clock.h"
#include "platform/gfx/image_io.h"
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

void HeadlessBackend::Present(const gfx::Bitmap& frame) {
  ReadAhead();
  ++frames_;
  const auto shot = frame_shots_.find(frames_);
  if (shot == frame_shots_.end()) return;
  if (!gfx::WritePngFile(frame, shot->second.path) && frame_error_.empty()) {
    frame_error_ = "cannot write " + shot->second.path;
    frame_error_line_ = shot->second.line;
  }
  frame_shots_.erase(shot);
}

std::optional<ScriptCommand> HeadlessBackend::NextCommand(std::string& error) {
  if (ahead_ || !ahead_error_.empty()) {
    error = std::move(ahead_error_);
    ahead_error_.clear();
    line_ = std::max(line_, ahead_line_);
    auto command = std::move(ahead_);
    ahead_.reset();
    return command;
  }
  std::string text;
  while (std::getline(*script_, text)) {
    ++line_;
    // Scripts written on other systems: a byte-order mark before the first
    // line, CR LF line ends.
    if (line_ == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    std::optional<ScriptCommand> parsed = ParseScriptLine(text, line_, error);
    if (parsed || !error.empty()) return parsed;
  }
  return std::nullopt;
}

void HeadlessBackend::ReadAhead() {
  if (read_ahead_) return;
  read_ahead_ = true;
  for (;;) {
    std::string error;
    std::optional<ScriptCommand> command = NextCommand(error);
    if (command && command->type == ScriptCommand::Type::kFrame) {
      AddFrameShot(*command);
      continue;
    }
    ahead_ = std::move(command);
    ahead_error_ = std::move(error);
    ahead_line_ = line_;
    return;
  }
}

bool HeadlessBackend::AddFrameShot(const ScriptCommand& command) {
  if (command.frame <= frames_) return false;
  frame_shots_[command.frame] = command;
  return true;
}

ui::Event HeadlessBackend::Fail(int line, const std::string& message) {
  Report(name_, line, message);
  finished_ = true;
  return ui::Event::Task([] { ui::Desktop::Get().Quit(2); });
}

std::chrono::milliseconds HeadlessBackend::Now() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(clock::Now().time_since_epoch());
}

void HeadlessBackend::AdvanceTo(std::chrono::milliseconds time) {
  const std::chrono::milliseconds now = Now();
  if (time > now) clock::Advance(time - now);
}

bool HeadlessBackend::Wait(std::optional<std::chrono::milliseconds> deadline) {
  if (!wait_until_) return true;
  if (deadline && *deadline <= *wait_until_) {
    AdvanceTo(*deadline);
    return false;
  }
  AdvanceTo(*wait_until_);
  wait_until_.reset();
  return true;
}

bool HeadlessBackend::WaitEventUntil(std::chrono::milliseconds deadline, ui::Event& event) {
  if (!Wait(deadline) || Now() >= deadline) return false;
  deadline_ = deadline;
  timed_out_ = false;
  ui::Event next = WaitEvent();
  deadline_.reset();
  if (timed_out_) return false;
  event = std::move(next);
  return true;
}

ui::Event HeadlessBackend::WaitEvent() {
  ReadAhead();
  Wait(deadline_);
  while (!finished_) {
    if (!frame_error_.empty()) return Fail(frame_error_line_, frame_error_);
    std::string error;
    std::optional<ScriptCommand> parsed = NextCommand(error);
    if (!error.empty()) return Fail(line_, error);
    if (!parsed) break;
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
      case Type::kWait:
        wait_until_ = Now() + command.wait;
        if (!Wait(deadline_)) {
          timed_out_ = true;
          return ui::Event{};
        }
        continue;
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
      case Type::kFrame:
        if (!AddFrameShot(command)) {
          return Fail(command.line, "frame " + std::to_string(command.frame) +
                                        " was presented already");
        }
        continue;
    }
  }
  if (!finished_ && !frame_shots_.empty()) {
    const ScriptCommand& missed = frame_shots_.begin()->second;
    return Fail(missed.line, "frame " + std::to_string(missed.frame) +
                                 " was never presented (the program presented " +
                                 std::to_string(frames_) + ")");
  }
  finished_ = true;
  return ui::Event::Quit();
}

bool HeadlessBackend::ReportCommandsLeft() {
  if (finished_) return false;
  finished_ = true;
  std::string error;
  const std::optional<ScriptCommand> parsed = NextCommand(error);
  if (parsed || !error.empty()) {
    Report(name_, line_, "not run: the program ended before this command");
    return true;
  }
  if (!frame_shots_.empty()) {
    const ScriptCommand& missed = frame_shots_.begin()->second;
    Report(name_, missed.line, "not run: the program ended before frame " +
                                   std::to_string(missed.frame));
    return true;
  }
  return false;
}

}  // namespace tv::backend
