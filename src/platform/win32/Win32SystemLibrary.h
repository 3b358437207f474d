// A DLL of the Windows system folder, loaded by its full path on first use.
// The program does not link against DLLs that older Windows versions lack;
// where the DLL or a function is missing, Find returns null.
#pragma once

#include <string>
#include <utility>

namespace platform {

class Win32SystemLibrary {
 public:
  explicit Win32SystemLibrary(std::string fileName) : m_fileName(std::move(fileName)) {}
  ~Win32SystemLibrary();
  Win32SystemLibrary(const Win32SystemLibrary&) = delete;
  Win32SystemLibrary& operator=(const Win32SystemLibrary&) = delete;

  // The address of an exported function as a pointer of type Function, or
  // null when the DLL or the function is not there.
  template <typename Function>
  Function Find(const char* functionName) {
    // Through the generic function-pointer type, which converts to any other.
    return reinterpret_cast<Function>(FindAddress(functionName));
  }

  // Full path of fileName in the system folder; empty if that is unknown.
  static std::string SystemPath(const std::string& fileName);

 private:
  using Address = void (*)();
  Address FindAddress(const char* functionName);

  std::string m_fileName;
  void* m_module = nullptr;  // HMODULE
  bool m_tried = false;
};

}  // namespace platform
