#include "tests/win32/window_picture.h"

#include <algorithm>
#include <fstream>

namespace {

std::uint32_t Rgb(COLORREF c) {
  return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
         GetBValue(c);
}

}  // namespace

bool WindowPicture::Painted(COLORREF background) const {
  if (pixels.empty()) return false;
  const std::uint32_t face = Rgb(background);
  if ((pixels[0] & 0xFFFFFFu) != face) return false;
  return std::any_of(pixels.begin(), pixels.end(), [face](std::uint32_t p) { return (p & 0xFFFFFFu) != face; });
}

WindowPicture CaptureWindow(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  WindowPicture picture;
  if (r.right <= 0 || r.bottom <= 0) return picture;
  picture.width = static_cast<int>(r.right);
  picture.height = static_cast<int>(r.bottom);
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
  HDC screen = GetDC(window);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, picture.width, picture.height);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, picture.width, picture.height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(picture.height), picture.pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, screen);
  return picture;
}

WindowPicture CaptureWhenPainted(HWND window, COLORREF background) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  WindowPicture picture;
  for (int attempt = 0; attempt < 200; ++attempt) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    GdiFlush();
    picture = CaptureWindow(window);
    if (picture.Painted(background)) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  return picture;
}

bool WriteBmp(const std::filesystem::path& file, const WindowPicture& picture) {
  const DWORD rowBytes = static_cast<DWORD>(picture.width) * 4;
  const DWORD imageBytes = rowBytes * static_cast<DWORD>(picture.height);
  BITMAPFILEHEADER header{};
  BITMAPINFOHEADER info{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof header + sizeof info;
  header.bfSize = header.bfOffBits + imageBytes;
  info.biSize = sizeof info;
  info.biWidth = picture.width;
  info.biHeight = picture.height;  // bottom row first, as most readers expect
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  info.biSizeImage = imageBytes;
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  for (int y = picture.height - 1; y >= 0; --y)
    out.write(reinterpret_cast<const char*>(&picture.pixels[static_cast<std::size_t>(y) * picture.width]), rowBytes);
  return static_cast<bool>(out);
}
