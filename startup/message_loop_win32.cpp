// The thread's message loop.
#include "startup/message_loop_win32.h"

#include <windows.h>

namespace torva {
namespace {

bool IsDialog(HWND window) {
  wchar_t className[8] = {};
  GetClassNameW(window, className, 8);
  return lstrcmpW(className, L"#32770") == 0;
}

void Dispatch(MSG& message) {
  // Tab, arrow keys, Space and Enter in a dialog are handled by the dialog manager.
  if (message.hwnd) {
    const HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (root && IsDialog(root) && IsDialogMessageW(root, &message)) return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

}  // namespace

int RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message);
  return static_cast<int>(message.wParam);
}

void LetPendingEventsRun() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Leave the quit for the main loop, which ends the process when no window is left.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(message);
  }
}

}  // namespace torva
