// Wording of the run-time error report.
#include "startup/runtime_error.h"

#include <iterator>
#include <utility>

namespace torva {

RuntimeError::RuntimeError(ErrorCode code, std::wstring subject)
    : code_(code), subject_(std::move(subject)) {}

const wchar_t* DescribeError(ErrorCode code) {
  switch (code) {
    case ErrorCode::Overflow: return L"Overflow";
    case ErrorCode::OutOfMemory: return L"Out of memory";
    case ErrorCode::OutOfStringSpace: return L"Out of string space";
    case ErrorCode::InternalError: return L"Internal error";
    case ErrorCode::FileNotFound: return L"File not found";
    case ErrorCode::DeviceIoError: return L"Device I/O error";
    case ErrorCode::FileAlreadyExists: return L"File already exists";
    case ErrorCode::DiskFull: return L"Disk full";
    case ErrorCode::InputPastEndOfFile: return L"Input past end of file";
    case ErrorCode::PermissionDenied: return L"Permission denied";
    case ErrorCode::PathFileAccessError: return L"Path/File access error";
    case ErrorCode::PathNotFound: return L"Path not found";
  }
  return L"Unknown error";
}

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The first `kept` characters of `text` split between its start and its end around "…", never
// through a surrogate pair.
std::wstring KeepEnds(std::wstring_view text, std::size_t kept) {
  std::size_t headEnd = (kept + 1) / 2;
  std::size_t tailStart = text.size() - kept / 2;
  if (headEnd > 0 && IsHighSurrogate(text[headEnd - 1])) --headEnd;
  if (tailStart < text.size() && IsLowSurrogate(text[tailStart])) ++tailStart;
  std::wstring shortened(text.substr(0, headEnd));
  shortened += L'…';
  shortened += text.substr(tailStart);
  return shortened;
}

// Line breaks and tabs in a subject (a command line may hold them) would stretch the box beyond
// the screen as surely as its length does.
std::wstring OnOneLine(std::wstring_view text) {
  std::wstring line(text);
  for (wchar_t& c : line) {
    if (c < L' ') c = L' ';
  }
  return line;
}

}  // namespace

std::wstring ShortenInMiddle(std::wstring_view text, int maxWidth, const TextWidth& widthOf) {
  if (widthOf(text) <= maxWidth) return std::wstring(text);
  // The most characters kept that still fit; a longer text never draws narrower.
  std::size_t fits = 0;
  std::size_t tooMany = text.size();
  while (tooMany - fits > 1) {
    const std::size_t kept = fits + (tooMany - fits) / 2;
    if (widthOf(KeepEnds(text, kept)) <= maxWidth) {
      fits = kept;
    } else {
      tooMany = kept;
    }
  }
  return KeepEnds(text, fits);
}

std::wstring FormatErrorReport(const RuntimeError& error, const TextWidth& widthOf) {
  std::wstring text = DescribeError(error.code());
  text += L":\n";
  text += ShortenInMiddle(OnOneLine(error.subject()), kReportSubjectWidth, widthOf);
  text += L"\n\nRun-time error ";
  text += std::to_wstring(static_cast<int>(error.code()));
  return text;
}

namespace {

// Appends to a fixed buffer and drops what does not fit; the text always ends in a null.
class FixedText {
 public:
  explicit FixedText(FixedReport& report) : report_(report) {}

  void Add(wchar_t c) {
    if (length_ + 1 < std::size(report_.text)) report_.text[length_++] = c;
    report_.text[length_] = L'\0';
  }
  void Add(const wchar_t* text) {
    while (*text) Add(*text++);
  }
  void AddNumber(int number) {
    if (number >= 10) AddNumber(number / 10);
    Add(static_cast<wchar_t>(L'0' + number % 10));
  }

 private:
  FixedReport& report_;
  std::size_t length_ = 0;
};

}  // namespace

FixedReport FormatFixedReport(ErrorCode code, const char* what) noexcept {
  FixedReport report{};
  FixedText text(report);
  text.Add(DescribeError(code));
  if (what && *what) {
    text.Add(L":\n");
    std::size_t taken = 0;
    for (; what[taken] && taken < kFixedSubjectLength; ++taken) {
      const auto byte = static_cast<unsigned char>(what[taken]);
      text.Add(byte < ' ' ? L' ' : static_cast<wchar_t>(byte));
    }
    if (what[taken]) text.Add(L'…');
  }
  text.Add(L"\n\nRun-time error ");
  text.AddNumber(static_cast<int>(code));
  return report;
}

}  // namespace torva
