// The organisation's sound setting: the machine's value before the user's, and nothing but a
// REG_DWORD of 0 or 1 counts.
#include "settings/sound_policy.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

struct PolicyCase {
  PolicyDword machine, user;
  std::optional<bool> set;
};

class SoundSetByOrganisationIs : public testing::TestWithParam<PolicyCase> {};

TEST_P(SoundSetByOrganisationIs, TheFirstLevelThatSaysOnOrOff) {
  EXPECT_EQ(SoundSetByOrganisation(GetParam().machine, GetParam().user), GetParam().set);
}

constexpr std::nullopt_t kNotSet = std::nullopt;

INSTANTIATE_TEST_SUITE_P(Levels, SoundSetByOrganisationIs, testing::Values(
    PolicyCase{kNotSet, kNotSet, kNotSet},
    PolicyCase{1u, kNotSet, true}, PolicyCase{0u, kNotSet, false},
    PolicyCase{kNotSet, 1u, true}, PolicyCase{kNotSet, 0u, false},
    PolicyCase{0u, 1u, false}, PolicyCase{1u, 0u, true},
    // Numbers other than 0 and 1 leave the decision to the next level.
    PolicyCase{2u, 0u, false}, PolicyCase{0xFFFFFFFFu, 1u, true}, PolicyCase{kNotSet, 2u, kNotSet}));

}  // namespace
}  // namespace torva
