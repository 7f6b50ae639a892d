// Handing the product's web address to the shell.
#include "startup/shell_win32.h"

#include <shellapi.h>

#include "startup/system_library_win32.h"

namespace torva {

void OpenWebAddress(HWND parent, const wchar_t* address) {
  // Loaded on the first click rather than at start: the shell brings a dozen libraries with it,
  // about a megabyte that a show nobody clicks would otherwise carry for hours. It stays loaded:
  // the shell may still be at work for us after the call returns.
  const auto shellExecute = SystemFunction<decltype(&ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
  // Show command 0 (hidden): the browser decides how to show itself; a normal show command would
  // also flash a window for handlers that have none.
  if (shellExecute) shellExecute(parent, L"open", address, nullptr, nullptr, SW_HIDE);
}

}  // namespace torva
