// Single-byte text from device records, converted as the system's ANSI code
// page (Windows-1252) reads it.
#pragma once

#include <cstddef>
#include <string>

#include "platform/win_types.h"

// Every byte, nulls included.
std::wstring WideFromAnsi(const BYTE* bytes, std::size_t count);

// A fixed-size text field without terminator (vendor, product, revision):
// at most 20 characters, ending at the first null byte; trailing blanks stay.
std::wstring FixedFieldText(const BYTE* bytes, std::size_t count);

// Text of at most `maxChars` characters, ending at the first null byte.
std::wstring AnsiTextUpToNull(const BYTE* bytes, std::size_t count, std::size_t maxChars);
