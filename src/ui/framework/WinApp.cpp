#include "ui/framework/WinApp.h"

CWinApp::CWinApp(platform::Platform& platform, const std::string& commandLine)
    : m_platform(platform), m_commandLine(commandLine.begin(), commandLine.end()) {
  m_commandLine.push_back('\0');
}

BOOL CWinApp::InitInstance() { return 0; }

int CWinApp::ExitInstance() { return 0; }

int CWinApp::Run() {
  m_lpCmdLine = m_commandLine.data();
  if (!InitInstance()) return ExitInstance();
  return 0;
}

void CWinApp::Enable3dControlsStatic() { m_platform.desktop.EnableThreeDControls(); }

platform::IconHandle CWinApp::LoadIcon(int id) { return m_platform.desktop.LoadIcon(id); }
