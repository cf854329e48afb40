#include <gtest/gtest.h>

#include <cmath>

#include "ui/value_names.h"

using namespace ValueNames;

TEST(ValueNames, PartitionTypesMatchTheWholeByte) {
  EXPECT_EQ(PartitionTypeName(0x00), L"PARTITION_ENTRY_UNUSED");
  EXPECT_EQ(PartitionTypeName(0x07), L"PARTITION_IFS");
  EXPECT_EQ(PartitionTypeName(0x0E), L"PARTITION_XINT13");
  EXPECT_EQ(PartitionTypeName(0x0F), L"PARTITION_XINT13_EXTENDED");
  EXPECT_EQ(PartitionTypeName(0x42), L"PARTITION_LDM");
  EXPECT_EQ(PartitionTypeName(0x80), L"PARTITION_NTFT");
  // The 0x80 flag combined with a type is not a type of its own.
  EXPECT_EQ(PartitionTypeName(0x87), L"PARTITION_ENTRY_UNKNOWN");
  EXPECT_EQ(PartitionTypeName(0xEE), L"PARTITION_ENTRY_UNKNOWN");
  EXPECT_EQ(PartitionTypeName(0x08), L"PARTITION_ENTRY_UNKNOWN");
}

TEST(ValueNames, FallBackTextsDifferPerTable) {
  EXPECT_EQ(MediaTypeText(0), L"Unknown.");
  EXPECT_EQ(MediaTypeText(23), L"Unknown.");
  EXPECT_EQ(MediaTypeText(0xFFFFFFFFu), L"Unknown.");
  EXPECT_EQ(DeviceTypeName(10), L"Unknown");
  EXPECT_EQ(DeviceTypeName(0x1F), L"Unknown");
  EXPECT_EQ(BusTypeName(0), L"UNKNOWN Bus");
  EXPECT_EQ(BusTypeName(9), L"UNKNOWN Bus");
  EXPECT_EQ(PartitionStyleName(3), L"UNKNOWN");
  EXPECT_EQ(DetectionTypeName(3), L"Unknown");
  EXPECT_EQ(IdentifierCodeSetName(3), L"Unknown");
  EXPECT_EQ(IdentifierTypeName(5), L"Unknown");
  EXPECT_EQ(IdentifierAssociationName(2), L"Unknown");
}

TEST(ValueNames, TextsAreTheSystemsOwnToTheLetter) {
  EXPECT_EQ(MediaTypeText(12), L"Fixed hard disk media.");
  EXPECT_EQ(MediaTypeText(11), L"Removable media not floppy.");
  EXPECT_EQ(MediaTypeText(20), L"3.5, MO , 128 MB, 512 bps.");
  EXPECT_EQ(MediaTypeText(21), L"3.5, MO, 230 MB, 512 bps.");
  EXPECT_EQ(MediaTypeText(22), L"8, 256 KB, 128 bps.");
  EXPECT_EQ(DeviceTypeName(3), L"Proceozav");
  EXPECT_EQ(DeviceTypeName(5), L"Cdrom");
  EXPECT_EQ(DeviceTypeName(8), L"JukeBox");
  // Only the low 8 bits of a device type are looked at.
  EXPECT_EQ(DeviceTypeName(0x105), L"Cdrom");
  EXPECT_EQ(BusTypeName(4), L"BusType1394");
  EXPECT_EQ(BusTypeName(7), L"BusTypeUsb");
  EXPECT_EQ(BusTypeName(8), L"BusTypeRAID");
  EXPECT_EQ(PartitionStyleName(0), L"MBR");
  EXPECT_EQ(PartitionStyleName(2), L"RAW");
  EXPECT_EQ(DetectionTypeName(2), L"DetectExInt13");
  EXPECT_EQ(IdentifierCodeSetName(0), L"Reserved");
  EXPECT_EQ(IdentifierCodeSetName(2), L"Ascii");
  EXPECT_EQ(IdentifierTypeName(3), L"FCPHName");
  EXPECT_EQ(IdentifierTypeName(4), L"PortRelative");
  EXPECT_EQ(IdentifierAssociationName(1), L"Port");
  EXPECT_EQ(BoolText(true), L"TRUE");
  EXPECT_EQ(BoolText(false), L"FALSE");
}

