// CWinApp: the application object. Run() sets m_lpCmdLine and calls
// InitInstance; when it returns false no message loop follows and the program
// ends.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/WinApi.h"

class CWinApp {
 public:
  // commandLine: the text after the program name, blanks in front of it
  // skipped, as the program read it.
  CWinApp(platform::Platform& platform, const std::string& commandLine);
  virtual ~CWinApp() = default;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // The program's start routine.
  virtual BOOL InitInstance();
  // Called when InitInstance has returned false; returns the exit code.
  virtual int ExitInstance();
  // Sets m_lpCmdLine and runs InitInstance; returns the process exit code.
  int Run();
  // Turns on the three-dimensional look of dialog controls.
  void Enable3dControlsStatic();
  // An icon of the program's resources.
  platform::IconHandle LoadIcon(int id);
  platform::Platform& GetPlatform() { return m_platform; }

  // The command line after the program name, leading blanks skipped.
  char* m_lpCmdLine = nullptr;

 protected:
  platform::Platform& m_platform;

 private:
  std::vector<char> m_commandLine;
};
