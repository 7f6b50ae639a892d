// The show's start and its endless video/logo cycle, followed on a simulated clock.
#include <gtest/gtest.h>

#include "tests/unit/show_fakes.h"

namespace torva::testing {
namespace {

using Calls = std::vector<std::string>;

TEST(ShowLoad, ReadsTheSettingThenStartsTheVideoOverTheWholeScreenAndArmsTheTick) {
  for (const bool soundOn : {true, false}) {
    ShowRig rig;
    rig.program.soundOn = soundOn;
    rig.Load();
    EXPECT_EQ(rig.log.calls(), (Calls{
        "program.ReadSoundSetting",
        soundOn ? "video.SetSound(true)" : "video.SetSound(false)",
        "video.Move(0,0,15360,11520)",
        "video.SetClip(C:\\saver\\torva.mpg)",
        "video.Play",
        "program.LetPendingEventsRun",
        "video.SetVisible(true)",
        "Timer_loop.SetInterval(1000)",
        "Timer_loop.SetEnabled(true)",
    })) << "sound on: " << soundOn;
    EXPECT_EQ(rig.show.loopCount(), 0);
  }
}

TEST(ShowLoad, BrokenSettingsFileStopsTheLoadBeforeTheVideoIsTouched) {
  for (const ErrorCode error : {ErrorCode::FileNotFound, ErrorCode::InputPastEndOfFile}) {
    ShowRig rig;
    rig.program.readError = error;
    EXPECT_THROW(rig.Load(), RuntimeError);
    EXPECT_EQ(rig.log.calls(), Calls{"program.ReadSoundSetting"});
    EXPECT_FALSE(rig.timers.Fires(TimerId::Timer_loop));
  }
}

// The clip plays, and the video's tick counts, exactly while the video is seen; the logo, once
// shown, stays under it.
TEST(ShowCycle, VideoFor42SecondsThenTheLogoFor5InEveryPhase) {
  ShowRig rig;
  rig.Load();
  std::vector<long long> switches;  // when the screen changed, in ms after the load
  std::string shown = rig.OnScreen();
  while (rig.clock.now() < milliseconds{4 * 47'000 + 1}) {
    rig.RunFor(milliseconds{1});
    if (rig.OnScreen() == shown) continue;
    shown = rig.OnScreen();
    switches.push_back(rig.clock.now().count());
    EXPECT_EQ(rig.video.playing, shown == "video") << switches.back();
    EXPECT_EQ(rig.clock.IsRunning(TimerId::Timer_loop), shown == "video") << switches.back();
    EXPECT_TRUE(rig.logo.visible) << switches.back();
  }
  EXPECT_EQ(switches, (std::vector<long long>{42'000, 47'000, 89'000, 94'000, 136'000, 141'000,
                                               183'000, 188'000}));
  EXPECT_FALSE(rig.program.ended);
}

struct CentringCase {
  ScreenSize screen;
  float logoWidth, logoHeight;
  float left, top;
};

TEST(ShowCycle, LogoIsCentredByItsOwnSizeAlsoWhenTheScreenIsSmaller) {
  const CentringCase cases[] = {
      {{15360, 11520}, 5820, 4395, 4770, 3562.5f},      // 1024 x 768
      {{28800, 16200}, 5820, 4395, 11490, 5902.5f},     // 1920 x 1080
      {{4800, 3600}, 5820, 4395, -510, -397.5f},        // 320 x 240: cut evenly on both sides
      {{9600, 7200}, 11640, 8790, -1020, -795},         // the logo twice as large at 192 DPI
  };
  for (const CentringCase& c : cases) {
    ShowRig rig(c.screen);
    rig.logo.width = c.logoWidth;
    rig.logo.height = c.logoHeight;
    rig.Load();
    rig.RunUntil(milliseconds{42'000});
    ASSERT_TRUE(rig.logo.visible);
    EXPECT_EQ(rig.logo.left, c.left) << c.screen.width << " x " << c.screen.height;
    EXPECT_EQ(rig.logo.top, c.top) << c.screen.width << " x " << c.screen.height;
  }
}

}  // namespace
}  // namespace torva::testing
