// Wide display strings: printf-style formatting with the platform's literals, and
// conversion between the UTF-16 found in platform records and the program's
// wide strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

// Formats like swprintf, accepting the platform's literals on every system:
// "%I64x" is a 64-bit value and "%s" a wide string.
std::wstring FormatWide(const wchar_t* format, ...);

// Reads `count` UTF-16 code units starting at `bytes` (no alignment needed).
std::wstring WideFromUtf16(const void* bytes, std::size_t count);
std::u16string Utf16FromWide(std::wstring_view text);
// The text as little-endian UTF-16 bytes, as records and registry values hold
// it; no terminator is added.
std::vector<unsigned char> Utf16LeBytes(std::wstring_view text);

std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);
// A file name given in UTF-8 (as the programs take every argument), whatever
// the system's own encoding of file names.
std::filesystem::path PathFromUtf8(std::string_view text);
// A file name as UTF-8, for messages, whatever the system's own encoding.
std::string Utf8FromPath(const std::filesystem::path& path);

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", lower case, every field zero-padded.
std::wstring FormatGuid(const GUID& guid);

// Names and labels come from the machine: a machine file, or a disk someone
// else formatted. Printed raw, a control character in them would drive the
// terminal that shows them (colours, cursor moves, a title change), so every
// printer, and the Linux collector for the labels it reads, writes them in one
// visible form: each C0 and C1 control character and DEL as "\xHH" (lower-case
// hex); every other character stays itself. Applying it twice changes nothing more.
std::wstring VisibleText(std::wstring_view text);
// VisibleText as UTF-8, for a printer; or appended to `out`.
std::string VisibleUtf8(std::wstring_view text);
void AppendVisibleUtf8(std::string& out, std::wstring_view text);
