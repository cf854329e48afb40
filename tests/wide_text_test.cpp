#include <gtest/gtest.h>

#include "platform/wide_text.h"
#include "platform/win_types.h"

TEST(FormatWide, PlatformLiteralsOnEverySystem) {
  EXPECT_EQ(FormatWide(L"Disk Extent %d %I64x-%I64x", 0, 32256ull, 10000000000ull), L"Disk Extent 0 7e00-2540be400");
  EXPECT_EQ(FormatWide(L"%s and %ls", L"wide", L"wider"), L"wide and wider");
  EXPECT_EQ(FormatWide(L"%08.8x", 0xC00u), L"00000c00");
  EXPECT_EQ(FormatWide(L"100%%"), L"100%");
  EXPECT_EQ(FormatWide(L"%I64x", ~0ull), L"ffffffffffffffff");
}

TEST(FormatWide, LongResultsAreNotCut) {
  const std::wstring big(5000, L'x');
  EXPECT_EQ(FormatWide(L"[%s]", big.c_str()), L"[" + big + L"]");
}

TEST(FormatGuid, BracedLowerCaseZeroPadded) {
  EXPECT_EQ(FormatGuid(GUID{}), L"{00000000-0000-0000-0000-000000000000}");
  const GUID g{0x2ACCFE60, 0xC130, 0x11D2, {0x05, 0x82, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
  EXPECT_EQ(FormatGuid(g), L"{2accfe60-c130-11d2-0582-00a0c91efb8b}");
}

TEST(WideText, Utf16AndUtf8RoundTrip) {
  // Beyond ASCII or the first plane at the start, the middle and the end.
  for (const std::wstring text : {L"", L"C:", L"Daten \u00e9t\u00e9 \U0001F4BE", L"\U0001F4BE first",
                                  L"\u00e9", L"mid \U0001F4BE dle \u00e9 end"}) {
    const std::u16string units = Utf16FromWide(text);
    EXPECT_EQ(WideFromUtf16(units.data(), units.size()), text);
    EXPECT_EQ(WideFromUtf8(Utf8FromWide(text)), text);
  }
  EXPECT_EQ(Utf8FromWide(L"C:"), "C:");
  EXPECT_EQ(Utf16FromWide(L"Daten \u00e9t\u00e9 \U0001F4BE"), u"Daten \u00e9t\u00e9 \U0001F4BE");
  // A high surrogate with nothing after it stays as it is.
  const char16_t lone[] = {u'a', 0xD83D};
  EXPECT_EQ(WideFromUtf16(lone, 2), (std::wstring{L'a', wchar_t(0xD83D)}));
  // A surrogate pair joins even when each half is a unit of its own; a lone half is replaced.
  EXPECT_EQ(Utf8FromWide(std::wstring{wchar_t(0xD83D), wchar_t(0xDCBE), L'.'}), "\xF0\x9F\x92\xBE.");
  EXPECT_EQ(Utf8FromWide(std::wstring{L'a', wchar_t(0xD83D)}), "a\xEF\xBF\xBD");
  EXPECT_EQ(Utf8FromWide(std::wstring{wchar_t(0xDCBE), wchar_t(0xD83D), L'b'}), "\xEF\xBF\xBD\xEF\xBF\xBD" "b");
  // Broken UTF-8 becomes replacement characters, never a read past the end.
  EXPECT_EQ(WideFromUtf8(std::string("a\xE2\x82", 3)), L"a\uFFFD\uFFFD");
}

// Where wchar_t has 32 bits, raw answer bytes give units past Unicode, even
// negative ones. They print as the replacement character: never as the control
// character their low 16 bits would be, never escaped from outside the hex digits.
TEST(WideText, UnitsPastUnicodePrintAsReplacement) {
  if constexpr (sizeof(wchar_t) == 4) {
    for (const std::uint32_t unit : {0x110005u, 0xFEFFFF3Au, 0xFFFFFFFFu}) {
      const std::wstring text{L'a', static_cast<wchar_t>(unit), L'b'};
      EXPECT_EQ(VisibleUtf8(text), "a\xEF\xBF\xBD" "b") << std::hex << unit;
      EXPECT_EQ(Utf16FromWide(text), u"a\uFFFDb") << std::hex << unit;
    }
  } else {
    GTEST_SKIP() << "wchar_t has 16 bits here: every unit is within Unicode";
  }
  EXPECT_EQ(VisibleUtf8(L"a\x1b\x9b"), "a\\x1b\\x9b");
  // ASCII first, then what needs more than a byte: the rest is converted whole.
  EXPECT_EQ(VisibleUtf8(std::wstring{L'a', wchar_t(0xD83D), wchar_t(0xDCBE), L'\x7f', L'~'}), "a\xF0\x9F\x92\xBE\\x7f~");
  EXPECT_EQ(VisibleUtf8(L"Volume{1} ~"), "Volume{1} ~");
}
