#include "app/common/viewer_prompts.h"

#include <cstdio>

#include "platform/wide_text.h"

void WindowPrompt::Diagnostic(const std::wstring& line) {
  std::fputs((Utf8FromWide(VisibleText(line)) + "\n").c_str(), stdout);
  std::fflush(stdout);
}
