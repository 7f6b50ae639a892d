// The run-time error report.
#include "startup/error_report_win32.h"

#include <new>
#include <string>

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

void Show(const wchar_t* text, HWND window) noexcept {
  const HWND owner = ReportOwner(window);
  MessageBoxW(owner, text, kProgramName,
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND | (owner ? 0 : MB_TOPMOST));
}

}  // namespace

void ShowErrorReport(const RuntimeError& error, HWND window) noexcept {
  std::wstring text;
  try {
    const MessageFontMeasure measure;
    text = FormatErrorReport(error, [&](std::wstring_view line) { return measure.Width(line); });
  } catch (const std::bad_alloc&) {
    // A text longer than can be allocated: the error still, without what it concerns.
    ShowFixedErrorReport(error.code(), nullptr, window);
    return;
  }
  Show(text.c_str(), window);
}

void ShowFixedErrorReport(ErrorCode code, const char* what, HWND window) noexcept {
  const FixedReport report = FormatFixedReport(code, what);
  Show(report.text, window);
}

}  // namespace torva
