#include "app/common/viewer_prompts.h"

#include <cstdio>

#include "platform/wide_text.h"

void WindowPrompt::Diagnostic(const std::wstring& line) {
  std::fputs((VisibleUtf8(line) + "\n").c_str(), stdout);
  std::fflush(stdout);
}
