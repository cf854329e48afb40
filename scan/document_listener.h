#pragma once

class StorageNode;

enum UpdateHint : long {
  HintSelectNode = 1,
  HintRebuild = -1,
};

// A view of the document: told when the current node changes or the model is
// rebuilt.
class DocumentListener {
 public:
  virtual ~DocumentListener() = default;
  virtual void OnUpdate(long hint, StorageNode* object) = 0;
};
