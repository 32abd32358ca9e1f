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

// Menu commands: help, the icon's tool menu, and the per-window menu.
#define IDM_HELP 32771
#define IDM_TRAY_EXIT 32772
#define IDM_TRAY_ABOUT 32774
#define IDM_WINDOW_MINIMIZE 32776
#define IDM_WINDOW_MAXIMIZE 32777
#define IDM_WINDOW_RESTORE 32778
#define IDM_WINDOW_CLOSE 32779
#define IDM_PRIORITY_HIGH 32780
#define IDM_PRIORITY_REALTIME 32781
#define IDM_PRIORITY_NORMAL 32782
#define IDM_PRIORITY_IDLE 32783
#define IDM_RESTORE_DIALOG 32784
#define IDM_HIDE_DIALOG 32785
#define IDM_TRAY_HOTKEYS 32786
#define IDM_PIN_PROGRAM 32787
#define IDM_REMEMBER_PRIORITY 32788
#define IDM_TRAY_RELOAD_RULES 32789
// The per-window menu's 不透明度: IDM_OPACITY_FIRST is 20%, each next id 10% more, to 100%.
#define IDM_OPACITY_FIRST 32790
#define IDM_OPACITY_LAST 32798
#define IDM_TRAY_OPAQUE 32799
// The icon's window menu: entry i of the window list is IDM_FIRST_LISTED_WINDOW + i.
#define IDM_FIRST_LISTED_WINDOW 35000
#define IDM_LAST_LISTED_WINDOW 44999

// The message the notification-area icon sends the dialog (WM_USER + 100).
#define WM_TRAYNOTIFY 0x464
// Posted to the dialog when other programs' windows were announced (WM_APP + 1).
#define WM_WINDOWEVENTS 0x8001

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
