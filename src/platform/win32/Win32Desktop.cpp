#include "platform/win32/Win32Desktop.h"

#include "platform/win32/Win32Windows.h"

namespace platform {

namespace {

HWND ToHwnd(Hwnd window) { return reinterpret_cast<HWND>(window); }
Hwnd FromHwnd(HWND window) { return reinterpret_cast<Hwnd>(window); }

// Messages whose dialog-procedure result is returned directly instead of
// through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
  switch (message) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
      return true;
    default:
      return false;
  }
}

// The dialog procedure of every modal dialog: WM_INITDIALOG brings the
// DialogProcedure (the lParam of DialogBoxParamA), kept in DWLP_USER.
INT_PTR CALLBACK HostDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogProcedure* procedure;
  if (message == WM_INITDIALOG) {
    procedure = reinterpret_cast<DialogProcedure*>(lParam);
    ::SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(procedure));
  } else {
    procedure = reinterpret_cast<DialogProcedure*>(::GetWindowLongPtrA(dialog, DWLP_USER));
  }
  // Messages before WM_INITDIALOG (WM_SETFONT) go to the default processing.
  if (procedure == nullptr) return FALSE;

  bool handled = false;
  intptr_t result = procedure->DialogProc(FromHwnd(dialog), message, wParam, lParam, &handled);
  if (message == WM_INITDIALOG) return result;
  if (!handled) return FALSE;
  if (ReturnsResultDirectly(message)) return result;
  ::SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace

Hwnd Win32Desktop::FindTopLevelWindow(const std::string& title) {
  return FromHwnd(::FindWindowExA(nullptr, nullptr, nullptr, title.c_str()));
}

intptr_t Win32Desktop::SendMessage(Hwnd window, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam) {
  return ::SendMessageA(ToHwnd(window), message, wParam, lParam);
}

bool Win32Desktop::SendMessageTimeout(Hwnd window, uint32_t message, uintptr_t wParam,
                                      intptr_t lParam, uint32_t flags, uint32_t timeoutMilliseconds,
                                      uintptr_t* result) {
  DWORD_PTR answer = 0;
  if (!::SendMessageTimeoutA(ToHwnd(window), message, wParam, lParam, flags, timeoutMilliseconds,
                             &answer)) {
    return false;
  }
  *result = answer;
  return true;
}

bool Win32Desktop::ShowWindow(Hwnd window, int command) {
  return ::ShowWindow(ToHwnd(window), command) != FALSE;
}

bool Win32Desktop::EnableWindow(Hwnd window, bool enable) {
  return ::EnableWindow(ToHwnd(window), enable ? TRUE : FALSE) != FALSE;
}

bool Win32Desktop::IsIconic(Hwnd window) { return ::IsIconic(ToHwnd(window)) != FALSE; }

bool Win32Desktop::RedrawWindow(Hwnd window, uint32_t flags) {
  return ::RedrawWindow(ToHwnd(window), nullptr, nullptr, flags) != FALSE;
}

bool Win32Desktop::GetClientRect(Hwnd window, Rect* rect) {
  RECT client = {};
  if (!::GetClientRect(ToHwnd(window), &client)) return false;
  rect->left = client.left;
  rect->top = client.top;
  rect->right = client.right;
  rect->bottom = client.bottom;
  return true;
}

int Win32Desktop::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

intptr_t Win32Desktop::RunModalDialog(int templateId, Hwnd parent, DialogProcedure* procedure) {
  return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId),
                           ToHwnd(parent), HostDialogProc, reinterpret_cast<LPARAM>(procedure));
}

bool Win32Desktop::EndDialog(Hwnd dialog, intptr_t result) {
  return ::EndDialog(ToHwnd(dialog), result) != FALSE;
}

Hwnd Win32Desktop::GetDlgItem(Hwnd dialog, int controlId) {
  return FromHwnd(::GetDlgItem(ToHwnd(dialog), controlId));
}

intptr_t Win32Desktop::DefaultProcessing(Hwnd window, uint32_t message, uintptr_t wParam,
                                         intptr_t lParam) {
  return ::DefWindowProcA(ToHwnd(window), message, wParam, lParam);
}

MenuHandle Win32Desktop::GetSystemMenu(Hwnd window) {
  return reinterpret_cast<MenuHandle>(::GetSystemMenu(ToHwnd(window), FALSE));
}

bool Win32Desktop::AppendMenu(MenuHandle menu, uint32_t flags, uintptr_t id,
                              const std::string& text) {
  return ::AppendMenuA(reinterpret_cast<HMENU>(menu), flags, id, text.c_str()) != FALSE;
}

std::string Win32Desktop::LoadString(int id) {
  char buffer[4096];
  int length = ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer, sizeof(buffer));
  if (length <= 0) return std::string();
  return std::string(buffer, length);
}

IconHandle Win32Desktop::LoadIcon(int id) {
  return reinterpret_cast<IconHandle>(
      ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)));
}

void Win32Desktop::PaintIconic(Hwnd window, IconHandle icon, int x, int y) {
  PAINTSTRUCT paint = {};
  HDC dc = ::BeginPaint(ToHwnd(window), &paint);
  ::SendMessageA(ToHwnd(window), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  ::DrawIcon(dc, x, y, reinterpret_cast<HICON>(icon));
  ::EndPaint(ToHwnd(window), &paint);
}

int Win32Desktop::MessageBox(Hwnd owner, const std::string& text, const std::string& caption,
                             uint32_t type) {
  return ::MessageBoxA(ToHwnd(owner), text.c_str(), caption.c_str(), type);
}

CursorHandle Win32Desktop::ShowWaitCursor() {
  return reinterpret_cast<CursorHandle>(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT)));
}

void Win32Desktop::RestoreCursor(CursorHandle previous) {
  ::SetCursor(reinterpret_cast<HCURSOR>(previous));
}

void Win32Desktop::EnableThreeDControls() {
  using InitFunction = void(WINAPI*)();
  if (auto init = m_commonControls.Find<InitFunction>("InitCommonControls")) init();
}

}  // namespace platform
