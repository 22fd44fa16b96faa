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
// A dotted one-pixel outline, the focus cue of buttons and list carets.
void DrawFocusRect(gfx::Canvas& canvas, const gfx::Rect& rect, gfx::Color color);

}  // namespace tv::ui
