#pragma once
// Resource, command and control ids, shared by the program, its resources and its tests.

#define IDI_MAINICON 1

// Main window menu commands.
#define IDM_JVLINK_SETTINGS 101
#define IDM_FILE_EXIT 102
#define IDM_HELP_ABOUT 103

// Main window controls.
#define IDC_PANEL1 1001
#define IDC_LABEL17 1002
#define IDC_LABEL16 1003
#define IDC_SPEEDBUTTON1 1004
#define IDC_JVLINK1 1005
#define IDC_FILELISTBOX1 1006

// The about dialog.
#define IDB_ABOUTARTWORK 2
#define IDC_ABOUT_PANEL1 2001
#define IDC_ABOUT_BUTTON1 2002
#define IDC_ABOUT_BITBTN1 IDOK
