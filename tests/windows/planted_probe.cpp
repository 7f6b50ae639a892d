// A program with the static imports of an older build of the saver, from two DLLs that are not on
// Windows' KnownDLLs list: started beside planted copies of them, it shows whether the loader
// takes those.
#include <windows.h>

#include <errors.h>
#include <uxtheme.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t text[MAX_ERROR_TEXT_LEN] = {};
  SetWindowTheme(nullptr, L"", L"");
  AMGetErrorTextW(E_FAIL, text, MAX_ERROR_TEXT_LEN);
  return 0;
}
