// The subset of Win32 constants and types the program's logic uses, with the
// values Windows gives them. Logic code never includes <windows.h>; the Win32
// layer (src/platform/win32) includes <windows.h> and never this header.
#pragma once

#include <cstdint>

typedef int BOOL;

constexpr int MAX_PATH = 260;

// Last-error codes.
constexpr uint32_t ERROR_SUCCESS = 0;
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERROR_PATH_NOT_FOUND = 3;
constexpr uint32_t ERROR_ACCESS_DENIED = 5;
constexpr uint32_t ERROR_INVALID_HANDLE = 6;
constexpr uint32_t ERROR_INVALID_DATA = 13;
constexpr uint32_t ERROR_NO_MORE_FILES = 18;
constexpr uint32_t ERROR_SHARING_VIOLATION = 32;
constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr uint32_t ERROR_CALL_NOT_IMPLEMENTED = 120;
constexpr uint32_t ERROR_DIR_NOT_EMPTY = 145;
constexpr uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
constexpr uint32_t ERROR_ALREADY_EXISTS = 183;
constexpr uint32_t ERROR_FILENAME_EXCED_RANGE = 206;
constexpr uint32_t ERROR_MORE_DATA = 234;
constexpr uint32_t ERROR_NO_MORE_ITEMS = 259;
constexpr uint32_t ERROR_NOT_ALL_ASSIGNED = 1300;
constexpr uint32_t ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr uint32_t ERROR_TIMEOUT = 1460;
constexpr uint32_t ERROR_NO_SUCH_PRIVILEGE = 1313;

// Registry.
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_DWORD = 4;
constexpr uint32_t REG_MULTI_SZ = 7;
constexpr uint32_t KEY_QUERY_VALUE = 0x0001;
constexpr uint32_t KEY_ALL_ACCESS = 0xF003F;

// Files.
constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// Windows and messages.
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_ICONERASEBKGND = 0x0027;
constexpr uint32_t WM_QUERYDRAGICON = 0x0037;
constexpr uint32_t WM_SETICON = 0x0080;
constexpr uint32_t WM_INITDIALOG = 0x0110;
constexpr uint32_t WM_COMMAND = 0x0111;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t BM_GETCHECK = 0x00F0;
constexpr uint32_t BM_SETCHECK = 0x00F1;
constexpr uint32_t BN_CLICKED = 0;
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
constexpr int ICON_SMALL = 0;
constexpr int ICON_BIG = 1;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;

constexpr uint32_t RDW_INVALIDATE = 0x0001;
constexpr uint32_t RDW_ERASE = 0x0004;
constexpr uint32_t RDW_UPDATENOW = 0x0100;

constexpr uint32_t SMTO_NORMAL = 0x0000;
constexpr uint32_t SMTO_ABORTIFHUNG = 0x0002;

constexpr uint32_t MF_STRING = 0x0000;
constexpr uint32_t MF_SEPARATOR = 0x0800;

constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDTRYAGAIN = 10;
constexpr int IDCONTINUE = 11;
constexpr uint32_t MB_OK = 0x0000;
constexpr uint32_t MB_YESNO = 0x0004;
constexpr uint32_t MB_DEFBUTTON2 = 0x0100;
constexpr uint32_t MB_ICONQUESTION = 0x0020;
constexpr uint32_t MB_ICONERROR = 0x0010;
constexpr uint32_t MB_ICONINFORMATION = 0x0040;

// Processes.
constexpr uint32_t STARTF_USESHOWWINDOW = 0x0001;
constexpr uint32_t STILL_ACTIVE = 259;

// Version.
constexpr uint32_t VER_PLATFORM_WIN32s = 0;
constexpr uint32_t VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr uint32_t VER_PLATFORM_WIN32_NT = 2;

// Shutdown.
constexpr uint32_t EWX_REBOOT = 0x0002;

// Setup services and configuration manager.
constexpr uint32_t DIGCF_PRESENT = 0x0002;
constexpr uint32_t DIGCF_ALLCLASSES = 0x0004;
constexpr uint32_t SPDRP_HARDWAREID = 0x0001;
constexpr uint32_t SPOST_PATH = 1;
constexpr uint32_t SP_COPY_DELETESOURCE = 0x0000001;
constexpr uint32_t SUOI_FORCEDELETE = 0x0001;
constexpr uint32_t SRCLIST_SYSTEM = 0x00000010;
constexpr uint32_t SRCLIST_USER = 0x00000020;
constexpr uint32_t CR_SUCCESS = 0;
constexpr uint32_t CM_LOCATE_DEVNODE_NORMAL = 0;
constexpr uint32_t CM_REENUMERATE_NORMAL = 0;
