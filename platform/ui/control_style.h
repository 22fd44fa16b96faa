#pragma once

#include <memory>

#include "platform/gfx/canvas.h"
#include "platform/gfx/color.h"
#include "platform/gfx/font.h"
#include "platform/gfx/geometry.h"

namespace tv::ui {

// The background of selected list items; their text is white.
inline constexpr gfx::Color kSelectionColor{0, 0, 128};

// The font every control draws with; null when no font could be loaded, in
// which case controls draw no text but keep their layout.
std::shared_ptr<const gfx::Font> DialogFont();
// The height of one line of text in that font.
int DialogLineHeight();
// The height of one row of a list: a line plus one pixel of spacing.
int ListItemHeight();
// The white box of a text or list control, with a black one-pixel border
// when `bordered`; the control's scroll bars and their silver corner are
// drawn over it by its scroll host.
void DrawControlBox(gfx::Canvas& canvas, const gfx::Rect& rect, bool bordered);
// The area inside a control's border, where its bars go.
inline gfx::Rect InsideBorder(const gfx::Rect& client, bool bordered) {
  return bordered ? client.Inflate(-1) : client;
}
// A dotted one-pixel outline, the focus cue of buttons and list carets.
void DrawFocusRect(gfx::Canvas& canvas, const gfx::Rect& rect, gfx::Color color);

}  // namespace tv::ui
