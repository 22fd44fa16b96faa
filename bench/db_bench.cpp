#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "db/country_import.h"
#include "db/country_store.h"
#include "db/zone_store.h"
#include "places/daylight_changes.h"
#include "platform/files/files.h"
#include "platform/store/object_store.h"

namespace {

namespace fs = std::filesystem;

fs::path SourceDir() { return fs::path(TERRAVUE_SOURCE_DIR); }

// A fresh device root with both installation files staged.
fs::path StagedRoot() {
  std::string pattern = (fs::temp_directory_path() / "terravue-bench-XXXXXX").string();
  const fs::path root = mkdtemp(pattern.data());
  fs::create_directories(root / "windows");
  for (const char* name : {"QuorvelCountriesTerravue.txt", "QuorvelZones.txt"}) {
    fs::copy_file(SourceDir() / "data" / name, root / "windows" / name);
  }
  tv::store::ObjectStore::CloseShared();
  tv::files::SetDeviceRoot(root);
  return root;
}

// The first-start import of the real files: both databases, every record.
void BM_FirstStartImport(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path root = StagedRoot();
    state.ResumeTiming();
    if (!terravue::ZoneRecordStore::ImportZoneData() || !terravue::ImportCountryData()) {
      state.SkipWithError("import failed");
    }
    state.PauseTiming();
    tv::store::ObjectStore::CloseShared();
    fs::remove_all(root);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstStartImport)->Unit(benchmark::kMillisecond);

// The lookups the screens make, on the imported real data.
class Imported : public benchmark::Fixture {
 public:
  void SetUp(const benchmark::State&) override {
    root_ = StagedRoot();
    if (!terravue::ZoneRecordStore::ImportZoneData() || !terravue::ImportCountryData()) {
      std::fputs("the import failed: the lookups below find nothing\n", stderr);
    }
  }
  void TearDown(const benchmark::State&) override {
    tv::store::ObjectStore::CloseShared();
    fs::remove_all(root_);
  }

 private:
  fs::path root_;
};

BENCHMARK_F(Imported, GetCountryField)(benchmark::State& state) {
  std::u16string value;
  for (auto _ : state) {
    value.clear();
    benchmark::DoNotOptimize(
        terravue::CountryRecordStore::GetCountryField(u"France", u"government", u"capital", value));
  }
}

BENCHMARK_F(Imported, TenPeopleFields)(benchmark::State& state) {
  static constexpr std::u16string_view kFields[] = {
      u"population", u"growth rate", u"age structure", u"sex ratio", u"fertility rate",
      u"nationality", u"ethnic groups", u"religions", u"languages", u"literacy"};
  std::u16string value;
  for (auto _ : state) {
    for (std::u16string_view field : kFields) {
      value.clear();
      benchmark::DoNotOptimize(
          terravue::CountryRecordStore::GetCountryField(u"Japan", u"people", field, value));
    }
  }
}
BENCHMARK_REGISTER_F(Imported, TenPeopleFields)->Unit(benchmark::kMicrosecond);

BENCHMARK_F(Imported, FormatCountryLocalTime)(benchmark::State& state) {
  std::u16string text;
  for (auto _ : state) {
    terravue::ZoneRecordStore::FormatCountryLocalTime(
        u"Australia", terravue::DaylightChangeOf(u"Australia"), text);
    benchmark::DoNotOptimize(text);
  }
}

}  // namespace

BENCHMARK_MAIN();
