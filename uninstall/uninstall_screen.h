#pragma once

#include <memory>

#include "platform/gfx/bitmap.h"
#include "platform/ui/dialog.h"

namespace terravue {

inline constexpr int kYesButton = 1000;
inline constexpr int kNoButton = 1001;
inline constexpr int kQuestionText = 65535;

// Asks whether to remove Terravue's databases; "Yes" deletes "Countries
// List" and "Timezones List", each that exists, and reports success when
// every one that existed is gone. A device without a store keeps having none.
class UninstallScreen : public tv::ui::Dialog {
 public:
  UninstallScreen();

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, int notification) override;

 private:
  std::shared_ptr<const tv::gfx::Bitmap> icon_;
};

}  // namespace terravue
