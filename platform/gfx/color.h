#pragma once

#include <cstdint>

namespace tv::gfx {

// An RGB colour. As a 32-bit value it holds red in the low byte, then green,
// then blue, which is how colours are keyed in the place tables.
struct Color {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;

  constexpr bool operator==(const Color&) const = default;
  constexpr uint32_t ToRef() const {
    return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) |
           (static_cast<uint32_t>(b) << 16);
  }
  static constexpr Color FromRef(uint32_t v) {
    return {static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>((v >> 8) & 0xFF),
            static_cast<uint8_t>((v >> 16) & 0xFF)};
  }
};

inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kWhite{255, 255, 255};
inline constexpr Color kRed{255, 0, 0};
inline constexpr Color kGrey{128, 128, 128};
inline constexpr Color kSilver{192, 192, 192};

}  // namespace tv::gfx
