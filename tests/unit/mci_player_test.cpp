// The video control's MCI command sequences: first play, mute, stop and restart, the endless loop,
// a change of clip, and a clip that cannot be played, which must never end or block the show.
#include "video/mci_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace torva {
namespace {

constexpr std::uintptr_t kHandle = 4660;
const std::wstring kClip = L"C:\\Program Files\\Saver\\torva.mpg";
const std::wstring kOpen = L"open \"" + kClip +
                           L"\" type MPEGVideo alias torvaclip parent 4660 style child";
const std::wstring kPlay = L"play torvaclip from 0 notify";
const std::wstring kStop = L"stop torvaclip";
const std::wstring kClose = L"close torvaclip";

using Log = std::vector<std::wstring>;

// MCI and the window in one log, in the order the player used them. A command fails with the
// error set for its first word.
class FakeMci final : public MciDevice, public VideoSurface {
 public:
  Log log;
  std::map<std::wstring, unsigned long> failures;

  MciReply Send(const std::wstring& command) override {
    log.push_back(command);
    const auto failure = failures.find(command.substr(0, command.find(L' ')));
    return {failure == failures.end() ? 0 : failure->second, L""};
  }
  std::wstring ErrorText(unsigned long error) override {
    return L"text of error " + std::to_wstring(error);
  }

  void SetVisible(bool visible) override { log.push_back(visible ? L"[show]" : L"[hide]"); }
  void MoveTo(const PixelRect& a) override {
    log.push_back(L"[move " + std::to_wstring(a.left) + L" " + std::to_wstring(a.top) + L" " +
                  std::to_wstring(a.width) + L" " + std::to_wstring(a.height) + L"]");
  }
  void ShowMessage(const std::wstring& text) override { log.push_back(L"[message " + text + L"]"); }
  std::uintptr_t NativeHandle() const override { return kHandle; }
  void MakeInnerWindowsInert() override { log.push_back(L"[inert]"); }

  // What was logged since the last call.
  Log Take() { return std::exchange(log, {}); }
};

class MciPlayerTest : public ::testing::Test {
 protected:
  FakeMci mci;
  MciPlayer player{mci, mci, 96, 96};

  // The show's load: a 1024 x 768 screen in twips at 96 DPI.
  void Load(bool mute) {
    player.SetMute(mute);
    player.Move(0, 0, 15360, 11520);
    player.SetDeviceType(kMpegVideoDevice);
    player.SetFileName(kClip);
    player.SetCommand(kPlayCommand);
    mci.Take();
  }
};

TEST_F(MciPlayerTest, FirstPlayOpensIntoTheControlStretchedAndMutedThenPlaysFromTheStart) {
  player.SetMute(true);
  player.Move(0, 0, 15360, 11520);
  player.SetDeviceType(kMpegVideoDevice);
  player.SetFileName(kClip);
  EXPECT_EQ(mci.Take(), Log{L"[move 0 0 1024 768]"}) << "nothing reaches MCI before the play";

  player.SetCommand(kPlayCommand);
  player.SetVisible(true);
  EXPECT_EQ(mci.Take(), (Log{kOpen, L"window torvaclip handle 4660",
                             L"put torvaclip destination at 0 0 1024 768",
                             L"setaudio torvaclip volume to 0", L"[inert]", kPlay, L"[show]"}));
}

TEST_F(MciPlayerTest, SoundOnAtOpenIsFullVolume) {
  Load(false);
  player.SetCommand(kStopCommand);
  player.SetFileName(L"C:\\other.mpg");
  player.SetCommand(kPlayCommand);
  const Log log = mci.Take();
  EXPECT_NE(std::find(log.begin(), log.end(), L"setaudio torvaclip volume to 1000"), log.end());
}

TEST_F(MciPlayerTest, MuteWhileOpenAppliesAtOnce) {
  Load(false);
  player.SetMute(true);
  player.SetMute(false);
  EXPECT_EQ(mci.Take(), (Log{L"setaudio torvaclip volume to 0",
                             L"setaudio torvaclip volume to 1000"}));
}

TEST_F(MciPlayerTest, StopThenPlayRestartsTheOpenClipFromItsBeginning) {
  Load(true);
  player.SetCommand(kStopCommand);
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(mci.Take(), (Log{kStop, kPlay}));
}

TEST_F(MciPlayerTest, PlayWhilePlayingStopsFirst) {
  Load(true);
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(mci.Take(), (Log{kStop, kPlay}));
}

TEST_F(MciPlayerTest, OtherCommandValuesChangeNothing) {
  Load(true);
  player.SetCommand(0);
  player.SetCommand(2);
  EXPECT_TRUE(mci.Take().empty());
}

TEST_F(MciPlayerTest, ClipThatEndsWhilePlayingStartsOverAtOnceEveryTime) {
  Load(true);
  for (int end = 0; end < 3; ++end) {
    player.OnNotify(MciNotification::Successful);
    EXPECT_EQ(mci.Take(), (Log{kStop, kPlay})) << "end " << end;
  }
}

TEST_F(MciPlayerTest, AbortedOrSupersededPlaysAreNotEnds) {
  Load(true);
  player.OnNotify(MciNotification::Aborted);
  player.OnNotify(MciNotification::Superseded);
  EXPECT_TRUE(mci.Take().empty());
}

TEST_F(MciPlayerTest, EndAfterTheStopCommandDoesNotRestart) {
  Load(true);
  player.SetCommand(kStopCommand);
  mci.Take();
  player.OnNotify(MciNotification::Successful);
  EXPECT_TRUE(mci.Take().empty());
}

TEST_F(MciPlayerTest, FailureDuringPlaybackClosesAndSaysSoAndTheNextPlayReopens) {
  Load(true);
  player.OnNotify(MciNotification::Failure);
  EXPECT_EQ(mci.Take(), (Log{kStop, kClose, L"[message Cannot play " + kClip +
                                                  L": the device failed during playback.]"}));
  player.SetCommand(kPlayCommand);
  const Log log = mci.Take();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), kOpen);
  EXPECT_EQ(log.back(), kPlay);
}

