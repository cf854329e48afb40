// A document over a recorded machine given as inline JSON, with recording
// prompt, progress and listener, ready to scan.
#pragma once

#include <memory>
#include <string>

#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"
#include "scan/quelbrin_doc.h"
#include "tests/support/fault_injecting_platform.h"
#include "tests/support/recording_listener.h"
#include "tests/support/recording_progress.h"
#include "tests/support/recording_prompt.h"

// `{"format": "quelbrin-machine", "version": 1, ` + body + `}`.
std::string MachineJson(const std::string& body);
// The text of a file of the source tree, such as "samples/workstation.json".
std::string SourceFile(const std::string& relativePath);

struct ScanHarness {
  // `json` is a whole machine file. The document asks `faults`, which passes
  // every call to `recorded` until told to fail one.
  explicit ScanHarness(const std::string& json, bool showAll = false, bool withProgress = true);

  bool InitialScan() { return doc->InitialScan(); }
  MountPointNode* MountPoint(const std::wstring& symbolicLink) const;
  PhysicalDiskNode* Disk(int number) const;

  RecordedPlatform recorded;
  FaultInjectingPlatform faults{recorded};
  RecordingPrompt prompt;
  RecordingProgress progress;
  RecordingListener listener;
  std::unique_ptr<CQuelbrinDoc> doc;
  Subscription listening;
};
