// A stand-in for the display settings: a window with a 152 x 112 preview pane into which it starts
// "torva.scr /p <pane>", then tells preview_test.cpp on its standard output what it sees.
//
// Usage: torva_preview_host <torva.scr> <inheritable event handle> destroy|exit
// Prints "name value" lines and then "ready", and waits for the event. Then "destroy" destroys the
// pane and waits for the saver to end (printing "saver-ended 1" or "0"); "exit" ends this process
// at once with its windows still there, as a host that crashes or is killed would.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr DWORD kPatience = 10000;
constexpr int kPaneWidth = 152;
constexpr int kPaneHeight = 112;

void Print(const std::string& line) {
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written,
            nullptr);
}

void Print(const char* name, long long value) { Print(std::string(name) + " " + std::to_string(value)); }

// Waits for `handle` while keeping this thread's windows answering; the saver's window is inside
// one of them and its calls on the pane are answered here.
bool WaitPumping(HANDLE handle, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD spent = GetTickCount() - start;
    if (spent >= milliseconds) return false;
    const DWORD woken = MsgWaitForMultipleObjects(1, &handle, FALSE, milliseconds - spent, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0) return true;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
}

HWND WaitForChild(HWND pane, DWORD saverId, HANDLE saver) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kPatience) {
    for (HWND child = GetWindow(pane, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(child, &owner);
      if (owner == saverId && IsWindowVisible(child)) return child;
    }
    if (WaitPumping(saver, 20)) return nullptr;  // the saver ended without embedding anything
  }
  return nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  const auto go = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(_wcstoui64(argv[2], nullptr, 10)));
  const bool destroyPane = std::wstring(argv[3]) == L"destroy";

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = L"TorvaPreviewHost";
  RegisterClassExW(&windowClass);
  const HWND host = CreateWindowExW(0, windowClass.lpszClassName, L"Preview host",
                                    WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320, 240, nullptr,
                                    nullptr, windowClass.hInstance, nullptr);
  const HWND pane = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 20, 20,
                                    kPaneWidth, kPaneHeight, host, nullptr, windowClass.hInstance,
                                    nullptr);
  SetForegroundWindow(host);
  Print("host-foreground-before", GetForegroundWindow() == host);

  // The pane's handle in decimal, as the display settings pass it.
  std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\" /p " +
                             std::to_wstring(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(pane)));
  std::wstring directory = argv[1];
  directory.erase(directory.find_last_of(L'\\'));
  // No standard handles for the saver: it must not keep the test's pipe open.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION saver{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.c_str(), &startup, &saver)) {
    Print("start-error", GetLastError());
    return 3;
  }
  Print("saver-pid", saver.dwProcessId);

  const HWND child = WaitForChild(pane, saver.dwProcessId, saver.hProcess);
  Print("child", child != nullptr);
  if (child) {
    Print("parent-is-pane", GetAncestor(child, GA_PARENT) == pane);
    Print("child-style", (GetWindowLongW(child, GWL_STYLE) & WS_CHILD) != 0);
    RECT client{};
    GetClientRect(child, &client);
    Print("width", client.right);
    Print("height", client.bottom);
    POINT origin{0, 0};
    MapWindowPoints(child, pane, &origin, 1);
    Print("left", origin.x);
    Print("top", origin.y);
    wchar_t caption[32] = {};
    GetWindowTextW(child, caption, 32);
    Print("caption-is-form1", std::wstring(caption) == L"Form1");
    Print("host-still-foreground", GetForegroundWindow() == host);
  }
  Print("ready");

  if (!WaitPumping(go, kPatience)) return 4;
  if (!destroyPane) ExitProcess(0);
  DestroyWindow(pane);
  Print("saver-ended", WaitPumping(saver.hProcess, kPatience));
  return 0;
}
