#include "uninstall/uninstall_screen.h"

#include "db/country_store.h"
#include "db/zone_store.h"
#include "platform/resources/resources.h"
#include "platform/ui/desktop.h"
#include "platform/ui/message_box.h"
#include "platform/ui/widget.h"

namespace terravue {
namespace {

using tv::ui::ControlKind;
namespace style = tv::ui::style;

constexpr tv::ui::ControlTemplate kControls[] = {
    {kQuestionText, ControlKind::kStatic, 18, 37, 102, 27, 0,
     u"Do you really wish to uninstall the Terravue Database from your Pocket PC?"},
    {kYesButton, ControlKind::kPushButton, 13, 82, 50, 14, style::kTabStop, u"Yes"},
    {kNoButton, ControlKind::kPushButton, 69, 82, 50, 14, style::kTabStop, u"No"},
};

constexpr tv::ui::DialogTemplate kTemplate{
    102, u"Terravue Uninstall", 139, 103,
    tv::ui::dialog_style::kOkButton | tv::ui::dialog_style::kAppWindow, kControls};

constexpr int kProgramIcon = 128;

}  // namespace

UninstallScreen::UninstallScreen()
    : tv::ui::Dialog(kTemplate), icon_(tv::res::LoadIcon(kProgramIcon)) {}

bool UninstallScreen::OnInitDialog() {
  if (icon_ != nullptr) tv::ui::Desktop::Get().GetBackend().SetIcon(*icon_);
  return true;
}

void UninstallScreen::OnCommand(int id, int notification) {
  if (notification != tv::ui::notify::kClicked) return;
  if (id == kNoButton) {
    EndDialog(tv::ui::kIdCancel);
  } else if (id == kYesButton) {
    EndDialog(tv::ui::kIdOk);
    // Each database that exists goes, whichever of them is there; success is
    // told only when something was deleted and nothing failed to be.
    const Deletion deletions[] = {CountryRecordStore::DeleteCountryStore(),
                                  ZoneRecordStore::DeleteZoneStore()};
    bool deleted = false;
    bool failed = false;
    for (const Deletion deletion : deletions) {
      deleted = deleted || deletion == Deletion::kDeleted;
      failed = failed || deletion == Deletion::kFailed;
    }
    if (deleted && !failed) tv::ui::MessageBox(u"Uninstall Successful", u"Terravue Uninstall");
  }
}

}  // namespace terravue
