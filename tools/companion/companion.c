/* Stand-in for the programs the setup program starts or talks to: the
 * general setup program, the suite's setup and uninstaller, the suite's
 * programs and the mixer. One binary, copied under each of those names.
 *
 * On start it appends a JSON line describing how it was started to the log
 * named by COMPANION_LOG (default C:\companion-log.txt), and one line each
 * when it receives WM_CLOSE and when it ends, so the log holds the order of
 * starts, closes and ends of every companion. What it does next
 * comes from the profile beside it: <exe base name>.cfg, section
 * [companion]:
 *   Window=<title>  show a top-level window with this title until WM_CLOSE
 *   RunMs=<n>       without Window: wait n ms before exiting
 *   ExitCode=<n>    exit code of the process
 *   IgnoreClose=1   log WM_CLOSE but keep the window
 * Without the profile it exits at once with code 0. */
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "../common/jsonbuf.h"

static char g_title[1024];
static int g_ignore_close;

/* Several companions may log at the same time: each line goes out in one
 * append-mode write on a shared handle, serialised by a named mutex. */
static void write_log_line(Buf* line) {
  char path[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("COMPANION_LOG", path, sizeof path);
  if (n == 0 || n >= sizeof path) strcpy(path, "C:\\companion-log.txt");
  buf_add(line, "\r\n");
  HANDLE lock = CreateMutexA(NULL, FALSE, "CompanionLogLock");
  if (lock) WaitForSingleObject(lock, 5000);
  for (int attempt = 0; attempt < 50; ++attempt) {
    HANDLE h = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written;
      WriteFile(h, line->data, (DWORD)line->len, &written, NULL);
      CloseHandle(h);
      break;
    }
    Sleep(20);
  }
  if (lock) {
    ReleaseMutex(lock);
    CloseHandle(lock);
  }
}

static LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE: {
      Buf line = {0};
      buf_add(&line, "{\"event\":\"close\",\"title\":");
      buf_add_json(&line, g_title);
      buf_addf(&line, ",\"pid\":%lu}", GetCurrentProcessId());
      write_log_line(&line);
      free(line.data);
      if (!g_ignore_close) DestroyWindow(hwnd);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

static void run_window(HINSTANCE instance) {
  WNDCLASSA wc;
  memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = window_proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszClassName = "CompanionWindow";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(0, wc.lpszClassName, g_title, WS_OVERLAPPEDWINDOW, 40, 40, 320, 200,
                              NULL, NULL, instance, NULL);
  if (!hwnd) return;
  /* The first ShowWindow takes the show state the starter asked for (for
   * example SW_HIDE); the window must still be there to be found and closed,
   * so it is shown in any case. */
  ShowWindow(hwnd, SW_SHOWNORMAL);
  ShowWindow(hwnd, SW_SHOW);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

/* The last line a companion logs: whatever a starter that waited for the
 * companion to end does next comes after it in the log. */
static int log_exit(const char* exe, UINT code) {
  Buf line = {0};
  buf_add(&line, "{\"event\":\"exit\",\"exe\":");
  buf_add_json(&line, exe);
  buf_addf(&line, ",\"code\":%u,\"pid\":%lu}", code, GetCurrentProcessId());
  write_log_line(&line);
  free(line.data);
  return (int)code;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmdline, int show) {
  (void)prev;
  (void)cmdline;
  (void)show;
  char exe[MAX_PATH];
  DWORD exe_len = GetModuleFileNameA(NULL, exe, sizeof exe);
  if (exe_len == 0 || exe_len >= sizeof exe) exe[0] = '\0';
  char cwd[MAX_PATH];
  DWORD cwd_len = GetCurrentDirectoryA(sizeof cwd, cwd);
  if (cwd_len == 0 || cwd_len >= sizeof cwd) cwd[0] = '\0';
  STARTUPINFOA si;
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  GetStartupInfoA(&si);

  Buf line = {0};
  buf_add(&line, "{\"event\":\"start\",\"exe\":");
  buf_add_json(&line, exe);
  buf_add(&line, ",\"cmdline\":");
  buf_add_json(&line, GetCommandLineA());
  buf_add(&line, ",\"cwd\":");
  buf_add_json(&line, cwd);
  buf_addf(&line, ",\"startFlags\":%lu", si.dwFlags);
  buf_addf(&line, ",\"showWindow\":%u", (unsigned)si.wShowWindow);
  buf_addf(&line, ",\"pid\":%lu}", GetCurrentProcessId());
  write_log_line(&line);
  free(line.data);

  /* Profile beside the exe: same folder and base name, extension .cfg. */
  char cfg[MAX_PATH + 8];
  strcpy(cfg, exe);
  char* slash = strrchr(cfg, '\\');
  char* dot = strrchr(cfg, '.');
  if (dot && (!slash || dot > slash)) *dot = '\0';
  strcat(cfg, ".cfg");
  if (exe[0] == '\0' || GetFileAttributesA(cfg) == INVALID_FILE_ATTRIBUTES) return log_exit(exe, 0);

  UINT exit_code = (UINT)GetPrivateProfileIntA("companion", "ExitCode", 0, cfg);
  g_ignore_close = GetPrivateProfileIntA("companion", "IgnoreClose", 0, cfg) != 0;
  GetPrivateProfileStringA("companion", "Window", "", g_title, sizeof g_title, cfg);
  if (g_title[0] != '\0') {
    run_window(instance);
  } else {
    UINT run_ms = (UINT)GetPrivateProfileIntA("companion", "RunMs", 0, cfg);
    if (run_ms) Sleep(run_ms);
  }
  return log_exit(exe, exit_code);
}
