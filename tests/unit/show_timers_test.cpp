// Timers with an enabled flag and an interval: when the platform timer runs and when it restarts.
#include <gtest/gtest.h>

#include "tests/unit/show_fakes.h"

namespace torva::testing {
namespace {

class ShowTimersTest : public ::testing::Test {
 protected:
  // Ticks of `timer` until `until`, as the window lets them through.
  int TicksUntil(TimerId timer, milliseconds until) {
    int ticks = 0;
    while (const auto tick = clock.NextTick(until)) {
      if (*tick == timer && timers.Fires(timer)) ++ticks;
    }
    return ticks;
  }

  FakeClock clock;
  ShowTimers timers{clock};
};

TEST_F(ShowTimersTest, RunsOnlyWhenEnabledWithAnInterval) {
  timers.SetInterval(TimerId::Timer1, milliseconds{100});
  EXPECT_EQ(TicksUntil(TimerId::Timer1, milliseconds{1000}), 0) << "disabled";

  timers.SetInterval(TimerId::Timer1, milliseconds{0});
  timers.SetEnabled(TimerId::Timer1, true);
  EXPECT_EQ(TicksUntil(TimerId::Timer1, milliseconds{2000}), 0) << "interval 0";

  timers.SetInterval(TimerId::Timer1, milliseconds{1});
  EXPECT_EQ(TicksUntil(TimerId::Timer1, milliseconds{2001}), 1);
  timers.SetInterval(TimerId::Timer1, milliseconds{100});
  ASSERT_TRUE(clock.IsRunning(TimerId::Timer1));
  timers.SetEnabled(TimerId::Timer1, false);
  EXPECT_FALSE(timers.Fires(TimerId::Timer1)) << "a tick already queued must not count";
  EXPECT_FALSE(clock.IsRunning(TimerId::Timer1)) << "a disabled timer must not keep the system's running";
}

TEST_F(ShowTimersTest, EnablingOrSettingTheIntervalStartsAFullIntervalButEnablingTwiceDoesNot) {
  timers.SetEnabled(TimerId::Timer2, true);
  timers.SetInterval(TimerId::Timer2, milliseconds{300});
  EXPECT_EQ(TicksUntil(TimerId::Timer2, milliseconds{299}), 0);
  EXPECT_EQ(TicksUntil(TimerId::Timer2, milliseconds{300}), 1);

  EXPECT_EQ(TicksUntil(TimerId::Timer2, milliseconds{500}), 0);
  timers.SetInterval(TimerId::Timer2, milliseconds{300});
  EXPECT_EQ(TicksUntil(TimerId::Timer2, milliseconds{799}), 0) << "restarted at 500";
  EXPECT_EQ(TicksUntil(TimerId::Timer2, milliseconds{800}), 1);

  timers.SetEnabled(TimerId::Timer2, false);
  EXPECT_EQ(TicksUntil(TimerId::Timer2, milliseconds{850}), 0);
  timers.SetEnabled(TimerId::Timer2, true);
  EXPECT_EQ(TicksUntil(TimerId::Timer2, milliseconds{1000}), 0);
  timers.SetEnabled(TimerId::Timer2, true);
  EXPECT_EQ(TicksUntil(TimerId::Timer2, milliseconds{1149}), 0) << "restarted at 850, and only then";
  EXPECT_EQ(TicksUntil(TimerId::Timer2, milliseconds{1150}), 1);
}

}  // namespace
}  // namespace torva::testing
