// Showing the run-time error report and ending the process, from anywhere in the Win32 code.
#pragma once

#include <windows.h>

#include <exception>
#include <new>

#include "startup/runtime_error.h"

namespace torva {

// Shows the report and ends the process with the error's number as its exit code. The report is
// owned by the top-level window of `window` (the window whose event failed; with none given, our
// active window), so that it stays in front of it, also of the topmost show window; with none of
// ours on screen it is topmost itself.
[[noreturn]] void ReportAndEnd(const RuntimeError& error, HWND window) noexcept;

// Sent to the report's owner once the report is closed, just before the process ends: the window
// lets go of what must not be cut off by the end (the show's clip graph: Wine's crashes when a
// process ends under a playing one).
inline constexpr UINT kReportClosedMessage = WM_APP + 0x100;

// The same for an error met when memory has run out or the C++ library has given up: nothing on
// the way allocates. `what` is the library's own text, or null.
[[noreturn]] void ReportFixedAndEnd(ErrorCode code, const char* what, HWND window) noexcept;

// Out of memory is reported where operator new fails, with no exception. And what the C++ runtime
// needs for an exception later, which it would otherwise take from the heap at the first one, is
// made now. Called at start.
void PrepareErrorReports();

// Runs an event handler of `window` (none for the start-up): any exception that escapes it is
// reported and ends the process, since exceptions must not unwind through the system's own frames.
template <class Handler>
auto RunGuarded(HWND window, Handler&& handler) noexcept -> decltype(handler()) {
  try {
    return handler();
  } catch (const RuntimeError& error) {
    ReportAndEnd(error, window);
  } catch (const std::bad_alloc&) {
    ReportFixedAndEnd(ErrorCode::OutOfMemory, nullptr, window);
  } catch (const std::exception& error) {
    ReportFixedAndEnd(ErrorCode::InternalError, error.what(), window);
  } catch (...) {
    ReportFixedAndEnd(ErrorCode::InternalError, "unknown exception", window);
  }
}

// Ends the program at once from inside a handler: no further event runs, nothing is saved.
[[noreturn]] void EndProgram();

}  // namespace torva
