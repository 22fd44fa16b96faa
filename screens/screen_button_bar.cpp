#include "screens/screen_button_bar.h"

#include "platform/base/utf.h"
#include "platform/resources/resources.h"
#include "platform/ui/controls.h"

namespace terravue {

ScreenButtonBar::ScreenButtonBar(std::initializer_list<std::string_view> load_order) {
  for (std::string_view name : load_order) {
    auto face = tv::res::LoadBitmap(name);
    if (face == nullptr) break;
    faces_.emplace_back(name, std::move(face));
  }
}

void ScreenButtonBar::Attach(tv::ui::Dialog& dialog, std::string_view name, int id) const {
  auto& button = dialog.Control<tv::ui::BitmapButton>(id);
  for (const auto& [face_name, face] : faces_) {
    if (tv::EqualsNoCase(face_name, name)) {
      button.SetFace(face);
      break;
    }
  }
  button.SizeToContent();
}

}  // namespace terravue
