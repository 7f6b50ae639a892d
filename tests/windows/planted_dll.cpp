// A stand-in for a system DLL that someone left in the saver's folder: it exports what an older
// build of the saver imported from that DLL and, once loaded, leaves "<its path>.loaded" beside itself.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH + 8] = {};
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    lstrcpyW(path + length, L".loaded");
    const HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  }
  return TRUE;
}

#ifdef TORVA_PLANTED_UXTHEME
extern "C" __declspec(dllexport) HRESULT WINAPI SetWindowTheme(HWND, LPCWSTR, LPCWSTR) { return S_OK; }
#else
extern "C" __declspec(dllexport) DWORD WINAPI AMGetErrorTextW(HRESULT, LPWSTR, DWORD) { return 0; }
#endif
