// newlocale, O_CLOEXEC and the other POSIX 2008 names: declared by default
// with glibc, only on request by stricter C libraries.
#if !defined(_GNU_SOURCE) && !defined(_XOPEN_SOURCE)
#define _XOPEN_SOURCE 700
#endif

#include "platform/settings/settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include "platform/base/utf.h"
#include "platform/files/files.h"

namespace tv::settings {

namespace {

// The file, for example:
//   Terravue registry 1
//   [Software\Quorvel\Terravue\Distance]
//   "Unit"=dword:00000001
// Every line ends in a newline; anything else is damage.
constexpr std::string_view kHeader = "Terravue registry 1";
constexpr std::string_view kDword = "=dword:";
// Far more than the program stores: a larger file is not ours.
constexpr std::streamsize kMaxFileSize = 64 * 1024;

struct Value {
  std::string name;
  uint32_t data = 0;
};

struct Key {
  std::string path;
  std::vector<Value> values;
};

using Registry = std::vector<Key>;

// Trailing backslashes do not change the key: "A\B\" is "A\B".
std::string NormalizeKey(std::string_view path) {
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return std::string(path);
}

bool IsValidKey(std::string_view path) {
  return !path.empty() && path.front() != '\\' &&
         path.find_first_of("[]\n\r") == std::string_view::npos;
}

bool IsValidName(std::string_view name) {
  return name.find_first_of("\"\n\r") == std::string_view::npos;
}

Key* FindKey(Registry& registry, std::string_view path) {
  for (Key& key : registry) {
    if (EqualsNoCase(key.path, path)) return &key;
  }
  return nullptr;
}

std::optional<uint32_t> ParseHex8(std::string_view text) {
  if (text.size() != 8) return std::nullopt;
  uint32_t v = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return std::nullopt;
    }
    v = v * 16 + static_cast<uint32_t>(digit);
  }
  return v;
}

// The registry a file holds. Serialize writes one header line and then each
// key line followed by its value lines, every line ending in a newline; a
// file edited by hand may have gained carriage returns, blank lines or lines
// that read as nothing. Every line that reads is kept, so that the next change
// writes back all of it: a line that does not is skipped, and the value lines
// below a key line that does not read are skipped with it. A key named twice
// gathers the values of both, and a value named twice in a key keeps the
// later one. Nothing when the first line that is not blank is not the header:
// the file is then no registry of this kind.
std::optional<Registry> Parse(std::string_view text) {
  Registry registry;
  bool header_seen = false;
  // The index of the key the value lines below belong to; kNoKey before the
  // first key line and after one that does not read.
  constexpr size_t kNoKey = static_cast<size_t>(-1);
  size_t current = kNoKey;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    if (!header_seen) {
      if (line != kHeader) return std::nullopt;
      header_seen = true;
      continue;
    }
    if (line.front() == '[') {
      current = kNoKey;
      if (line.size() < 2 || line.back() != ']') continue;
      const std::string path = NormalizeKey(line.substr(1, line.size() - 2));
      if (!IsValidKey(path)) continue;
      Key* found = FindKey(registry, path);
      if (found == nullptr) {
        registry.push_back({path, {}});
        found = &registry.back();
      }
      current = static_cast<size_t>(found - registry.data());
      continue;
    }
    if (current == kNoKey || line.size() < 2 || line.front() != '"') continue;
    const size_t close = line.find('"', 1);
    if (close == std::string_view::npos) continue;
    const std::string_view name = line.substr(1, close - 1);
    const std::string_view rest = line.substr(close + 1);
    if (rest.substr(0, kDword.size()) != kDword) continue;
    const std::optional<uint32_t> data = ParseHex8(rest.substr(kDword.size()));
    if (!data) continue;
    std::vector<Value>& values = registry[current].values;
    auto same_name = [name](const Value& v) { return EqualsNoCase(v.name, name); };
    auto existing = std::find_if(values.begin(), values.end(), same_name);
    if (existing != values.end()) {
      existing->data = *data;
    } else {
      values.push_back({std::string(name), *data});
    }
  }
  if (!header_seen) return std::nullopt;
  return registry;
}

std::string Serialize(const Registry& registry) {
  std::string text(kHeader);
  text += '\n';
  for (const Key& key : registry) {
    text += '[' + key.path + "]\n";
    for (const Value& v : key.values) {
      char hex[9];
      std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(v.data));
      text += '"' + v.name + '"';
      text += kDword;
      text += hex;
      text += '\n';
    }
  }
  return text;
}

