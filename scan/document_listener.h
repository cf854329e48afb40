#pragma once

class StorageNode;

enum UpdateHint : long {
  // The views' first-time initialisation; carries the node to show, if any.
  HintInitialUpdate = 0,
  HintSelectNode = 1,
  HintRebuild = -1,
  // A refresh deleted the model and its scan failed: nothing may refer to the
  // old nodes any more. Sent without a node.
  HintModelGone = -2,
};

// A view of the document: told when the current node changes or the model is
// rebuilt.
class DocumentListener {
 public:
  virtual ~DocumentListener() = default;
  virtual void OnUpdate(UpdateHint hint, StorageNode* object) = 0;
};
