#pragma once

#include <string_view>

#include "platform/gfx/canvas.h"

namespace tv::ui {

// The navigation bar along the top of the display: the active screen's
// caption and, where the screen has one, its OK button. `canvas` has its
// origin at the display's top-left.
void PaintNavigationBar(gfx::Canvas& canvas, std::u16string_view caption, bool ok_button);
// The empty command bar along the bottom of the display.
void PaintCommandBar(gfx::Canvas& canvas);
// Where the OK button sits, in display coordinates.
gfx::Rect NavigationOkRect();

}  // namespace tv::ui
