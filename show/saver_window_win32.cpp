// frmSS, the saver window: a black full-screen window holding the video and the logo, carrying out
// what the show decides and passing it every timer tick and input event.
#include "show/saver_window_win32.h"

#include <windows.h>
#include <windowsx.h>

#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "settings/win32_file_system.h"
#include "show/blank_window_win32.h"
#include "show/logo_window_win32.h"
#include "show/saver_show.h"
#include "show/show_screens.h"
#include "show/show_timers.h"
#include "startup/base_window_win32.h"
#include "startup/error_report_win32.h"
#include "startup/message_loop_win32.h"
#include "startup/program_directory_win32.h"
#include "startup/shell_win32.h"
#include "startup/twips.h"
#include "video/graph_video_player_win32.h"

#include "resources/resource.h"

namespace torva {
namespace {

constexpr wchar_t kShowClass[] = L"TorvaShow";
constexpr wchar_t kCaption[] = L"Form1";
// Held for the life of a show; a second show in the same session finds it and leaves.
constexpr wchar_t kShowMutex[] = L"Local\\TorvaShowRunning";
constexpr wchar_t kClipFileName[] = L"torva.mpg";

// Where Image1 waits, hidden, until the first switch to the logo.
constexpr float kLogoStartLeft = 2820;
constexpr float kLogoStartTop = 2880;

UINT_PTR NativeTimerId(TimerId timer) { return static_cast<UINT_PTR>(timer) + 1; }

std::optional<TimerId> TimerFromNative(WPARAM id) {
  for (const TimerId timer : {TimerId::Timer_loop, TimerId::Timer1, TimerId::Timer2}) {
    if (NativeTimerId(timer) == id) return timer;
  }
  return std::nullopt;
}

// The window's own timers: SetTimer with an id already running starts its interval over.
// https://learn.microsoft.com/windows/win32/api/winuser/nf-winuser-settimer
class WindowTimerDriver final : public TimerDriver {
 public:
  explicit WindowTimerDriver(HWND window) : window_(window) {}
  void Start(TimerId timer, std::chrono::milliseconds interval) override {
    SetTimer(window_, NativeTimerId(timer), static_cast<UINT>(interval.count()), nullptr);
  }
  void Stop(TimerId timer) override { KillTimer(window_, NativeTimerId(timer)); }

 private:
  HWND window_;
};

// The brand mark at the size the system uses for `widthMetric` x `heightMetric`.
HICON BrandIcon(int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TORVA), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), 0));
}

ScreenPoint ToScreen(HWND window, LPARAM clientPoint) {
  POINT point{GET_X_LPARAM(clientPoint), GET_Y_LPARAM(clientPoint)};
  ClientToScreen(window, &point);
  return {point.x, point.y};
}

ScreenPoint PointerNow() {
  POINT pointer{};
  GetCursorPos(&pointer);
  return {pointer.x, pointer.y};
}

// The show's screen in twips, as the show measures it.
ScreenSize InTwips(const PixelRect& area) {
  const HDC screenDc = GetDC(nullptr);
  const ScreenSize size{PixelsToTwips(area.width, GetDeviceCaps(screenDc, LOGPIXELSX)),
                        PixelsToTwips(area.height, GetDeviceCaps(screenDc, LOGPIXELSY))};
  ReleaseDC(nullptr, screenDc);
  return size;
}

