#pragma once

#include <deque>
#include <istream>
#include <memory>
#include <string>

#include "platform/ui/backend.h"

namespace tv::backend {

// Runs the program without a display. Input comes from a script, one command
// a line, read only when the program is idle (everything posted has been
// handled and painted). The end of the script quits with status 0; a bad
// line or a command that cannot apply quits with status 2.
class HeadlessBackend : public ui::Backend {
 public:
  // `name` is how messages refer to the script.
  HeadlessBackend(std::unique_ptr<std::istream> script, std::string name);
  ~HeadlessBackend() override;

  ui::Event WaitEvent() override;
  void Present(const gfx::Bitmap& frame) override;

 private:
  ui::Event Fail(int line, const std::string& message);

  std::unique_ptr<std::istream> script_;
  std::string name_;
  int line_ = 0;
  bool finished_ = false;
};

}  // namespace tv::backend
