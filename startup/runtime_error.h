// The run-time errors that end the program, and the text of the report shown before it ends.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace torva {

// The platform's own error numbers, so that a report reads the same as any other program's on it.
// The number is also the process exit code after the report.
enum class ErrorCode : int {
  Overflow = 6,
  OutOfMemory = 7,
  OutOfStringSpace = 14,
  InternalError = 51,
  FileNotFound = 53,
  DeviceIoError = 57,
  FileAlreadyExists = 58,
  DiskFull = 61,
  InputPastEndOfFile = 62,
  PermissionDenied = 70,
  PathFileAccessError = 75,
  PathNotFound = 76,
};

// Thrown by the pure code; the Win32 glue catches it at the edge of every event handler, shows the
// report and ends the process. `subject` is what the error concerns: a file's path, or the text read.
// Not a std::runtime_error: that one drags the library's narrow strings into the shipped program.
class RuntimeError : public std::exception {
 public:
  RuntimeError(ErrorCode code, std::wstring subject);

  const char* what() const noexcept override { return "torva run-time error"; }
  ErrorCode code() const { return code_; }
  const std::wstring& subject() const { return subject_; }

 private:
  ErrorCode code_;
  std::wstring subject_;
};

const wchar_t* DescribeError(ErrorCode code);

// The width in pixels of one line of the report as the message box will draw it.
using TextWidth = std::function<int(std::wstring_view)>;

// The widest the subject may be drawn: with the icon, the margins and the frame the box then still
// fits an 800 x 600 screen, so its words and its OK button can always be reached.
inline constexpr int kReportSubjectWidth = 480;

// The message box text: the error, what it concerns, and its number for anyone reporting it, each
// on its own line. The subject is shown on one line and cut in its middle to kReportSubjectWidth.
std::wstring FormatErrorReport(const RuntimeError& error, const TextWidth& widthOf);

// `text` with "…" in place of as much of its middle as must go for it to fit in `maxWidth`; its
// start and its end stay.
std::wstring ShortenInMiddle(std::wstring_view text, int maxWidth, const TextWidth& widthOf);

// A report put together without allocating, for when memory has run out or the C++ library has
// given up: the error, the library's own words when it has any, and the number, each on its own
// line like FormatErrorReport's. `what` is narrow text, taken byte by byte as Latin-1 and cut
// with "…" to kFixedSubjectLength characters.
inline constexpr std::size_t kFixedSubjectLength = 120;
struct FixedReport {
  wchar_t text[200];
};
FixedReport FormatFixedReport(ErrorCode code, const char* what) noexcept;

inline constexpr wchar_t kProgramName[] = L"Torva";

}  // namespace torva
