// Scanned sample machines and recording stand-ins for the presentation tests.
#pragma once

#include <string>
#include <vector>

#include "platform/recorded/recorded_platform.h"
#include "scan/progress_sink.h"
#include "scan/quelbrin_doc.h"
#include "tests/support/recording_prompt.h"

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
  RecordingPrompt prompt;
  CQuelbrinDoc doc;
  bool scanned = false;
};

std::string SamplePath(const std::string& sampleName);
std::vector<std::string> AllSampleNames();
