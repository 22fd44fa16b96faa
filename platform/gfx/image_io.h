#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/gfx/bitmap.h"

namespace tv::gfx {

// Reads a Windows BMP (1, 4, 8, 24 or 32 bits, uncompressed, bottom-up or
// top-down). 1/4/8-bit files become indexed bitmaps keeping their palette.
// Returns nothing for a malformed or truncated file.
std::optional<Bitmap> ReadBmp(std::span<const uint8_t> data);
std::optional<Bitmap> ReadBmpFile(const std::string& path);

// Writes a bitmap as BMP: indexed bitmaps as 4- or 8-bit, others as 24-bit.
bool WriteBmpFile(const Bitmap& bitmap, const std::string& path);

// Writes any bitmap as an RGB PNG.
bool WritePngFile(const Bitmap& bitmap, const std::string& path);

}  // namespace tv::gfx
