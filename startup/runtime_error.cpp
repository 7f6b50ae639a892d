// Wording of the run-time error report.
#include "startup/runtime_error.h"

#include <utility>

namespace torva {

RuntimeError::RuntimeError(ErrorCode code, std::wstring subject)
    : code_(code), subject_(std::move(subject)) {}

const wchar_t* DescribeError(ErrorCode code) {
  switch (code) {
    case ErrorCode::Overflow: return L"Overflow";
    case ErrorCode::OutOfMemory: return L"Out of memory";
    case ErrorCode::InternalError: return L"Internal error";
    case ErrorCode::FileNotFound: return L"File not found";
    case ErrorCode::DeviceIoError: return L"Device I/O error";
    case ErrorCode::DiskFull: return L"Disk full";
    case ErrorCode::InputPastEndOfFile: return L"Input past end of file";
    case ErrorCode::PermissionDenied: return L"Permission denied";
    case ErrorCode::PathFileAccessError: return L"Path/File access error";
    case ErrorCode::PathNotFound: return L"Path not found";
  }
  return L"Unknown error";
}

std::wstring FormatErrorReport(const RuntimeError& error) {
  std::wstring text = DescribeError(error.code());
  text += L":\n";
  text += error.subject();
  text += L"\n\nRun-time error ";
  text += std::to_wstring(static_cast<int>(error.code()));
  return text;
}

}  // namespace torva
