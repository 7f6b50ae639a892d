// The program's life on Windows.
#include "startup/program_win32.h"

#include <utility>

#include "startup/error_report_win32.h"

namespace torva {
namespace {

// The C++ runtime's failure handlers (operator new's and std::terminate's) are process-wide
// function pointers that take no context. This is theirs: the one Program while it lives, so that
// their report, too, stops the mode first and is shown only once.
Program* runtimeFailureContext = nullptr;

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

// operator new's handler when the heap cannot give what was asked: the report at once. Throwing
// std::bad_alloc instead needs memory for the exception; the runtime's reserve for that sits behind
// a lock that it creates from the heap on first use, and with the heap empty it fails over and
// over until the stack overflows (seen under Wine with this build's threads library).
[[noreturn]] void OnOutOfMemory() { ReportLastResort(ErrorCode::OutOfMemory, nullptr); }

}  // namespace

Program::Program() {
  runtimeFailureContext = this;
  std::set_new_handler(&OnOutOfMemory);
  // The runtime's per-thread exception state is made on its first use, from the heap: asking for
  // it makes it now, while there is memory.
  volatile const int pending = std::uncaught_exceptions();
  static_cast<void>(pending);
}

Program::~Program() { runtimeFailureContext = nullptr; }

void Program::End(int exitCode) {
  if (!life_.RunsEvents()) return;
  life_.End(exitCode);
  // Also ends a loop of the system's that a handler may be in (a shell call, a window being
  // moved); ours stops as soon as the handler returns.
  PostQuitMessage(exitCode);
}

int Program::RunMessageLoop() {
  MSG message;
  while (!life_.Ended() && GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message);
  // A quit from elsewhere (any program may post one to our thread) ends the program too.
  life_.End(0);
  return life_.exitCode();
}

void Program::LetPendingEventsRun() {
  MSG message;
  while (life_.RunsEvents() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Leave the quit for the main loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(message);
  }
}

bool Program::BeginReport(ErrorCode code) noexcept {
  if (!life_.BeginReport(static_cast<int>(code))) return false;
  // The report's own loop dispatches our windows' messages, which are refused from now on; what
  // runs by itself (the rhythm's timers, the clip) must not run on for nobody behind it.
  if (stopForReport_) stopForReport_();
  return true;
}

void Program::EndReport() noexcept {
  life_.EndReport();
  PostQuitMessage(life_.exitCode());
}

void Program::Report(const RuntimeError& error, HWND window) noexcept {
  if (!BeginReport(error.code())) return;
  ShowErrorReport(error, window);
  EndReport();
}

void Program::ReportFixed(ErrorCode code, const char* what, HWND window) noexcept {
  if (!BeginReport(code)) return;
  ShowFixedErrorReport(code, what, window);
  EndReport();
}

void Program::ReportAndTerminate(ErrorCode code, const char* what) noexcept {
  // While another report is up, that one's number stands.
  if (BeginReport(code)) ShowFixedErrorReport(code, what, nullptr);
  // Not ExitProcess: the libraries' own ends (the media engine's among them) would run under a
  // mode that was never taken down, and can crash there, which would change the exit code.
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(life_.exitCode()));
  ExitProcess(static_cast<UINT>(life_.exitCode()));
}

void ReportLastResort(ErrorCode code, const char* what) noexcept {
  if (runtimeFailureContext) runtimeFailureContext->ReportAndTerminate(code, what);
  ShowFixedErrorReport(code, what, nullptr);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
  ExitProcess(static_cast<UINT>(code));
}

}  // namespace torva
