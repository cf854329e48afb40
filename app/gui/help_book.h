// Where the help book is: beside the program in a build folder, or where
// installing put it, found from the program's own place so that any prefix works.
#pragma once

#include <wx/string.h>

wxString DefaultHelpBook();
