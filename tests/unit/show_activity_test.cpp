// What ends the show: each kind of user activity at its own count, a real pointer move only, and
// a click on the logo, which hands the web address to the shell first.
#include <gtest/gtest.h>

#include <functional>

#include "tests/unit/show_fakes.h"

namespace torva::testing {
namespace {

using Calls = std::vector<std::string>;

struct Activity {
  const char* name;
  int eventsToEnd;
  // The n-th event of this kind; mouse moves go somewhere new each time.
  std::function<void(SaverShow&, int n)> send;
};

const Activity kActivities[] = {
    {"KeyDown", 2, [](SaverShow& s, int) { s.OnKeyDown(); }},
    {"MouseDown", 3, [](SaverShow& s, int) { s.OnMouseDown(); }},
    {"MouseMove", 3, [](SaverShow& s, int n) { s.OnMouseMove({n, 0}); }},
    {"VideoClick", 3, [](SaverShow& s, int) { s.OnVideoClick(); }},
    {"VideoMouseMove", 3, [](SaverShow& s, int n) { s.OnVideoMouseMove({0, n}); }},
};

// Each kind counts apart: one short of each ends nothing, and one more of any kind ends the show.
TEST(ShowActivity, EachKindEndsTheShowAtItsOwnCountWhateverTheOthersHold) {
  for (const Activity& activity : kActivities) {
    ShowRig rig;
    rig.Load();
    for (const Activity& any : kActivities) {
      for (int n = 1; n < any.eventsToEnd; ++n) any.send(rig.show, n);
    }
    EXPECT_FALSE(rig.program.ended) << activity.name;
    rig.log.Clear();
    activity.send(rig.show, activity.eventsToEnd);
    EXPECT_EQ(rig.log.calls(), Calls{"program.End"}) << activity.name;
  }
}

TEST(ShowActivity, CountsAreKeptAcrossPhases) {
  ShowRig rig;
  rig.Load();
  rig.show.OnKeyDown();
  rig.RunUntil(milliseconds{10 * 47'000});
  EXPECT_FALSE(rig.program.ended);
  rig.show.OnKeyDown();
  EXPECT_TRUE(rig.program.ended);
}

// The system sends a mouse move whenever a window appears or hides under the pointer, at every
// switch between video and logo; only a pointer that goes somewhere new is the user.
TEST(ShowActivity, MovesThatDoNotMoveThePointerAreNotCounted) {
  ShowRig rig;
  const ScreenPoint rest{512, 384};
  rig.Load(rest);
  for (int phase = 0; phase < 10; ++phase) {
    rig.RunFor(milliseconds{47'000});
    rig.show.OnMouseMove(rest);
    rig.show.OnVideoMouseMove(rest);
  }
  EXPECT_FALSE(rig.program.ended);

  // Real moves still count, each where it lands, and a move to where the other surface last saw
  // the pointer is not new.
  rig.show.OnVideoMouseMove({600, 384});
  rig.show.OnMouseMove({600, 384});
  rig.show.OnVideoMouseMove({600, 400});
  rig.show.OnVideoMouseMove({600, 400});
  EXPECT_FALSE(rig.program.ended);
  rig.show.OnVideoMouseMove({512, 384});
  EXPECT_TRUE(rig.program.ended) << "third real move over the video";
}

TEST(ShowActivity, ThePointerWhereTheShowStartedIsNotAMove) {
  ShowRig rig;
  rig.Load({10, 20});
  rig.show.OnMouseMove({10, 20});
  rig.show.OnMouseMove({11, 20});
  rig.show.OnMouseMove({10, 20});
  EXPECT_FALSE(rig.program.ended);
  rig.show.OnMouseMove({10, 21});
  EXPECT_TRUE(rig.program.ended);
}

TEST(ShowLogoClick, StopsEverythingOpensTheWebAddressAndEnds) {
  ShowRig rig;
  rig.Load();
  rig.show.OnKeyDown();
  rig.RunUntil(milliseconds{43'000});
  ASSERT_EQ(rig.OnScreen(), "logo");
  rig.log.Clear();
  rig.show.OnLogoClick();
  EXPECT_EQ(rig.log.calls(), (Calls{
      "video.SetVisible(false)",
      "video.Stop",
      "Timer1.SetEnabled(false)",
      "Timer2.SetEnabled(false)",
      "shell.Open(https://www.torva.example/)",
      "program.LetPendingEventsRun",
      "program.End",
  }));
  EXPECT_FALSE(rig.timers.Fires(TimerId::Timer2));
}

}  // namespace
}  // namespace torva::testing
