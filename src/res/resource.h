// Resource ids shared by the resource script and the program.
// Only #define lines: windres reads this file too.
#pragma once

// Controls the program never addresses.
#define IDC_STATIC -1

// About box.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDM_ABOUTBOX 0x0010

// Main selection dialog.
#define IDD_SETUP 102
#define IDC_INSTALL_APPS 1001
#define IDC_INSTALL_DRIVER 1002
#define IDC_PLEASE_WAIT 1003

// Application icon.
#define IDR_MAINFRAME 128

// Windows 2000 options dialog.
#define IDD_WDM_OPTIONS 131
#define IDC_DISABLE_LEGACY 1000
#define IDC_JACK_MOTHERBOARD 1006
#define IDC_JACK_SOUNDCARD 1007
#define IDC_SHARE_LINEIN_REAR 1011
#define IDC_SHARE_LINEIN_CENTER 1012
#define IDC_SHARE_MIC_SUB 1013

// Restart prompt.
#define IDD_RESTART 132
#define IDC_RESTART_NOW 1000
#define IDC_RESTART_LATER 1001

// Version resource and manifest.
#define IDR_VERSION 1
