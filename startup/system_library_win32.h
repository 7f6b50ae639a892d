// Windows' own libraries, loaded from the system folder and nowhere else.
#pragma once

#include <windows.h>

namespace torva {

// From here on every library loaded into the process, by us or by the system on our behalf, comes
// from the system folder only: never from the program's folder, where a download may sit beside a
// DLL of the same name, nor from the current one. The first thing the program does.
void LoadLibrariesFromSystemOnly();

// The function `name` of the system library `library`, or nothing when either is missing. The
// library stays loaded for the life of the process.
FARPROC SystemLibraryFunction(const wchar_t* library, const char* name);

// The same, typed: `SystemFunction<decltype(&SetWindowTheme)>(L"uxtheme.dll", "SetWindowTheme")`.
template <class FunctionPointer>
FunctionPointer SystemFunction(const wchar_t* library, const char* name) {
  return reinterpret_cast<FunctionPointer>(reinterpret_cast<void*>(SystemLibraryFunction(library, name)));
}

}  // namespace torva
