/* Times how long a program takes to show its first dialog.
 *
 *   dialog-timer.exe <runs> <command line>
 *
 * Starts the command line <runs> times, one after the other. Each time it
 * notes the time from CreateProcessA to the moment a visible dialog (class
 * #32770) of the new process exists, then sends that dialog IDCANCEL and
 * waits for the process to end. Prints one line per run: the time in
 * milliseconds, or "none" when no dialog appeared within 60 s. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

typedef struct {
  DWORD pid;
  HWND found;
} Search;

static BOOL CALLBACK find_dialog(HWND hwnd, LPARAM lp) {
  Search* search = (Search*)lp;
  DWORD pid = 0;
  char cls[16];
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != search->pid || !IsWindowVisible(hwnd)) return TRUE;
  if (!GetClassNameA(hwnd, cls, sizeof cls) || strcmp(cls, "#32770") != 0) return TRUE;
  search->found = hwnd;
  return FALSE;
}

static double elapsed_ms(LARGE_INTEGER from, LARGE_INTEGER frequency) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return (double)(now.QuadPart - from.QuadPart) * 1000.0 / (double)frequency.QuadPart;
}

/* Skips one argument of a Windows command line and the blanks after it. */
static const char* skip_argument(const char* p) {
  int quoted = 0;
  while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
    if (*p == '"') quoted = !quoted;
    ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: dialog-timer.exe <runs> <command line>\n");
    return 2;
  }
  int runs = atoi(argv[1]);
  const char* cmd = skip_argument(skip_argument(GetCommandLineA()));

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (int i = 0; i < runs; ++i) {
    char* writable = _strdup(cmd);
    STARTUPINFOA si;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(NULL, writable, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
      fprintf(stderr, "dialog-timer: cannot start %s (%lu)\n", cmd, GetLastError());
      return 1;
    }
    free(writable);
    Search search = {pi.dwProcessId, NULL};
    double shown = -1;
    while (elapsed_ms(start, frequency) < 60000) {
      EnumWindows(find_dialog, (LPARAM)&search);
      if (search.found) {
        shown = elapsed_ms(start, frequency);
        break;
      }
      if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    if (shown >= 0) {
      printf("%.1f\n", shown);
      PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else {
      printf("none\n");
    }
    fflush(stdout);
    if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  return 0;
}
