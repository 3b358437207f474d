#include "common/WindowClosing.h"

#include "platform/WinApi.h"

bool AskWindowToClose(platform::Desktop& desktop, platform::Hwnd window) {
  uintptr_t answer = 0;
  return desktop.SendMessageTimeout(window, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                    kCloseAnswerTimeout, &answer);
}
