#include "win32_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/machine/machine_file.h"

namespace win32test {

std::string SamplePath(const std::string& name) { return std::string(QUELBRIN_SOURCE_DIR) + "/samples/" + name; }

std::wstring BesideTests(const std::wstring& name) {
  wchar_t program[MAX_PATH] = L"";
  ::GetModuleFileNameW(nullptr, program, MAX_PATH);
  return (std::filesystem::path(program).parent_path() / name).wstring();
}

FrameOnSample::FrameOnSample(const std::string& sample, bool showAll)
    : platform(std::make_unique<RecordedPlatform>(LoadMachineFile(SamplePath(sample)))) {
  FrameOptions options;
  options.showAllMountPoints = showAll;
  options.source.machineFile = SamplePath(sample);
  options.quitOnClose = false;
  frame = std::make_unique<CMainFrame>(*platform, &prompt, options);
  ::SetWindowPos(frame->Window(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  frame->InitialUpdate();
  Pump();
}

FrameOnSample::~FrameOnSample() {
  frame.reset();
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
}

std::vector<HTREEITEM> TreeItems(HWND tree) {
  std::vector<HTREEITEM> items;
  std::vector<HTREEITEM> pending{TreeView_GetRoot(tree)};
  // Depth first, in the order the items stand.
  while (!pending.empty()) {
    HTREEITEM item = pending.back();
    pending.pop_back();
    if (item == nullptr) continue;
    items.push_back(item);
    pending.push_back(TreeView_GetNextSibling(tree, item));
    pending.push_back(TreeView_GetChild(tree, item));
  }
  return items;
}

std::wstring ItemText(HWND tree, HTREEITEM item) {
  wchar_t text[512] = L"";
  TVITEMW data{};
  data.mask = TVIF_TEXT | TVIF_HANDLE;
  data.hItem = item;
  data.pszText = text;
  data.cchTextMax = static_cast<int>(std::size(text));
  TreeView_GetItem(tree, &data);
  return text;
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

namespace {

// The window's pixels, bottom row first, 24 bits each. Read through the
// window's own device context: what the window has painted, not what the
// display server has been handed of it so far.
std::vector<unsigned char> Capture(HWND window, int& width, int& height) {
  RECT area;
  ::GetWindowRect(window, &area);
  width = area.right - area.left;
  height = area.bottom - area.top;
  HDC screen = ::GetWindowDC(window);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ before = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  ::SelectObject(memory, before);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const int stride = (width * 3 + 3) / 4 * 4;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
  ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(window, screen);
  return pixels;
}

bool OneColour(const std::vector<unsigned char>& pixels) {
  for (std::size_t i = 3; i + 2 < pixels.size(); i += 3)
    if (pixels[i] != pixels[0] || pixels[i + 1] != pixels[1] || pixels[i + 2] != pixels[2]) return false;
  return true;
}

}  // namespace

bool SaveScreenshot(HWND window, const std::wstring& path) {
  ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  int width = 0;
  int height = 0;
  std::vector<unsigned char> last;
  // The display server shows what was painted a little later; polled, never
  // waited for blindly. Bounded so that a display that never shows the
  // window fails the test instead of hanging it.
  for (int round = 0; round < 500; ++round) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    std::vector<unsigned char> now = Capture(window, width, height);
    if (!OneColour(now) && now == last) {
      std::filesystem::create_directories(std::filesystem::path(path).parent_path());
      BITMAPFILEHEADER file{};
      BITMAPINFOHEADER head{};
      head.biSize = sizeof head;
      head.biWidth = width;
      head.biHeight = height;
      head.biPlanes = 1;
      head.biBitCount = 24;
      head.biCompression = BI_RGB;
      head.biSizeImage = static_cast<DWORD>(now.size());
      file.bfType = 0x4D42;
      file.bfOffBits = sizeof file + sizeof head;
      file.bfSize = file.bfOffBits + head.biSizeImage;
      std::ofstream out(std::filesystem::path(path), std::ios::binary);
      out.write(reinterpret_cast<const char*>(&file), sizeof file);
      out.write(reinterpret_cast<const char*>(&head), sizeof head);
      out.write(reinterpret_cast<const char*>(now.data()), static_cast<std::streamsize>(now.size()));
      return static_cast<bool>(out);
    }
    last = std::move(now);
    ::Sleep(10);
  }
  return false;
}

}  // namespace win32test

int main(int argc, char** argv) {
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES |
                                                                        ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                                                        ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
