// Timers with an enabled flag and an interval: when the platform timer runs and when it restarts.
#include <gtest/gtest.h>

#include "tests/unit/show_fakes.h"

namespace torva::testing {
namespace {

class ShowTimersTest : public ::testing::Test {
 protected:
  // Ticks of `timer` until `until`, as the window would let them through.
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

TEST_F(ShowTimersTest, NeedsBothTheFlagAndAnInterval) {
  timers.SetInterval(TimerId::Timer1, milliseconds{100});
  EXPECT_EQ(TicksUntil(TimerId::Timer1, milliseconds{1000}), 0) << "disabled";

  timers.SetInterval(TimerId::Timer1, milliseconds{0});
  timers.SetEnabled(TimerId::Timer1, true);
  EXPECT_EQ(TicksUntil(TimerId::Timer1, milliseconds{2000}), 0) << "interval 0";

  // Setting the interval of the enabled timer starts it from that moment.
  timers.SetInterval(TimerId::Timer1, milliseconds{300});
  EXPECT_EQ(TicksUntil(TimerId::Timer1, milliseconds{2299}), 0);
  EXPECT_EQ(TicksUntil(TimerId::Timer1, milliseconds{2300}), 1);

  timers.SetEnabled(TimerId::Timer1, false);
  EXPECT_EQ(TicksUntil(TimerId::Timer1, milliseconds{5000}), 0);
  EXPECT_FALSE(clock.IsRunning(TimerId::Timer1));
}

TEST_F(ShowTimersTest, EnablingOrANewIntervalStartsAFullInterval) {
  timers.SetInterval(TimerId::Timer_loop, milliseconds{1000});
  timers.SetEnabled(TimerId::Timer_loop, true);
  EXPECT_EQ(TicksUntil(TimerId::Timer_loop, milliseconds{900}), 0);
  timers.SetEnabled(TimerId::Timer_loop, false);
  timers.SetEnabled(TimerId::Timer_loop, true);
  EXPECT_EQ(TicksUntil(TimerId::Timer_loop, milliseconds{1899}), 0);
  EXPECT_EQ(TicksUntil(TimerId::Timer_loop, milliseconds{1900}), 1);

  EXPECT_EQ(TicksUntil(TimerId::Timer_loop, milliseconds{2500}), 0);
  timers.SetInterval(TimerId::Timer_loop, milliseconds{1000});
  EXPECT_EQ(TicksUntil(TimerId::Timer_loop, milliseconds{3499}), 0) << "restarted at 2500";
  EXPECT_EQ(TicksUntil(TimerId::Timer_loop, milliseconds{3500}), 1);
}

TEST_F(ShowTimersTest, AlreadyQueuedTickOfADisabledTimerDoesNotFire) {
  timers.SetInterval(TimerId::Timer2, milliseconds{5000});
  timers.SetEnabled(TimerId::Timer2, true);
  EXPECT_TRUE(timers.Fires(TimerId::Timer2));
  timers.SetEnabled(TimerId::Timer2, false);
  EXPECT_FALSE(timers.Fires(TimerId::Timer2));
  EXPECT_FALSE(timers.Fires(TimerId::Timer1));
}

TEST_F(ShowTimersTest, TimersAreIndependent) {
  timers.SetInterval(TimerId::Timer1, milliseconds{2000});
  timers.SetEnabled(TimerId::Timer1, true);
  timers.SetInterval(TimerId::Timer2, milliseconds{5000});
  timers.SetEnabled(TimerId::Timer2, true);
  timers.SetEnabled(TimerId::Timer1, false);
  EXPECT_TRUE(clock.IsRunning(TimerId::Timer2));
  EXPECT_EQ(TicksUntil(TimerId::Timer2, milliseconds{5000}), 1);
}

}  // namespace
}  // namespace torva::testing
