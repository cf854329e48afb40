// How the scan speaks to the user without knowing the toolkit: the GUI shows a
// modal box, the terminal program prints to stderr, tests record.
#pragma once

#include <string>

class Prompt {
 public:
  virtual ~Prompt() = default;
  // A modal message with a single OK button; the scan waits for it.
  virtual void ShowMessageBox(const std::wstring& text) = 0;
  // A diagnostic line that the platform program writes to standard output.
  virtual void Diagnostic(const std::wstring& line) = 0;
};
