#include "app/win32/html_help.h"

#include <filesystem>

namespace {

// HtmlHelpW's command that opens a topic.
constexpr UINT kDisplayTopic = 0x0000;
using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

HtmlHelpFunction HtmlHelp() {
  // Kept loaded once loaded: the viewer's windows live on after the call.
  static const HtmlHelpFunction function = [] {
    HMODULE viewer = ::LoadLibraryW(L"hhctrl.ocx");
    if (viewer == nullptr) return HtmlHelpFunction(nullptr);
    return reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(::GetProcAddress(viewer, "HtmlHelpW")));
  }();
  return function;
}

}  // namespace

std::wstring HelpFilePath() {
  std::wstring program(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
    if (length < program.size()) {
      program.resize(length);
      break;
    }
    program.resize(program.size() * 2);
  }
  // Beside the program, whatever the working directory.
  return (std::filesystem::path(program).parent_path() / L"quelbrin.chm").wstring();
}

bool ShowHelpTopic(HWND owner, const wchar_t* page) {
  const std::wstring file = HelpFilePath();
  if (::GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  const HtmlHelpFunction show = HtmlHelp();
  if (show == nullptr) return false;
  std::wstring topic = file;
  if (page != nullptr) topic += std::wstring(L"::/") + page;
  return show(owner, topic.c_str(), kDisplayTopic, 0) != nullptr;
}
