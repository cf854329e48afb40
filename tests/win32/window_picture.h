// A window's picture as the screen shows it, read back through GDI, for the
// tests' screenshots: taken once the window has painted, and saved as a BMP
// that any picture tool reads.
#pragma once

// The platform's headers, with the version the rest of the program asks for.
#include "platform/win_types.h"

#include <cstdint>
#include <filesystem>
#include <vector>

struct WindowPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first

  // Painted, as far as a picture can tell: the background colour at the
  // top-left corner, and something else (a frame, a text) elsewhere. A
  // window not yet painted reads back as one colour.
  bool Painted(COLORREF background) const;
};

WindowPicture CaptureWindow(HWND window);
// Asks for a paint, then reads the window back until it is painted; between
// reads it handles the window's messages and waits for the next, never for a
// set time. The last picture read when it never gets painted.
WindowPicture CaptureWhenPainted(HWND window, COLORREF background);
bool WriteBmp(const std::filesystem::path& file, const WindowPicture& picture);
