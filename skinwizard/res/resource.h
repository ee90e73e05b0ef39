// The skin wizard's dialogs, one table of ids and texts: the resource script lays them out,
// the page models, the window code, the console and the tests name them from here. Only
// #define lines, since the resource compiler reads this file too.
#pragma once

#define IDB_SIDE_PICTURE 117

// Step 1, the skin's name and the author.
#define IDD_SKIN_NAME 129
#define IDC_SKIN_NAME 1000
#define IDC_SIDE_PICTURE 1006
#define IDC_AUTHOR 1007
#define IDC_COMPANY 1008
#define IDC_EMAIL 1009
#define IDC_URL 1010
#define TXT_SKIN_NAME "&Skin Name"
#define TXT_AUTHOR_INFORMATION "Author Information (optional)"
#define TXT_AUTHOR "&Name:"
#define TXT_COMPANY "&Company:"
#define TXT_EMAIL "&E-Mail:"
#define TXT_URL "&URL:"

// Step 2, the options; the side picture has the same id as on step 1.
#define IDD_SKIN_OPTIONS 130
#define IDC_COMMENTS_YES 1001
#define IDC_COMMENTS_NO 1002
#define IDC_ADVANCED 1003
#define IDC_LOOK_2000 1004
#define IDC_LOOK_XP 1005
#define IDC_WRITE_CHECK 1010
#define IDC_SKINS_LINE 1011
#define TXT_COMMENTS_QUESTION "Would you like to generate source file comments?"
#define TXT_COMMENTS_YES "&Yes, please"
#define TXT_COMMENTS_NO "No, &thank you"
#define TXT_LOOK_QUESTION "Your skin will be based on:"
#define TXT_LOOK_2000 "Office &2000 look"
#define TXT_LOOK_XP "Office &XP look"
// sic: "resulut"
#define TXT_WRITE_CHECK "&Write resulut DLL to the common skins directory"
#define TXT_ADVANCED "A&dvanced..."

// The Advanced dialog.
#define IDD_ADVANCED 120
#define IDC_SELECT_ALL 3
#define IDC_SELECT_NONE 4
#define IDC_METHOD_LIST 1008
#define IDC_DESCRIPTION 1009
#define TXT_ADVANCED_CAPTION "Skin Advanced Properties"
#define TXT_ADVANCED_QUESTION "Which Visual Manager methods would you like to override?"
#define TXT_SELECT_ALL "Select &All"
#define TXT_SELECT_NONE "Select &None"
#define TXT_DESCRIPTION "Description:"

// The host's frame, its own first step and its confirmation box.
#define IDD_WIZARD_FRAME 200
#define IDD_PROJECT_STEP 201
#define IDD_CONFIRM 202
#define TXT_WIZARD_TITLE "New Skin Project"
#define TXT_CONFIRM_CAPTION "New Project Information"

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
