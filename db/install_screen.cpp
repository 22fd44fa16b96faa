#include "db/install_screen.h"

#include "db/country_import.h"
#include "db/zone_store.h"
#include "platform/ui/desktop.h"

namespace terravue {
namespace {

constexpr tv::ui::DialogTemplate kTemplate{419, u"Installation In Progress", 125, 47, 0, {}};

}  // namespace

InstallScreen::InstallScreen() : tv::ui::Dialog(kTemplate) {}

void InstallScreen::OnPaint(tv::gfx::Canvas& canvas) {
  canvas.FillRect(ClientRect(), tv::gfx::kWhite);
  canvas.SetTextColor(tv::gfx::kBlack);
  canvas.DrawText({20, 124}, u"Initializing Database...Please Wait");
  // Paint may come again before the close is carried out; import once.
  if (imported_) return;
  imported_ = true;
  // The user sees the screen before the imports begin, however long their
  // first read takes.
  tv::ui::Desktop& desktop = tv::ui::Desktop::Get();
  desktop.MarkDirty();
  desktop.Present();
  ZoneRecordStore::ImportZoneData();
  ImportCountryData(*this);
  EndDialog(tv::ui::kIdOk);
}

}  // namespace terravue
