#include "platform/resources/resources.h"

#include <map>
#include <mutex>
#include <optional>

#include "platform/base/utf.h"
#include "platform/gfx/image_io.h"

namespace tv::res {
namespace {

std::span<const Entry> g_entries;
// Decoded bitmaps, by entry, so repeated loads of a face or the world map
// cost one decode per run.
std::map<const Entry*, std::shared_ptr<const gfx::Bitmap>>& Cache() {
  static std::map<const Entry*, std::shared_ptr<const gfx::Bitmap>> cache;
  return cache;
}

std::shared_ptr<const gfx::Bitmap> Decode(const Entry* entry) {
  if (entry == nullptr) return nullptr;
  auto& cache = Cache();
  if (auto it = cache.find(entry); it != cache.end()) return it->second;
  std::shared_ptr<const gfx::Bitmap> bitmap;
  if (std::optional<gfx::Bitmap> decoded = gfx::ReadBmp(entry->data)) {
    bitmap = std::make_shared<const gfx::Bitmap>(std::move(*decoded));
  }
  cache.emplace(entry, bitmap);
  return bitmap;
}

const Entry* FindByNumber(Kind kind, int number) {
  for (const Entry& e : g_entries) {
    if (e.kind == kind && e.number == number && number != 0) return &e;
  }
  return nullptr;
}

}  // namespace

void Register(std::span<const Entry> entries) {
  g_entries = entries;
  Cache().clear();
}

std::shared_ptr<const gfx::Bitmap> LoadBitmap(int number) {
  return Decode(FindByNumber(Kind::kBitmap, number));
}

std::shared_ptr<const gfx::Bitmap> LoadBitmap(std::string_view name) {
  for (const Entry& e : g_entries) {
    if (e.kind == Kind::kBitmap && !e.name.empty() && EqualsNoCase(e.name, name)) {
      return Decode(&e);
    }
  }
  return nullptr;
}

std::shared_ptr<const gfx::Bitmap> LoadIcon(int number) {
  return Decode(FindByNumber(Kind::kIcon, number));
}

}  // namespace tv::res
