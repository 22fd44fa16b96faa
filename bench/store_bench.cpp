#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/store/object_store.h"
#include "platform/store/record_database.h"

namespace {

namespace fs = std::filesystem;
using tv::store::ObjectStore;
using tv::store::Record;
using tv::store::RecordDatabase;
using tv::store::SortKind;
using tv::store::SortOrder;

constexpr char16_t kCountries[] = u"Countries List";
constexpr SortOrder kByCountry{201, SortKind::kTextNoCase};
constexpr int kPlaces = 256;
constexpr int kFieldsPerPlace = 43;  // about 11,000 records in all

std::u16string PlaceName(int i) {
  return u"Place " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
         std::u16string(1, static_cast<char16_t>(u'a' + i / 26));
}
std::u16string FieldName(int f) { return u"field " + std::u16string(1, u'a' + f % 26) + (f >= 26 ? u"2" : u""); }

fs::path BenchPath(const char* name) {
  const fs::path dir = fs::temp_directory_path() / ("tv_store_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir / name;
}

// Writes the whole country database in one transaction, as the import does.
bool Fill(ObjectStore& store) {
  tv::store::Transaction txn(store);
  const auto id = store.Create(kCountries, 12347, kByCountry);
  if (!id) return false;
  auto db = store.OpenById(*id);
  if (!db) return false;
  for (int p = 0; p < kPlaces; ++p) {
    for (int f = 0; f < kFieldsPerPlace; ++f) {
      Record r;
      r.AddText(201, PlaceName(p));
      r.AddText(202, f < 10 ? u"people" : u"geography");
      r.AddText(203, FieldName(f));
      r.AddText(204, u"A value of typical length for field " + FieldName(f));
      if (!db->AppendRecord(r)) return false;
    }
  }
  db->Close();
  return txn.Commit();
}

// The country store's lookup: a keyed seek and a walk over the country's
// records, reading the value from the one that matches.
bool GetField(ObjectStore& store, const std::u16string& country, std::u16string_view category,
              std::u16string_view field, std::u16string& value) {
  auto db = store.OpenByName(kCountries);
  if (!db) return false;
  for (bool found = db->SeekFirstEqual(country); found; found = db->SeekNextEqual()) {
    auto r = db->ReadRecord();
    if (r && r->Text(202) && *r->Text(202) == category && r->Text(203) &&
        *r->Text(203) == field && r->Text(204)) {
      value = *r->Text(204);
      return true;
    }
  }
  return false;
}

void BM_ImportElevenThousandRecords(benchmark::State& state) {
  const fs::path path = BenchPath("import.sqlite3");
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(path);
    auto store = ObjectStore::Open(path);
    state.ResumeTiming();
    if (!store || !Fill(*store)) state.SkipWithError("import failed");
    state.PauseTiming();
    store.reset();
    state.ResumeTiming();
  }
  fs::remove(path);
  fs::remove(path.parent_path());  // only once empty
  state.counters["records"] = kPlaces * kFieldsPerPlace;
}
BENCHMARK(BM_ImportElevenThousandRecords)->Unit(benchmark::kMillisecond);

struct Filled {
  fs::path path = BenchPath("lookup.sqlite3");
  std::unique_ptr<ObjectStore> store;
  Filled() {
    fs::remove(path);
    store = ObjectStore::Open(path);
    if (store && !Fill(*store)) store.reset();
  }
  ~Filled() {
    store.reset();
    fs::remove(path);
    fs::remove(path.parent_path());  // only once empty
  }
};

// One lookup of a field in the middle of a country's records, for places
// spread over the whole database.
void BM_GetCountryField(benchmark::State& state) {
  Filled filled;
  if (!filled.store) return state.SkipWithError("fill failed");
  std::u16string value;
  int i = 0;
  for (auto _ : state) {
    value.clear();
    const int place = (i++ * 37) % kPlaces;
    if (!GetField(*filled.store, PlaceName(place), u"geography", FieldName(kFieldsPerPlace / 2),
                  value)) {
      return state.SkipWithError("lookup failed");
    }
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_GetCountryField)->Unit(benchmark::kMicrosecond);

// The same lookup as the first read after the event loop went idle: it
// begins a shared read (taking the shared lock) and the idle call ends it.
void BM_GetCountryFieldAfterIdle(benchmark::State& state) {
  Filled filled;
  if (!filled.store) return state.SkipWithError("fill failed");
  std::u16string value;
  int i = 0;
  for (auto _ : state) {
    value.clear();
    const int place = (i++ * 37) % kPlaces;
    if (!GetField(*filled.store, PlaceName(place), u"geography", FieldName(kFieldsPerPlace / 2),
                  value)) {
      return state.SkipWithError("lookup failed");
    }
    filled.store->EndReadTransaction();
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_GetCountryFieldAfterIdle)->Unit(benchmark::kMicrosecond);

// The ten "people" fields of one country in a row, as a screen fills them.
void BM_TenPeopleFields(benchmark::State& state) {
  Filled filled;
  if (!filled.store) return state.SkipWithError("fill failed");
  const std::u16string country = PlaceName(200);
  std::vector<std::u16string> values(10);
  for (auto _ : state) {
    for (int f = 0; f < 10; ++f) {
      values[f].clear();
      if (!GetField(*filled.store, country, u"people", FieldName(f), values[f])) {
        return state.SkipWithError("lookup failed");
      }
    }
    benchmark::DoNotOptimize(values);
  }
}
BENCHMARK(BM_TenPeopleFields)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
