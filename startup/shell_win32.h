// Handing the product's web address to the shell.
#pragma once

#include <windows.h>

namespace torva {

// Opens `address` with the shell's "open" verb on behalf of `parent`. The result is not checked:
// with no browser installed nothing opens, and the caller carries on all the same.
void OpenWebAddress(HWND parent, const wchar_t* address);

}  // namespace torva
