// The fixed texts and number formats of the detailed view: codes recorded by the
// scan turned into the words the panels show. Stateless; every code a table
// does not list maps to that table's fall-back text.
#pragma once

#include <cstdint>
#include <string>

#include "platform/wide_text.h"
#include "platform/win_types.h"

namespace ValueNames {

std::wstring PartitionTypeName(BYTE partitionType);
std::wstring MediaTypeText(std::uint32_t mediaType);
std::wstring DeviceTypeName(std::uint32_t deviceType);
std::wstring BusTypeName(std::uint32_t busType);
std::wstring PartitionStyleName(std::uint32_t partitionStyle);
std::wstring DetectionTypeName(std::uint32_t detectionType);
std::wstring IdentifierCodeSetName(std::uint32_t codeSet);
std::wstring IdentifierTypeName(std::uint32_t identifierType);
std::wstring IdentifierAssociationName(std::uint32_t association);
std::wstring BoolText(bool value);

// "999.0MB", "1.0GB", "953.7TB" or "BIG disk"; units change at 1,000 of the
// smaller binary unit. Byte counts are unsigned, as the platform reports them.
std::wstring FormatSize(std::uint64_t bytes);

using ::FormatGuid;
using ::FormatWide;

}  // namespace ValueNames
