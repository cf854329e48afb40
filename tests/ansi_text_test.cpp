#include <gtest/gtest.h>

#include <string>

#include "ui/ansi_text.h"

namespace {
const BYTE* Bytes(const char* s) { return reinterpret_cast<const BYTE*>(s); }
}  // namespace

TEST(AnsiText, FixedFieldsKeepTrailingBlanksAndEndAtANull) {
  EXPECT_EQ(FixedFieldText(Bytes("ATA     "), 8), L"ATA     ");
  EXPECT_EQ(FixedFieldText(Bytes("Samsung SSD 870 EVO"), 16), L"Samsung SSD 870 ");
  EXPECT_EQ(FixedFieldText(Bytes("AB\0CD"), 5), L"AB");
  // A field never gives more than 20 characters.
  EXPECT_EQ(FixedFieldText(Bytes("0123456789abcdefghijKLMN"), 24), L"0123456789abcdefghij");
  EXPECT_EQ(FixedFieldText(Bytes(""), 0), L"");
}

TEST(AnsiText, HighBytesAreWindows1252) {
  EXPECT_EQ(WideFromAnsi(Bytes("\x80\x99\xE9\x81"), 4), L"\u20AC\u2122\u00E9\u0081");
  EXPECT_EQ(WideFromAnsi(Bytes("a\0b"), 3), std::wstring(L"a\0b", 3));
  EXPECT_EQ(AnsiTextUpToNull(Bytes("serial\0junk"), 11, 256), L"serial");
  EXPECT_EQ(AnsiTextUpToNull(Bytes("serial"), 6, 3), L"ser");
}
