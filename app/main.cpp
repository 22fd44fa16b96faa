#include <cstdio>
#include <string_view>

#include "app/first_start.h"
#include "app/terravue_app.h"
#include "platform/backend/launcher.h"
#include "screens/navigator.h"

void RegisterTerravueResources();

int main(int argc, char** argv) {
  // The installer's part for a device root, for scripts; no screen opens.
  if (argc >= 2 && std::string_view(argv[1]) == "--stage-data") {
    if (argc != 3 || argv[2][0] == '\0') {
      std::fputs("terravue: --stage-data needs a device root folder and nothing else\n", stderr);
      return 2;
    }
    return terravue::StageData(argv[2]);
  }
  return tv::backend::RunProgram(
      argc, argv,
      {"terravue", "Terravue", "A world geography reference for a 240x320 handheld screen.",
       TERRAVUE_VERSION, RegisterTerravueResources,
       terravue::RunTerravue,
       [](std::string_view screen, const std::optional<std::u16string>& input,
          std::string& error) {
         return terravue::OpenScreenByName(terravue::GetNavigator(), screen, input, error);
       },
       "                           country-info \"PLACE\", country-map \"PLACE\",\n"
       "                           continent-map REGION, reference-map REGION (0 Africa,\n"
       "                           1 Asia, 2 Australia, 3 Europe, 4 Middle East,\n"
       "                           5 North America, 6 South America), compare,\n"
       "                           world-facts, day-night, help \"TEXT\"\n",
       "  --stage-data DIR       place the installation files into device root DIR\n"
       "                         where their databases are missing, and exit\n"});
}
