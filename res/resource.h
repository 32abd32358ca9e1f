// Resource and control identifiers, shared by stackle.rc and the code.
#pragma once

#define IDI_STACKLE 128

#define IDD_ABOUT 100
#define IDD_STACKLE 102
#define IDD_HOTKEYS 103

// Main dialog controls. The Exit button carries the dialog manager's IDOK and "bring to
// front" its IDCANCEL, which Escape issues.
#define IDC_EXIT 1
#define IDC_BRING_TO_FRONT 2
#define IDC_ALWAYS_ON_TOP 3
#define IDC_SEND_TO_BOTTOM 4
#define IDC_NOT_ALWAYS_ON_TOP 6
#define IDC_REFRESH 7
#define IDC_WINDOW_LIST 1000
#define IDC_EXCLUSION_LIST 1002
#define IDC_SHOW_HIDE 1003
#define IDC_HIDDEN_REGISTER 1004

// About dialog controls.
#define IDC_ABOUT_VERSION 1005
#define IDC_ABOUT_BUILD 1006
#define IDC_ABOUT_INTERVAL 1007

// Hotkey dialog controls: one hotkey control and one status text per action.
#define IDC_HOTKEY_FIRST 1100
#define IDC_HOTKEY_STATUS_FIRST 1110
#define IDC_HOTKEY_PROBLEMS 1120

// The About and hotkey entries of the system menu.
#define IDM_ABOUT 16
#define IDM_HOTKEYS 32

// String table.
#define IDS_ABOUT_MENU 101
#define IDS_TIP_BRING_TO_FRONT 102
#define IDS_TIP_ALWAYS_ON_TOP 103
#define IDS_TIP_SEND_TO_BOTTOM 104
#define IDS_TIP_NOT_ALWAYS_ON_TOP 105
#define IDS_TIP_REFRESH 106
#define IDS_TIP_WINDOW_LIST 107
#define IDS_TIP_EXIT 108
#define IDS_TIP_SHOW_HIDE 109
#define IDS_SETTINGS_FILE 110
