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

// The texts of the program's own messages beyond the fixed English ones. The
// string table keeps strings in blocks of sixteen ids; each language defines
// this block (192 to 207) whole, so none of them falls back to another's.
// "%1" stands for a number.
#define IDS_NOT_INSTALLED 192
#define IDS_RUN_AS_ADMINISTRATOR 193
#define IDS_OPTIONS_NOT_WRITTEN 194
#define IDS_ERROR_NUMBER 195
#define IDS_FOLDER_PATH_TOO_LONG 196
#define IDS_DRIVER_DISPLAY_NAME 197
#define IDS_REMOVE_QUESTION 198
#define IDS_REMOVED 199
#define IDS_SETUP_ALREADY_RUNNING 200
#define IDS_REMOVED_RESTART 201
#define IDS_NOT_REMOVED 202
#define IDS_NOTHING_TO_REMOVE 203
#define IDS_REMOVAL_NEEDS_WINDOWS_2000 204

// The command line's help (ids 208 to 222, joined line by line), the
// switches for a run without a person and the exit codes.
#define IDS_HELP_SWITCHES 208
#define IDS_HELP_DRIVER 209
#define IDS_HELP_UNINSTALL 210
#define IDS_HELP_QUIET 211
#define IDS_HELP_NORESTART 212
#define IDS_HELP_LOG 213
#define IDS_HELP_EXIT_CODES 214
#define IDS_HELP_EXIT_DONE 215
#define IDS_HELP_EXIT_RESTART_REQUIRED 216
#define IDS_HELP_EXIT_RESTARTING 217
#define IDS_HELP_EXIT_CANCELLED 218
#define IDS_HELP_EXIT_NOT_INSTALLED 219
#define IDS_HELP_EXIT_INVALID 220
#define IDS_HELP_EXIT_OLD_WINDOWS 221
#define IDS_HELP_EXIT_OTHER 222

// Version resource and manifest.
#define IDR_VERSION 1
