#include "app/terravue_app.h"
#include "platform/backend/launcher.h"
#include "screens/navigator.h"

void RegisterTerravueResources();

int main(int argc, char** argv) {
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
       "                           world-facts, day-night, help \"TEXT\"\n"});
}
