#pragma once

#include <initializer_list>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/ui/dialog.h"

namespace terravue {

// The row of 16x16 bitmap buttons along the bottom of a screen. Faces are
// bitmap resources named "EXIT", "HELP", "FACTS", "INFO", "MAP", "COMPARE"
// and "DAYNIGHT"; they load in the order given and loading stops silently at
// the first face that fails, leaving that button and the later ones blank.
class ScreenButtonBar {
 public:
  explicit ScreenButtonBar(std::initializer_list<std::string_view> load_order);

  // Puts the face loaded for `name` (if any) on bitmap button `id` of
  // `dialog` and sizes the control to it.
  void Attach(tv::ui::Dialog& dialog, std::string_view name, int id) const;
  int LoadedCount() const { return static_cast<int>(faces_.size()); }

 private:
  std::vector<std::pair<std::string_view, std::shared_ptr<const tv::gfx::Bitmap>>> faces_;
};

}  // namespace terravue
