// The show at rest while nobody can see it, the display off or the computer asleep, and how it
// takes up its phase again afterwards.
#include <gtest/gtest.h>

#include "tests/unit/show_fakes.h"

namespace torva::testing {
namespace {

using namespace std::chrono_literals;

// Whether the show rests: no timer runs and the clip has let go.
bool Resting(const ShowRig& rig) { return !rig.clock.AnyRunning() && rig.video.resting; }

TEST(ShowRest, DisplayOffStopsTheRhythmAndTheClipAndOnGivesAWholeVideoPhase) {
  ShowRig rig;
  rig.Load();
  rig.RunUntil(20'000ms);
  rig.show.OnDisplayPower(DisplayPower::Off);
  EXPECT_TRUE(Resting(rig));
  rig.log.Clear();
  rig.RunFor(3'600'000ms);
  rig.show.OnDisplayPower(DisplayPower::Off);
  EXPECT_TRUE(rig.log.calls().empty()) << "an hour in the dark does nothing";

  // Dimmed is on: the clip starts from its start, and the logo comes 42 s later.
  rig.show.OnDisplayPower(DisplayPower::Dimmed);
  EXPECT_TRUE(rig.video.playing);
  EXPECT_EQ(rig.OnScreen(), "video");
  EXPECT_EQ(rig.show.loopCount(), 0);
  rig.log.Clear();
  rig.show.OnDisplayPower(DisplayPower::On);
  EXPECT_TRUE(rig.log.calls().empty()) << "still on";
  rig.RunFor(41'999ms);
  EXPECT_EQ(rig.OnScreen(), "video");
  rig.RunFor(1ms);
  EXPECT_EQ(rig.OnScreen(), "logo");
}

TEST(ShowRest, DisplayOffInTheLogoPhaseKeepsTheLogoAndOnGivesItItsWholeTime) {
  // Also in the two seconds between the last tick and the switch, which belong to the video.
  ShowRig rig;
  rig.Load();
  rig.RunUntil(41'000ms);
  rig.show.OnDisplayPower(DisplayPower::Off);
  rig.show.OnDisplayPower(DisplayPower::On);
  rig.RunFor(41'999ms);
  EXPECT_EQ(rig.OnScreen(), "video");

  rig.RunFor(3'000ms);
  ASSERT_EQ(rig.OnScreen(), "logo");
  rig.show.OnDisplayPower(DisplayPower::Off);
  EXPECT_TRUE(Resting(rig));
  rig.RunFor(600'000ms);
  EXPECT_EQ(rig.OnScreen(), "logo");
  rig.show.OnDisplayPower(DisplayPower::On);
  EXPECT_FALSE(rig.video.playing) << "the clip waits for its phase";
  rig.RunFor(4'999ms);
  EXPECT_EQ(rig.OnScreen(), "logo");
  rig.RunFor(1ms);
  EXPECT_EQ(rig.OnScreen(), "video");
  EXPECT_TRUE(rig.video.playing);

  // The logo's phase is over: off and on again in the video's gives the video.
  rig.show.OnDisplayPower(DisplayPower::Off);
  rig.show.OnDisplayPower(DisplayPower::On);
  EXPECT_TRUE(rig.video.playing);
}

TEST(ShowRest, AWakeWithNobodyThereRestsOnAndAPersonsWakeTakesUpThePhaseOnce) {
  ShowRig rig;
  rig.Load();
  rig.RunUntil(10'000ms);
  rig.show.OnSuspend();
  EXPECT_TRUE(Resting(rig));
  rig.show.OnWake(false);
  rig.RunFor(600'000ms);
  EXPECT_TRUE(Resting(rig)) << "a wake timer's wake, with nobody there";

  // A person's wake: the automatic one, the display on, then the wake by a person.
  rig.show.OnWake(false);
  rig.show.OnDisplayPower(DisplayPower::On);
  EXPECT_TRUE(rig.video.playing);
  rig.RunFor(5'000ms);
  rig.show.OnWake(true);
  EXPECT_EQ(rig.show.loopCount(), 5) << "the phase started once, not again";

  // A wake without a suspend before it rests the show all the same, also in the two seconds
  // before the switch to the logo, until somebody is there.
  rig.RunFor(36'000ms);
  rig.show.OnWake(false);
  EXPECT_TRUE(Resting(rig));
  rig.show.OnWake(true);
  EXPECT_EQ(rig.show.loopCount(), 0);
  rig.RunFor(41'999ms);
  EXPECT_EQ(rig.OnScreen(), "video") << "no switch armed before the wake";
  rig.RunFor(1ms);
  EXPECT_EQ(rig.OnScreen(), "logo");
}

TEST(ShowRest, ActivityEndsTheShowAtRestAsEver) {
  ShowRig rig;
  rig.Load();
  rig.show.OnKeyDown();
  rig.show.OnDisplayPower(DisplayPower::Off);
  rig.show.OnSuspend();
  rig.show.OnKeyDown();
  EXPECT_TRUE(rig.program.ended);
}

TEST(ShowRest, DisplayStateValuesAreOffOnAndDimmedAndAnyOtherIsOn) {
  EXPECT_EQ(DisplayPowerFromState(0), DisplayPower::Off);
  EXPECT_EQ(DisplayPowerFromState(1), DisplayPower::On);
  EXPECT_EQ(DisplayPowerFromState(2), DisplayPower::Dimmed);
  EXPECT_EQ(DisplayPowerFromState(3), DisplayPower::On);
}

}  // namespace
}  // namespace torva::testing