TEST_F(MciPlayerTest, NewFileNameClosesTheClipAndTheNextPlayOpensTheNewOne) {
  Load(true);
  player.SetFileName(L"C:\\other.mpg");
  EXPECT_EQ(mci.Take(), (Log{kStop, kClose}));
  player.OnNotify(MciNotification::Successful);  // the old clip's last word
  EXPECT_TRUE(mci.Take().empty());
  player.SetCommand(kPlayCommand);
  const Log log = mci.Take();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(),
            L"open \"C:\\other.mpg\" type MPEGVideo alias torvaclip parent 4660 style child");
}

TEST_F(MciPlayerTest, NewDeviceTypeClosesTheClipButTheSameSettingsDoNot) {
  Load(true);
  player.SetFileName(kClip);
  player.SetDeviceType(kMpegVideoDevice);
  EXPECT_TRUE(mci.Take().empty());
  player.SetCommand(kStopCommand);
  player.SetDeviceType(L"AVIVideo");
  EXPECT_EQ(mci.Take(), (Log{kStop, kClose}));
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(mci.Take().front(),
            L"open \"" + kClip + L"\" type AVIVideo alias torvaclip parent 4660 style child");
}

TEST_F(MciPlayerTest, MissingClipShowsItsNameAndMciReasonAndNothingElseFails) {
  mci.failures[L"open"] = 275;
  player.SetMute(true);
  player.Move(0, 0, 15360, 11520);
  player.SetFileName(kClip);
  mci.Take();
  EXPECT_NO_THROW(player.SetCommand(kPlayCommand));
  EXPECT_EQ(mci.Take(), (Log{kOpen, L"[message Cannot play " + kClip + L": text of error 275]"}));

  // Nothing is open: these have nothing to tell MCI.
  player.SetMute(false);
  player.Move(0, 0, 7680, 5760);
  player.SetCommand(kStopCommand);
  player.OnNotify(MciNotification::Successful);
  player.SetVisible(true);
  EXPECT_EQ(mci.Take(), (Log{L"[move 0 0 512 384]", L"[show]"}));

  // Each play tries again; once the clip can be opened, the message goes and the clip plays.
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(mci.Take(), (Log{kOpen, L"[message Cannot play " + kClip + L": text of error 275]"}));
  mci.failures.clear();
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(mci.Take(), (Log{kOpen, L"window torvaclip handle 4660",
                             L"put torvaclip destination at 0 0 512 384",
                             L"setaudio torvaclip volume to 1000", L"[inert]", L"[message ]",
                             kPlay}));
}

