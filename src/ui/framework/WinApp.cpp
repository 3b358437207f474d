#include "ui/framework/WinApp.h"

#include "common/CommandLine.h"

CWinApp::CWinApp(platform::Platform& platform) : m_platform(platform) {}

BOOL CWinApp::InitInstance() { return 0; }

int CWinApp::ExitInstance() { return 0; }

int CWinApp::Run() {
  std::string tail = CommandLineAfterProgramName(m_platform.processes.GetCommandLine());
  m_commandLine.assign(tail.begin(), tail.end());
  m_commandLine.push_back('\0');
  m_lpCmdLine = m_commandLine.data();
  if (!InitInstance()) return ExitInstance();
  return 0;
}

void CWinApp::Enable3dControlsStatic() { m_platform.desktop.EnableThreeDControls(); }

platform::IconHandle CWinApp::LoadIcon(int id) { return m_platform.desktop.LoadIcon(id); }
