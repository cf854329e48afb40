#include "win32_support.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/machine/machine_file.h"
#include "tests/win32/window_picture.h"

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
  options.settingsKey = kTestSettingsKey;
  frame = std::make_unique<CMainFrame>(*platform, &prompt, options);
  ::SetWindowPos(frame->Window(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  frame->InitialUpdate();
  Pump();
}

FrameOnSample::~FrameOnSample() {
  frame.reset();
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestSettingsKey);
  ::RegDeleteKeyW(HKEY_CURRENT_USER, kTestSettingsKey);
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

void DropFiles(HWND window, const std::vector<std::wstring>& paths) {
  std::wstring names;
  for (const std::wstring& path : paths) names += path + L'\0';
  names += L'\0';
  HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  ASSERT_NE(memory, nullptr);
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(drop + 1, names.data(), names.size() * sizeof(wchar_t));
  ::GlobalUnlock(memory);
  ::SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

bool SaveScreenshot(HWND window, const std::wstring& path) {
  ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  // The display server shows what was painted a little later: read back until
  // two pictures in a row agree and show more than one colour (a window not
  // yet painted shows black). Bounded, so that a window never shown fails.
  WindowPicture last;
  for (int round = 0; round < 500; ++round) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    WindowPicture now = CaptureWindow(window);
    const bool oneColour = std::all_of(now.pixels.begin(), now.pixels.end(),
                                       [&now](std::uint32_t p) { return p == now.pixels.front(); });
    if (!oneColour && now.pixels == last.pixels) {
      std::filesystem::create_directories(std::filesystem::path(path).parent_path());
      return WriteBmp(std::filesystem::path(path), now);
    }
    last = std::move(now);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
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
