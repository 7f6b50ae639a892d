// The saver window: a black full-screen window holding the video and the logo, carrying out what
// the show decides and passing it its phase timer and every input event.
#include "show/saver_window_win32.h"

#include <windows.h>
#include <windowsx.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "settings/win32_file_system.h"
#include "startup/com_apartment_win32.h"
#include "show/blank_window_win32.h"
#include "show/logo_window_win32.h"
#include "show/saver_show.h"
#include "show/show_screens.h"
#include "startup/base_window_win32.h"
#include "startup/program_directory_win32.h"
#include "startup/program_win32.h"
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

// Where the logo waits, hidden, until the first switch to it.
constexpr float kLogoStartLeft = 2820;
constexpr float kLogoStartTop = 2880;

constexpr UINT_PTR kPhaseTimerId = 1;

std::chrono::milliseconds Now() { return std::chrono::milliseconds(GetTickCount64()); }

// The window's timer for the end of the phase, one-shot: SetTimer with the id already running
// starts its interval over, and the window stops it at its first tick.
// https://learn.microsoft.com/windows/win32/api/winuser/nf-winuser-settimer
class WindowPhaseTimer final : public PhaseTimer {
 public:
  explicit WindowPhaseTimer(HWND window) : window_(window) {}
  void Start(std::chrono::milliseconds delay) override {
    SetTimer(window_, kPhaseTimerId, static_cast<UINT>(delay.count()), nullptr);
  }
  void Cancel() override { KillTimer(window_, kPhaseTimerId); }

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

// The show's single-instance mark, held from the start to the end of the process's show.
class ShowMutex {
 public:
  ShowMutex() : handle_(CreateMutexW(nullptr, FALSE, kShowMutex)), taken_(GetLastError() == ERROR_ALREADY_EXISTS) {}
  ~ShowMutex() {
    if (handle_) CloseHandle(handle_);
  }
  ShowMutex(const ShowMutex&) = delete;
  ShowMutex& operator=(const ShowMutex&) = delete;

  // Another show of this session holds it.
  bool TakenElsewhere() const { return handle_ && taken_; }

 private:
  HANDLE handle_;
  bool taken_;
};

// The show window's registrations for the display's power state, each released by its own handle.
class DisplayPowerNotifications {
 public:
  explicit DisplayPowerNotifications(HWND window) {
    // A saver may start with the display already off; the system reports a setting's present value
    // to a window that registers for it. Windows before 8 know only the older of the two settings,
    // later ones report both, which the show takes alike.
    // https://learn.microsoft.com/windows/win32/power/power-setting-guids
    for (const GUID* setting : {&GUID_CONSOLE_DISPLAY_STATE, &GUID_MONITOR_POWER_ON}) {
      if (const HPOWERNOTIFY notification =
              RegisterPowerSettingNotification(window, setting, DEVICE_NOTIFY_WINDOW_HANDLE)) {
        handles_.push_back(notification);
      }
    }
  }
  ~DisplayPowerNotifications() {
    for (const HPOWERNOTIFY notification : handles_) UnregisterPowerSettingNotification(notification);
  }
  DisplayPowerNotifications(const DisplayPowerNotifications&) = delete;
  DisplayPowerNotifications& operator=(const DisplayPowerNotifications&) = delete;

