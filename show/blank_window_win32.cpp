// The black windows over the other monitors, and the desktop's monitors as the system reports them.
#include "show/blank_window_win32.h"

#include <windowsx.h>

#include "startup/runtime_error.h"

namespace torva {
namespace {

constexpr wchar_t kBlankClass[] = L"TorvaBlank";
constexpr wchar_t kBlankCaption[] = L"Torva blank";

// Allocates nothing: an exception here would have to unwind through the system's frames.
BOOL CALLBACK AddMonitor(HMONITOR handle, HDC, LPRECT, LPARAM context) {
  auto& monitors = *reinterpret_cast<std::vector<Monitor>*>(context);
  if (monitors.size() == monitors.capacity()) return FALSE;
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(handle, &info)) {
    const RECT& area = info.rcMonitor;
    monitors.push_back({{area.left, area.top, area.right - area.left, area.bottom - area.top},
                        (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  }
  return TRUE;
}

}  // namespace

BlankWindow::BlankWindow(Program& program, HWND showWindow, const PixelRect& area)
    : BaseWindow(program), showWindow_(showWindow) {
  WNDCLASSEXW windowClass{};
  // Double-clicks arrive as the show window's own do, so both count a double-click alike.
  windowClass.style = CS_DBLCLKS;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  RegisterClass(kBlankClass, windowClass);
  // A tool window stays out of the taskbar and the task switcher; not owned by the show window,
  // which would keep it above the show.
  Create(kBlankClass, kBlankCaption, WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
         area.left, area.top, area.width, area.height, nullptr);
  if (!hwnd()) throw RuntimeError(ErrorCode::DeviceIoError, L"blank window");
}

void BlankWindow::Show() {
  // Just below the show window, among the topmost windows.
  SetWindowPos(hwnd(), showWindow_, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void BlankWindow::MoveTo(const PixelRect& area) {
  SetWindowPos(hwnd(), nullptr, area.left, area.top, area.width, area.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT BlankWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    // A click here must leave the keyboard with the show window, which counts the keys.
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
    case WM_XBUTTONDBLCLK:
      return RelayMouse(message, wParam, lParam);
  }
  return DefaultHandling(message, wParam, lParam);
}

LRESULT BlankWindow::RelayMouse(UINT message, WPARAM wParam, LPARAM lParam) {
  // The same point in the show window's client coordinates, which may lie outside it: the show
  // takes it back to the screen, where its filter against moves that do not move looks.
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(hwnd(), &point);
  ScreenToClient(showWindow_, &point);
  return SendMessageW(showWindow_, message, wParam, MAKELPARAM(point.x, point.y));
}

std::vector<Monitor> MonitorDesktop::Monitors() const {
  std::vector<Monitor> monitors;
  // Room for them all beforehand; a monitor that joins in between comes with a display change of
  // its own, which looks again.
  monitors.reserve(static_cast<std::size_t>(GetSystemMetrics(SM_CMONITORS)) + 1);
  EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

PixelSize MonitorDesktop::ScreenSize() const {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void MonitorDesktop::MoveShowWindow(const PixelRect& area) {
  SetWindowPos(showWindow_, nullptr, area.left, area.top, area.width, area.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

std::unique_ptr<BlankScreen> MonitorDesktop::CreateBlank(const PixelRect& area) {
  return std::make_unique<BlankWindow>(program_, showWindow_, area);
}

}  // namespace torva
