#pragma once

// Runs a command through the shell, as a user at a terminal would, for tests
// that drive the built programs from outside.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace terravue::testing {

struct ShellResult {
  int status = -1;  // the exit status; -1 if the command could not run or was killed
  std::string out;  // what it wrote to standard output (add " 2>&1" for errors too)
};

inline ShellResult RunShell(const std::string& command) {
  ShellResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer;
  size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace terravue::testing
