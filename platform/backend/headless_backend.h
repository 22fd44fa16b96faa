#pragma once

#include <deque>
#include <istream>
#include <memory>
#include <string>

#include "platform/backend/script.h"
#include "platform/ui/backend.h"

namespace tv::backend {

// Runs the program without a display. Input comes from a script, one command
// a line, read only when the program is idle (everything posted has been
// handled and painted). The end of the script quits with status 0; a bad
// line or a command that cannot apply quits with status 2.
class HeadlessBackend : public ui::Backend {
 public:
  // `name` is how messages refer to the script; `open_screen` carries out
  // its open commands (none: every open command fails).
  HeadlessBackend(std::unique_ptr<std::istream> script, std::string name,
                  OpenScreenHandler open_screen = nullptr);
  ~HeadlessBackend() override;

  ui::Event WaitEvent() override;
  void Present(const gfx::Bitmap& frame) override;

  // After the program has ended: reports the first command of the script
  // that never ran, if any, and returns whether there was one.
  bool ReportCommandsLeft();

 private:
  ui::Event Fail(int line, const std::string& message);

  std::unique_ptr<std::istream> script_;
  std::string name_;
  OpenScreenHandler open_screen_;
  int line_ = 0;
  bool finished_ = false;
};

}  // namespace tv::backend
