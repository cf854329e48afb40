// Plain geometry and colour values of what the viewer draws, in client pixels.
#pragma once

#include <cstdint>

// A colour as the platform stores it: 0x00BBGGRR.
using ColorRef = std::uint32_t;

constexpr ColorRef MakeRgb(unsigned red, unsigned green, unsigned blue) {
  return (red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16);
}
constexpr unsigned RedOf(ColorRef c) { return c & 0xFFu; }
constexpr unsigned GreenOf(ColorRef c) { return (c >> 8) & 0xFFu; }
constexpr unsigned BlueOf(ColorRef c) { return (c >> 16) & 0xFFu; }

struct PixelPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

struct PixelSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  // As the platform counts it: no area, or an inverted rectangle.
  bool IsEmpty() const { return right <= left || bottom <= top; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};
