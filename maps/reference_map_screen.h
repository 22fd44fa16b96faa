#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "maps/reference_map_view.h"
#include "platform/gfx/bitmap.h"
#include "platform/ui/dialog.h"

namespace terravue {

// Commands of the Reference Map's toolbar (bitmap 431: Zoom Out, Zoom In,
// Exit).
inline constexpr int kReferenceZoomOutCommand = 32783;
inline constexpr int kReferenceZoomInCommand = 32784;
inline constexpr int kReferenceExitCommand = 32798;
inline constexpr int kReferenceToolbarBitmap = 431;

// A region's map alone, at half, natural or double size, with both scroll
// bars. The Country Map opens it when zooming out past its own limit; the
// opener sets `region` (0 to 6) before running it.
class ReferenceMapScreen : public tv::ui::Dialog {
 public:
  ReferenceMapScreen();
  ~ReferenceMapScreen() override;

  int32_t region = 0;

  const ReferenceMapView& View() const { return view_; }

  std::vector<std::pair<std::string, std::string>> InputForDump() const override;
  std::vector<std::pair<std::string, std::string>> StateForDump() const override;

 protected:
  bool OnInitDialog() override;
  void OnPaint(tv::gfx::Canvas& canvas) override;
  void OnScroll(tv::ui::ScrollOrientation bar, tv::ui::ScrollCode code, int pos) override;
  void OnCommand(int id, int notification) override;
  void OnCancel() override { EndDialog(tv::ui::kIdOk); }

 private:
  // Both scroll ranges for the current size, stopping `margin` pixels short.
  void SetScrollRanges(int margin);
  void RecreateZoomSurface();
  void ZoomIn();
  void ZoomOut();

  ReferenceMapView view_;
  // The region's bitmap, and the map at the current zoom once zoomed.
  std::unique_ptr<tv::gfx::Bitmap> base_;
  std::unique_ptr<tv::gfx::Bitmap> zoom_;
};

}  // namespace terravue
