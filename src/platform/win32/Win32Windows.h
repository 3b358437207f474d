// <windows.h> for the Win32 layer, without the A/W name macros that collide
// with the seam's method names (MessageBox, CopyFile, CreateProcess, ...).
// Include it in .cpp files only, after the headers that declare the seam.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h first: the headers below rely on its types.
#include <cfgmgr32.h>
#include <commctrl.h>
#include <setupapi.h>

#undef AppendMenu
#undef CopyFile
#undef CreateDirectory
#undef CreateProcess
#undef DeleteFile
#undef RemoveDirectory
#undef FindFirstFile
#undef FindNextFile
#undef FormatMessage
#undef GetCommandLine
#undef GetCurrentDirectory
#undef GetWindowsDirectory
#undef LoadIcon
#undef LoadString
#undef LookupPrivilegeValue
#undef MessageBox
#undef OutputDebugString
#undef SendMessage
#undef SendMessageTimeout
#undef SetCurrentDirectory
#undef SetFileAttributes
