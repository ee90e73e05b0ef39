// Resource ids of TSLKTIntegrate.exe; the control ids match integrate/integration_dialog.h.
#pragma once

#define IDD_INTEGRATION 102
#define IDI_PROGRAM 128
#define IDB_BANNER 129
#define IDB_BANNER_16_COLOURS 130
#define IDB_PROGRESS_IMAGES 131

#define IDC_BANNER 1000
#define IDC_HELP_OPTION 1001
#define IDC_DIRECTORIES_OPTION 1003
#define IDC_APP_WIZARD_OPTION 1004
#define IDC_SKIN_WIZARD_OPTION 1005
#define IDC_VC6_OPTION 1006
#define IDC_NET70_OPTION 1009
#define IDC_NET71_OPTION 1010
#define IDC_VS2005_OPTION 1011
#define IDC_WELCOME_TEXT 1013
#define IDC_PROGRESS_LIST 1014
// The etched lines have no id of their own.
#define IDC_UNNAMED -1
