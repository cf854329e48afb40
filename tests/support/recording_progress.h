// Records every progress call as one readable line ("text Getting Mount Points",
// "range 0 100", "step", "restart", "close"), in order.
#pragma once

#include <string>
#include <vector>

#include "platform/wide_text.h"
#include "scan/progress_sink.h"

class RecordingProgress : public ProgressSink {
 public:
  void SetProgressText(const std::wstring& text) override { calls.push_back("text " + Utf8FromWide(text)); }
  void SetProgressRange(int lower, int upper) override {
    calls.push_back("range " + std::to_string(lower) + " " + std::to_string(upper));
  }
  void StepProgress() override { calls.push_back("step"); }
  void RestartSplash() override { calls.push_back("restart"); }
  void CloseSplash() override { calls.push_back("close"); }

  std::vector<std::string> calls;
};
