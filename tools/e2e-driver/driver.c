/* End-to-end test driver: starts one command line, answers the message boxes
 * and dialogs that appear while it runs, and logs what it saw as JSON lines.
 *
 *   e2e-driver.exe <log file> <script file or -> <command line>
 *   e2e-driver.exe --probe   (lists the top-level windows; hangs in a hung prefix)
 *
 * The command line is the rest of the driver's own command line after the
 * single blank that follows the script argument, passed on byte for byte.
 * Script lines (# starts a comment):
 *   dialog <caption substring> | <action>; <action>; ...
 *   messagebox <text substring> | press <id>
 * Actions: click <id>, check <id>, uncheck <id>, press <id>, close, snapshot,
 * syscommand <id> (a system-menu command), pressowner <id> (press on the
 * window's owner, e.g. the dialog behind a box it opened).
 * There is no pause action: a script answers a window when it is there, and
 * the tests wait for what they need themselves.
 * Environment: E2E_TIMEOUT_MS (default 180000), E2E_SHOTS (screenshot folder),
 * E2E_COMMAND (when set, the command line to start instead of the remainder).
 * Exit code: the program's, 1000 on timeout, 1001 on a usage or script error,
 * 1002 when the program cannot be started. */
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#define EXIT_TIMEOUT 1000
#define EXIT_USAGE 1001
#define EXIT_START_FAILED 1002

#include "../common/jsonbuf.h"

/* ---- Log ---------------------------------------------------------------- */

static HANDLE g_log = INVALID_HANDLE_VALUE;

/* Writes one JSON line and flushes it, so a reader sees it at once. */
static void log_line(Buf* line) {
  buf_add(line, "\r\n");
  DWORD written;
  WriteFile(g_log, line->data, (DWORD)line->len, &written, NULL);
  FlushFileBuffers(g_log);
  line->len = 0;
}

/* ---- Script ------------------------------------------------------------- */

typedef enum {
  ACT_CLICK,
  ACT_CHECK,
  ACT_UNCHECK,
  ACT_PRESS,
  ACT_CLOSE,
  ACT_SNAPSHOT,
  ACT_SYSCOMMAND,
  ACT_PRESS_OWNER
} ActKind;

typedef struct {
  ActKind kind;
  long arg;
} Action;

typedef struct {
  int is_messagebox;
  char* pattern;
  Action* actions;
  int action_count;
} Rule;

static Rule* g_rules;
static int g_rule_count;

