// Files beside the executable.
#include "startup/program_directory_win32.h"

#include <windows.h>

namespace torva {

std::wstring ProgramFile(const wchar_t* fileName) {
  // Paths may be long; grow the buffer until the whole name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  path.erase(path.find_last_of(L'\\') + 1);
  return path + fileName;
}

}  // namespace torva
