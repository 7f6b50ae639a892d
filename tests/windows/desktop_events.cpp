// What other programs do on a user's desktop while the show runs, done on purpose for the
// end-to-end runs:
//
//   torva_desktop_events mode <width> <height>
//     Changes the primary screen's resolution as a game or the display settings would; the system
//     then tells every window with WM_DISPLAYCHANGE. Exits 1 when the system refuses the mode.
//   torva_desktop_events popup <count>
//     Shows a small window under the mouse pointer for a moment, `count` times, as a notification
//     would: it never takes the focus, and the pointer never moves.
//   torva_desktop_events power display-off|display-on|display-dimmed|suspend|resume|resume-unattended
//     Tells the running show what the system tells it when the display's power changes or the
//     computer sleeps and wakes, which Wine never does: a display state is written into the show's
//     own memory and its address sent with the message, as the system does. "resume" is a person's
//     wake (both resume events), "resume-unattended" a wake timer's (the automatic one alone).
//     Exits 1 when there is no show or its memory cannot be written.
//   torva_desktop_events flap <count>
//     Turns the display off and on again `count` times in a row, as a loose cable, a KVM switch or
//     a monitor that keeps dropping its signal would, telling the show each change as above.
//   torva_desktop_events post|send <message> <wParam> <lParam>
//     Posts or sends any message to the show window, as any program on the desktop can; numbers in
//     C notation (0x… for hexadecimal).
#include <windows.h>

#include <cstddef>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kPopupClass[] = L"TorvaTestPopup";
constexpr DWORD kPopupShownMs = 700;
constexpr DWORD kPopupGoneMs = 500;
constexpr int kPopupWidth = 200;
constexpr int kPopupHeight = 150;

// GUID_CONSOLE_DISPLAY_STATE's values.
constexpr DWORD kDisplayOff = 0;
constexpr DWORD kDisplayOn = 1;
constexpr DWORD kDisplayDimmed = 2;
// Between two changes of a flapping display: about as fast as a loose cable makes them.
constexpr DWORD kFlapStepMs = 50;

int Number(const wchar_t* text) { return static_cast<int>(std::wcstol(text, nullptr, 10)); }
ULONG_PTR Bits(const wchar_t* text) { return static_cast<ULONG_PTR>(std::wcstoull(text, nullptr, 0)); }

int ChangeMode(int width, int height) {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  return ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
}

// Keeps this thread's windows answering for `ms`.
void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  for (DWORD now = GetTickCount(); static_cast<LONG>(end - now) > 0; now = GetTickCount()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
}

int Popups(int count) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kPopupClass;
  RegisterClassW(&windowClass);
  for (int i = 0; i < count; ++i) {
    POINT pointer{};
    GetCursorPos(&pointer);
    const HWND popup = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kPopupClass,
                                       L"Popup", WS_POPUP, pointer.x - kPopupWidth / 2,
                                       pointer.y - kPopupHeight / 2, kPopupWidth, kPopupHeight, nullptr,
                                       nullptr, windowClass.hInstance, nullptr);
    if (!popup) return 1;
    ShowWindow(popup, SW_SHOWNA);
    Pump(kPopupShownMs);
    DestroyWindow(popup);
    Pump(kPopupGoneMs);
  }
  return 0;
}

// The show's answer to WM_POWERBROADCAST: the message is sent, not posted, so each of these returns
// once the show has acted on it.
bool SendDisplayState(HWND show, HANDLE process, DWORD state) {
  unsigned char data[offsetof(POWERBROADCAST_SETTING, Data) + sizeof(DWORD)] = {};
  auto* setting = reinterpret_cast<POWERBROADCAST_SETTING*>(data);
  setting->PowerSetting = GUID_CONSOLE_DISPLAY_STATE;
  setting->DataLength = sizeof(DWORD);
  CopyMemory(setting->Data, &state, sizeof state);
  void* remote = VirtualAllocEx(process, nullptr, sizeof data, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  const bool sent = remote && WriteProcessMemory(process, remote, data, sizeof data, nullptr);
  if (sent) SendMessageW(show, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(remote));
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return sent;
}

// Opens the show's process to write the notifications' data into, and sends each state in turn.
int SendDisplayStates(const std::vector<DWORD>& states) {
  const HWND show = FindWindowW(L"TorvaShow", nullptr);
  if (!show) return 1;
  DWORD processId = 0;
  GetWindowThreadProcessId(show, &processId);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return 1;
  bool sent = true;
  for (std::size_t i = 0; sent && i < states.size(); ++i) {
    if (i > 0) Sleep(kFlapStepMs);
    sent = SendDisplayState(show, process, states[i]);
  }
  CloseHandle(process);
  return sent ? 0 : 1;
}

int Power(const std::wstring& event) {
  if (event == L"suspend" || event == L"resume" || event == L"resume-unattended") {
    const HWND show = FindWindowW(L"TorvaShow", nullptr);
    if (!show) return 1;
    if (event == L"suspend") return SendMessageW(show, WM_POWERBROADCAST, PBT_APMSUSPEND, 0) ? 0 : 1;
    const bool answered = SendMessageW(show, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    if (event == L"resume-unattended") return answered ? 0 : 1;
    return SendMessageW(show, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0) ? 0 : 1;
  }
  if (event == L"display-off") return SendDisplayStates({kDisplayOff});
  if (event == L"display-on") return SendDisplayStates({kDisplayOn});
  if (event == L"display-dimmed") return SendDisplayStates({kDisplayDimmed});
  return 2;
}

int Deliver(bool post, const wchar_t* message, const wchar_t* wParam, const wchar_t* lParam) {
  const HWND show = FindWindowW(L"TorvaShow", nullptr);
  if (!show) return 1;
  const auto id = static_cast<UINT>(Bits(message));
  if (post) return PostMessageW(show, id, Bits(wParam), static_cast<LPARAM>(Bits(lParam))) ? 0 : 1;
  SendMessageW(show, id, Bits(wParam), static_cast<LPARAM>(Bits(lParam)));
  return 0;
}

int Flap(int count) {
  std::vector<DWORD> states;
  for (int i = 0; i < count; ++i) states.insert(states.end(), {kDisplayOff, kDisplayOn});
  return SendDisplayStates(states);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring action = argc > 1 ? argv[1] : L"";
  if (action == L"mode" && argc == 4) return ChangeMode(Number(argv[2]), Number(argv[3]));
  if (action == L"popup" && argc == 3) return Popups(Number(argv[2]));
  if (action == L"power" && argc == 3) return Power(argv[2]);
  if (action == L"flap" && argc == 3) return Flap(Number(argv[2]));
  if ((action == L"post" || action == L"send") && argc == 5) {
    return Deliver(action == L"post", argv[2], argv[3], argv[4]);
  }
  return 2;
}
