// Handing the product's web address to the shell.
#include "startup/shell_win32.h"

#include <shellapi.h>

namespace torva {

void OpenWebAddress(HWND parent, const wchar_t* address) {
  // Show command 0 (hidden): the browser decides how to show itself; a normal show command would
  // also flash a window for handlers that have none.
  ShellExecuteW(parent, L"open", address, nullptr, nullptr, SW_HIDE);
}

}  // namespace torva
