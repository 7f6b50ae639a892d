// The video control's MCI command sequences: first play, mute, stop and restart, the endless loop,
// a change of clip, and a clip that cannot be played, which must never end or block the show.
#include "video/mci_player.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace torva {
namespace {

const std::wstring kClip = L"C:\\Program Files\\Saver\\torva.mpg";
const std::wstring kOpen =
    L"open \"" + kClip + L"\" type MPEGVideo alias torvaclip parent 4660 style child";
const std::wstring kPlay = L"play torvaclip from 0 notify";
const std::wstring kStop = L"stop torvaclip";
const std::wstring kClose = L"close torvaclip";
const std::wstring kMissing = L"[message Cannot play " + kClip + L": text of error 275]";

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
  std::uintptr_t NativeHandle() const override { return 4660; }
  void MakeInnerWindowsInert() override { log.push_back(L"[inert]"); }

  Log Take() { return std::exchange(log, {}); }
};

class MciPlayerTest : public ::testing::Test {
 protected:
  FakeMci mci;
  MciPlayer player{mci, mci, 96, 96};

  // The show's load on a 1024 x 768 screen (twips at 96 DPI).
  void Load(bool mute) {
    player.SetMute(mute);
    player.Move(0, 0, 15360, 11520);
    player.SetDeviceType(kMpegVideoDevice);
    player.SetFileName(kClip);
    player.SetCommand(kPlayCommand);
    player.SetVisible(true);
  }
};

TEST_F(MciPlayerTest, FirstPlayOpensIntoTheControlStretchedAndMutedThenPlaysFromTheStart) {
  Load(true);
  EXPECT_EQ(mci.Take(), (Log{L"[move 0 0 1024 768]", kOpen, L"window torvaclip handle 4660",
                             L"put torvaclip destination at 0 0 1024 768",
                             L"setaudio torvaclip volume to 0", L"[inert]", kPlay, L"[show]"}));
}

TEST_F(MciPlayerTest, MuteWhileOpenAppliesAtOnce) {
  Load(false);
  mci.Take();
  player.SetMute(true);
  player.SetMute(false);
  EXPECT_EQ(mci.Take(),
            (Log{L"setaudio torvaclip volume to 0", L"setaudio torvaclip volume to 1000"}));
}

TEST_F(MciPlayerTest, PlayRestartsFromTheBeginningAndAPlayingClipIsStoppedFirst) {
  Load(true);
  mci.Take();
  player.SetCommand(kStopCommand);
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(mci.Take(), (Log{kStop, kPlay})) << "the open clip is not opened again";
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(mci.Take(), (Log{kStop, kPlay}));
  player.SetCommand(0);
  EXPECT_TRUE(mci.Take().empty()) << "no such command";
}

TEST_F(MciPlayerTest, ClipStartsOverWhenItEndsButNotWhenStoppedOrSuperseded) {
  Load(true);
  mci.Take();
  for (int end = 0; end < 2; ++end) {
    player.OnNotify(MciNotification::Successful);
    EXPECT_EQ(mci.Take(), (Log{kStop, kPlay})) << "end " << end;
  }
  player.OnNotify(MciNotification::Aborted);
  player.OnNotify(MciNotification::Superseded);
  player.SetCommand(kStopCommand);
  player.OnNotify(MciNotification::Successful);
  EXPECT_EQ(mci.Take(), Log{kStop});
}

TEST_F(MciPlayerTest, NewFileOrDeviceTypeClosesTheClipAndTheNextPlayOpensIt) {
  Load(true);
  player.SetFileName(kClip);
  player.SetDeviceType(kMpegVideoDevice);
  mci.Take();
  player.SetFileName(L"C:\\other.mpg");
  EXPECT_EQ(mci.Take(), (Log{kStop, kClose}));
  player.OnNotify(MciNotification::Successful);  // the old clip's last word
  player.SetDeviceType(L"AVIVideo");
  EXPECT_TRUE(mci.Take().empty());
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(mci.Take().front(),
            L"open \"C:\\other.mpg\" type AVIVideo alias torvaclip parent 4660 style child");
}

