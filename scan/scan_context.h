// What the steps of a scan work with: the platform they ask, how they speak to
// the user, where progress goes, and the model they fill.
#pragma once

#include "model/storage_model.h"
#include "platform/platform.h"
#include "scan/layout_links.h"
#include "scan/progress_sink.h"
#include "scan/prompt.h"

struct ScanContext {
  Platform& platform;
  Prompt& prompt;
  // Null when there is no progress display.
  ProgressSink* progress;
  StorageModel& model;
  // What the long layout answers of this scan linked, by drive.
  LayoutLinks layoutLinks{};
};
