#include "ui/panel_support.h"

#include "model/storage_node.h"

namespace panel {

std::optional<int> Percentage(std::uint64_t part, std::uint64_t whole) {
  if (whole == 0) return std::nullopt;
  const std::uint64_t quotient = (part * 100u) / whole;
  return static_cast<int>(static_cast<std::uint32_t>(quotient));
}

int AddWrapping(int a, int b) {
  return static_cast<int>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

int SubtractWrapping(int a, int b) {
  return static_cast<int>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

std::wstring NameOrEmpty(const StorageNode* node) { return node != nullptr ? node->GetName() : std::wstring(); }

}  // namespace panel
