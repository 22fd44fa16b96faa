#include "platform/backend/launcher.h"
#include "uninstall/uninstall_screen.h"

void RegisterUninstallResources();

int main(int argc, char** argv) {
  return tv::backend::RunProgram(
      argc, argv,
      {"terravue-uninstall", "Terravue Uninstall",
       "Removes Terravue's country and time-zone databases from the device.", TERRAVUE_VERSION,
       RegisterUninstallResources, [] {
         terravue::UninstallScreen screen;
         screen.RunModal();
       }});
}