static char* trim(char* s) {
  while (*s == ' ' || *s == '\t') ++s;
  char* end = s + strlen(s);
  while (end > s && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\r' || end[-1] == '\n'))
    --end;
  *end = '\0';
  return s;
}

static int parse_number(const char* s, long* out) {
  char* end;
  long v = strtol(s, &end, 0);
  if (end == s || *trim(end) != '\0') return 0;
  *out = v;
  return 1;
}

/* Parses "name [number]"; returns 0 on an unknown action or a bad number. */
static int parse_action(char* text, Action* act) {
  static const struct {
    const char* name;
    ActKind kind;
    int has_arg;
  } kNames[] = {{"click", ACT_CLICK, 1},           {"check", ACT_CHECK, 1},
                {"uncheck", ACT_UNCHECK, 1},       {"press", ACT_PRESS, 1},
                {"close", ACT_CLOSE, 0},           {"snapshot", ACT_SNAPSHOT, 0},
                {"syscommand", ACT_SYSCOMMAND, 1}, {"pressowner", ACT_PRESS_OWNER, 1}};
  text = trim(text);
  size_t word = strcspn(text, " \t");
  for (size_t i = 0; i < sizeof kNames / sizeof kNames[0]; ++i) {
    if (strlen(kNames[i].name) != word || strncmp(text, kNames[i].name, word) != 0) continue;
    act->kind = kNames[i].kind;
    act->arg = 0;
    if (!kNames[i].has_arg) return *trim(text + word) == '\0';
    return parse_number(text + word, &act->arg);
  }
  return 0;
}

static int parse_rule(char* line, Rule* rule) {
  line = trim(line);
  if (strncmp(line, "dialog ", 7) == 0) {
    rule->is_messagebox = 0;
    line += 7;
  } else if (strncmp(line, "messagebox ", 11) == 0) {
    rule->is_messagebox = 1;
    line += 11;
  } else {
    return 0;
  }
  /* Actions never hold '|', so the last one separates them from the pattern. */
  char* bar = strrchr(line, '|');
  if (!bar) return 0;
  *bar = '\0';
  rule->pattern = _strdup(trim(line));
  rule->actions = NULL;
  rule->action_count = 0;
  char* rest = bar + 1;
  while (rest) {
    char* semi = strchr(rest, ';');
    if (semi) *semi = '\0';
    if (*trim(rest) != '\0') {
      rule->actions = (Action*)realloc(rule->actions, sizeof(Action) * (rule->action_count + 1));
      if (!parse_action(rest, &rule->actions[rule->action_count])) return 0;
      ++rule->action_count;
    }
    rest = semi ? semi + 1 : NULL;
  }
  return rule->action_count > 0;
}

static int load_script(const char* path) {
  FILE* f = fopen(path, "rb");
  if (!f) {
    fprintf(stderr, "e2e-driver: cannot open script %s\n", path);
    return 0;
  }
  char line[4096];
  int number = 0;
  while (fgets(line, sizeof line, f)) {
    ++number;
    char* text = trim(line);
    if (*text == '\0' || *text == '#') continue;
    g_rules = (Rule*)realloc(g_rules, sizeof(Rule) * (g_rule_count + 1));
    if (!parse_rule(text, &g_rules[g_rule_count])) {
      fprintf(stderr, "e2e-driver: %s:%d: bad rule\n", path, number);
      fclose(f);
      return 0;
    }
    ++g_rule_count;
  }
  fclose(f);
  return 1;
}

static const Rule* find_rule(int is_messagebox, const char* subject) {
  for (int i = 0; i < g_rule_count; ++i) {
    if (g_rules[i].is_messagebox == is_messagebox && strstr(subject, g_rules[i].pattern)) {
      return &g_rules[i];
    }
  }
  return NULL;
}

/* ---- Windows of the program under test ------------------------------------ */

/* Text of a window of another process. WM_GETTEXT reaches controls that keep
 * their text themselves; the timeout guards against a busy program. */
static void window_text(HWND hwnd, char* out, int size) {
  DWORD_PTR copied = 0;
  out[0] = '\0';
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, (WPARAM)size, (LPARAM)out, SMTO_ABORTIFHUNG, 2000,
                           &copied)) {
    GetWindowTextA(hwnd, out, size);
  }
  out[size - 1] = '\0';
}

static LRESULT send_timeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, 2000, &result);
  return (LRESULT)result;
}

/* Waits up to a minute for the answer. Wine drops a sent message that the
 * program has not begun to handle when the time-out expires, so a short one
 * loses clicks on a busy machine; used where the message opens no window. */
static LRESULT send_patiently(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_NORMAL, 60000, &result);
  return (LRESULT)result;
}

static int is_class(HWND hwnd, const char* name) {
  char cls[64];
  if (!GetClassNameA(hwnd, cls, sizeof cls)) return 0;
  return lstrcmpiA(cls, name) == 0;
}

/* A message box has exactly one text static with id 0xFFFF. Dialogs built
 * from DIALOG templates store IDC_STATIC as 0xFFFF too, so a dialog with an
 * icon and a label both marked IDC_STATIC is not a message box. */
typedef struct {
  HWND text;
  int count;
  int pictures;
} TextStatic;

static BOOL CALLBACK find_text_static(HWND ctrl, LPARAM lp) {
  TextStatic* found = (TextStatic*)lp;
  if (GetDlgCtrlID(ctrl) == 0xFFFF && is_class(ctrl, "Static")) {
    LONG type = GetWindowLongA(ctrl, GWL_STYLE) & SS_TYPEMASK;
    if (type == SS_ICON || type == SS_BITMAP) found->pictures++;
    if (found->count++ == 0) found->text = ctrl;
  }
  return TRUE;
}

static HWND messagebox_text(HWND hwnd) {
  TextStatic found = {NULL, 0, 0};
  EnumChildWindows(hwnd, find_text_static, (LPARAM)&found);
  return found.count == 1 && found.pictures == 0 ? found.text : NULL;
}