// The registry as stored: what Parse reads of the file, and empty when there
// is no file or none of it reads (the next change then replaces it); nothing
// when a file is there that cannot be read (a read error, a folder or a pipe
// in its place), whose contents are unknown and must not be replaced.
std::optional<Registry> Read() {
  const std::filesystem::path path = RegistryPath();
  if (path.empty()) return Registry{};
  const std::optional<std::string> text =
      files::ReadRegularFile(path, static_cast<size_t>(kMaxFileSize));
  if (!text) {
    if (errno == ENOENT || errno == ENOTDIR) return Registry{};
    return std::nullopt;
  }
  if (text->size() > static_cast<size_t>(kMaxFileSize)) return Registry{};
  return Parse(*text).value_or(Registry{});
}

// Replaces the file whole: the new text goes to a temporary file beside it,
// reaches the disk, and is renamed over the old one, so that readers (and a
// restart after a crash) see either the old registry or the new.
bool Write(const Registry& registry) {
  const std::filesystem::path path = RegistryPath();
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  if (ec) return false;
  std::filesystem::path temp = path;
  temp += ".tmp" + std::to_string(getpid());
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool written = files::WriteAll(fd, Serialize(registry)) && fsync(fd) == 0;
  const bool closed = close(fd) == 0;
  if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
    std::filesystem::remove(temp, ec);
    return false;
  }
  // The rename itself reaches the disk with the folder.
  const int dir = open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

// The territory of a locale name such as "en_US.UTF-8@euro".
std::string_view Territory(std::string_view name) {
  const size_t underscore = name.find('_');
  if (underscore == std::string_view::npos) return {};
  name.remove_prefix(underscore + 1);
  return name.substr(0, name.find_first_of(".@"));
}

std::optional<MeasurementSystem> FromLocaleData() {
#ifdef __GLIBC__
  const locale_t locale = newlocale(LC_MEASUREMENT_MASK, "", static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return std::nullopt;
  const char* value = nl_langinfo_l(_NL_MEASUREMENT_MEASUREMENT, locale);
  const int system = value != nullptr ? value[0] : 0;
  freelocale(locale);
  if (system == 1) return MeasurementSystem::kMetric;
  if (system == 2) return MeasurementSystem::kUsCustomary;
#endif
  return std::nullopt;
}

}  // namespace

std::filesystem::path RegistryPath() {
  const std::filesystem::path root = files::DeviceRoot();
  if (root.empty()) return {};
  return root / "registry.txt";
}

std::optional<RegistryKey> RegistryKey::Open(std::string_view path) {
  const std::string key = NormalizeKey(path);
  std::optional<Registry> registry = Read();
  if (!registry) return std::nullopt;
  const Key* found = FindKey(*registry, key);
  if (found == nullptr) return std::nullopt;
  return RegistryKey(found->path);
}

std::optional<RegistryKey> RegistryKey::Create(std::string_view path) {
  const std::string key = NormalizeKey(path);
  if (!IsValidKey(key)) return std::nullopt;
  std::optional<Registry> registry = Read();
  if (!registry) return std::nullopt;
  if (const Key* found = FindKey(*registry, key)) return RegistryKey(found->path);
  registry->push_back({key, {}});
  if (!Write(*registry)) return std::nullopt;
  return RegistryKey(key);
}

std::optional<uint32_t> RegistryKey::QueryValue(std::string_view name) const {
  std::optional<Registry> registry = Read();
  if (!registry) return std::nullopt;
  const Key* key = FindKey(*registry, path_);
  if (key == nullptr) return std::nullopt;
  for (const Value& v : key->values) {
    if (EqualsNoCase(v.name, name)) return v.data;
  }
  return std::nullopt;
}

bool RegistryKey::SetValue(std::string_view name, uint32_t value) const {
  if (!IsValidName(name)) return false;
  // A registry that cannot be read is not replaced: what it holds is kept.
  std::optional<Registry> stored = Read();
  if (!stored) return false;
  Registry& registry = *stored;
  Key* key = FindKey(registry, path_);
  if (key == nullptr) {
    registry.push_back({path_, {}});
    key = &registry.back();
  }
  bool replaced = false;
  for (Value& v : key->values) {
    if (EqualsNoCase(v.name, name)) {
      v.data = value;
      replaced = true;
    }
  }
  if (!replaced) key->values.push_back({std::string(name), value});
  return Write(registry);
}

MeasurementSystem UserMeasurementSystem() {
  if (std::optional<MeasurementSystem> system = FromLocaleData()) return *system;
  // Without the locale's data (a locale this machine lacks), its name:
  // miles in the United States, kilometres elsewhere.
  for (const char* variable : {"LC_ALL", "LC_MEASUREMENT", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') continue;
    return Territory(value) == "US" ? MeasurementSystem::kUsCustomary : MeasurementSystem::kMetric;
  }
  return MeasurementSystem::kMetric;
}

}  // namespace tv::settings
