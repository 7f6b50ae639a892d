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

// A system library loaded from the system folder for as long as the object lives, for a function
// needed once.
class SystemLibrary {
 public:
  explicit SystemLibrary(const wchar_t* library);
  ~SystemLibrary();
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  // The function `name`, typed, or nothing when the library or the function is missing.
  template <class FunctionPointer>
  FunctionPointer Function(const char* name) const {
    return module_ ? reinterpret_cast<FunctionPointer>(reinterpret_cast<void*>(GetProcAddress(module_, name)))
                   : nullptr;
  }

 private:
  HMODULE module_;
};

}  // namespace torva
