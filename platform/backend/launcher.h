#pragma once

#include <functional>
#include <string_view>

#include "platform/backend/script.h"

namespace tv::backend {

// What distinguishes one program of the platform from another.
struct ProgramInfo {
  std::string_view name;         // "terravue": messages and --help
  std::string_view title;        // the window's title
  std::string_view description;  // one line for --help
  std::string_view version;
  void (*register_resources)();
  // Runs the program's start hook; returns when its main screen has closed.
  std::function<void()> start;
  // Opens a screen for a script's open command; none where the program has
  // no screens to open by name.
  OpenScreenHandler open_screen;
  // The screens open_screen accepts, for --help: one indented line each.
  std::string_view open_screens_help = {};
  // Options of the program's own that main() handles, for --help.
  std::string_view own_options_help = {};
};

// Parses the command line, sets up the device root, the clock, the display
// and the backend (a real window, or headless with a script), runs the
// program and returns its exit status.
int RunProgram(int argc, char** argv, const ProgramInfo& program);

}  // namespace tv::backend
