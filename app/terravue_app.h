#pragma once

namespace terravue {

// The application: places the installation files an installed program needs,
// then runs the main screen, whose closing ends the program.
void RunTerravue();

}  // namespace terravue
