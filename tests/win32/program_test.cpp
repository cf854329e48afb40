// quelbrin.exe as a user starts it: on each sample its window comes up titled
// by the machine file, a scan that stops shows its message box, and closing
// the window ends the program well.
#include <gtest/gtest.h>

#include "app/win32/main_frame.h"
#include "platform/wide_text.h"
#include "win32_support.h"

namespace {

struct Found {
  DWORD process;
  const wchar_t* className;
  HWND window;
};

HWND TopWindowOf(DWORD process, const wchar_t* className) {
  Found found{process, className, nullptr};
  ::EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto& f = *reinterpret_cast<Found*>(param);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        wchar_t name[64] = L"";
        ::GetClassNameW(window, name, 64);
        if (owner != f.process || std::wstring(name) != f.className || !::IsWindowVisible(window)) return TRUE;
        f.window = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.window;
}

// Polls while the program starts; bounded, so that a window that never comes
// fails the test instead of hanging it.
HWND AwaitWindow(DWORD process, const wchar_t* className, const std::wstring& title = L"") {
  for (int i = 0; i < 3000; ++i) {
    HWND window = TopWindowOf(process, className);
    if (window != nullptr && (title.empty() || win32test::WindowText(window) == title)) return window;
    ::Sleep(10);
  }
  return nullptr;
}

std::wstring StaticTextsOf(HWND dialog) {
  std::wstring texts;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
    texts += win32test::WindowText(child) + L"\n";
  return texts;
}

TEST(Win32Program, OpensEverySampleTitledByItsFile) {
  const struct {
    const char* sample;
    const wchar_t* message;  // the box the first scan stops with, if any
  } runs[] = {{"workstation.json", nullptr}, {"server.json", nullptr},
              {"failing-layout.json", L"IOCTL_DISK_GET_DRIVE_LAYOUT_EX Error"}};
  for (const auto& run : runs) {
    SCOPED_TRACE(run.sample);
    std::wstring command = L"\"" + win32test::BesideTests(L"quelbrin.exe") + L"\" --machine \"" +
                           WideFromUtf8(win32test::SamplePath(run.sample)) + L"\"";
    STARTUPINFOW start{};
    start.cb = sizeof start;
    PROCESS_INFORMATION program{};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start,
                                 &program));
    if (run.message != nullptr) {
      HWND box = AwaitWindow(program.dwProcessId, L"#32770", L"Quelbrin");
      ASSERT_NE(box, nullptr);
      EXPECT_NE(StaticTextsOf(box).find(run.message), std::wstring::npos);
      ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    const std::wstring title = WideFromUtf8(run.sample) + L" - Quelbrin";
    HWND frame = AwaitWindow(program.dwProcessId, CMainFrame::kWindowClass, title);
    EXPECT_NE(frame, nullptr);
    if (frame != nullptr) ::PostMessageW(frame, WM_CLOSE, 0, 0);
    else ::TerminateProcess(program.hProcess, 3);
    ::WaitForSingleObject(program.hProcess, INFINITE);
    DWORD code = 99;
    ::GetExitCodeProcess(program.hProcess, &code);
    EXPECT_EQ(code, 0u);
    ::CloseHandle(program.hThread);
    ::CloseHandle(program.hProcess);
  }
}

}  // namespace
