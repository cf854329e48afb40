// The progress display that the scan and the tree build drive. Every operation
// does nothing while no progress display runs, so callers never check.
#pragma once

#include <string>

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void SetProgressText(const std::wstring& text) = 0;
  virtual void SetProgressRange(int lower, int upper) = 0;
  virtual void StepProgress() = 0;
  virtual void RestartSplash() = 0;
  virtual void CloseSplash() = 0;
};
