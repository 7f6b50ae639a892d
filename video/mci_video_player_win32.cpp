// The video control's child window, and MCI's command strings sent on its behalf.
#include "video/mci_video_player_win32.h"

#include <mmsystem.h>
#include <windowsx.h>

#include <iterator>
#include <optional>
#include <string>

#include "startup/base_window_win32.h"
#include "startup/runtime_error.h"
#include "video/mci_player.h"

namespace torva {
namespace {

constexpr wchar_t kClassName[] = L"TorvaVideo";

std::optional<MciNotification> NotificationFrom(WPARAM flags) {
  switch (flags) {
    case MCI_NOTIFY_SUCCESSFUL: return MciNotification::Successful;
    case MCI_NOTIFY_SUPERSEDED: return MciNotification::Superseded;
    case MCI_NOTIFY_ABORTED: return MciNotification::Aborted;
    case MCI_NOTIFY_FAILURE: return MciNotification::Failure;
  }
  return std::nullopt;
}

// WindowFromPoint, and with it the routing of mouse input, passes over disabled windows to their
// parent: https://learn.microsoft.com/windows/win32/api/winuser/nf-winuser-windowfrompoint
// Answering WM_NCHITTEST with HTTRANSPARENT would not do: MCI's window may belong to a thread of
// the device (it does under Wine), and that answer only passes input on within one thread.
BOOL CALLBACK DisableWindow(HWND window, LPARAM) {
  EnableWindow(window, FALSE);
  return TRUE;
}

int ScreenDpi(int index) {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, index);
  ReleaseDC(nullptr, screen);
  return dpi;
}

}  // namespace

class MciVideoPlayer::Window final : public BaseWindow<Window>, public VideoSurface {
 public:
  Window(HWND parent, VideoControlEvents& events) : parent_(parent), events_(events) {
    WNDCLASSEXW windowClass{};
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClass(kClassName, windowClass);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
      font_ = CreateFontIndirectW(&metrics.lfMessageFont);
    }
    Create(kClassName, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, 0, parent);
    if (!hwnd()) {
      if (font_) DeleteObject(font_);
      throw RuntimeError(ErrorCode::DeviceIoError, L"video window");
    }
  }

  ~Window() override {
    if (hwnd()) DestroyWindow(hwnd());
    if (font_) DeleteObject(font_);
  }

  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  void SetPlayer(MciPlayer* player) { player_ = player; }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case MM_MCINOTIFY:
        // lParam names the device, but under Wine it is always 0; there is only one clip anyway.
        if (const auto notification = NotificationFrom(wParam)) OnMciNotify(*notification);
        return 0;
      case WM_LBUTTONDOWN: OnMouseDown(); return 0;
      case WM_LBUTTONUP: OnMouseUp({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
      case WM_CAPTURECHANGED: pressed_ = false; return 0;
      case WM_MOUSEMOVE: OnMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
      // Key preview: the window that holds the control handles every key, whoever has the focus.
      case WM_KEYDOWN:
      case WM_KEYUP:
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP:
        return SendMessageW(parent_, message, wParam, lParam);
      case WM_PAINT: OnPaint(); return 0;
    }
    return DefaultHandling(message, wParam, lParam);
  }

  // VideoSurface
  void SetVisible(bool visible) override {
    if (visible) {
      // Above the parent's other children, such as a picture that the video is meant to cover.
      SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    } else {
      ShowWindow(hwnd(), SW_HIDE);
    }
  }

  void MoveTo(const PixelRect& area) override {
    SetWindowPos(hwnd(), nullptr, area.left, area.top, area.width, area.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void ShowMessage(const std::wstring& text) override {
    message_ = text;
    InvalidateRect(hwnd(), nullptr, TRUE);
  }

  std::uintptr_t NativeHandle() const override { return reinterpret_cast<std::uintptr_t>(hwnd()); }

  void MakeInnerWindowsInert() override { EnumChildWindows(hwnd(), &DisableWindow, 0); }

 private:
  void OnMciNotify(MciNotification notification) {
    if (player_) player_->OnNotify(notification);
  }

  // A click is a press and a release of the left button, both over the control.
  void OnMouseDown() {
    pressed_ = true;
    SetCapture(hwnd());
  }

  void OnMouseUp(POINT where) {
    const bool wasPressed = pressed_;
    pressed_ = false;
    if (GetCapture() == hwnd()) ReleaseCapture();
    RECT client;
    GetClientRect(hwnd(), &client);
    if (wasPressed && PtInRect(&client, where)) events_.OnVideoClick();
  }

  void OnMouseMove(POINT where) {
    ClientToScreen(hwnd(), &where);
    events_.OnVideoMouseMove({where.x, where.y});
  }

  void OnPaint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd(), &paint);
    if (!message_.empty()) {
      RECT client;
      GetClientRect(hwnd(), &client);
      SetTextColor(dc, RGB(255, 255, 255));
      SetBkMode(dc, TRANSPARENT);
      const HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
      DrawTextW(dc, message_.c_str(), static_cast<int>(message_.size()), &client,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
      SelectObject(dc, oldFont);
    }
    EndPaint(hwnd(), &paint);
  }

  HWND parent_;
  VideoControlEvents& events_;
  MciPlayer* player_ = nullptr;
  HFONT font_ = nullptr;
  std::wstring message_;
  bool pressed_ = false;
};

class MciVideoPlayer::Device final : public MciDevice {
 public:
  explicit Device(HWND notifyWindow) : notifyWindow_(notifyWindow) {}

  MciReply Send(const std::wstring& command) override {
    wchar_t text[256] = {};
    const MCIERROR error = mciSendStringW(command.c_str(), text, static_cast<UINT>(std::size(text)),
                                          notifyWindow_);
    return {error, text};
  }

  std::wstring ErrorText(unsigned long error) override {
    wchar_t text[MAXERRORLENGTH] = {};
    if (mciGetErrorStringW(error, text, static_cast<UINT>(std::size(text)))) return text;
    return L"MCI error " + std::to_wstring(error) + L".";
  }

 private:
  HWND notifyWindow_;
};

MciVideoPlayer::MciVideoPlayer(HWND parent, VideoControlEvents& events)
    : window_(std::make_unique<Window>(parent, events)),
      device_(std::make_unique<Device>(window_->hwnd())),
      player_(std::make_unique<MciPlayer>(*device_, *window_, ScreenDpi(LOGPIXELSX),
                                          ScreenDpi(LOGPIXELSY))) {
  window_->SetPlayer(player_.get());
}

MciVideoPlayer::~MciVideoPlayer() {
  window_->SetPlayer(nullptr);
  player_.reset();
}

void MciVideoPlayer::SetMute(bool mute) { player_->SetMute(mute); }
void MciVideoPlayer::SetDeviceType(const std::wstring& deviceType) {
  player_->SetDeviceType(deviceType);
}
void MciVideoPlayer::SetFileName(const std::wstring& path) { player_->SetFileName(path); }
void MciVideoPlayer::SetCommand(int command) { player_->SetCommand(command); }
void MciVideoPlayer::SetVisible(bool visible) { player_->SetVisible(visible); }
void MciVideoPlayer::Move(float left, float top, float width, float height) {
  player_->Move(left, top, width, height);
}

HWND MciVideoPlayer::hwnd() const { return window_->hwnd(); }

}  // namespace torva
