// Ids of the Windows program's resources (Tactilo.rc) and of the controls in its dialogs. The
// window logic in the core knows the tray command ids and icon ids by the same numbers.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDS_APP_TITLE 102
#define IDD_TACTILO_DIALOG 102
#define IDD_CAL 130
#define IDD_SELECT_CONNECTION 131
#define IDR_TRAY_MENU 132
#define IDI_NOT_CONNECTED 132
#define IDI_CONNECTED 139
#define IDI_RIGHT_CLICK 140

#define IDC_LIST_DEVICES 1001
#define IDC_ADD 1002
#define IDC_MODIFY 1003
#define IDC_REMOVE 1004
#define IDC_CALIBRATE 1005
#define IDC_RIGHT_CLICK_DELAY 1008
#define IDC_PRECISION 1009
#define IDC_AUTOSTART 1010
#define IDC_CONNECT 1012
#define IDC_DEVICE_NAME 1013
#define IDC_MONITOR 1014
#define IDC_COM_PORT 1015
#define IDC_BAUD_RATE 1016
#define IDC_CAL_LABEL 1018
#define IDC_SWAP_XY 1019
#define IDC_VERSION 1020
#define IDC_DETECT 1021
#define IDC_DETECT_PROGRESS 1022

#define IDM_ABOUTBOX 0x10
#define ID_TRAY_ABOUT_CMD 32775
#define ID_TRAY_HELP_CMD 32776
#define ID_TRAY_OPTIONS_CMD 32777
#define ID_TRAY_EXIT_CMD 32778
