// Resource ids of the skin wizard's pages, its Advanced dialog and our window host's frame.
// Shared by the resource script and the window code; the page ids match the page models'.
#pragma once

#define IDB_SIDE_PICTURE 117
#define IDD_ADVANCED 120
#define IDD_SKIN_NAME 129
#define IDD_SKIN_OPTIONS 130

// The host's frame, its own first step and its confirmation box.
#define IDD_WIZARD_FRAME 200
#define IDD_PROJECT_STEP 201
#define IDD_CONFIRM 202

// Controls of the frame.
#define IDC_PAGE_AREA 2000
#define IDC_BACK 2001
#define IDC_NEXT 2002
#define IDC_FINISH 2003
#define IDC_STEP_TITLE 2004

// Controls of the first step and the confirmation box.
#define IDC_PROJECT_NAME 2010
#define IDC_PROJECT_LOCATION 2011
#define IDC_PROJECT_FOLDER 2012
#define IDC_CONFIRM_TEXT 2020
#define IDC_CONFIRM_FOLDER 2021
