// The video control's states as the user meets them: the clip plays from its start and starts over,
// calmly for a clip that keeps ending at once; its graph is kept through stops and rests, which let
// go of the sound device, and gives way to a new one when it fails or its file changed; a clip that
// cannot be played says why and never ends or blocks the show.
#include "video/graph_player.h"

#include <gtest/gtest.h>

#include <deque>
#include <limits>
#include <optional>
#include <string>

namespace torva {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

const std::wstring kClip = L"C:\\Program Files\\Saver\\torva.mpg";
const std::wstring kCannotPlay = L"Cannot play " + kClip + L": ";
const ClipProblem kNotAClip{ClipFault::NotAClip};
const ClipProblem kBroken{ClipFault::Other, 0x8004025B, L"The platform's words.\r\n"};

// The platform as the player meets it: a graph exists from a Build that worked until its Release,
// and a call that needs one without it fails the test; a graph with sound holds the sound device
// while its sound renderer is in it. The control's window is the surface.
class FakePlatform final : public ClipGraph, public VideoSurface {
 public:
  // What the platform does: every build fails with `unplayable`, every run with `runRefused`; the
  // graph there is now refuses to run or stop while `graphBroken` (as after a sleep), or to take
  // its sound back while `soundLost`, and a new one works.
  std::optional<ClipProblem> unplayable;
  bool runRefused = false, graphBroken = false, soundLost = false;
  bool soundStays = false;  // its sound renderer cannot be taken out
  std::optional<ClipStamp> stamp = ClipStamp{1673216, 42};

  // What the player made of it, and what the user sees.
  bool exists = false, running = false, withSound = false, holdsSoundDevice = false;
  int graphsBuilt = 0, runs = 0;
  PixelSize pictureSize;
  std::deque<GraphEvent> events;
  PixelRect area;
  std::wstring message;
  std::optional<milliseconds> restartTimer;

  std::optional<ClipProblem> Build(const std::wstring& path, bool sound, PixelSize size) override {
    EXPECT_FALSE(exists) << "a second graph while one exists";
    EXPECT_EQ(path, kClip);
    if (unplayable) return unplayable;
    exists = true;
    ++graphsBuilt;
    graphBroken = soundLost = running = false;
    withSound = holdsSoundDevice = sound;
    pictureSize = size;
    return std::nullopt;
  }
  std::optional<ClipProblem> RunFromStart() override {
    if (const auto problem = Refused(runRefused || graphBroken)) return problem;
    running = true;
    ++runs;
    return std::nullopt;
  }
  std::optional<ClipProblem> StopAtStart() override {
    if (const auto problem = Refused(graphBroken)) return problem;
    running = false;
    return std::nullopt;
  }
  std::optional<ClipProblem> LetGoOfSound() override {
    Need();
    running = false;
    if (soundStays) return kBroken;
    holdsSoundDevice = false;
    return std::nullopt;
  }
  std::optional<ClipProblem> TakeSoundBack() override {
    if (const auto problem = Refused(soundLost)) return problem;
    holdsSoundDevice = withSound;
    return std::nullopt;
  }
  void Fit(PixelSize size) override {
    Need();
    pictureSize = size;
  }
  std::optional<GraphEvent> NextEvent() override {
    Need();
    if (events.empty()) return std::nullopt;
    const GraphEvent event = events.front();
    events.pop_front();
    return event;
  }
  void Release() override {
    Need();
    exists = running = holdsSoundDevice = false;
    events.clear();
  }
  std::optional<ClipStamp> StampOf(const std::wstring&) override { return stamp; }

  void MoveTo(const PixelRect& newArea) override { area = newArea; }
  void ShowMessage(const std::wstring& text) override { message = text; }
  void StartRestartTimer(milliseconds delay) override { restartTimer = delay; }
  void StopRestartTimer() override { restartTimer.reset(); }

  void Post(std::optional<ClipProblem> problem = std::nullopt) {
    if (exists) events.push_back({problem});
  }

 private:
  void Need() const { EXPECT_TRUE(exists) << "a graph call without a graph"; }
  std::optional<ClipProblem> Refused(bool refused) const {
    Need();
    return refused ? std::optional(kBroken) : std::nullopt;
  }
};

// The player with its platform, on a 1024 x 768 screen unless told the DPI.
struct Rig {
  explicit Rig(int dpiX = 96, int dpiY = 96) : player(platform, platform, dpiX, dpiY) {}