TEST_F(MciPlayerTest, ClipOpenedButNotPlayableIsClosedAgainWithTheReason) {
  for (const wchar_t* verb : {L"window", L"put", L"play"}) {
    FakeMci device;
    MciPlayer failing(device, device, 96, 96);
    device.failures[verb] = 277;
    failing.Move(0, 0, 1500, 1500);
    failing.SetFileName(kClip);
    device.Take();
    failing.SetCommand(kPlayCommand);
    const Log log = device.Take();
    ASSERT_GE(log.size(), 2u) << verb;
    EXPECT_EQ(log[log.size() - 2], kClose) << verb;
    EXPECT_EQ(log.back(), L"[message Cannot play " + kClip + L": text of error 277]") << verb;
  }
}

TEST_F(MciPlayerTest, ClipWithoutSoundPlaysThoughItsVolumeCannotBeSet) {
  mci.failures[L"setaudio"] = 277;
  Load(true);
  player.SetMute(false);
  player.OnNotify(MciNotification::Successful);
  for (const auto& entry : mci.Take()) {
    EXPECT_NE(entry.rfind(L"[message", 0), 0u) << "unexpected " << ::testing::PrintToString(entry);
  }
}

TEST_F(MciPlayerTest, FileNameWithAQuoteNeverReachesMci) {
  const std::wstring sneaky = L"C:\\a.mpg\" alias x parent 1 \"";
  player.SetFileName(sneaky);
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(mci.Take(), Log{L"[message Cannot play " + sneaky + L": text of error 275]"});
  player.SetFileName(kClip);
  player.SetDeviceType(L"MPEGVideo wait");
  mci.Take();
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(mci.Take(), Log{L"[message Cannot play " + kClip + L": text of error 263]"});
}

TEST_F(MciPlayerTest, ChangedClipClearsTheMessageAboutTheOldOne) {
  mci.failures[L"open"] = 275;
  player.SetFileName(kClip);
  player.SetCommand(kPlayCommand);
  mci.Take();
  player.SetFileName(L"C:\\other.mpg");
  EXPECT_EQ(mci.Take(), Log{L"[message ]"});
}

TEST_F(MciPlayerTest, PictureFollowsEveryMoveOfTheOpenClip) {
  Load(true);
  player.Move(1080, 1020, 1695, 1335);
  EXPECT_EQ(mci.Take(),
            (Log{L"[move 72 68 113 89]", L"put torvaclip destination at 0 0 113 89"}));
}

TEST_F(MciPlayerTest, MoveUsesTheScreenDpiOfEachAxis) {
  MciPlayer highDpi(mci, mci, 144, 120);
  highDpi.Move(1440, 1440, 15360, 11520);
  EXPECT_EQ(mci.Take(), Log{L"[move 144 120 1536 960]"});
}

TEST_F(MciPlayerTest, EmptyOrAbsurdAreasAreKeptInRange) {
  Load(true);
  player.Move(0, 0, 0, 11520);
  EXPECT_EQ(mci.Take(), Log{L"[move 0 0 0 768]"}) << "no destination for an empty area";
  player.Move(-150, 0, -1500, 1500);
  EXPECT_EQ(mci.Take(), Log{L"[move -10 0 0 100]"});
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float huge = 1e30f;
  player.Move(nan, -huge, huge, std::numeric_limits<float>::infinity());
  EXPECT_EQ(mci.Take(), (Log{L"[move 0 -32767 32767 32767]",
                             L"put torvaclip destination at 0 0 32767 32767"}));
}

TEST_F(MciPlayerTest, DestroyingThePlayerClosesTheClip) {
  {
    FakeMci device;
    {
      MciPlayer playing(device, device, 96, 96);
      playing.SetFileName(kClip);
      playing.SetCommand(kPlayCommand);
      device.Take();
    }
    EXPECT_EQ(device.Take(), (Log{kStop, kClose}));
  }
  {
    FakeMci device;
    { MciPlayer never(device, device, 96, 96); }
    EXPECT_TRUE(device.Take().empty());
  }
}

}  // namespace
}  // namespace torva
