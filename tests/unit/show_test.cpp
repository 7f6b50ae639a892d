// The show: its start, its phases of video and logo, its rest while nobody can see it, and what
// ends it, followed on a simulated clock.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/unit/show_fakes.h"

namespace torva::testing {
namespace {

using namespace std::chrono_literals;

// Resting: no phase ends, and the clip has let go.
bool Resting(const ShowRig& rig) { return !rig.timer.due && rig.video.resting; }

TEST(ShowStart, PlaysTheClipOverTheWholeScreenWithTheSettingsSound) {
  for (const bool soundOn : {true, false}) {
    ShowRig rig;
    rig.program.soundOn = soundOn;
    rig.Start();
    EXPECT_EQ(rig.video.sound, soundOn);
    EXPECT_EQ(rig.video.clip, L"C:\\saver\\torva.mpg");
    EXPECT_EQ(rig.video.area, (std::array<float, 4>{0, 0, 15360, 11520}));
    EXPECT_TRUE(rig.video.playing);
    EXPECT_EQ(rig.program.pendingEventRuns, 1) << "the clip's start is let run once";
    EXPECT_EQ(rig.OnScreen(), "video");
  }
}

TEST(ShowStart, ABrokenSettingsFileStopsItBeforeTheClipIsTouched) {
  ShowRig rig;
  rig.program.readError = ErrorCode::InputPastEndOfFile;
  EXPECT_THROW(rig.Start(), RuntimeError);
  EXPECT_EQ(rig.video.plays, 0);
  EXPECT_FALSE(rig.timer.due);
}

// The clip plays exactly while the video is seen, from its start in each video phase; the logo,
// once shown, stays under it.
TEST(ShowPhases, VideoFor42SecondsThenTheLogoFor5InEveryPhase) {
  ShowRig rig;
  rig.Start();
  std::vector<long long> switches;  // when the screen changed, in ms after the start
  std::string shown = rig.OnScreen();
  while (rig.now < milliseconds{4 * 47'000 + 1}) {
    rig.RunFor(1ms);
    if (rig.OnScreen() == shown) continue;
    shown = rig.OnScreen();
    switches.push_back(rig.now.count());
    EXPECT_EQ(rig.video.playing, shown == "video") << switches.back();
    EXPECT_TRUE(rig.logo.visible) << switches.back();
  }
  EXPECT_EQ(switches, (std::vector<long long>{42'000, 47'000, 89'000, 94'000, 136'000, 141'000,
                                               183'000, 188'000}));
  EXPECT_EQ(rig.video.plays, 5);
  EXPECT_FALSE(rig.program.ended);
}

// The window's timer may go off early, or a tick may still be on its way after the timer was
// started again: no phase is cut short.
TEST(ShowPhases, AnEarlyOrStaleTickCutsNoPhaseShort) {
  ShowRig rig;
  rig.Start();
  rig.RunUntil(10'000ms);
  rig.show.OnTimer(rig.now);
  EXPECT_EQ(rig.timer.due, 42'000ms);
  rig.RunUntil(41'985ms);
  rig.timer.due.reset();
  rig.show.OnTimer(rig.now);
  EXPECT_EQ(rig.timer.due, 42'000ms);
  rig.RunUntil(41'999ms);
  EXPECT_EQ(rig.OnScreen(), "video");
  rig.RunUntil(42'000ms);
  EXPECT_EQ(rig.OnScreen(), "logo");
}

TEST(ShowPhases, TheLogoIsCentredByItsOwnSizeAlsoWhenTheScreenIsSmaller) {
  const struct {
    ScreenSize screen;
    float logoWidth, logoHeight;
    float left, top;
  } cases[] = {
      {{15360, 11520}, 5820, 4395, 4770, 3562.5f},   // 1024 x 768
      {{28800, 16200}, 5820, 4395, 11490, 5902.5f},  // 1920 x 1080
      {{4800, 3600}, 5820, 4395, -510, -397.5f},     // 320 x 240: cut evenly on both sides
      {{9600, 7200}, 11640, 8790, -1020, -795},      // the logo twice as large at 192 DPI
  };
  for (const auto& c : cases) {
    ShowRig rig(c.screen);
    rig.logo.width = c.logoWidth;
    rig.logo.height = c.logoHeight;
    rig.Start();
    rig.RunUntil(42'000ms);
    ASSERT_TRUE(rig.logo.visible);
    EXPECT_EQ(rig.logo.left, c.left) << c.screen.width << " x " << c.screen.height;
    EXPECT_EQ(rig.logo.top, c.top) << c.screen.width << " x " << c.screen.height;
  }
}

// The video over the new screen, the logo centred on it once it has been shown, and the pointer
// where the change left it taken as at rest.
TEST(ShowPhases, ADisplayChangeFitsTheVideoAndTheLogoAndMovesNoPhase) {
  ShowRig rig;
  rig.Start();
  rig.show.OnDisplayChange({12000, 9000}, {400, 300});
  EXPECT_EQ(rig.video.area, (std::array<float, 4>{0, 0, 12000, 9000}));
  EXPECT_EQ(rig.logo.left, 2820) << "the logo waits where it is, hidden";
  rig.RunUntil(43'000ms);
  EXPECT_EQ(rig.logo.left, (12000 - 5820) / 2.0f) << "centred on the screen of that moment";
  rig.show.OnDisplayChange({11520, 15360}, {384, 512});
  EXPECT_EQ(rig.logo.left, 2850);
  EXPECT_EQ(rig.logo.top, 5482.5f);
  rig.RunUntil(46'999ms);
  EXPECT_EQ(rig.OnScreen(), "logo") << "the phase goes on";
  rig.RunUntil(47'000ms);
  EXPECT_EQ(rig.OnScreen(), "video");
}

// Off rests the show in either phase, however long; on (dimmed, or a state the system may add
// later, counts as on) gives the phase it was in its whole time, the clip started once.
TEST(ShowRest, DisplayOffRestsTheShowAndOnGivesThePhaseItsWholeTime) {
  struct Case {
    milliseconds offAt;
    int on;
    const char* phase;
    milliseconds length;
    const char* next;
  };
  for (const Case& c : {Case{41'000ms, 2, "video", 42'000ms, "logo"}, Case{44'000ms, 3, "logo", 5'000ms, "video"}}) {
    ShowRig rig;
    rig.Start();
    rig.RunUntil(c.offAt);
    rig.show.OnDisplayState(0, rig.now);
    rig.RunFor(3'600'000ms);
    rig.show.OnDisplayState(0, rig.now);
    EXPECT_TRUE(Resting(rig)) << c.phase;
    rig.show.OnDisplayState(c.on, rig.now);
    rig.show.OnDisplayState(1, rig.now);
    EXPECT_EQ(rig.OnScreen(), c.phase);
    EXPECT_EQ(rig.video.playing, c.phase == std::string("video")) << "the clip waits for its phase";
    EXPECT_EQ(rig.video.plays, c.phase == std::string("video") ? 2 : 1) << "started once";
    rig.RunFor(c.length - 1ms);
    EXPECT_EQ(rig.OnScreen(), c.phase);
    rig.RunFor(1ms);
    EXPECT_EQ(rig.OnScreen(), c.next);
  }
}

TEST(ShowRest, AWakeWithNobodyThereRestsOnAndAPersonsWakeTakesUpThePhaseOnce) {
  ShowRig rig;
  rig.Start();
  rig.RunUntil(10'000ms);
  rig.show.OnSuspend();
  EXPECT_TRUE(Resting(rig));
  rig.show.OnWake(false, rig.now);
  rig.RunFor(600'000ms);
  EXPECT_TRUE(Resting(rig)) << "a wake timer's wake, with nobody there";

  // A person's wake: the automatic one, the display on, then the wake by a person.
  rig.show.OnWake(false, rig.now);
  rig.show.OnDisplayState(1, rig.now);
  EXPECT_TRUE(rig.video.playing) << "a display on has somebody in front of it";
  rig.show.OnWake(true, rig.now);
  EXPECT_EQ(rig.video.plays, 2) << "the phase started once, not again";

  // A wake without a suspend before it rests the show all the same, until somebody is there.
  rig.RunFor(41'000ms);
  rig.show.OnWake(false, rig.now);
  EXPECT_TRUE(Resting(rig));
  rig.show.OnWake(true, rig.now);
  rig.RunFor(41'999ms);
  EXPECT_EQ(rig.OnScreen(), "video") << "a whole video phase";
  rig.RunFor(1ms);
  EXPECT_EQ(rig.OnScreen(), "logo");
}

TEST(ShowReport, StopsThePhaseAndTheClipBehindTheReport) {
  ShowRig rig;
  rig.Start();
  rig.RunUntil(20'000ms);
  rig.show.StopForReport();
  EXPECT_TRUE(rig.video.closed);
  EXPECT_FALSE(rig.timer.due);
  rig.show.OnTimer(42'000ms);
  EXPECT_EQ(rig.OnScreen(), "video") << "a tick on its way changes nothing";
}

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

// Each kind counts apart, across phases and at rest: one short of each ends nothing, and one more
// of any kind ends the show.
TEST(ShowActivity, EachKindEndsTheShowAtItsOwnCountWhateverTheOthersHold) {
  for (const Activity& activity : kActivities) {
    ShowRig rig;
    rig.Start();
    for (const Activity& any : kActivities) {
      for (int n = 1; n < any.eventsToEnd; ++n) any.send(rig.show, n);
      rig.RunFor(47'000ms);
    }
    rig.show.OnDisplayState(0, rig.now);
    EXPECT_FALSE(rig.program.ended) << activity.name;
    activity.send(rig.show, activity.eventsToEnd);
    EXPECT_TRUE(rig.program.ended) << activity.name;
  }
}

// The system sends a mouse move whenever a window appears or hides under the pointer, at every
// switch between video and logo, and when a display change pulls the pointer onto the screen;
// only a pointer that goes somewhere new is the user.
TEST(ShowActivity, MovesThatDoNotMoveThePointerAreNotCounted) {
  ShowRig rig;
  const ScreenPoint rest{512, 384};
  rig.Start(rest);
  for (int phase = 0; phase < 10; ++phase) {
    rig.RunFor(47'000ms);
    rig.show.OnMouseMove(rest);
    rig.show.OnVideoMouseMove(rest);
  }
  for (int change = 0; change < 5; ++change) {
    const ScreenPoint pulled{799 - change, 599};
    rig.show.OnDisplayChange({12000.0f - 15.0f * static_cast<float>(change), 9000}, pulled);
    rig.show.OnMouseMove(pulled);
    rig.show.OnVideoMouseMove(pulled);
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
  rig.Start({10, 20});
  rig.show.OnMouseMove({10, 20});
  rig.show.OnMouseMove({11, 20});
  rig.show.OnMouseMove({10, 20});
  EXPECT_FALSE(rig.program.ended);
  rig.show.OnMouseMove({10, 21});
  EXPECT_TRUE(rig.program.ended);
}

TEST(ShowLogoClick, StopsEverythingOpensTheWebAddressAndEnds) {
  ShowRig rig;
  rig.Start();
  rig.RunUntil(43'000ms);
  ASSERT_EQ(rig.OnScreen(), "logo");
  rig.show.OnLogoClick();
  EXPECT_EQ(rig.shell.opened, L"https://www.torva.example/");
  EXPECT_TRUE(rig.program.ended);
  EXPECT_EQ(rig.program.pendingEventRunsAtEnd, 2) << "the shell's hand-off is let run before the end";
  EXPECT_FALSE(rig.video.playing);
  EXPECT_FALSE(rig.timer.due);
}

}  // namespace
}  // namespace torva::testing
