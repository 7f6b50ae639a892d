// The organisation's sound setting, read from the registry.
#pragma once

#include <optional>

namespace torva {

// Sound on or off as the machine's or else the user's policy sets it; nothing where neither does.
std::optional<bool> ReadSoundSetByOrganisation();

}  // namespace torva
