// The run-time error report as the user sees it.
#pragma once

#include <windows.h>

#include "startup/runtime_error.h"

namespace torva {

// Shows the report and returns once it is closed. It is owned by the top-level window of `window`
// (the window whose event failed; with none given, our active window), so that it stays in front
// of it, also of the topmost show window; with none of ours on screen it is topmost itself.
void ShowErrorReport(const RuntimeError& error, HWND window) noexcept;

// The same for an error met when memory has run out or the C++ library has given up: nothing on
// the way allocates. `what` is the library's own text, or null.
void ShowFixedErrorReport(ErrorCode code, const char* what, HWND window) noexcept;

}  // namespace torva
