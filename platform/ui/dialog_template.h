#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/gfx/geometry.h"

namespace tv::ui {

enum class ControlKind {
  kComboBox,      // drop-down selector with a display-only edit field
  kListBox,
  kEditBox,
  kBitmapButton,  // owner-drawn push button showing one bitmap face
  kPushButton,    // text push button
  kStatic,        // left-aligned text, wrapped at word boundaries
  kListView,      // rows of a small image and a label, in insertion order
  kLineEdit,      // single-line read-only edit box that scrolls sideways
};

// Style bits of a control template; each kind reads the ones it knows.
namespace style {
inline constexpr uint32_t kSorted = 1u << 0;
inline constexpr uint32_t kVScroll = 1u << 1;
inline constexpr uint32_t kHScroll = 1u << 2;
inline constexpr uint32_t kBorder = 1u << 3;
inline constexpr uint32_t kNotify = 1u << 4;
inline constexpr uint32_t kNoIntegralHeight = 1u << 5;
inline constexpr uint32_t kMultiline = 1u << 6;
inline constexpr uint32_t kReadOnly = 1u << 7;
inline constexpr uint32_t kWantReturn = 1u << 8;
inline constexpr uint32_t kAutoHScroll = 1u << 9;
inline constexpr uint32_t kAutoVScroll = 1u << 10;
inline constexpr uint32_t kTabStop = 1u << 11;
inline constexpr uint32_t kDisabled = 1u << 12;
inline constexpr uint32_t kHidden = 1u << 13;
inline constexpr uint32_t kDefault = 1u << 14;  // default push button
}  // namespace style

// One control of a dialog template; position and size in dialog units.
struct ControlTemplate {
  int id;
  ControlKind kind;
  int x, y, cx, cy;
  uint32_t style = 0;
  std::u16string_view text = {};
};

namespace dialog_style {
inline constexpr uint32_t kOkButton = 1u << 0;  // OK in the navigation bar
inline constexpr uint32_t kAppWindow = 1u << 1;
inline constexpr uint32_t kHScroll = 1u << 2;  // the window's own scroll bars
inline constexpr uint32_t kVScroll = 1u << 3;
}  // namespace dialog_style

// A numbered dialog template: caption, size in dialog units, controls.
struct DialogTemplate {
  int number;
  std::u16string_view caption;
  int cx, cy;
  uint32_t style;
  std::span<const ControlTemplate> controls;
};

// The one place where dialog units become pixels (the "System 8" font's base
// units: x * 5 / 3 and y * 7 / 4).
constexpr int DialogUnitsToPixelsX(int x) { return x * 5 / 3; }
constexpr int DialogUnitsToPixelsY(int y) { return y * 7 / 4; }
constexpr gfx::Rect DialogUnitsToPixels(int x, int y, int cx, int cy) {
  const int left = DialogUnitsToPixelsX(x);
  const int top = DialogUnitsToPixelsY(y);
  return {left, top, left + DialogUnitsToPixelsX(cx), top + DialogUnitsToPixelsY(cy)};
}

}  // namespace tv::ui
