// The compiled help book, shown by the system's HTML help viewer, which is
// loaded only when help is first asked for.
#pragma once

#include "platform/win_types.h"

#include <string>

// quelbrin.chm beside the program.
std::wstring HelpFilePath();
// Opens the help file at `page` ("disk.html"), or at its default topic when
// `page` is null; `owner` may be null. False when the viewer or the file
// cannot be shown.
bool ShowHelpTopic(HWND owner, const wchar_t* page);
