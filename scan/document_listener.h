#pragma once

#include <memory>
#include <vector>

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

// The listeners of one document. Shared with their subscriptions, so that a
// view and its document may go in either order.
class ListenerRegistry {
 public:
  void Add(DocumentListener* listener);
  void Remove(DocumentListener* listener);
  // Tells every listener registered when the call began and still registered
  // when its turn comes: a listener may join or leave while being told.
  void Notify(UpdateHint hint, StorageNode* object) const;

 private:
  std::vector<DocumentListener*> listeners_;
};

// Keeps one listener registered until the subscription is destroyed or reset.
class Subscription {
 public:
  Subscription() = default;
  Subscription(const std::shared_ptr<ListenerRegistry>& registry, DocumentListener& listener);
  Subscription(Subscription&& other) noexcept;
  Subscription& operator=(Subscription&& other) noexcept;
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  ~Subscription() { Reset(); }

  // Ends the subscription now; the listener is told nothing more.
  void Reset();

 private:
  std::weak_ptr<ListenerRegistry> registry_;
  DocumentListener* listener_ = nullptr;
};
