// Small rules shared by the panel fillers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ui/geometry.h"

class StorageNode;

namespace panel {

constexpr ColorRef kWhite = 0x00FFFFFFu;
constexpr ColorRef kBlue = 0x00FF0000u;
constexpr ColorRef kBlackText = 0;

// (part × 100) / whole in unsigned 64-bit arithmetic, the low 32 bits taken as
// signed. A whole of 0 has no percentage.
std::optional<int> Percentage(std::uint64_t part, std::uint64_t whole);

// 32-bit addition that wraps as the platform's does.
int AddWrapping(int a, int b);
int SubtractWrapping(int a, int b);

// The display name of a node that may be missing: empty for none.
std::wstring NameOrEmpty(const StorageNode* node);

}  // namespace panel
