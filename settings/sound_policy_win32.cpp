// The organisation's sound setting, read from the registry.
#include "settings/sound_policy_win32.h"

#include <windows.h>

#include "settings/sound_policy.h"

namespace torva {
namespace {

PolicyDword ReadPolicyDword(HKEY root) {
  // Windows shares SOFTWARE\Policies between 32-bit and 64-bit programs (Wine 8 too, by a link in
  // the 32-bit view). The 64-bit view, where the policy tools write, is asked for all the same, so
  // that the 32-bit build reads the 64-bit value even where a system redirects the key; 32-bit
  // Windows ignores the flag.
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, kSoundPolicyKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD type = REG_NONE;
  DWORD data = 0;
  DWORD size = sizeof data;
  // A value longer than a DWORD fails with ERROR_MORE_DATA and counts as not set, as any other type.
  const LONG status = RegQueryValueExW(key, kSoundPolicyValue, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) return std::nullopt;
  return data;
}

}  // namespace

std::optional<bool> ReadSoundSetByOrganisation() {
  return SoundSetByOrganisation(ReadPolicyDword(HKEY_LOCAL_MACHINE), ReadPolicyDword(HKEY_CURRENT_USER));
}

}  // namespace torva
