// The organisation's sound setting.
#include "settings/sound_policy.h"

namespace torva {
namespace {

std::optional<bool> SoundFrom(PolicyDword value) {
  if (value == 1u) return true;
  if (value == 0u) return false;
  return std::nullopt;
}

}  // namespace

std::optional<bool> SoundSetByOrganisation(PolicyDword machine, PolicyDword user) {
  if (const std::optional<bool> set = SoundFrom(machine)) return set;
  return SoundFrom(user);
}

}  // namespace torva
