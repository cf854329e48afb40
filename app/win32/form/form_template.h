// The detail form's dialog template, built in memory from the form table: the
// font and size the table names and every control with its id, class and
// style, in the table's order.
#pragma once

// The platform's headers, with the version the rest of the program asks for.
#include "platform/win_types.h"

#include <vector>

// A template for a child dialog (DS_CONTROL) to be created with
// CreateDialogIndirectParamW; charts are windows of class `chartClass`.
std::vector<WORD> BuildFormTemplate(const wchar_t* chartClass);
