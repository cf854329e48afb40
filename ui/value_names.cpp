#include "ui/value_names.h"

#include <array>
#include <charconv>
#include <clocale>
#include <cstring>

#include "platform/storage_records.h"

namespace ValueNames {

namespace {

struct CodeText {
  std::uint32_t code;
  const wchar_t* text;
};

template <std::size_t N>
std::wstring Lookup(const std::array<CodeText, N>& table, std::uint32_t code, const wchar_t* other) {
  for (const CodeText& entry : table) {
    if (entry.code == code) return entry.text;
  }
  return other;
}

constexpr std::array<CodeText, 17> kPartitionTypes{{
    {0x00, L"PARTITION_ENTRY_UNUSED"},
    {0x01, L"PARTITION_FAT_12"},
    {0x02, L"PARTITION_XENIX_1"},
    {0x03, L"PARTITION_XENIX_2"},
    {0x04, L"PARTITION_FAT_16"},
    {0x05, L"PARTITION_EXTENDED"},
    {0x06, L"PARTITION_HUGE"},
    {0x07, L"PARTITION_IFS"},
    {0x0A, L"PARTITION_OS2BOOTMGR"},
    {0x0B, L"PARTITION_FAT32"},
    {0x0C, L"PARTITION_FAT32_XINT13"},
    {0x0E, L"PARTITION_XINT13"},
    {0x0F, L"PARTITION_XINT13_EXTENDED"},
    {0x41, L"PARTITION_PREP"},
    {0x42, L"PARTITION_LDM"},
    {0x63, L"PARTITION_UNIX"},
    {0x80, L"PARTITION_NTFT"},
}};

constexpr std::array<CodeText, 22> kMediaTypes{{
    {1, L"5.25, 1.2 MB, 512 bps."},
    {2, L"3.5, 1.44 MB, 512 bps."},
    {3, L"3.5, 2.88 MB, 512 bps."},
    {4, L"3.5, 20.8 MB, 512 bps."},
    {5, L"3.5, 720 KB, 512 bps."},
    {6, L"5.25, 360 KB, 512 bps."},
    {7, L"5.25, 320 KB, 512 bps."},
    {8, L"5.25, 320 KB, 1024 bps."},
    {9, L"5.25, 180 KB, 512 bps."},
    {10, L"5.25, 160 KB, 512 bps."},
    {11, L"Removable media not floppy."},
    {12, L"Fixed hard disk media."},
    {13, L"3.5, 120 MB media."},
    {14, L"3.5, 640 KB, 512 bps."},
    {15, L"5.25, 640 KB, 512 bps."},
    {16, L"5.25, 720 KB, 512 bps."},
    {17, L"3.5, 1.2 MB, 512 bps."},
    {18, L"3.5, 1.23 MB, 1024 bps."},
    {19, L"5.25, 1.23 MB, 1024 bps."},
    {20, L"3.5, MO , 128 MB, 512 bps."},
    {21, L"3.5, MO, 230 MB, 512 bps."},
    {22, L"8, 256 KB, 128 bps."},
}};

constexpr std::array<CodeText, 10> kDeviceTypes{{
    {0, L"Disk"},
    {1, L"Tape"},
    {2, L"Printer"},
    {3, L"Proceozav"},
    {4, L"Worm"},
    {5, L"Cdrom"},
    {6, L"Scanner"},
    {7, L"Optical"},
    {8, L"JukeBox"},
    {9, L"Network"},
}};

constexpr std::array<CodeText, 8> kBusTypes{{
    {1, L"BusTypeScsi"},
    {2, L"BusTypeAtapi"},
    {3, L"BusTypeAta"},
    {4, L"BusType1394"},
    {5, L"BusTypeSsa"},
    {6, L"BusTypeFibre"},
    {7, L"BusTypeUsb"},
    {8, L"BusTypeRAID"},
}};

constexpr std::array<CodeText, 3> kPartitionStyles{
    {{PARTITION_STYLE_MBR, L"MBR"}, {PARTITION_STYLE_GPT, L"GPT"}, {PARTITION_STYLE_RAW, L"RAW"}}};
constexpr std::array<CodeText, 3> kDetectionTypes{
    {{DetectNone, L"DetectNone"}, {DetectInt13, L"DetectInt13"}, {DetectExInt13, L"DetectExInt13"}}};
constexpr std::array<CodeText, 3> kCodeSets{{{0, L"Reserved"}, {1, L"Binary"}, {2, L"Ascii"}}};
constexpr std::array<CodeText, 5> kIdentifierTypes{
    {{0, L"VendorSpecific"}, {1, L"VendorId"}, {2, L"EUI64"}, {3, L"FCPHName"}, {4, L"PortRelative"}}};
constexpr std::array<CodeText, 2> kAssociations{{{0, L"Device"}, {1, L"Port"}}};

constexpr std::uint64_t kMebibyte = 1048576;

}  // namespace

std::wstring PartitionTypeName(BYTE partitionType) {
  return Lookup(kPartitionTypes, partitionType, L"PARTITION_ENTRY_UNKNOWN");
}

std::wstring MediaTypeText(std::uint32_t mediaType) { return Lookup(kMediaTypes, mediaType, L"Unknown."); }

std::wstring DeviceTypeName(std::uint32_t deviceType) {
  return Lookup(kDeviceTypes, deviceType & 0xFFu, L"Unknown");
}

std::wstring BusTypeName(std::uint32_t busType) { return Lookup(kBusTypes, busType, L"UNKNOWN Bus"); }

std::wstring PartitionStyleName(std::uint32_t partitionStyle) {
  return Lookup(kPartitionStyles, partitionStyle, L"UNKNOWN");
}

std::wstring DetectionTypeName(std::uint32_t detectionType) {
  return Lookup(kDetectionTypes, detectionType, L"Unknown");
}

std::wstring IdentifierCodeSetName(std::uint32_t codeSet) { return Lookup(kCodeSets, codeSet, L"Unknown"); }

std::wstring IdentifierTypeName(std::uint32_t identifierType) {
  return Lookup(kIdentifierTypes, identifierType, L"Unknown");
}

std::wstring IdentifierAssociationName(std::uint32_t association) {
  return Lookup(kAssociations, association, L"Unknown");
}

std::wstring BoolText(bool value) { return value ? L"TRUE" : L"FALSE"; }

namespace {

// What FormatWide(format, value) writes for a format of "%3.1f" and a unit:
// the same digits, rounded alike, without the cost of printf, which shows in a
// list of ten thousand disks. Where the locale's decimal point is not "." printf
// writes it.
std::wstring OneDecimal(double value, const wchar_t* format, const wchar_t* unit) {
  const char* point = std::localeconv()->decimal_point;
  char digits[32];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 1);
  if (point == nullptr || std::strcmp(point, ".") != 0 || error != std::errc()) return FormatWide(format, value);
  std::wstring text(digits, end);
  text += unit;
  return text;
}

}  // namespace

std::wstring FormatSize(std::uint64_t bytes) {
  const std::uint64_t mebibytes = bytes / kMebibyte;
  // Dividing the exact byte count by a power of two adds no rounding of its own.
  if (mebibytes < 1000) return OneDecimal(static_cast<double>(bytes) / 1048576.0, L"%3.1fMB", L"MB");
  if (mebibytes < 1000000) return OneDecimal(static_cast<double>(bytes) / 1073741824.0, L"%3.1fGB", L"GB");
  if (mebibytes < 1000000000) return OneDecimal(static_cast<double>(bytes) / 1099511627776.0, L"%3.1fTB", L"TB");
  return L"BIG disk";
}

}  // namespace ValueNames