  // As the show starts it (twips at 96 DPI).
  void Load(bool sound) {
    player.SetSound(sound);
    player.Move(0, 0, 15360, 11520);
    player.SetClip(kClip);
    player.Play();
  }
  void End(milliseconds now) {
    platform.Post();
    player.OnGraphEvents(now);
  }
  // The restart timer fires only while it runs, as the platform's does.
  void FireRestartTimer(milliseconds now) {
    if (!platform.restartTimer) return;
    platform.restartTimer.reset();
    player.OnRestartTimer(now);
  }

  FakePlatform platform;
  GraphPlayer player;
};

TEST(GraphPlayer, PlaysFromTheStartWithTheSoundAsSetAndKeepsItsGraphThroughStopAndPlay) {
  for (const bool sound : {false, true}) {
    Rig rig;
    FakePlatform& platform = rig.platform;
    rig.Load(sound);
    EXPECT_TRUE(platform.running);
    EXPECT_EQ(platform.withSound, sound);
    EXPECT_EQ(platform.pictureSize, (PixelSize{1024, 768}));
    EXPECT_EQ(platform.message, L"");
    platform.Post();  // the end, still queued when the stop comes
    rig.player.Stop();
    rig.player.Stop();
    rig.player.OnGraphEvents(1000ms);
    EXPECT_FALSE(platform.running) << "an end queued before the stop started it over";
    rig.player.Play();
    rig.player.Play();  // starts over
    EXPECT_TRUE(platform.running);
    EXPECT_EQ(platform.runs, 3);
    EXPECT_EQ(platform.graphsBuilt, 1) << "never built anew";
  }
}

TEST(GraphPlayer, ClipStartsOverWhenItEndsButNeverMoreOftenThanTwiceASecond) {
  Rig rig;
  rig.Load(false);
  rig.End(20000ms);
  EXPECT_EQ(rig.platform.runs, 2);

  // Ends that come at once again, as from a very short clip: one start each half second.
  rig.End(20150ms);
  rig.End(20200ms);
  EXPECT_EQ(rig.platform.runs, 2);
  EXPECT_EQ(rig.platform.restartTimer, 350ms);
  rig.FireRestartTimer(20500ms);
  EXPECT_EQ(rig.platform.runs, 3);
  rig.End(21000ms);
  EXPECT_EQ(rig.platform.runs, 4);
  EXPECT_EQ(rig.platform.graphsBuilt, 1);
}

TEST(GraphPlayer, StartOverWaitingAcrossStopPlayRestOrNewClipNeverComes) {
  for (const int step : {0, 1, 2, 3, 4}) {
    Rig rig;
    rig.Load(false);
    rig.End(1000ms);
    rig.End(1100ms);
    ASSERT_TRUE(rig.platform.restartTimer);
    if (step == 0) rig.player.Stop();
    if (step == 1) rig.player.Play();
    if (step == 2) rig.player.Rest();
    if (step == 3) rig.player.SetClip(L"C:\\other.mpg");
    if (step == 4) rig.player.Close();
    EXPECT_FALSE(rig.platform.restartTimer) << step;
    // A tick the timer posted before it was stopped still arrives.
    const int runs = rig.platform.runs;
    rig.player.OnRestartTimer(1500ms);
    EXPECT_EQ(rig.platform.runs, runs) << step;
    EXPECT_EQ(rig.platform.running, step == 1) << step;
    if (step == 3) continue;
    // A new play counts afresh: its first end starts the clip over at once.
    rig.player.Play();
    rig.End(1200ms);
    EXPECT_EQ(rig.platform.runs, runs + 2) << step;
  }
}

TEST(GraphPlayer, RestLetsGoOfTheSoundDeviceKeepsTheGraphAndThePlayAfterTakesItBack) {
  for (const bool sound : {false, true}) {
    for (const bool playing : {true, false}) {
      Rig rig;
      FakePlatform& platform = rig.platform;
      rig.Load(sound);
      if (!playing) rig.player.Stop();  // the logo's phase
      rig.player.Rest();
      rig.player.Rest();
      rig.player.Stop();
      EXPECT_FALSE(platform.running);
      EXPECT_FALSE(platform.holdsSoundDevice);
      EXPECT_TRUE(platform.exists) << "kept for the next play";
      rig.player.Play();
      EXPECT_TRUE(platform.running);
      EXPECT_EQ(platform.holdsSoundDevice, sound);
      EXPECT_EQ(platform.graphsBuilt, 1);
    }
  }

  // A sound renderer that cannot go alone takes its graph with it, without a word.
  Rig rig;
  rig.platform.soundStays = true;
  rig.Load(true);
  rig.player.Rest();
  EXPECT_FALSE(rig.platform.exists);
  EXPECT_EQ(rig.platform.message, L"");
  rig.player.Play();
  EXPECT_TRUE(rig.platform.running);
  EXPECT_EQ(rig.platform.graphsBuilt, 2);
}

TEST(GraphPlayer, KeptGraphThatFailsOrWhoseFileChangedGivesWayToANewOne) {
  // After a sleep, say, the kept graph no longer runs or takes its sound back: a new one plays.
  Rig rig;
  FakePlatform& platform = rig.platform;
  rig.Load(true);
  for (const bool rested : {false, true}) {
    if (rested) rig.player.Rest();
    (rested ? platform.soundLost : platform.graphBroken) = true;
    rig.player.Play();
    EXPECT_TRUE(platform.running) << rested;
    EXPECT_TRUE(platform.holdsSoundDevice) << rested;
  }
  EXPECT_EQ(platform.graphsBuilt, 3);

  // Changed while it played: the next end builds anew instead of starting the old graph over, and
  // the new one starts over in its turn.
  platform.stamp = ClipStamp{1673217, 43};
  rig.End(5000ms);
  rig.End(6000ms);
  EXPECT_EQ(platform.graphsBuilt, 4);
  EXPECT_EQ(platform.runs, 5);

  // Cut short during the logo's phase: the next play builds anew, says why it fails, and tries
  // again at each play.
  rig.player.Stop();
  platform.stamp = ClipStamp{0, 44};
  platform.unplayable = kNotAClip;
  rig.player.Play();
  EXPECT_EQ(platform.message, kCannotPlay + L"Not a clip the system can play.");
  EXPECT_FALSE(platform.exists);
  platform.unplayable.reset();
  rig.player.Play();
  EXPECT_TRUE(platform.running);
  EXPECT_EQ(platform.message, L"");

  // Gone while it played: the next end says so.
  platform.stamp = std::nullopt;
  platform.unplayable = ClipProblem{ClipFault::FileNotFound};
  rig.End(9000ms);
  EXPECT_EQ(platform.message, kCannotPlay + L"File not found.");
  EXPECT_FALSE(platform.exists);
}

TEST(GraphPlayer, ClipThatCannotBePlayedSaysWhyAndEachLaterPlayTriesAgain) {
  Rig rig;
  FakePlatform& platform = rig.platform;
  platform.unplayable = ClipProblem{ClipFault::NoPicture};
  rig.Load(true);
  EXPECT_EQ(platform.message, kCannotPlay + L"No picture in the clip.");
  // Nothing built, so these have nothing to tell a graph; the fake fails any call.
  rig.player.Move(0, 0, 7680, 5760);
  rig.player.Stop();
  rig.player.Rest();
  rig.player.OnGraphEvents(1000ms);
  rig.player.OnRestartTimer(1000ms);
  EXPECT_EQ(platform.area, (PixelRect{0, 0, 512, 384}));
  rig.player.Play();
  EXPECT_EQ(platform.message, kCannotPlay + L"No picture in the clip.") << "the line stays";
  platform.unplayable.reset();
  rig.player.Play();
  EXPECT_TRUE(platform.running);
  EXPECT_EQ(platform.pictureSize, (PixelSize{512, 384}));
  EXPECT_EQ(platform.message, L"");

  // A graph that is built anew but does not run either goes again.
  platform.runRefused = true;
  rig.player.Play();
  EXPECT_EQ(platform.message, kCannotPlay + L"The platform's words.");
  EXPECT_FALSE(platform.exists);
  platform.runRefused = false;
  rig.player.Play();

  // Failures while it plays: an error from the graph, and a graph that cannot start over.
  platform.Post(kBroken);
  platform.Post();
  rig.player.OnGraphEvents(5000ms);
  EXPECT_EQ(platform.message, kCannotPlay + L"The platform's words.");
  EXPECT_FALSE(platform.exists);
  rig.player.Play();
  platform.graphBroken = true;
  rig.End(7000ms);
  EXPECT_EQ(platform.message, kCannotPlay + L"The platform's words.");
  EXPECT_FALSE(platform.exists);
}

TEST(FailureLine, CommonReasonsInTheProgramsOwnWordsOthersInThePlatformsOrAsTheirCode) {
  const struct {
    ClipProblem problem;
    std::wstring reason;
  } rows[] = {
      {{ClipFault::FileNotFound, 0x80070002, L"x"}, L"File not found."},
      {{ClipFault::AccessDenied}, L"Access denied."},
      {{ClipFault::NoPicture}, L"No picture in the clip."},
      {{ClipFault::NotAClip}, L"Not a clip the system can play."},
      {{ClipFault::NoMediaEngine}, L"the system's media engine (DirectShow) cannot be loaded."},
      {{ClipFault::Other, 0x8004022E, L"  The stream ended early.\r\n"}, L"The stream ended early."},
      {{ClipFault::Other, 0x80070020, L" \r\n\t"}, L"Error 0x80070020."},
      {{ClipFault::Other, 0x0000000A}, L"Error 0x0000000A."},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(FailureLine(L"C:\\t.mpg", row.problem), L"Cannot play C:\\t.mpg: " + row.reason);
  }
}

TEST(GraphPlayer, NewClipOrCloseReleasesTheGraphAndTheLineOfTheOneBefore) {
  Rig rig;
  rig.Load(false);
  rig.player.SetClip(kClip);
  EXPECT_TRUE(rig.platform.exists) << "the same clip keeps its graph";
  rig.player.Close();
  EXPECT_FALSE(rig.platform.exists);
  rig.player.Play();
  EXPECT_EQ(rig.platform.graphsBuilt, 2);
  rig.player.SetClip(L"C:\\other.mpg");
  EXPECT_FALSE(rig.platform.exists);
  rig.player.OnGraphEvents(1000ms);  // the old graph's last word, already on its way

  Rig failed;
  failed.platform.unplayable = kNotAClip;
  failed.Load(false);
  failed.player.SetClip(L"C:\\other.mpg");
  EXPECT_EQ(failed.platform.message, L"");
}

TEST(GraphPlayer, MoveConvertsEachAxisAndKeepsThePictureOnTheWholeControl) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    int dpiX, dpiY;
    float left, top, width, height;
    PixelRect area;
  } rows[] = {
      {96, 96, 1080, 1020, 1695, 1335, {72, 68, 113, 89}},
      {96, 96, -150, -15, -1500, -15, {-10, -1, 0, 0}},  // no size below none
      {96, 96, nan, -1e30f, 1e30f, inf, {0, -32767, 32767, 32767}},
      {144, 120, 1440, 1440, 15360, 11520, {144, 120, 1536, 960}},
      {1, 1, 1440, 2880, 1440, 4320, {1, 2, 1, 3}},
      // A screen that reports no DPI is taken as one at 96.
      {0, 0, 1e30f, -1e30f, 1440, 2880, {32767, -32767, 96, 192}},
      {-1, -1, 1440, 2880, 1440, 2880, {96, 192, 96, 192}},
  };
  for (const auto& row : rows) {
    Rig rig(row.dpiX, row.dpiY);
    rig.Load(false);
    rig.player.Move(row.left, row.top, row.width, row.height);
    EXPECT_EQ(rig.platform.area, row.area) << row.dpiX << " " << row.left;
    EXPECT_EQ(rig.platform.pictureSize, (PixelSize{row.area.width, row.area.height})) << row.left;
  }
}

TEST(GraphPlayer, SilentUnlessToldAndDestroyingThePlayerReleasesTheGraph) {
  FakePlatform platform;
  {
    GraphPlayer player(platform, platform, 96, 96);
    player.SetClip(kClip);
    player.Play();
    ASSERT_TRUE(platform.exists);
    EXPECT_FALSE(platform.withSound) << "sound unless asked for";
  }
  EXPECT_FALSE(platform.exists);
}

}  // namespace
}  // namespace torva
