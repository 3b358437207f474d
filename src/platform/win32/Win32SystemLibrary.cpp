#include "platform/win32/Win32SystemLibrary.h"

#include "platform/win32/Win32Windows.h"

namespace platform {

Win32SystemLibrary::~Win32SystemLibrary() {
  if (m_module != nullptr) ::FreeLibrary(static_cast<HMODULE>(m_module));
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
  if (!m_tried) {
    m_tried = true;
    // A full path, so the DLL never comes from the program's own folder.
    std::string path = SystemPath(m_fileName);
    if (!path.empty()) m_module = ::LoadLibraryA(path.c_str());
  }
  if (m_module == nullptr) return nullptr;
  FARPROC address = ::GetProcAddress(static_cast<HMODULE>(m_module), functionName);
  return reinterpret_cast<Address>(address);
}

}  // namespace platform
