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

}  // namespace

void ReportAndEnd(const RuntimeError& error) {
  const std::wstring text = [&] {
    const MessageFontMeasure measure;
    return FormatErrorReport(error, [&](std::wstring_view line) { return measure.Width(line); });
  }();
  MessageBoxW(nullptr, text.c_str(), kProgramName, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  ExitProcess(static_cast<UINT>(error.code()));
}

void EndProgram() { ExitProcess(0); }

}  // namespace torva
