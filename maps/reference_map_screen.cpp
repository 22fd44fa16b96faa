#include "maps/reference_map_screen.h"

#include <new>

#include "maps/continent_map_screen.h"
#include "platform/resources/resources.h"
#include "platform/ui/command_bar.h"
#include "platform/ui/message_box.h"

namespace terravue {
namespace {

constexpr tv::ui::DialogTemplate kTemplate{
    430, u"Continent Map", 145, 158,
    tv::ui::dialog_style::kHScroll | tv::ui::dialog_style::kVScroll, {}};

constexpr std::u16string_view kCaption = u"Terravue";
// Images of toolbar 431, in the order of its buttons.
constexpr int kZoomOutImage = 0;
constexpr int kZoomInImage = 1;
constexpr int kExitImage = 2;
// Three levels: half, natural and double size.
constexpr ZoomSteps kZoomSteps{2.0, 0.5, 0.5, 2.0, u"Cannot Zoom In anymore",
                               u"Cannot Zoom Out anymore"};

}  // namespace

ReferenceMapScreen::ReferenceMapScreen() : tv::ui::Dialog(kTemplate), map_(*this, kZoomSteps) {}

std::vector<std::pair<std::string, std::string>> ReferenceMapScreen::InputForDump() const {
  return {{"region", std::to_string(region)}};
}

std::vector<std::pair<std::string, std::string>> ReferenceMapScreen::StateForDump() const {
  return map_.ForDump();
}

bool ReferenceMapScreen::OnInitDialog() {
  tv::ui::CommandBar& bar = GetOrCreateCommandBar();
  bar.SetButtonImages(tv::res::LoadBitmap(kReferenceToolbarBitmap));
  bar.AddButton(kZoomOutCommand, kZoomOutImage);
  bar.AddButton(kZoomInCommand, kZoomInImage);
  bar.AddButton(kReferenceExitCommand, kExitImage);

  // The base surface holds the region's bitmap. Without it (no such region,
  // a bitmap that will not load, no memory for the surface) there is nothing
  // to show.
  std::shared_ptr<const tv::gfx::Bitmap> bitmap;
  if (IsMapRegion(region)) bitmap = tv::res::LoadBitmap(RegionMapOf(region).bitmap);
  std::unique_ptr<tv::gfx::Bitmap> base;
  if (bitmap != nullptr) {
    try {
      base = std::make_unique<tv::gfx::Bitmap>(
          CreateCompatibleSurface(bitmap->Width(), bitmap->Height()));
      tv::gfx::Canvas(*base).Blit({0, 0}, *bitmap, bitmap->Bounds());
    } catch (const std::bad_alloc&) {
      base.reset();
    }
  }
  if (base == nullptr) {
    tv::ui::MessageBox(u"Screen Context Error", kCaption);
    EndDialog(tv::ui::kIdCancel);
    return false;
  }
  const RegionMap& map = RegionMapOf(region);
  map_.Open(std::move(base), map.width, map.height);
  return false;
}

void ReferenceMapScreen::OnPaint(tv::gfx::Canvas& canvas) { map_.Paint(canvas); }

void ReferenceMapScreen::OnScroll(tv::ui::ScrollOrientation bar, tv::ui::ScrollCode code,
                                  int pos) {
  map_.Scroll(bar, code, pos);
}

void ReferenceMapScreen::OnCommand(int id, int notification) {
  if (notification != tv::ui::notify::kClicked) return;
  switch (id) {
    case kZoomOutCommand: map_.ZoomOut(); break;
    case kZoomInCommand: map_.ZoomIn(); break;
    case kReferenceExitCommand: EndDialog(tv::ui::kIdOk); break;
    default: break;
  }
}

}  // namespace terravue
