#include "platform/win32/Win32FileSystem.h"

#include <cstdio>
#include <vector>

#include "platform/win32/Win32Stream.h"
#include "platform/win32/Win32Windows.h"

namespace platform {

namespace {

void CopyFindData(const WIN32_FIND_DATAA& from, FindData* to) {
  to->attributes = from.dwFileAttributes;
  to->fileName = from.cFileName;
  to->size = (static_cast<uint64_t>(from.nFileSizeHigh) << 32) | from.nFileSizeLow;
}

HANDLE ToHandle(FindHandle handle) { return reinterpret_cast<HANDLE>(handle); }

using MoveFileExFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);

}  // namespace

std::string Win32FileSystem::GetWindowsDirectory(uint32_t bufferSize) {
  if (bufferSize == 0) return std::string();
  std::vector<char> buffer(bufferSize);
  UINT length = ::GetWindowsDirectoryA(buffer.data(), bufferSize);
  // A result of bufferSize or more is the size needed; nothing was copied.
  if (length == 0 || length >= bufferSize) return std::string();
  return std::string(buffer.data(), length);
}

std::string Win32FileSystem::GetCurrentDirectory() {
  std::vector<char> buffer(MAX_PATH);
  DWORD length = ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length >= buffer.size()) {
    buffer.resize(length + 1);
    length = ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) return std::string();
  }
  return std::string(buffer.data(), length);
}

bool Win32FileSystem::SetCurrentDirectory(const std::string& path) {
  return ::SetCurrentDirectoryA(path.c_str()) != FALSE;
}

bool Win32FileSystem::CreateDirectory(const std::string& path) {
  return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool Win32FileSystem::RemoveDirectory(const std::string& path) {
  return ::RemoveDirectoryA(path.c_str()) != FALSE;
}

FindHandle Win32FileSystem::FindFirstFile(const std::string& pattern, FindData* data) {
  WIN32_FIND_DATAA found = {};
  HANDLE handle = ::FindFirstFileA(pattern.c_str(), &found);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  CopyFindData(found, data);
  return reinterpret_cast<FindHandle>(handle);
}

bool Win32FileSystem::FindNextFile(FindHandle handle, FindData* data) {
  WIN32_FIND_DATAA found = {};
  if (!::FindNextFileA(ToHandle(handle), &found)) return false;
  CopyFindData(found, data);
  return true;
}

void Win32FileSystem::FindClose(FindHandle handle) { ::FindClose(ToHandle(handle)); }

bool Win32FileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  return ::CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
}

bool Win32FileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
  auto moveFileEx = m_kernel.Find<MoveFileExFn>("MoveFileExA");
  if (moveFileEx == nullptr) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
  }
  return moveFileEx(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool Win32FileSystem::MoveFileAtRestart(const std::string& from, const std::string& to) {
  auto moveFileEx = m_kernel.Find<MoveFileExFn>("MoveFileExA");
  if (moveFileEx == nullptr) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
  }
  return moveFileEx(from.c_str(), to.c_str(),
                    MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool Win32FileSystem::DeleteFileAtRestart(const std::string& path) {
  auto moveFileEx = m_kernel.Find<MoveFileExFn>("MoveFileExA");
  if (moveFileEx == nullptr) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
  }
  return moveFileEx(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

bool Win32FileSystem::DeleteFile(const std::string& path) {
  return ::DeleteFileA(path.c_str()) != FALSE;
}

bool Win32FileSystem::SetFileAttributes(const std::string& path, uint32_t attributes) {
  return ::SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

std::unique_ptr<Stream> Win32FileSystem::OpenStream(const std::string& path,
                                                    const std::string& mode) {
  FILE* file = std::fopen(path.c_str(), mode.c_str());
  if (file == nullptr) return nullptr;
  return std::make_unique<Win32Stream>(file);
}

}  // namespace platform
