// Records what the scan would have shown or printed, in order.
#pragma once

#include <string>
#include <vector>

#include "scan/prompt.h"

class RecordingPrompt : public Prompt {
 public:
  void ShowMessageBox(const std::wstring& text) override { messages.push_back(text); }
  void Diagnostic(const std::wstring& line) override { diagnostics.push_back(line); }

  std::vector<std::wstring> messages;
  std::vector<std::wstring> diagnostics;
};
