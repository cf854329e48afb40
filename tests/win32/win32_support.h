// What the tests of the Windows program share: the real frame on a sample
// machine, message pumping, the tree's items, and screenshots polled until
// the window is painted.
#pragma once

#include "platform/win_types.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/win32/main_frame.h"
#include "platform/recorded/recorded_platform.h"
#include "../support/recording_prompt.h"

namespace win32test {

std::string SamplePath(const std::string& name);
// A file beside the test program (quelbrin.exe, quelbrin.chm).
std::wstring BesideTests(const std::wstring& name);

// Where the frames of the tests keep their settings, under HKEY_CURRENT_USER:
// not the user's own. Each FrameOnSample removes it when it goes.
inline constexpr const wchar_t* kTestSettingsKey = L"Software\\Quelbrin Frame Tests";

// The real main frame on a sample machine, shown after its first scan.
class FrameOnSample {
 public:
  explicit FrameOnSample(const std::string& sample, bool showAll = false);
  ~FrameOnSample();
  CMainFrame& Frame() { return *frame; }
  CQuelbrinDoc& Doc() { return frame->Document(); }
  HWND Tree() { return frame->TreeView().Window(); }
  RecordingPrompt& Prompt() { return prompt; }
  void Pump() { PumpPendingMessages(*frame); }

 private:
  std::unique_ptr<Platform> platform;
  RecordingPrompt prompt;
  std::unique_ptr<CMainFrame> frame;
};

// Every item of a tree control, depth first.
std::vector<HTREEITEM> TreeItems(HWND tree);
std::wstring ItemText(HWND tree, HTREEITEM item);
std::wstring WindowText(HWND window);
// Drops the files on the window as the shell does: a WM_DROPFILES whose
// memory the window frees.
void DropFiles(HWND window, const std::vector<std::wstring>& paths);

// Saves the window's client area as it shows on the screen as a BMP file,
// once it has painted. False when it never paints or cannot be written.
bool SaveScreenshot(HWND window, const std::wstring& path);

}  // namespace win32test