class SaverWindow final : public BaseWindow<SaverWindow>,
                          public VideoControlEvents,
                          public Shell,
                          public Program {
 public:
  explicit SaverWindow(HANDLE showMutex) : showMutex_(showMutex) {}

  // Creates the window hidden, runs the load and only then shows it, so that a broken settings
  // file is reported before anything appears.
  void Load() {
    WNDCLASSEXW windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.hIcon = BrandIcon(SM_CXICON, SM_CYICON);
    windowClass.hIconSm = BrandIcon(SM_CXSMICON, SM_CYSMICON);
    RegisterClass(kShowClass, windowClass);

    // Topmost: other programs' always-on-top windows (notifications, tool bars) must not cover
    // the saver.
    Create(kShowClass, kCaption, WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOPMOST, 0, 0, 0, 0, nullptr);
    if (!hwnd()) throw RuntimeError(ErrorCode::DeviceIoError, L"show window");
    desktop_ = std::make_unique<MonitorDesktop>(hwnd());
    screens_ = std::make_unique<ShowScreens>(*desktop_);
    const ScreenSize screen = InTwips(screens_->Follow());
    // Also on the window itself, where the task switcher and other programs ask for it.
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(windowClass.hIcon));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(windowClass.hIconSm));

    video_ = std::make_unique<GraphVideoPlayer>(hwnd(), *this);
    logo_ = std::make_unique<LogoWindow>(hwnd(), kLogoStartLeft, kLogoStartTop,
                                         [this] { OnLogoClick(); });
    timerDriver_ = std::make_unique<WindowTimerDriver>(hwnd());
    timers_ = std::make_unique<ShowTimers>(*timerDriver_);
    show_ = std::make_unique<SaverShow>(ShowParts{*video_, *logo_, *timers_, *this, *this}, screen,
                                        ProgramFile(kClipFileName));

    OnLoad();
    // A saver may start with the display already off; the system reports a setting's present value
    // to a window that registers for it. Windows before 8 know only the older of the two settings,
    // later ones report both, which the show takes alike.
    // https://learn.microsoft.com/windows/win32/power/power-setting-guids
    for (const GUID* setting : {&GUID_CONSOLE_DISPLAY_STATE, &GUID_MONITOR_POWER_ON}) {
      if (const HPOWERNOTIFY notification =
              RegisterPowerSettingNotification(hwnd(), setting, DEVICE_NOTIFY_WINDOW_HANDLE)) {
        powerNotifications_.push_back(notification);
      }
    }

    ShowWindow(hwnd(), SW_SHOW);
    screens_->Show();
    SetForegroundWindow(hwnd());
    SetFocus(hwnd());
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!show_) return DefaultHandling(message, wParam, lParam);  // still being built
    switch (message) {
      case WM_TIMER:
        if (const auto timer = TimerFromNative(wParam)) OnTimer(*timer);
        return 0;
      // Key presses that reach the video control come here too: it passes them on.
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        OnKeyDown();
        return 0;
      // Not to the system: Alt, F10 and Alt+Space would open the window menu over the show.
      case WM_SYSKEYUP:
      case WM_SYSCHAR:
        return 0;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        OnMouseDown();
        return 0;
      // The second press of a double-click arrives as its own message (the class asks for them)
      // and is no MouseDown, nor is a press of an X button. Neither goes to the system either,
      // which would turn X buttons into a browser's Back and Forward.
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDBLCLK:
      case WM_MBUTTONDBLCLK:
        return 0;
      case WM_XBUTTONDOWN:
      case WM_XBUTTONUP:
      case WM_XBUTTONDBLCLK:
        return TRUE;
      case WM_MOUSEMOVE: OnMouseMove(ToScreen(hwnd(), lParam)); return 0;
      case WM_DISPLAYCHANGE:
        video_->ForwardOwnerMessage(hwnd(), message, wParam, lParam);
        OnDisplayChange();
        return 0;
      // Heard only by top-level windows, but the picture's window needs them too.
      case WM_SYSCOLORCHANGE:
      case WM_PALETTECHANGED:
      case WM_PALETTEISCHANGING:
      case WM_QUERYNEWPALETTE:
      case WM_DEVMODECHANGE:
      case WM_ACTIVATEAPP:
        video_->ForwardOwnerMessage(hwnd(), message, wParam, lParam);
        break;
      case WM_POWERBROADCAST: OnPowerBroadcast(wParam, lParam); return TRUE;
      case WM_SYSCOMMAND:
        // The system asks the running saver to start a saver; it already is one.
        if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
        break;
      // The show never outlives its window, however the window goes.
      case WM_DESTROY: End(); break;
      // An error report of ours is closed and the process ends: the clip's graph goes first.
      case kReportClosedMessage: OnReportClosed(); return 0;
    }
    return DefaultHandling(message, wParam, lParam);
  }

  // VideoControlEvents
  void OnVideoClick() override { show_->OnVideoClick(); }
  void OnVideoMouseMove(ScreenPoint where) override { show_->OnVideoMouseMove(where); }

  // Shell
  void OpenWebAddress(const wchar_t* address) override { torva::OpenWebAddress(hwnd(), address); }

  // Program
  bool ReadSoundSetting() override { return ReadProgramSoundSetting(); }
  void LetPendingEventsRun() override { torva::LetPendingEventsRun(); }
  void End() override {
    for (const HPOWERNOTIFY notification : powerNotifications_) {
      UnregisterPowerSettingNotification(notification);
    }
    powerNotifications_.clear();
    // Release the clip's graph first: a process ended while its graph still plays can crash on the
    // way out (it does under Wine), and its exit code would then report a failure.
    video_.reset();
    EndProgram();
  }

 private:
  void OnLoad() { show_->OnLoad(PointerNow()); }

  void OnTimer(TimerId timer) {
    // A tick queued before its timer was disabled comes too late to count.
    if (timers_->Fires(timer)) show_->OnTimer(timer);
  }

  void OnKeyDown() { show_->OnKeyDown(); }
  void OnMouseDown() { show_->OnMouseDown(); }
  void OnMouseMove(ScreenPoint where) { show_->OnMouseMove(where); }
  void OnLogoClick() { show_->OnLogoClick(); }
  void OnDisplayChange() { show_->OnDisplayChange(InTwips(screens_->Follow()), PointerNow()); }
  void OnReportClosed() { video_.reset(); }

  // https://learn.microsoft.com/windows/win32/power/wm-powerbroadcast
  void OnPowerBroadcast(WPARAM event, LPARAM data) {
    switch (event) {
      case PBT_POWERSETTINGCHANGE:
        if (data) OnPowerSettingChange(*reinterpret_cast<const POWERBROADCAST_SETTING*>(data));
        break;
      case PBT_APMSUSPEND: show_->OnSuspend(); break;
      // The second comes after the first when a person woke the computer.
      case PBT_APMRESUMEAUTOMATIC:
      case PBT_APMRESUMESUSPEND:
        show_->OnResume();
        break;
    }
  }

  void OnPowerSettingChange(const POWERBROADCAST_SETTING& setting) {
    if (setting.DataLength < sizeof(DWORD)) return;
    if (!IsEqualGUID(setting.PowerSetting, GUID_CONSOLE_DISPLAY_STATE) &&
        !IsEqualGUID(setting.PowerSetting, GUID_MONITOR_POWER_ON)) {
      return;
    }
    DWORD state = 0;
    std::memcpy(&state, setting.Data, sizeof state);
    show_->OnDisplayPower(DisplayPowerFromState(state));
  }

  HANDLE showMutex_;  // held until the process ends
  std::unique_ptr<MonitorDesktop> desktop_;
  std::unique_ptr<ShowScreens> screens_;  // the show window and the blanks over the monitors
  std::unique_ptr<GraphVideoPlayer> video_;  // FXVid1
  std::unique_ptr<LogoWindow> logo_;       // Image1
  std::unique_ptr<WindowTimerDriver> timerDriver_;
  std::unique_ptr<ShowTimers> timers_;
  std::unique_ptr<SaverShow> show_;
  std::vector<HPOWERNOTIFY> powerNotifications_;  // until the show ends
};

}  // namespace

void StartShow() {
  const HANDLE showMutex = CreateMutexW(nullptr, FALSE, kShowMutex);
  if (showMutex && GetLastError() == ERROR_ALREADY_EXISTS) EndProgram();
  // The window lives as long as the process: the show ends by ending the process.
  (new SaverWindow(showMutex))->Load();
}

}  // namespace torva
