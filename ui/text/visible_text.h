// Names and labels come from the machine: a machine file, or a disk someone
// else formatted. Printed raw, a control character in them would drive the
// terminal that shows them (colours, cursor moves, a title change), so every
// printer writes them in one visible form.
#pragma once

#include <string>
#include <string_view>

// The text with each C0 and C1 control character and DEL written as "\xHH"
// (lower-case hex), the form the Linux collector gives such bytes in labels;
// every other character stays itself. Applying it twice changes nothing more.
std::wstring VisibleText(std::wstring_view text);
