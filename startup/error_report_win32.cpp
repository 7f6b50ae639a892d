// The run-time error report.
#include "startup/error_report_win32.h"

namespace torva {

void ReportAndEnd(const RuntimeError& error) {
  const std::wstring text = FormatErrorReport(error);
  MessageBoxW(nullptr, text.c_str(), kProgramName, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  ExitProcess(static_cast<UINT>(error.code()));
}

void EndProgram() { ExitProcess(0); }

}  // namespace torva
