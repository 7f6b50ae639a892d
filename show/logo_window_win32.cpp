// The show's logo picture.
#include "show/logo_window_win32.h"

#include <windowsx.h>

#include <utility>

#include "startup/runtime_error.h"
#include "startup/twips.h"

#include "resources/resource.h"

namespace torva {
namespace {

constexpr wchar_t kLogoClass[] = L"TorvaLogo";

}  // namespace

LogoWindow::LogoWindow(Program& program, HWND parent, float left, float top,
                       std::function<void()> onClick)
    : BaseWindow(program), onClick_(std::move(onClick)) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  bitmap_ = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_LOGO), IMAGE_BITMAP, 0, 0, 0));
  BITMAP info{};
  if (!bitmap_ || !GetObjectW(bitmap_, sizeof info, &info)) {
    throw RuntimeError(ErrorCode::FileNotFound, L"logo picture");
  }
  size_ = {info.bmWidth, info.bmHeight};

  const HDC screen = GetDC(nullptr);
  dpiX_ = GetDeviceCaps(screen, LOGPIXELSX);
  dpiY_ = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);

  WNDCLASSEXW windowClass{};
  windowClass.hCursor = LoadCursorW(instance, MAKEINTRESOURCEW(IDC_LOGO_HAND));
  RegisterClass(kLogoClass, windowClass);
  Create(kLogoClass, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, TwipsToPixels(left, dpiX_),
         TwipsToPixels(top, dpiY_), size_.cx, size_.cy, parent);
  SetWindowPos(hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LogoWindow::~LogoWindow() { DeleteObject(bitmap_); }

void LogoWindow::SetVisible(bool visible) { ShowWindow(hwnd(), visible ? SW_SHOWNA : SW_HIDE); }

void LogoWindow::Move(float left, float top) {
  SetWindowPos(hwnd(), nullptr, TwipsToPixels(left, dpiX_), TwipsToPixels(top, dpiY_), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

float LogoWindow::Width() const { return PixelsToTwips(size_.cx, dpiX_); }

float LogoWindow::Height() const { return PixelsToTwips(size_.cy, dpiY_); }

LRESULT LogoWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;  // the picture covers the whole window
    case WM_LBUTTONDOWN: OnLeftButtonDown(); return 0;
    case WM_LBUTTONUP: OnLeftButtonUp({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
    case WM_CAPTURECHANGED: pressed_ = false; return 0;
    // Every other mouse event over the logo is the logo's own and counts as nothing.
    case WM_MOUSEMOVE:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return 0;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
      return TRUE;
  }
  return DefaultHandling(message, wParam, lParam);
}

void LogoWindow::OnPaint() {
  PAINTSTRUCT paint;
  const HDC target = BeginPaint(hwnd(), &paint);
  const HDC source = CreateCompatibleDC(target);
  const HGDIOBJ previous = SelectObject(source, bitmap_);
  BitBlt(target, 0, 0, size_.cx, size_.cy, source, 0, 0, SRCCOPY);
  SelectObject(source, previous);
  DeleteDC(source);
  EndPaint(hwnd(), &paint);
}

void LogoWindow::OnLeftButtonDown() {
  pressed_ = true;
  // Keeps the button's release ours even off the logo, so a press dragged away is no click.
  SetCapture(hwnd());
}

void LogoWindow::OnLeftButtonUp(POINT where) {
  const bool wasPressed = pressed_;
  pressed_ = false;
  if (GetCapture() == hwnd()) ReleaseCapture();
  RECT area;
  GetClientRect(hwnd(), &area);
  if (wasPressed && PtInRect(&area, where)) onClick_();
}

}  // namespace torva
