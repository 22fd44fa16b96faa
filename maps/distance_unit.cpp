#include "maps/distance_unit.h"

#include "platform/settings/settings.h"

namespace terravue {

bool ReadKilometresPreference() {
  if (const auto key = tv::settings::RegistryKey::Open(kDistanceUnitKey)) {
    if (const auto unit = key->QueryValue(kDistanceUnitValue)) return *unit != 0;
  }
  return tv::settings::UserMeasurementSystem() != tv::settings::MeasurementSystem::kUsCustomary;
}

bool WriteKilometresPreference(bool kilometres) {
  const auto key = tv::settings::RegistryKey::Create(kDistanceUnitKey);
  return key && key->SetValue(kDistanceUnitValue, kilometres ? 1 : 0);
}

}  // namespace terravue
