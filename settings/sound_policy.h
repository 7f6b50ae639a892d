// The sound as an organisation sets it for its users, through Group Policy or a device manager,
// where the user's own choice then does not count. Kept free of <windows.h> so that the rule is
// tested on any platform; settings/sound_policy_win32.cpp reads the registry.
#pragma once

#include <cstdint>
#include <optional>

namespace torva {

// Where the administrative templates put the setting: the value kSoundPolicyValue, under this key
// in the machine's registry and then in the user's.
inline constexpr wchar_t kSoundPolicyKey[] = L"SOFTWARE\\Policies\\Torva";
inline constexpr wchar_t kSoundPolicyValue[] = L"Sound";

// A policy value as the registry holds it: its number where it is a REG_DWORD, otherwise nothing
// (missing, or of another type). Unsigned, so that 0xFFFFFFFF is not taken for -1.
using PolicyDword = std::optional<std::uint32_t>;

// Sound on (true) or off (false) as the organisation set it, or nothing where it left the choice to
// the user. The machine's value comes first, as a machine's policies win over a user's. Only a
// REG_DWORD of 1 or 0 says anything: any other number or type counts as not set, so that a value
// typed by hand in the wrong form leaves the choice to the next level (and in the end to the user)
// rather than being guessed at.
std::optional<bool> SoundSetByOrganisation(PolicyDword machine, PolicyDword user);

}  // namespace torva
