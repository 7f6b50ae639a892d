// The saver window (for now a black full-screen window that reads the setting and ends on a key).
#include "show/saver_window_win32.h"

#include <windows.h>

#include "settings/win32_file_system.h"
#include "startup/base_window_win32.h"

namespace torva {
namespace {

class SaverWindow : public BaseWindow<SaverWindow> {
 public:
  void Load() {
    ReadProgramSoundSetting();
    WNDCLASSEXW windowClass{};
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClass(L"TorvaShow", windowClass);
    Create(L"TorvaShow", L"Form1", WS_POPUP, WS_EX_TOPMOST, 0, 0, GetSystemMetrics(SM_CXSCREEN),
           GetSystemMetrics(SM_CYSCREEN), nullptr);
    ShowWindow(hwnd(), SW_SHOW);
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_KEYDOWN: DestroyWindow(hwnd()); return 0;
      case WM_NCDESTROY: PostQuitMessage(0); break;
    }
    return DefaultHandling(message, wParam, lParam);
  }
};

}  // namespace

void StartShow() {
  // The window lives as long as the process: the show ends by ending the process.
  (new SaverWindow)->Load();
}

}  // namespace torva
