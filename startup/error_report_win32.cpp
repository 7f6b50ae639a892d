// The run-time error report.
#include "startup/error_report_win32.h"

namespace torva {
namespace {

// Measures text in the font the system draws message boxes in.
class MessageFontMeasure {
 public:
  MessageFontMeasure() : dc_(GetDC(nullptr)) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
      font_ = CreateFontIndirectW(&metrics.lfMessageFont);
    }
    if (font_) previous_ = SelectObject(dc_, font_);
  }
  ~MessageFontMeasure() {
    if (previous_) SelectObject(dc_, previous_);
    if (font_) DeleteObject(font_);
    ReleaseDC(nullptr, dc_);
  }
  MessageFontMeasure(const MessageFontMeasure&) = delete;
  MessageFontMeasure& operator=(const MessageFontMeasure&) = delete;

  int Width(std::wstring_view text) const {
    SIZE size{};
    GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }

 private:
  HDC dc_;
  HFONT font_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// The top-level window of ours that the report belongs in front of, if it is on screen: the one
// whose event failed, or else the one the user is at.
HWND ReportOwner(HWND window) {
  const HWND root = window ? GetAncestor(window, GA_ROOT) : GetActiveWindow();
  if (!root) return nullptr;
  // The preview's top-level window is the host's, in another process.
  DWORD process = 0;
  GetWindowThreadProcessId(root, &process);
  return process == GetCurrentProcessId() && IsWindowVisible(root) ? root : nullptr;
}

[[noreturn]] void ShowAndEnd(const wchar_t* text, ErrorCode code, HWND window) noexcept {
  const HWND owner = ReportOwner(window);
  MessageBoxW(owner, text, kProgramName,
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND | (owner ? 0 : MB_TOPMOST));
  if (owner) SendMessageW(owner, kReportClosedMessage, 0, 0);
  ExitProcess(static_cast<UINT>(code));
}

// operator new's handler when the heap cannot give what was asked: the report at once. Throwing
// std::bad_alloc instead needs memory for the exception; the runtime's reserve for that sits behind
// a lock that it creates from the heap on first use, and with the heap empty it fails over and
// over until the stack overflows (seen under Wine with this build's threads library).
[[noreturn]] void OnOutOfMemory() { ReportFixedAndEnd(ErrorCode::OutOfMemory, nullptr, nullptr); }

}  // namespace

void ReportAndEnd(const RuntimeError& error, HWND window) noexcept {
  std::wstring text;
  try {
    const MessageFontMeasure measure;
    text = FormatErrorReport(error, [&](std::wstring_view line) { return measure.Width(line); });
  } catch (const std::bad_alloc&) {
    // A text longer than can be allocated: the error still, without what it concerns.
    ReportFixedAndEnd(error.code(), nullptr, window);
  }
  ShowAndEnd(text.c_str(), error.code(), window);
}

void ReportFixedAndEnd(ErrorCode code, const char* what, HWND window) noexcept {
  const FixedReport report = FormatFixedReport(code, what);
  ShowAndEnd(report.text, code, window);
}

void PrepareErrorReports() {
  std::set_new_handler(&OnOutOfMemory);
  // The runtime's per-thread exception state is made on its first use, from the heap: asking for
  // it makes it now, while there is memory.
  volatile const int pending = std::uncaught_exceptions();
  static_cast<void>(pending);
}

void EndProgram() { ExitProcess(0); }

}  // namespace torva
