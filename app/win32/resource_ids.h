// Resource and command ids shared by the resource script and the program.
// The commands keep the numbers the classic document/view framework gives its
// own commands, so that the menus, accelerators and prompts line up with them.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDD_SPLASH 134
#define IDC_SPLASH_PROGRESS 2204
#define IDC_SPLASH_STATUS 2205

#define ID_REFRESH 1900
#define ID_VIEW_ALL_MOUNT_POINTS 1901
// The machine commands, as the Linux viewer numbers them.
#define ID_FILE_EXPORT_REPORT 1916
#define ID_FILE_OPEN_MACHINE 1917
#define ID_FILE_SAVE_MACHINE 1918
#define ID_FILE_LIVE_MACHINE 1919
#define ID_FILE_PRINT_SETUP 57606
#define ID_FILE_MRU_FILE1 57616  // and the next seven, one per recent file
#define ID_FILE_PRINT 57607
#define ID_FILE_PRINT_PREVIEW 57609
#define ID_WINDOW_SPLIT 57653
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_HELP_FINDER 57667
#define ID_CONTEXT_HELP 57669
#define ID_HELP 57670
#define ID_DEFAULT_HELP 57671
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681
#define ID_VIEW_TOOLBAR 59392
#define ID_VIEW_STATUS_BAR 59393
#define ID_INDICATOR_CAPS 59137
#define ID_INDICATOR_NUM 59138
#define ID_INDICATOR_SCRL 59139

// Strings of the shell itself.
#define IDS_DOCUMENT_TEMPLATE 128
#define IDS_APP_TITLE 57344
#define IDS_IDLE_MESSAGE 57345
#define IDS_HELP_MODE_MESSAGE 57346

// Child windows of the frame.
#define IDW_TOOLBAR 59392
#define IDW_STATUS_BAR 59393
#define IDW_PANE_FIRST 59648
