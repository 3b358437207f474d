// Asking another program's window to close.
#pragma once

#include "platform/Desktop.h"

// Sends WM_CLOSE and waits until the window has handled it, as a synchronous
// send does, but gives up on a program that has stopped answering messages
// (or takes longer than kCloseAnswerTimeout to answer) instead of waiting for
// it for ever. True when the window answered.
bool AskWindowToClose(platform::Desktop& desktop, platform::Hwnd window);

constexpr uint32_t kCloseAnswerTimeout = 30000;
