#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/dialog.h"
#include "screens/map_view.h"

namespace terravue {

// The Reference Map's toolbar (bitmap 431): Zoom Out, Zoom In, Exit.
inline constexpr int kReferenceExitCommand = 32798;
inline constexpr int kReferenceToolbarBitmap = 431;

// A region's map alone, at half, natural or double size, with both scroll
// bars. The Country Map opens it when zooming out past its own limit; the
// opener sets `region` (0 to 6) before running it.
class ReferenceMapScreen : public tv::ui::Dialog {
 public:
  ReferenceMapScreen();

  int32_t region = 0;

  const MapView& View() const { return map_; }

  std::vector<std::pair<std::string, std::string>> InputForDump() const override;
  std::vector<std::pair<std::string, std::string>> StateForDump() const override;

 protected:
  bool OnInitDialog() override;
  void OnPaint(tv::gfx::Canvas& canvas) override;
  void OnScroll(tv::ui::ScrollOrientation bar, tv::ui::ScrollCode code, int pos) override;
  void OnCommand(int id, int notification) override;
  void OnCancel() override { EndDialog(tv::ui::kIdOk); }

 private:
  MapView map_;
};

}  // namespace terravue