TEST_F(MciPlayerTest, MissingClipShowsItsNameAndMciReasonAndEveryPlayTriesAgain) {
  mci.failures[L"open"] = 275;
  EXPECT_NO_THROW(Load(true));
  EXPECT_EQ(mci.Take(), (Log{L"[move 0 0 1024 768]", kOpen, kMissing, L"[show]"}));

  // Nothing is open, so these have nothing to tell MCI.
  player.SetMute(false);
  player.Move(0, 0, 7680, 5760);
  player.SetCommand(kStopCommand);
  player.OnNotify(MciNotification::Successful);
  EXPECT_EQ(mci.Take(), Log{L"[move 0 0 512 384]"});

  player.SetCommand(kPlayCommand);
  EXPECT_EQ(mci.Take(), (Log{kOpen, kMissing}));
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
    failing.SetCommand(kPlayCommand);
    const Log log = device.Take();
    ASSERT_GE(log.size(), 2u) << verb;
    EXPECT_EQ(log[log.size() - 2], kClose) << verb;
    EXPECT_EQ(log.back(), L"[message Cannot play " + kClip + L": text of error 277]") << verb;
  }
  player.SetFileName(kClip);
  player.SetCommand(kPlayCommand);
  player.OnNotify(MciNotification::Failure);
  EXPECT_EQ(mci.Take().back(), L"[message Cannot play " + kClip +
                                   L": the device failed during playback.]");
}

TEST_F(MciPlayerTest, ClipWithoutSoundPlaysThoughItsVolumeCannotBeSet) {
  mci.failures[L"setaudio"] = 277;
  Load(true);
  player.SetMute(false);
  EXPECT_EQ(mci.Take().back(), L"setaudio torvaclip volume to 1000");
  player.OnNotify(MciNotification::Successful);
  EXPECT_EQ(mci.Take(), (Log{kStop, kPlay}));
}

TEST_F(MciPlayerTest, NamesThatWouldAddClausesNeverReachMci) {
  player.SetFileName(L"C:\\a.mpg\" alias x \"");
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(mci.Take(), Log{L"[message Cannot play C:\\a.mpg\" alias x \": text of error 275]"});
  player.SetFileName(kClip);
  player.SetDeviceType(L"MPEGVideo wait");
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(mci.Take(), (Log{L"[message ]", L"[message Cannot play " + kClip +
                                                  L": text of error 263]"}));
}

TEST_F(MciPlayerTest, MoveConvertsEachAxisAndKeepsThePictureOnTheWholeControl) {
  Load(true);
  mci.Take();
  player.Move(1080, 1020, 1695, 1335);
  player.Move(-150, 0, 0, 1500);
  EXPECT_EQ(mci.Take(), (Log{L"[move 72 68 113 89]", L"put torvaclip destination at 0 0 113 89",
                             L"[move -10 0 0 100]"}))
      << "an empty area has no destination";
  const float nan = std::numeric_limits<float>::quiet_NaN();
  player.Move(nan, -1e30f, 1e30f, std::numeric_limits<float>::infinity());
  EXPECT_EQ(mci.Take().front(), L"[move 0 -32767 32767 32767]");

  MciPlayer highDpi(mci, mci, 144, 120);
  highDpi.Move(1440, 1440, 15360, 11520);
  EXPECT_EQ(mci.Take(), Log{L"[move 144 120 1536 960]"});
}

TEST_F(MciPlayerTest, DestroyingThePlayerClosesTheClip) {
  FakeMci device;
  {
    MciPlayer playing(device, device, 96, 96);
    playing.SetFileName(kClip);
    playing.SetCommand(kPlayCommand);
    device.Take();
  }
  EXPECT_EQ(device.Take(), (Log{kStop, kClose}));
}

}  // namespace
}  // namespace torva
