#pragma once

#include <functional>

#include "platform/gfx/geometry.h"

namespace tv::ui {

enum class Key {
  kNone,
  kEscape,
  kReturn,
  kUp,
  kDown,
  kLeft,
  kRight,
  kTab,
  kBackTab,  // Shift+Tab
  kPageUp,
  kPageDown,
  kHome,
  kEnd,
  kSpace,
};

// Input as the backends deliver it. Pen positions are display pixels. A task
// runs on the user-interface thread between events (the scripted automation
// uses it to act on the window stack at a well-defined moment).
struct Event {
  enum class Type { kPenDown, kPenMove, kPenUp, kKey, kQuit, kExpose, kTask, kWheel };
  Type type = Type::kExpose;
  gfx::Point point;
  Key key = Key::kNone;
  std::function<void()> task;
  int wheel = 0;  // wheel notches at `point`, positive towards the user

  static Event Pen(Type type, gfx::Point p) { return {type, p, Key::kNone, {}}; }
  static Event KeyPress(Key k) { return {Type::kKey, {}, k, {}}; }
  static Event Wheel(gfx::Point p, int notches) {
    return {Type::kWheel, p, Key::kNone, {}, notches};
  }
  static Event Quit() { return {Type::kQuit, {}, Key::kNone, {}}; }
  static Event Task(std::function<void()> task) {
    return {Type::kTask, {}, Key::kNone, std::move(task)};
  }
};

}  // namespace tv::ui
