#include "maps/reference_map_screen.h"

#include <new>

#include "maps/continent_map_screen.h"
#include "maps/country_map_view.h"
#include "platform/resources/resources.h"
#include "platform/ui/command_bar.h"
#include "platform/ui/message_box.h"
#include "platform/ui/widget.h"

namespace terravue {
namespace {

using tv::gfx::Bitmap;
using tv::gfx::Canvas;
using tv::gfx::Rect;
using tv::ui::ScrollCode;
using tv::ui::ScrollOrientation;

constexpr tv::ui::DialogTemplate kTemplate{
    430, u"Continent Map", 145, 158,
    tv::ui::dialog_style::kHScroll | tv::ui::dialog_style::kVScroll, {}};

constexpr std::u16string_view kCaption = u"Terravue";
// Images of toolbar 431, in the order of its buttons.
constexpr int kZoomOutImage = 0;
constexpr int kZoomInImage = 1;
constexpr int kExitImage = 2;

}  // namespace

ReferenceMapScreen::ReferenceMapScreen() : tv::ui::Dialog(kTemplate) {}

ReferenceMapScreen::~ReferenceMapScreen() = default;

std::vector<std::pair<std::string, std::string>> ReferenceMapScreen::InputForDump() const {
  return {{"region", std::to_string(region)}};
}

std::vector<std::pair<std::string, std::string>> ReferenceMapScreen::StateForDump() const {
  return view_.ForDump();
}

bool ReferenceMapScreen::OnInitDialog() {
  tv::ui::CommandBar& bar = GetOrCreateCommandBar();
  bar.SetButtonImages(tv::res::LoadBitmap(kReferenceToolbarBitmap));
  bar.AddButton(kReferenceZoomOutCommand, kZoomOutImage);
  bar.AddButton(kReferenceZoomInCommand, kZoomInImage);
  bar.AddButton(kReferenceExitCommand, kExitImage);
  view_ = ReferenceMapView();
  zoom_.reset();

  // The base surface holds the region's bitmap. Without it (no such region,
  // a bitmap that will not load, no memory for the surface) there is nothing
  // to show.
  std::shared_ptr<const Bitmap> bitmap;
  if (IsMapRegion(region)) bitmap = tv::res::LoadBitmap(RegionMapOf(region).bitmap);
  if (bitmap != nullptr) {
    try {
      base_ = std::make_unique<Bitmap>(CreateCompatibleSurface(bitmap->Width(), bitmap->Height()));
      Canvas(*base_).Blit({0, 0}, *bitmap, bitmap->Bounds());
    } catch (const std::bad_alloc&) {
      base_.reset();
    }
  }
  if (base_ == nullptr) {
    tv::ui::MessageBox(u"Screen Context Error", kCaption);
    EndDialog(tv::ui::kIdCancel);
    return false;
  }
  const RegionMap& map = RegionMapOf(region);
  view_.Reset(map.width, map.height);
  SetScrollRanges(kNaturalScrollMargin);
  return false;
}

void ReferenceMapScreen::SetScrollRanges(int margin) {
  const Rect client = ClientRect();
  SetScrollRange(ScrollOrientation::kHorizontal, 0,
                 ScrollRangeMax(view_.current_width, client.Width(), margin));
  SetScrollRange(ScrollOrientation::kVertical, 0,
                 ScrollRangeMax(view_.current_height, client.Height(), margin));
}

void ReferenceMapScreen::OnPaint(Canvas& canvas) {
  const Rect client = ClientRect();
  canvas.FillRect(client, tv::gfx::kWhite);
  if (base_ == nullptr) return;
  if (view_.zoom_pending) {
    // Rebuild the zoomed map and show it from its top-left corner.
    if (zoom_ == nullptr) RecreateZoomSurface();
    Canvas(*zoom_).StretchBlit({0, 0, view_.current_width, view_.current_height}, *base_,
                               {0, 0, view_.natural_width, view_.natural_height});
    canvas.Blit({0, 0}, *zoom_, client);
    SetScrollPos(ScrollOrientation::kHorizontal, 0);
    SetScrollPos(ScrollOrientation::kVertical, 0);
    SetScrollRanges(0);
    view_.scroll_x = view_.scroll_y = 0;
    view_.scrolled = view_.zoom_pending = false;
    view_.zoomed = true;
    return;
  }
  // The canvas is clipped to the invalid area, so copying the whole client
  // area at the scroll offsets redraws just that part.
  const Bitmap& shown = view_.zoomed && zoom_ != nullptr ? *zoom_ : *base_;
  canvas.Blit({0, 0}, shown, client.Offset(view_.scroll_x, view_.scroll_y));
  view_.scrolled = false;
}

void ReferenceMapScreen::OnScroll(ScrollOrientation bar, ScrollCode code, int pos) {
  if (code == ScrollCode::kEndScroll) return;
  const bool vertical = bar == ScrollOrientation::kVertical;
  const Rect client = ClientRect();
  // While the map fits, there is nothing to scroll.
  if (vertical ? view_.current_height <= client.bottom : view_.current_width <= client.right) {
    return;
  }
  const tv::ui::ScrollInfo info = GetScrollInfo(bar);
  const int limit = info.max - std::max(info.page - 1, 0);
  const int wanted = NextScrollPosition(code, info.pos, pos, info.min, limit, info.page);
  const int old = SetScrollPos(bar, wanted);
  const int now = GetScrollInfo(bar).pos;
  view_.scrolled = true;
  (vertical ? view_.scroll_y : view_.scroll_x) = now;
  if (vertical) {
    ScrollWindow(0, old - now);
  } else {
    ScrollWindow(old - now, 0);
  }
  Update();
}

void ReferenceMapScreen::RecreateZoomSurface() {
  zoom_.reset();
  zoom_ = std::make_unique<Bitmap>(
      CreateCompatibleSurface(view_.current_width, view_.current_height));
  view_.zoom_surface_exists = true;
}

void ReferenceMapScreen::ZoomIn() {
  if (view_.ZoomIn()) {
    RecreateZoomSurface();
  } else {
    tv::ui::MessageBox(u"Cannot Zoom In anymore", kCaption);
  }
  Invalidate();
  Update();
}

void ReferenceMapScreen::ZoomOut() {
  if (view_.ZoomOut()) {
    RecreateZoomSurface();
  } else {
    tv::ui::MessageBox(u"Cannot Zoom Out anymore", kCaption);
  }
  Invalidate();
  Update();
}

void ReferenceMapScreen::OnCommand(int id, int notification) {
  if (notification != tv::ui::notify::kClicked) return;
  switch (id) {
    case kReferenceZoomOutCommand: ZoomOut(); break;
    case kReferenceZoomInCommand: ZoomIn(); break;
    case kReferenceExitCommand: EndDialog(tv::ui::kIdOk); break;
    default: break;
  }
}

}  // namespace terravue