 private:
  std::vector<HPOWERNOTIFY> handles_;
};

// The display state a power setting notification carries, read only where it can be read: the
// message may come from any program, with any number for the address.
std::optional<DWORD> DisplayStateAt(LPARAM data) {
  if (!data) return std::nullopt;
  const auto* address = reinterpret_cast<const unsigned char*>(data);
  POWERBROADCAST_SETTING header{};
  SIZE_T read = 0;
  // ReadProcessMemory answers false for an address that is not readable instead of faulting.
  if (!ReadProcessMemory(GetCurrentProcess(), address, &header, offsetof(POWERBROADCAST_SETTING, Data), &read) ||
      read != offsetof(POWERBROADCAST_SETTING, Data) || header.DataLength < sizeof(DWORD)) {
    return std::nullopt;
  }
  if (!IsEqualGUID(header.PowerSetting, GUID_CONSOLE_DISPLAY_STATE) &&
      !IsEqualGUID(header.PowerSetting, GUID_MONITOR_POWER_ON)) {
    return std::nullopt;
  }
  DWORD state = 0;
  if (!ReadProcessMemory(GetCurrentProcess(), address + offsetof(POWERBROADCAST_SETTING, Data), &state,
                         sizeof state, &read) ||
      read != sizeof state) {
    return std::nullopt;
  }
  return state;
}

class SaverWindow final : public BaseWindow<SaverWindow>,
                          public VideoControlEvents,
                          public Shell,
                          public ProgramControl {
 public:
  explicit SaverWindow(Program& program) : BaseWindow(program) {}
  ~SaverWindow() { program().StopForReportsWith(nullptr); }
  SaverWindow(const SaverWindow&) = delete;
  SaverWindow& operator=(const SaverWindow&) = delete;

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
    desktop_ = std::make_unique<MonitorDesktop>(program(), hwnd());
    screens_ = std::make_unique<ShowScreens>(*desktop_);
    const ScreenSize screen = InTwips(screens_->Follow());
    // Also on the window itself, where the task switcher and other programs ask for it.
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(windowClass.hIcon));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(windowClass.hIconSm));

    video_ = std::make_unique<GraphVideoPlayer>(program(), hwnd(), *this);
    logo_ = std::make_unique<LogoWindow>(program(), hwnd(), kLogoStartLeft, kLogoStartTop,
                                         [this] { OnLogoClick(); });
    timer_ = std::make_unique<WindowPhaseTimer>(hwnd());
    show_ = std::make_unique<SaverShow>(ShowParts{*video_, *logo_, *timer_, *this, *this}, screen,
                                        ProgramFile(kClipFileName));

    program().StopForReportsWith([this] { show_->StopForReport(); });

    show_->Start(PointerNow(), Now());
    powerNotifications_ = std::make_unique<DisplayPowerNotifications>(hwnd());
    // A handler that failed while the load let pending events run was reported; the program ends.
    if (program().Ended()) return;

    ShowWindow(hwnd(), SW_SHOW);
    screens_->Show();
    SetForegroundWindow(hwnd());
    SetFocus(hwnd());
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!show_) return DefaultHandling(message, wParam, lParam);  // still being built
    switch (message) {
      case WM_TIMER:
        if (wParam == kPhaseTimerId) OnPhaseTimer();
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
      // Ends the show like any other end; the window goes with the rest of the show after the loop.
      case WM_CLOSE: End(); return 0;
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
  void LetPendingEventsRun() override { program().LetPendingEventsRun(); }
  void End() override { program().End(0); }

 private:
  void OnPhaseTimer() {
    timer_->Cancel();  // one-shot
    show_->OnTimer(Now());
  }

  void OnKeyDown() { show_->OnKeyDown(); }
  void OnMouseDown() { show_->OnMouseDown(); }
  void OnMouseMove(ScreenPoint where) { show_->OnMouseMove(where); }
  void OnLogoClick() { show_->OnLogoClick(); }
  void OnDisplayChange() { show_->OnDisplayChange(InTwips(screens_->Follow()), PointerNow()); }

  // https://learn.microsoft.com/windows/win32/power/wm-powerbroadcast
  void OnPowerBroadcast(WPARAM event, LPARAM data) {
    switch (event) {
      case PBT_POWERSETTINGCHANGE:
        if (const auto state = DisplayStateAt(data)) show_->OnDisplayState(*state, Now());
        break;
      case PBT_APMSUSPEND: show_->OnSuspend(); break;
      // Sent on every wake; a person's wake sends PBT_APMRESUMESUSPEND after it.
      case PBT_APMRESUMEAUTOMATIC: show_->OnWake(false, Now()); break;
      case PBT_APMRESUMESUSPEND: show_->OnWake(true, Now()); break;
    }
  }

  std::unique_ptr<MonitorDesktop> desktop_;
  std::unique_ptr<ShowScreens> screens_;  // the show window and the blanks over the monitors
  std::unique_ptr<GraphVideoPlayer> video_;
  std::unique_ptr<LogoWindow> logo_;
  std::unique_ptr<WindowPhaseTimer> timer_;
  std::unique_ptr<SaverShow> show_;
  std::unique_ptr<DisplayPowerNotifications> powerNotifications_;
};

}  // namespace

void RunShow(Program& program) {
  const ShowMutex running;
  if (running.TakenElsewhere()) return;
  // The clip's graph and the shell live in the thread's apartment.
  const ComApartment com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  SaverWindow window(program);
  window.Load();
  program.RunMessageLoop();
}

}  // namespace torva
