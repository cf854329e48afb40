// Scanned sample machines and recording stand-ins for the presentation tests.
#pragma once

#include <string>
#include <vector>

#include "platform/recorded/recorded_platform.h"
#include "scan/progress_sink.h"
#include "scan/prompt.h"
#include "scan/quelbrin_doc.h"

class SilentPrompt : public Prompt {
 public:
  void MessageBox(const std::wstring& text) override { messages.push_back(text); }
  void Diagnostic(const std::wstring&) override {}
  std::vector<std::wstring> messages;
};

class RecordingProgress : public ProgressSink {
 public:
  void SetProgressText(const std::wstring& text) override { texts.push_back(text); }
  void SetProgressRange(int lower, int upper) override {
    rangeLower = lower;
    rangeUpper = upper;
  }
  void StepProgress() override { ++steps; }
  void RestartSplash() override { ++restarts; }
  void CloseSplash() override { ++closes; }

  std::vector<std::wstring> texts;
  int rangeLower = -1;
  int rangeUpper = -1;
  int steps = 0;
  int restarts = 0;
  int closes = 0;
};

// A sample of samples/ scanned once, as the programs scan it.
class ScannedSample {
 public:
  explicit ScannedSample(const std::string& sampleName, bool allMountPoints = false,
                         ProgressSink* progress = nullptr);

  MountPointNode& MountPoint(const std::wstring& symbolicLinkName);
  PhysicalDiskNode& Disk(int diskNumber);
  // The partition of the disk with this number and display name, in the given form.
  DiskPartitionNode& Partition(int diskNumber, const std::wstring& name, bool extended = true);

  RecordedPlatform platform;
  SilentPrompt prompt;
  CQuelbrinDoc doc;
  bool scanned = false;
};

std::string SamplePath(const std::string& sampleName);
std::vector<std::string> AllSampleNames();
