#include "app/common/console_prompt.h"

#include "platform/wide_text.h"

void ConsolePrompt::ShowMessageBox(const std::wstring& text) {
  std::fprintf(out_, "%s\n", VisibleUtf8(text).c_str());
  std::fflush(out_);
}

void ConsolePrompt::Diagnostic(const std::wstring& line) {
  // The platform's diagnostic lines carry their own line ends.
  std::fputs(Utf8FromWide(line).c_str(), out_);
  std::fflush(out_);
}
