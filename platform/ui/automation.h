#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/gfx/geometry.h"

namespace tv::ui::automation {

// The operations that scripts perform on the running program. Each acts on
// the active (topmost) window and, on failure, says why in `error`.

// A point of the active window's client area in display coordinates.
std::optional<gfx::Point> ClientToDisplay(gfx::Point client, std::string& error);
// Clicks button `target` (a control id) of the active window, runs its menu
// or toolbar command, or with "ok" presses the navigation bar's OK button or
// a message box's OK.
bool Press(std::string_view target, std::string& error);
// Picks item `index` (as displayed) of combo box or list box `id`, as a tap in
// its list would.
bool Choose(int id, int index, std::string& error);
// Picks the first item whose text equals `text`.
bool Choose(int id, std::u16string_view text, std::string& error);
// One line of JSON describing the window stack, bottom to top.
std::string Dump();
bool Screenshot(const std::string& path, std::string& error);

}  // namespace tv::ui::automation
