// Text for HTML and SVG: one escaping rule for every string a report or a chart
// file shows, so that no name from a machine can open markup or break a line.
#pragma once

#include <string>
#include <string_view>

// The text as UTF-8 for element content and double- or single-quoted
// attributes: & < > " ' as character references; C0 and C1 control characters
// and DEL as "\xHH" (the terminal's and the collector's form); noncharacters,
// which a document may not carry, as "\uHHHH". Every other character,
// non-ASCII included, stays itself.
std::string MarkupText(std::wstring_view text);

// A fragment for an id made from a name: lower-case ASCII letters and digits,
// each run of anything else one '-', at most `limit` characters; possibly
// empty. Callers make ids unique with a number of their own.
std::string IdFragment(std::wstring_view text, std::size_t limit = 32);