TEST(ValueNames, SizesChangeUnitAtAThousandOfTheSmallerUnit) {
  constexpr std::uint64_t MiB = 1048576;
  EXPECT_EQ(FormatSize(0), L"0.0MB");
  EXPECT_EQ(FormatSize(MiB - 1), L"1.0MB");
  // A tenth halfway between two goes to the even one, as printf rounds.
  EXPECT_EQ(FormatSize(MiB / 4), L"0.2MB");
  EXPECT_EQ(FormatSize(MiB / 4 * 3), L"0.8MB");
  EXPECT_EQ(FormatSize(999 * MiB), L"999.0MB");
  EXPECT_EQ(FormatSize(1000 * MiB), L"1.0GB");
  EXPECT_EQ(FormatSize(999999 * MiB), L"976.6GB");
  EXPECT_EQ(FormatSize(1000000 * MiB), L"1.0TB");
  EXPECT_EQ(FormatSize(999999999 * MiB), L"953.7TB");
  EXPECT_EQ(FormatSize(1000000000 * MiB), L"BIG disk");
  EXPECT_EQ(FormatSize(INT64_MAX), L"BIG disk");
  // Byte counts are unsigned: the top of the range is the largest disk, not a negative one.
  EXPECT_EQ(FormatSize(1ull << 63), L"BIG disk");
  EXPECT_EQ(FormatSize(0 - MiB), L"BIG disk");
  // Each division uses the exact byte count, not the whole mebibytes.
  EXPECT_EQ(FormatSize(1000 * MiB + 60 * MiB), L"1.0GB");
  EXPECT_EQ(FormatSize(256060514304), L"238.5GB");
}

TEST(ValueNames, GuidsAreBracedAndZeroPadded) {
  EXPECT_EQ(FormatGuid(GUID{}), L"{00000000-0000-0000-0000-000000000000}");
  const GUID g{0x5E4F6A3B, 0x2C1D, 0x4E0F, {0x05, 0x8B, 0x7C, 0x6D, 0x5E, 0x4F, 0x3A, 0x2B}};
  EXPECT_EQ(FormatGuid(g), L"{5e4f6a3b-2c1d-4e0f-058b-7c6d5e4f3a2b}");
  EXPECT_EQ(FormatGuid(g).size(), 38u);
}

TEST(ValueNames, FormatLiteralsOfThePanels) {
  EXPECT_EQ(FormatWide(L"0x0%4.4x", 16u), L"0x00010");
  EXPECT_EQ(FormatWide(L"0x0%4.4x", 0xFFFFu), L"0x0ffff");
  EXPECT_EQ(FormatWide(L"%01.1x", 0x05u), L"5");
  EXPECT_EQ(FormatWide(L"%01.1x", 0xABu), L"ab");
  EXPECT_EQ(FormatWide(L"%03.3x,%03.3x,%02.2x", 2u, 0u, 0u), L"002,000,00");
  EXPECT_EQ(FormatWide(L"0x%4.4x", 0x0110u), L"0x0110");
  EXPECT_EQ(FormatWide(L"%04.4x", 0x80u), L"0080");
  EXPECT_EQ(FormatWide(L"0x%03.3x", 0u), L"0x000");
  EXPECT_EQ(FormatWide(L"0x%07.7x", 0x12u), L"0x0000012");
  EXPECT_EQ(FormatWide(L"0x%I64x", 0x8000000000000001ull), L"0x8000000000000001");
  EXPECT_EQ(FormatWide(L"%d%ls Extent %d", 42, L"%", 1), L"42% Extent 1");
  EXPECT_EQ(FormatWide(L"%d", static_cast<int>(0xFFFFFFFFu)), L"-1");
  // Texts beside numbers: letters outside ASCII, strings, characters, and a
  // number longer than the buffer on the stack.
  EXPECT_EQ(FormatWide(L"Größe %u%%", 7u), L"Größe 7%");
  EXPECT_EQ(FormatWide(L"%s:%c", L"Сервер", L'ж'), L"Сервер:ж");
  EXPECT_EQ(FormatWide(L"%0300d", 5).size(), 300u);
  // Formats of plain numbers are written without printf: the extremes of each
  // size and sign, and a text longer than the buffer on the stack.
  EXPECT_EQ(FormatWide(L"DP(%u)%I64x-%I64x", 4294967295u, 0ull, 18446744073709551615ull),
            L"DP(4294967295)0-ffffffffffffffff");
  EXPECT_EQ(FormatWide(L"%d %I64d %I64u %x%%", -2147483647 - 1, -9223372036854775807ll - 1, 18446744073709551615ull,
                       0xABCDEFu),
            L"-2147483648 -9223372036854775808 18446744073709551615 abcdef%");
  EXPECT_EQ(FormatWide(L"Ω%d", 0), L"Ω0");
  const std::wstring longText(300, L'x');
  EXPECT_EQ(FormatWide((longText + L"%u").c_str(), 12u), longText + L"12");
}
