#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "platform/gfx/bitmap.h"

namespace tv::res {

enum class Kind { kBitmap, kIcon };

// One resource compiled into a program: a BMP file's bytes, addressed by a
// number, a name, or both (number 0 means "by name only").
struct Entry {
  Kind kind;
  int number;
  std::string_view name;
  std::span<const uint8_t> data;
};

// Makes a program's resource table the one the loaders search. Each program
// registers its own table at start.
void Register(std::span<const Entry> entries);

// Decoded resources are shared and immutable; a missing or undecodable
// resource gives null.
std::shared_ptr<const gfx::Bitmap> LoadBitmap(int number);
// Names are matched without regard to case ("exit" finds "EXIT").
std::shared_ptr<const gfx::Bitmap> LoadBitmap(std::string_view name);
std::shared_ptr<const gfx::Bitmap> LoadIcon(int number);

}  // namespace tv::res
