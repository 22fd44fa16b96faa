// Feeds arbitrary bytes to the registry reader as the registry file and
// checks that whatever it accepted survives a change: a key or value that
// reads back before another key is stored reads back the same after it, and
// the stored value reads back too.

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/files.h"
#include "platform/settings/settings.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "registry invariant broken: %s\n", what);
  std::abort();
}

const std::filesystem::path& DeviceRoot() {
  static const std::filesystem::path root = [] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "terravue-settings-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) Fail("no scratch folder");
    tv::files::SetDeviceRoot(std::filesystem::path(pattern));
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(DeviceRoot(), ignored);
    });
    return std::filesystem::path(pattern);
  }();
  return root;
}

// The key paths ("[...]" lines) and value names ("\"...\"" starts) the input
// mentions, a few of each, plus fixed ones.
void Candidates(std::string_view text, std::vector<std::string>& keys,
                std::vector<std::string>& names) {
  keys = {"Software\\Quorvel\\Terravue\\Distance", "software\\quorvel"};
  names = {"Unit", ""};
  size_t pos = 0;
  while (pos < text.size() && keys.size() < 12 && names.size() < 12) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      keys.emplace_back(line.substr(1, line.size() - 2));
    } else if (line.size() >= 2 && line.front() == '"') {
      const size_t close = line.find('"', 1);
      if (close != std::string_view::npos) names.emplace_back(line.substr(1, close - 1));
    }
  }
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

constexpr std::string_view kAddedKey = "Software\\Fuzz\\Added";
constexpr std::string_view kAddedName = "Stamp";

struct Reading {
  bool found = false;
  std::vector<std::optional<uint32_t>> values;
};

std::vector<Reading> ReadAll(const std::vector<std::string>& keys,
                             const std::vector<std::string>& names) {
  std::vector<Reading> readings;
  for (const std::string& path : keys) {
    Reading reading;
    if (const std::optional<tv::settings::RegistryKey> key =
            tv::settings::RegistryKey::Open(path)) {
      reading.found = true;
      for (const std::string& name : names) reading.values.push_back(key->QueryValue(name));
    }
    readings.push_back(std::move(reading));
  }
  return readings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DeviceRoot();
  const std::string text(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(tv::settings::RegistryPath(), std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) Fail("cannot write the registry file");
  }
  std::vector<std::string> keys;
  std::vector<std::string> names;
  Candidates(text, keys, names);
  const std::vector<Reading> before = ReadAll(keys, names);

  // A change rewrites the file from what the reader made of it.
  const std::optional<tv::settings::RegistryKey> added =
      tv::settings::RegistryKey::Create(kAddedKey);
  if (!added) Fail("a key cannot be created");
  if (!added->SetValue(kAddedName, static_cast<uint32_t>(size))) Fail("a value cannot be stored");
  if (added->QueryValue(kAddedName) != static_cast<uint32_t>(size)) {
    Fail("a stored value does not read back");
  }

  const std::vector<Reading> after = ReadAll(keys, names);
  for (size_t i = 0; i < keys.size(); ++i) {
    if (!before[i].found) continue;
    if (!after[i].found) Fail("a key the reader accepted was lost by a change");
    for (size_t j = 0; j < names.size(); ++j) {
      // The added value itself is the one that may change.
      const bool added_value =
          Lower(keys[i]) == Lower(kAddedKey) && Lower(names[j]) == Lower(kAddedName);
      if (before[i].values[j] != after[i].values[j] && !added_value) {
        Fail("a value the reader accepted changed with another key");
      }
    }
  }
  return 0;
}
