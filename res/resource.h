#pragma once
// Resource ids shared by the resource script and the code.

// Configuration dialogs.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_ORSETTA_DIALOG 102
#define IDR_MAINFRAME 128
#define IDC_HELP_BUTTON 1000
#define IDC_FILE_LIST 1001
#define IDC_ADD 1002
#define IDC_DELETE 1003
#define IDC_DELETE_ALL 1004
#define IDC_MOVE_UP 1005
#define IDC_MOVE_DOWN 1006
#define IDC_SHUFFLE 1007
#define IDC_CONTINUE 1008
#define IDC_MUTE 1009
#define IDC_SCREEN_COUNT 1011
#define IDC_VERSION 1012
// System-menu command of the about box (the low four bits are the system's).
#define IDM_ABOUTBOX 0x0010
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Saver: the transparent cursor of the host and its tiles.
#define IDC_BLANK 129
