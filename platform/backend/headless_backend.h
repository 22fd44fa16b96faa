#pragma once

#include <deque>
#include <istream>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/backend/script.h"
#include "platform/ui/backend.h"

namespace tv::backend {

// Runs the program without a display. Input comes from a script, one command
// a line, read only when the program is idle (everything posted has been
// handled and painted). The end of the script quits with status 0; a bad
// line or a command that cannot apply quits with status 2.
//
// `frame N FILE` writes the Nth frame the program presents, counted from its
// start, as PNG. The frame commands at the head of a script are taken before
// the program shows anything, so they can catch the frames it presents while
// busy (the installation screen's progress during a first start); a frame
// already presented, or never presented before the script ends, fails the run.
//
// Timers follow the program's clock (the fixed one of --clock, if given);
// `wait SECONDS` moves that clock on and delivers the ticks that fall due on
// the way, each at its time.
class HeadlessBackend : public ui::Backend {
 public:
  // `name` is how messages refer to the script; `open_screen` carries out
  // its open commands (none: every open command fails).
  HeadlessBackend(std::unique_ptr<std::istream> script, std::string name,
                  OpenScreenHandler open_screen = nullptr);
  ~HeadlessBackend() override;

  ui::Event WaitEvent() override;
  std::chrono::milliseconds Now() override;
  bool WaitEventUntil(std::chrono::milliseconds deadline, ui::Event& event) override;
  void Present(const gfx::Bitmap& frame) override;

  // After the program has ended: reports the first command of the script
  // that never ran, if any, and returns whether there was one.
  bool ReportCommandsLeft();

 private:
  ui::Event Fail(int line, const std::string& message);
  // The next command of the script, taking the one read ahead first; sets
  // `error` on a malformed line, and gives nothing at the end.
  std::optional<ScriptCommand> NextCommand(std::string& error);
  // Takes the frame commands at the head of the script, once.
  void ReadAhead();
  // Registers a frame command; false when that frame has been presented.
  bool AddFrameShot(const ScriptCommand& command);
  // Moves the program's clock on to `time` (never back).
  void AdvanceTo(std::chrono::milliseconds time);
  // Goes on with a wait under way up to `deadline`, or to its end; returns
  // false when the deadline comes first.
  bool Wait(std::optional<std::chrono::milliseconds> deadline);

  std::unique_ptr<std::istream> script_;
  std::string name_;
  OpenScreenHandler open_screen_;
  int line_ = 0;
  bool finished_ = false;
  bool read_ahead_ = false;
  std::optional<ScriptCommand> ahead_;  // the first command after the frame commands
  std::string ahead_error_;             // or the error of its line
  int ahead_line_ = 0;
  int frames_ = 0;                      // frames presented so far
  std::map<int, ScriptCommand> frame_shots_;  // by frame number
  std::string frame_error_;             // a frame that could not be written
  int frame_error_line_ = 0;
  std::optional<std::chrono::milliseconds> wait_until_;  // a wait under way
  std::optional<std::chrono::milliseconds> deadline_;    // the next timer's tick
  bool timed_out_ = false;
};

}  // namespace tv::backend
