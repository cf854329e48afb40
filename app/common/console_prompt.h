// The terminal program's prompt: message boxes and diagnostic lines go to
// stderr, keeping stdout for what the user asked to print.
#pragma once

#include <cstdio>

#include "scan/prompt.h"

class ConsolePrompt : public Prompt {
 public:
  explicit ConsolePrompt(std::FILE* out = stderr) : out_(out) {}
  void ShowMessageBox(const std::wstring& text) override;
  void Diagnostic(const std::wstring& line) override;

 private:
  std::FILE* out_;
};
