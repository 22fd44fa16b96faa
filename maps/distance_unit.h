#pragma once

namespace terravue {

// The unit the country map labels distances in, kept in the registry as the
// value "Unit" (1 kilometres, 0 miles) under kDistanceUnitKey.
inline constexpr const char* kDistanceUnitKey = "Software\\Quorvel\\Terravue\\Distance";
inline constexpr const char* kDistanceUnitValue = "Unit";

// True for kilometres. With no preference stored, the user's locale decides:
// miles where it measures in the US customary system, kilometres elsewhere.
bool ReadKilometresPreference();

// Stores the choice, creating the key when it is missing; false when the
// registry cannot be written.
bool WriteKilometresPreference(bool kilometres);

}  // namespace terravue
