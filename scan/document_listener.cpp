#include "scan/document_listener.h"

#include <algorithm>
#include <utility>

void ListenerRegistry::Add(DocumentListener* listener) { listeners_.push_back(listener); }

void ListenerRegistry::Remove(DocumentListener* listener) {
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void ListenerRegistry::Notify(UpdateHint hint, StorageNode* object) const {
  const std::vector<DocumentListener*> told = listeners_;
  for (DocumentListener* listener : told) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end())
      listener->OnUpdate(hint, object);
  }
}

Subscription::Subscription(const std::shared_ptr<ListenerRegistry>& registry, DocumentListener& listener)
    : registry_(registry), listener_(&listener) {
  registry->Add(listener_);
}

Subscription::Subscription(Subscription&& other) noexcept
    : registry_(std::move(other.registry_)), listener_(std::exchange(other.listener_, nullptr)) {}

Subscription& Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    Reset();
    registry_ = std::move(other.registry_);
    listener_ = std::exchange(other.listener_, nullptr);
  }
  return *this;
}

void Subscription::Reset() {
  if (listener_ == nullptr) return;
  if (const std::shared_ptr<ListenerRegistry> registry = registry_.lock()) registry->Remove(listener_);
  registry_.reset();
  listener_ = nullptr;
}
