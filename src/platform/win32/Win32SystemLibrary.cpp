#include "platform/win32/Win32SystemLibrary.h"

#include "platform/win32/Win32Windows.h"

namespace platform {

Win32SystemLibrary::~Win32SystemLibrary() {
  if (module_ != nullptr) ::FreeLibrary(static_cast<HMODULE>(module_));
}

std::string Win32SystemLibrary::SystemPath(const std::string& fileName) {
  char folder[MAX_PATH];
  UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  std::string path(folder, length);
  if (path.back() != '\\') path += '\\';
  return path + fileName;
}

Win32SystemLibrary::Address Win32SystemLibrary::FindAddress(const char* functionName) {
  if (!tried_) {
    tried_ = true;
    // A full path, so the DLL never comes from the program's own folder.
    std::string path = SystemPath(fileName_);
    if (!path.empty()) module_ = ::LoadLibraryA(path.c_str());
  }
  if (module_ == nullptr) return nullptr;
  FARPROC address = ::GetProcAddress(static_cast<HMODULE>(module_), functionName);
  return reinterpret_cast<Address>(address);
}

}  // namespace platform
