// Windows' own libraries, loaded from the system folder and nowhere else.
// https://learn.microsoft.com/windows/win32/dlls/dynamic-link-library-security
#include "startup/system_library_win32.h"

#include <cwchar>

namespace torva {
namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// Windows 7 has it, and the search flags with it, only after its 2011 loader update (KB2533623).
// Looked up rather than imported, so that the program still starts there without the update.
SetDefaultDllDirectoriesFunction FindSetDefaultDllDirectories() {
  return reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
}

}  // namespace

void LoadLibrariesFromSystemOnly() {
  const SetDefaultDllDirectoriesFunction setDefaultDllDirectories = FindSetDefaultDllDirectories();
  if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  // Without it, at least the current folder leaves the search; our own loads name System32 in full.
  SetDllDirectoryW(L"");
}

namespace {

HMODULE LoadSystemLibrary(const wchar_t* library) {
  if (FindSetDefaultDllDirectories()) return LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  wchar_t path[MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length + 1 + std::wcslen(library) >= MAX_PATH) return nullptr;
  path[length] = L'\\';
  std::wcscpy(path + length + 1, library);
  // Its own dependencies are then looked for beside it, in System32, first.
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

FARPROC SystemLibraryFunction(const wchar_t* library, const char* name) {
  const HMODULE module = LoadSystemLibrary(library);
  return module ? GetProcAddress(module, name) : nullptr;
}

SystemLibrary::SystemLibrary(const wchar_t* library) : module_(LoadSystemLibrary(library)) {}

SystemLibrary::~SystemLibrary() {
  if (module_) FreeLibrary(module_);
}

}  // namespace torva
