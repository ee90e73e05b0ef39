// TSLKTIntegrate.exe's resource ids and dialog 102's control ids and texts: the one table the
// resource script, the dialog's model (integrate/integration_dialog.h) and its tests read.
// Macros only, so that the resource compiler reads it too.
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

// The texts, in Windows-1252 ("\xAE" is the registered sign; '&' marks the mnemonic). Each is
// one literal: the resource compiler does not join adjacent ones.
#define CAPTION_INTEGRATION "Tessaline Integration Wizard"
#define LABEL_WELCOME_TEXT "Welcome to Tessaline Library! This wizard will automatically integrate the library with Microsoft\xAE Visual C++\xAE and/or Microsoft\xAE Visual Studio .NET\xAE\r\n\r\nPlease close all VC++/VS.NET instances and click OK to start the integration."
#define LABEL_VC6_OPTION "Integrate the library with Visual C++\xAE &6.0"
#define LABEL_NET70_OPTION "Integrate the library with Visual Studio.&NET\xAE"
#define LABEL_NET71_OPTION "Integrate the library with Visual Studio.NE&T\xAE 2003"
#define LABEL_VS2005_OPTION "Integrate the library with Visual Studio\xAE 200&5"
#define LABEL_DIRECTORIES_OPTION "Setup VC++ &Directories"
#define LABEL_HELP_OPTION "Integrate Tessaline &Help"
#define LABEL_APP_WIZARD_OPTION "Setup Tessaline &Application Wizard"
#define LABEL_SKIN_WIZARD_OPTION "Setup &TSLSkin+ Wizard (Visual C++\xAE 6.0 only)"
#define LABEL_OK "OK"
#define LABEL_CANCEL "Cancel"
