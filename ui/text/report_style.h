// The report page's one stylesheet: a tree beside the panels on a wide screen,
// one column on a phone, and on paper the whole tree, then the panels.
#pragma once

extern const char* const kReportStyle;
