// The detail form as its controls show it, read back through the platform's
// own messages (window texts, check states, list view columns and cells, list
// box lines), in the same text as the form state's dump: the two are equal
// when the pane shows what the form state says.
#pragma once

#include <string>

class Win32DetailPane;

std::string DumpControls(const Win32DetailPane& pane);