static BOOL CALLBACK add_control(HWND ctrl, LPARAM lp) {
  Buf* line = (Buf*)lp;
  char cls[64];
  char text[1024];
  if (!GetClassNameA(ctrl, cls, sizeof cls)) cls[0] = '\0';
  window_text(ctrl, text, sizeof text);
  /* The text of an icon or bitmap static is a resource reference, not text. */
  LONG type = GetWindowLongA(ctrl, GWL_STYLE) & SS_TYPEMASK;
  if (lstrcmpiA(cls, "Static") == 0 && (type == SS_ICON || type == SS_BITMAP)) text[0] = '\0';
  int checked = 0;
  if (lstrcmpiA(cls, "Button") == 0) checked = send_timeout(ctrl, BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (line->data[line->len - 1] != '[') buf_add(line, ",");
  buf_addf(line, "{\"id\":%d", GetDlgCtrlID(ctrl));
  buf_add(line, ",\"class\":");
  buf_add_json(line, cls);
  buf_add(line, ",\"text\":");
  buf_add_json(line, text);
  buf_addf(line, ",\"checked\":%d", checked);
  buf_add(line, IsWindowEnabled(ctrl) ? ",\"enabled\":true" : ",\"enabled\":false");
  buf_add(line, IsWindowVisible(ctrl) ? ",\"visible\":true}" : ",\"visible\":false}");
  return TRUE;
}

/* ---- Screenshots ------------------------------------------------------------ */

static int g_shot_count;

/* Saves the whole screen as a 24-bit BMP into E2E_SHOTS, when that is set. */
static void take_screenshot(Buf* line) {
  char folder[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("E2E_SHOTS", folder, sizeof folder);
  if (n == 0 || n >= sizeof folder - 16) return;
  CreateDirectoryA(folder, NULL);
  char path[MAX_PATH + 16];
  snprintf(path, sizeof path, "%s\\shot-%02d.bmp", folder, ++g_shot_count);

  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(NULL);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(mem, bitmap);
  BitBlt(mem, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(mem, old);

  DWORD stride = ((DWORD)width * 3 + 3) & ~3u;
  DWORD image_size = stride * (DWORD)height;
  BITMAPINFOHEADER info;
  memset(&info, 0, sizeof info);
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height; /* bottom-up, as BMP files store rows */
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = image_size;
  BYTE* pixels = (BYTE*)malloc(image_size);
  int ok = pixels && GetDIBits(mem, bitmap, 0, (UINT)height, pixels, (BITMAPINFO*)&info,
                               DIB_RGB_COLORS) == height;
  DeleteObject(bitmap);
  DeleteDC(mem);
  ReleaseDC(NULL, screen);

  if (ok) {
    BITMAPFILEHEADER file;
    memset(&file, 0, sizeof file);
    file.bfType = 0x4D42; /* "BM" */
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + image_size;
    FILE* f = fopen(path, "wb");
    ok = f && fwrite(&file, sizeof file, 1, f) == 1 && fwrite(&info, sizeof info, 1, f) == 1 &&
         fwrite(pixels, image_size, 1, f) == 1;
    if (f && fclose(f) != 0) ok = 0;
  }
  free(pixels);
  if (!ok) return;
  buf_add(line, "{\"event\":\"screenshot\",\"file\":");
  buf_add_json(line, path);
  buf_add(line, "}");
  log_line(line);
}

/* ---- Handling one window ------------------------------------------------------ */

static void log_dialog(HWND dlg) {
  char caption[1024];
  window_text(dlg, caption, sizeof caption);
  Buf line = {0};
  buf_add(&line, "{\"event\":\"dialog\",\"caption\":");
  buf_add_json(&line, caption);
  buf_add(&line, ",\"controls\":[");
  EnumChildWindows(dlg, add_control, (LPARAM)&line);
  buf_add(&line, "]}");
  /* A dialog that closed while it was read left nothing true to log. */
  if (!IsWindow(dlg)) {
    free(line.data);
    return;
  }
  log_line(&line);
  take_screenshot(&line);
  free(line.data);
}

static void press(HWND dlg, long id) {
  PostMessageA(dlg, WM_COMMAND, MAKEWPARAM((WORD)id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, (int)id));
}

/* BM_CLICK may open a modal window inside the program before it returns, so
 * it is sent with a timeout rather than waited for. Wine delivers it to
 * disabled buttons too; the tests look at the logged states. */
static void click(HWND dlg, long id) {
  HWND ctrl = GetDlgItem(dlg, (int)id);
  if (ctrl) send_timeout(ctrl, BM_CLICK, 0, 0);
}

static void run_actions(HWND dlg, const Rule* rule) {
  for (int i = 0; i < rule->action_count; ++i) {
    const Action* act = &rule->actions[i];
    switch (act->kind) {
      case ACT_CLICK:
        click(dlg, act->arg);
        break;
      case ACT_CHECK:
      case ACT_UNCHECK: {
        /* Clicks (so the dialog hears of it) only when the state differs. A
         * check box or radio button opens no window, so the click is waited for. */
        HWND ctrl = GetDlgItem(dlg, (int)act->arg);
        int checked = ctrl && send_patiently(ctrl, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (ctrl && checked != (act->kind == ACT_CHECK)) send_patiently(ctrl, BM_CLICK, 0, 0);
        break;
      }
      case ACT_PRESS:
        press(dlg, act->arg);
        break;
      case ACT_CLOSE:
        PostMessageA(dlg, WM_CLOSE, 0, 0);
        break;
      case ACT_SNAPSHOT:
        if (IsWindow(dlg)) log_dialog(dlg);
        break;
      case ACT_SYSCOMMAND:
        PostMessageA(dlg, WM_SYSCOMMAND, (WPARAM)act->arg, 0);
        break;
      case ACT_PRESS_OWNER: {
        /* Posted after the window's own messages, so the owner gets it once
         * the window is gone. */
        HWND owner = GetWindow(dlg, GW_OWNER);
        if (owner) press(owner, act->arg);
        break;
      }
    }
  }
}

static void handle_messagebox(HWND box, HWND text_static) {
  char caption[1024];
  char text[4096];
  char owner_caption[1024] = "";
  window_text(box, caption, sizeof caption);
  window_text(text_static, text, sizeof text);
  HWND owner = GetWindow(box, GW_OWNER);
  if (owner) window_text(owner, owner_caption, sizeof owner_caption);
  /* Closed while its texts were read (another driver on the same desktop
   * answered it first): what was read is nothing of the box. */
  if (!IsWindow(box)) return;

  Buf line = {0};
  buf_add(&line, "{\"event\":\"messagebox\",\"caption\":");
  buf_add_json(&line, caption);
  buf_add(&line, ",\"text\":");
  buf_add_json(&line, text);
  buf_add(&line, ",\"owner\":");
  buf_add_json(&line, owner_caption);
  buf_add(&line,
          owner && IsWindowVisible(owner) ? ",\"ownerVisible\":true}" : ",\"ownerVisible\":false}");
  log_line(&line);
  take_screenshot(&line);
  free(line.data);

  const Rule* rule = find_rule(1, text);
  if (rule) {
    run_actions(box, rule);
  } else {
    press(box, IDOK);
  }
}

static void handle_dialog(HWND dlg) {
  log_dialog(dlg);
  char caption[1024];
  window_text(dlg, caption, sizeof caption);
  const Rule* rule = find_rule(0, caption);
  if (rule) run_actions(dlg, rule);
}

/* ---- Window tracking ---------------------------------------------------------- */

/* A window is handled on the second poll that sees it visible, so it has had
 * time to initialise and paint. Handled windows are remembered until they
 * are destroyed. */
typedef struct {
  HWND* items;
  int count;
} HwndSet;

static HwndSet g_seen;
static HwndSet g_handled;

static int set_has(const HwndSet* set, HWND hwnd) {
  for (int i = 0; i < set->count; ++i) {
    if (set->items[i] == hwnd) return 1;
  }
  return 0;
}

static void set_add(HwndSet* set, HWND hwnd) {
  set->items = (HWND*)realloc(set->items, sizeof(HWND) * (set->count + 1));
  set->items[set->count++] = hwnd;
}

static void set_drop_dead(HwndSet* set) {
  int kept = 0;
  for (int i = 0; i < set->count; ++i) {
    if (IsWindow(set->items[i])) set->items[kept++] = set->items[i];
  }
  set->count = kept;
}

static BOOL CALLBACK collect_dialog(HWND hwnd, LPARAM lp) {
  if (IsWindowVisible(hwnd) && is_class(hwnd, "#32770")) set_add((HwndSet*)lp, hwnd);
  return TRUE;
}

static void scan_windows(void) {
  HwndSet found = {0};
  EnumWindows(collect_dialog, (LPARAM)&found);
  set_drop_dead(&g_handled);
  HwndSet next_seen = {0};
  for (int i = 0; i < found.count; ++i) {
    HWND hwnd = found.items[i];
    if (set_has(&g_handled, hwnd)) continue;
    if (!set_has(&g_seen, hwnd)) {
      set_add(&next_seen, hwnd);
      continue;
    }
    set_add(&g_handled, hwnd);
    HWND text_static = messagebox_text(hwnd);
    if (text_static) {
      handle_messagebox(hwnd, text_static);
    } else {
      handle_dialog(hwnd);
    }
  }
  free(g_seen.items);
  g_seen = next_seen;
  free(found.items);
}

/* ---- Command line and main loop ------------------------------------------------- */

/* Skips one argument of a Windows command line: a quoted run or a run of
 * non-blanks. */
static const char* skip_argument(const char* p) {
  while (*p && *p != ' ' && *p != '\t') {
    if (*p == '"') {
      ++p;
      while (*p && *p != '"') ++p;
      if (*p) ++p;
    } else {
      ++p;
    }
  }
  return p;
}

static const char* skip_blanks(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

/* Copies one argument without its quotes. */
static void copy_argument(const char* begin, const char* end, char* out, size_t size) {
  size_t n = 0;
  for (const char* p = begin; p < end && n + 1 < size; ++p) {
    if (*p != '"') out[n++] = *p;
  }
  out[n] = '\0';
}

static BOOL CALLBACK count_window(HWND window, LPARAM count) {
  char title[256];
  GetWindowTextA(window, title, sizeof title);
  ++*(int*)count;
  return TRUE;
}

int main(void) {
  const char* cmd = GetCommandLineA();
  const char* p = skip_blanks(skip_argument(skip_blanks(cmd)));
  /* "--probe": lists the top-level windows and ends. In a prefix that has lost
   * the owner of its desktop this never returns, which is how the harness
   * tells a hung prefix from a program that did not do what was awaited. */
  if (strncmp(p, "--probe", 7) == 0) {
    int count = 0;
    EnumWindows(count_window, (LPARAM)&count);
    printf("%d windows\n", count);
    return 0;
  }
  const char* log_begin = p;
  p = skip_argument(p);
  const char* log_end = p;
  p = skip_blanks(p);
  const char* script_begin = p;
  p = skip_argument(p);
  const char* script_end = p;
  /* A Unix shell cannot hand Wine a command line with a trailing blank or
   * exact spacing, so E2E_COMMAND may carry it instead of the remainder. */
  static char env_cmd[32768];
  DWORD env_len = GetEnvironmentVariableA("E2E_COMMAND", env_cmd, sizeof env_cmd);
  int from_env = env_len > 0 && env_len < sizeof env_cmd;
  const char* child_cmd = from_env ? env_cmd : (*p == ' ' || *p == '\t') ? p + 1 : p;
  if (log_begin == log_end || script_begin == script_end || *child_cmd == '\0') {
    fprintf(stderr, "usage: e2e-driver.exe <log file> <script file or -> <command line>\n");
    return EXIT_USAGE;
  }

  char log_path[MAX_PATH];
  char script_path[MAX_PATH];
  copy_argument(log_begin, log_end, log_path, sizeof log_path);
  copy_argument(script_begin, script_end, script_path, sizeof script_path);
  if (strcmp(script_path, "-") != 0 && !load_script(script_path)) return EXIT_USAGE;

  g_log = CreateFileA(log_path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (g_log == INVALID_HANDLE_VALUE) {
    fprintf(stderr, "e2e-driver: cannot create log %s\n", log_path);
    return EXIT_USAGE;
  }

  DWORD timeout_ms = 180000;
  char value[32];
  DWORD n = GetEnvironmentVariableA("E2E_TIMEOUT_MS", value, sizeof value);
  if (n > 0 && n < sizeof value) timeout_ms = strtoul(value, NULL, 10);

  char* writable = _strdup(child_cmd);
  STARTUPINFOA si;
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  Buf line = {0};
  if (!CreateProcessA(NULL, writable, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
    buf_addf(&line, "{\"event\":\"startfailed\",\"error\":%lu}", GetLastError());
    log_line(&line);
    fprintf(stderr, "e2e-driver: cannot start %s\n", child_cmd);
    return EXIT_START_FAILED;
  }
  CloseHandle(pi.hThread);

  DWORD started = GetTickCount();
  while (WaitForSingleObject(pi.hProcess, 100) == WAIT_TIMEOUT) {
    if (GetTickCount() - started >= timeout_ms) {
      buf_add(&line, "{\"event\":\"timeout\"}");
      log_line(&line);
      TerminateProcess(pi.hProcess, EXIT_TIMEOUT);
      CloseHandle(pi.hProcess);
      CloseHandle(g_log);
      return EXIT_TIMEOUT;
    }
    scan_windows();
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  buf_addf(&line, "{\"event\":\"exit\",\"code\":%lu}", code);
  log_line(&line);
  CloseHandle(g_log);
  return (int)code;
}
