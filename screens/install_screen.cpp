#include "screens/install_screen.h"

#include <string>

#include "db/zone_store.h"
#include "platform/ui/desktop.h"
#include "platform/ui/message_box.h"

namespace terravue {
namespace {

constexpr tv::ui::DialogTemplate kTemplate{419, u"Installation In Progress", 125, 47, 0, {}};
constexpr tv::gfx::Point kProgressAt{20, 150};
// Drawn in white over the last progress line to wipe it before the next.
constexpr std::u16string_view kProgressEraser =
    u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";

// What the user is told when an import failed; its file stays, so the next
// start tries again.
std::u16string FailureText(bool zones_installed, bool countries_installed) {
  std::u16string what;
  if (!countries_installed) what = u"The country facts";
  if (!zones_installed) what += what.empty() ? u"The time zones" : u" and the time zones";
  return what + u" could not be installed. Terravue will try again at its next start.";
}

}  // namespace

InstallScreen::InstallScreen() : tv::ui::Dialog(kTemplate) {}

bool InstallScreen::OnInitDialog() {
  tv::ui::Desktop::Get().PostTask([this] { Install(); }, this);
  return true;
}

void InstallScreen::OnPaint(tv::gfx::Canvas& canvas) {
  canvas.FillRect(ClientRect(), tv::gfx::kWhite);
  canvas.SetTextColor(tv::gfx::kBlack);
  canvas.DrawText({20, 124}, u"Initializing Database...Please Wait");
}

void InstallScreen::Install() {
  // The user sees the screen before the imports begin, however long their
  // first read takes.
  tv::ui::Desktop& desktop = tv::ui::Desktop::Get();
  desktop.PaintPending();
  desktop.Present();
  const bool zones = ZoneRecordStore::ImportZoneData();
  const bool countries = ImportCountryData(this);
  EndDialog(tv::ui::kIdOk);
  if (zones && countries) return;
  // After the close has taken the screen away.
  desktop.PostTask([zones, countries] {
    tv::ui::MessageBox(FailureText(zones, countries), u"Terravue");
  });
}

void InstallScreen::CountryLoaded(std::u16string_view country) {
  tv::gfx::Canvas canvas = GetScreenCanvas();
  canvas.SetTextColor(tv::gfx::kWhite);
  canvas.DrawText(kProgressAt, kProgressEraser);
  canvas.SetTextColor(tv::gfx::kBlack);
  // A long name ends in "..." at the screen's edge rather than running off.
  canvas.DrawTextWithin(kProgressAt, u"Loading " + std::u16string(country), ClientRect().right);
  // Long work: show the line now and keep the window alive.
  tv::ui::Desktop::Get().Pump();
}

}  // namespace terravue
