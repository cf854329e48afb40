// The prompts both desktop viewers put between the scan and the user; only
// showing the box is the toolkit's.
#pragma once

#include <functional>
#include <string>

#include "scan/prompt.h"

// Shows message boxes the toolkit's way; diagnostic lines go to standard
// output, as the platform program writes them.
class WindowPrompt : public Prompt {
 public:
  void Diagnostic(const std::wstring& line) override;
};

// What the scan reports through. A message box ends the scan that shows it,
// and such a scan shows no node that would close the splash: once the message
// is answered, the splash, still at the step where the scan stopped, goes.
class ScanPrompt : public Prompt {
 public:
  ScanPrompt(Prompt& shown, std::function<void()> closeSplash)
      : shown_(shown), closeSplash_(std::move(closeSplash)) {}
  void ShowMessageBox(const std::wstring& text) override {
    shown_.ShowMessageBox(text);
    closeSplash_();
  }
  void Diagnostic(const std::wstring& line) override { shown_.Diagnostic(line); }

 private:
  Prompt& shown_;
  std::function<void()> closeSplash_;
};
