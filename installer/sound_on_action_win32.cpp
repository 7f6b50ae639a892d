// The one action of the installer that does more than set a property: a first install with SOUND=1
// writes "sound on" into the torva.txt it has just installed. The package holds one torva.txt
// (sound off), owned by one component, because two components installing the same file break
// Windows Installer's count of who uses it; the variant is therefore written, not installed.
#include <windows.h>

#include <msiquery.h>

#include <string>

#include "settings/sound_setting.h"

namespace {

// A deferred action sees no property but this one, which the package sets to torva.txt's path.
std::wstring CustomActionData(MSIHANDLE install) {
  wchar_t none[1] = L"";
  DWORD length = 0;
  if (MsiGetPropertyW(install, L"CustomActionData", none, &length) != ERROR_MORE_DATA) return {};
  std::wstring value(length + 1, L'\0');
  length = static_cast<DWORD>(value.size());
  if (MsiGetPropertyW(install, L"CustomActionData", value.data(), &length) != ERROR_SUCCESS) return {};
  value.resize(length);
  return value;
}

}  // namespace

// Failing makes the install fail and roll back, rather than leave a setting the command line did not
// ask for.
extern "C" __declspec(dllexport) UINT __stdcall WriteSoundOnSettings(MSIHANDLE install) {
  const std::wstring path = CustomActionData(install);
  if (path.empty()) return ERROR_INSTALL_FAILURE;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ERROR_INSTALL_FAILURE;
  const std::string content = torva::FormatSoundSetting(true);
  DWORD written = 0;
  const bool wrote = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                     written == content.size() && FlushFileBuffers(file);
  return CloseHandle(file) && wrote ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE;
}
