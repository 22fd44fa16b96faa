// Prints the local time that Country Info and the Day/Night clocks show for a
// place at a UTC instant, one line "INSTANT<TAB>PLACE" in, one line out, from
// the installation data in DATA_DIR imported into a scratch device root. The
// device's own zone is whatever TZ says. tests/daylight_check.py compares
// what it prints with the IANA database.

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include "db/country_import.h"
#include "db/zone_store.h"
#include "places/daylight_changes.h"
#include "platform/base/utf.h"
#include "platform/clock/clock.h"
#include "platform/files/files.h"
#include "platform/store/object_store.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DATA_DIR < instants\n", argv[0]);
    return 2;
  }
  std::string pattern = (fs::temp_directory_path() / "terravue-probe-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  const fs::path root = pattern;
  fs::create_directories(root / "windows");
  for (const char* name : {"QuorvelZones.txt", "QuorvelCountriesTerravue.txt"}) {
    fs::copy_file(fs::path(argv[1]) / name, root / "windows" / name);
  }
  tv::files::SetDeviceRoot(root);
  int status = 0;
  if (!terravue::ZoneRecordStore::ImportZoneData() || !terravue::ImportCountryData()) {
    std::fprintf(stderr, "the installation data did not import\n");
    status = 1;
  }
  std::string line;
  while (status == 0 && std::getline(std::cin, line)) {
    const size_t tab = line.find('\t');
    const std::optional<tv::clock::TimePoint> instant =
        tv::clock::ParseIsoUtc(std::string_view(line).substr(0, tab));
    if (tab == std::string::npos || !instant) {
      std::fprintf(stderr, "not an instant and a place: %s\n", line.c_str());
      status = 2;
      break;
    }
    tv::clock::SetFixedUtc(*instant);
    const std::u16string place = tv::Utf8ToUtf16(line.substr(tab + 1));
    std::u16string text;
    terravue::ZoneRecordStore::FormatCountryLocalTime(place, terravue::DaylightChangeOf(place),
                                                      text);
    std::cout << tv::Utf16ToUtf8(text) << '\n';
  }
  tv::store::ObjectStore::CloseShared();
  std::error_code ignored;
  fs::remove_all(root, ignored);
  return status;
}
