// Showing the run-time error report and ending the process, from anywhere in the Win32 code.
#pragma once

#include <windows.h>

#include "startup/runtime_error.h"

namespace torva {

// Shows the report (no owner window, so it also appears while nothing else is on screen) and ends
// the process with the error's number as its exit code.
[[noreturn]] void ReportAndEnd(const RuntimeError& error);

// Runs an event handler; a RuntimeError that escapes it is reported and ends the process, since
// exceptions must not unwind through the system's own frames.
template <class Handler>
auto RunGuarded(Handler&& handler) noexcept -> decltype(handler()) {
  try {
    return handler();
  } catch (const RuntimeError& error) {
    ReportAndEnd(error);
  }
}

// Ends the program at once from inside a handler: no further event runs, nothing is saved.
[[noreturn]] void EndProgram();

}  // namespace torva
