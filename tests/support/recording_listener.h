// Records the document's update hints with their objects, in order.
#pragma once

#include <utility>
#include <vector>

#include "scan/document_listener.h"

class RecordingListener : public DocumentListener {
 public:
  void OnUpdate(UpdateHint hint, StorageNode* object) override { updates.emplace_back(hint, object); }

  std::vector<std::pair<UpdateHint, StorageNode*>> updates;
};
