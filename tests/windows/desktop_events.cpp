// What other programs do on a user's desktop while the show runs, done on purpose for the
// end-to-end runs:
//
//   torva_desktop_events mode <width> <height>
//     Changes the primary screen's resolution as a game or the display settings would; the system
//     then tells every window with WM_DISPLAYCHANGE. Exits 1 when the system refuses the mode.
//   torva_desktop_events popup <count>
//     Shows a small window under the mouse pointer for a moment, `count` times, as a notification
//     would: it never takes the focus, and the pointer never moves.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kPopupClass[] = L"TorvaTestPopup";
constexpr DWORD kPopupShownMs = 700;
constexpr DWORD kPopupGoneMs = 500;
constexpr int kPopupWidth = 200;
constexpr int kPopupHeight = 150;

int Number(const wchar_t* text) { return static_cast<int>(std::wcstol(text, nullptr, 10)); }

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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring action = argc > 1 ? argv[1] : L"";
  if (action == L"mode" && argc == 4) return ChangeMode(Number(argv[2]), Number(argv[3]));
  if (action == L"popup" && argc == 3) return Popups(Number(argv[2]));
  return 2;
}
