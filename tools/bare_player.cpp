// The benchmark's reference: plays one clip full-screen through MCI and nothing else.
//
//   bare_player.exe <clip path> [--sound]
//
// A black borderless window over the primary screen, the clip stretched over it, muted unless
// --sound is given. Ends when the clip ends or on a key press. No timers and no polling: it does
// only what any program showing this clip must do, so it is what the saver is measured against.
// MCI command strings: https://learn.microsoft.com/windows/win32/multimedia/mci-command-strings
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <iterator>
#include <string>
#include <utility>

#include "startup/base_window_win32.h"

namespace {

constexpr wchar_t kUsage[] = L"usage: bare_player.exe <clip path> [--sound]";

// A tool run from scripts: the reason goes to stderr when there is one (Wine gives the Unix
// terminal's), otherwise to a message box; the exit code says it failed either way.
[[noreturn]] void Fail(const std::wstring& text) {
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  const std::string line = [&] {
    const std::wstring withNewline = L"bare_player: " + text + L"\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, withNewline.c_str(), -1, nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, withNewline.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    bytes.pop_back();
    return bytes;
  }();
  DWORD written = 0;
  if (err == nullptr || err == INVALID_HANDLE_VALUE ||
      !WriteFile(err, line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) {
    MessageBoxW(nullptr, text.c_str(), L"bare_player", MB_OK | MB_ICONERROR);
  }
  ExitProcess(2);
}

class BarePlayerWindow : public torva::BaseWindow<BarePlayerWindow> {
 public:
  BarePlayerWindow(torva::Program& program, std::wstring clip, bool sound)
      : BaseWindow(program), clip_(std::move(clip)), sound_(sound) {}

  void OnLoad() {
    WNDCLASSEXW windowClass{};
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClass(L"TorvaBarePlayer", windowClass);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (!Create(L"TorvaBarePlayer", L"bare_player", WS_POPUP, WS_EX_TOPMOST, 0, 0, width, height,
                nullptr)) {
      Fail(L"cannot create the window");
    }
    const std::wstring handle = std::to_wstring(reinterpret_cast<UINT_PTR>(hwnd()));
    Send(L"open \"" + clip_ + L"\" type MPEGVideo alias v parent " + handle + L" style child");
    Send(L"window v handle " + handle);
    Send(L"put v destination at 0 0 " + std::to_wstring(width) + L" " + std::to_wstring(height));
    if (!sound_) Send(L"setaudio v volume to 0");
    Send(L"play v notify");
    // Shown only now: under Wine a window already on screen when the device opens makes the
    // first frame come about 0.8 s later in about half of the starts.
    ShowWindow(hwnd(), SW_SHOW);
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_KEYDOWN: DestroyWindow(hwnd()); return 0;
      // Under Wine the device id in lParam is 0, so only the outcome is looked at.
      // https://learn.microsoft.com/windows/win32/multimedia/mm-mcinotify
      case MM_MCINOTIFY:
        if (wParam == MCI_NOTIFY_SUCCESSFUL) DestroyWindow(hwnd());
        if (wParam == MCI_NOTIFY_FAILURE) Fail(L"playback of \"" + clip_ + L"\" failed");
        return 0;
      case WM_DESTROY:
        mciSendStringW(L"close v", nullptr, 0, nullptr);
        PostQuitMessage(0);
        return 0;
    }
    return DefaultHandling(message, wParam, lParam);
  }

 private:
  void Send(const std::wstring& command) {
    const MCIERROR error = mciSendStringW(command.c_str(), nullptr, 0, hwnd());
    if (error == 0) return;
    wchar_t text[256] = L"unknown error";
    mciGetErrorStringW(error, text, static_cast<UINT>(std::size(text)));
    Fail(L"MCI error " + std::to_wstring(error) + L" for '" + command + L"': " + text);
  }

  std::wstring clip_;
  bool sound_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args || count < 2 || count > 3) Fail(kUsage);
  const bool sound = count == 3 && std::wstring(args[2]) == L"--sound";
  if (count == 3 && !sound) Fail(kUsage);
  torva::Program program;
  BarePlayerWindow window(program, args[1], sound);
  LocalFree(args);
  window.OnLoad();
  return program.RunMessageLoop();
}
