// The video control's graph: its shape with and without sound, stop and restart, the endless loop
// that must not spin on a clip that keeps ending at once, rest, and clips that cannot be played or
// change under a kept graph, which must never end or block the show.
#include "video/graph_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace torva {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

const std::wstring kClip = L"C:\\Program Files\\Saver\\torva.mpg";
const std::wstring kCannotPlay = L"Cannot play " + kClip + L": ";
constexpr Hresult kCannotRender = static_cast<Hresult>(0x80040218);
constexpr Hresult kNotImplemented = static_cast<Hresult>(0x80004001);

const GraphFilter kSource{L"File Source", true, false};
const GraphFilter kSplitter{L"Splitter", true, false};
const GraphFilter kVideoDecoder{L"Video Decoder", true, false};
const GraphFilter kRenderer{L"Video Renderer", true, false};
const GraphFilter kAudioDecoder{L"Audio Decoder", true, true};
const GraphFilter kAudioRenderer{L"Audio Renderer", true, true};
const GraphFilter kLeftOver{L"Tried and left", false, false};

// The platform as the player meets it: a graph exists from a successful Create to its Release, and
// any call that needs one without it fails the test; Run always starts the clip from where the last
// seek put it, which must be the start; the restart timer fires only while it runs, once. The
// picture's window is the surface.
class FakeGraph final : public FilterGraph, public VideoSurface {
 public:
  // What the platform does with the next calls.
  std::map<std::wstring, Hresult> results;      // by call name; S_OK otherwise
  std::vector<GraphFilter> platformLeaves{kSource, kSplitter, kVideoDecoder, kRenderer};
  bool rendererConnects = true;
  std::wstring platformText = L"The platform's words.\r\n";
  std::optional<ClipStamp> stamp = ClipStamp{1673216, 42};
  std::optional<int> brokenGraph;  // by number: it refuses to stop, seek and run

  // What the player made of it.
  bool exists = false;
  int graphsMade = 0;
  std::vector<GraphFilter> filters;
  bool running = false;
  bool atStart = true;
  bool attached = false;
  PixelSize pictureSize;
  std::optional<long> volume;
  int runs = 0;
  std::deque<GraphEvent> events;
  std::optional<milliseconds> restartTimer;
  bool visible = false;
  PixelRect area;
  std::wstring message;

  Hresult Create() override {
    if (exists) ADD_FAILURE() << "a second graph while one exists";
    const Hresult result = Result(L"Create");
    if (result >= 0) {
      exists = true;
      ++graphsMade;
      filters = {kRenderer};
      filters.back().connected = false;
      running = attached = false;
      atStart = true;
      volume.reset();
    }
    return result;
  }
  Hresult AddSource(const std::wstring& path) override {
    Need(L"AddSource");
    EXPECT_EQ(path, kClip);
    return Result(L"AddSource");
  }
  Hresult RenderSourceToExistingRenderers() override {
    Need(L"RenderSourceToExistingRenderers");
    return Build(L"RenderSourceToExistingRenderers");
  }
  Hresult RenderFile(const std::wstring& path) override {
    Need(L"RenderFile");
    EXPECT_EQ(path, kClip);
    return Build(L"RenderFile");
  }
  bool RendererConnected() override {
    Need(L"RendererConnected");
    return rendererConnects;
  }
  std::vector<GraphFilter> Filters() override {
    Need(L"Filters");
    return filters;
  }
  Hresult RemoveFilter(const std::wstring& name) override {
    Need(L"RemoveFilter");
    const auto found = std::find_if(filters.begin(), filters.end(),
                                    [&](const GraphFilter& f) { return f.name == name; });
    if (found == filters.end()) return static_cast<Hresult>(0x80040216);  // not found
    const Hresult result = Result(L"RemoveFilter");
    if (result >= 0) filters.erase(found);
    return result;
  }
  Hresult AttachToControl(PixelSize size) override {
    Need(L"AttachToControl");
    attached = true;
    pictureSize = size;
    return Result(L"AttachToControl");
  }
  void FitToControl(PixelSize size) override {
    Need(L"FitToControl");
    pictureSize = size;
  }
  Hresult UseDefaultClock() override {
    Need(L"UseDefaultClock");
    return Result(L"UseDefaultClock");
  }
  Hresult SetVolume(long newVolume) override {
    Need(L"SetVolume");
    const Hresult result = Result(L"SetVolume");
    if (result >= 0) volume = newVolume;
    return result;
  }
  Hresult Run() override {
    Need(L"Run");
    EXPECT_TRUE(atStart) << "the clip runs on from where it stopped";
    const Hresult result = Result(L"Run");
    if (result >= 0) {
      running = true;
      atStart = false;
      ++runs;
    }
    return result;
  }
  Hresult Stop() override {
    Need(L"Stop");
    running = false;
    return Result(L"Stop");
  }
  Hresult SeekToStart() override {
    Need(L"SeekToStart");
    EXPECT_FALSE(running) << "sought while running";
    const Hresult result = Result(L"SeekToStart");
    if (result >= 0) atStart = true;
    return result;
  }
  std::optional<GraphEvent> NextEvent() override {
    Need(L"NextEvent");
    if (events.empty()) return std::nullopt;
    const GraphEvent event = events.front();
    events.pop_front();
    return event;
  }
  void Release() override {
    Need(L"Release");
    exists = running = attached = false;
    filters.clear();
    events.clear();
  }
  std::wstring ErrorText(Hresult) override { return platformText; }
  std::optional<ClipStamp> StampOf(const std::wstring& path) override {
    EXPECT_EQ(path, kClip);
    return stamp;
  }

  void SetVisible(bool isVisible) override { visible = isVisible; }
  void MoveTo(const PixelRect& newArea) override { area = newArea; }
  void ShowMessage(const std::wstring& text) override { message = text; }
  void StartRestartTimer(milliseconds delay) override { restartTimer = delay; }
  void StopRestartTimer() override { restartTimer.reset(); }

  void Post(GraphEventCode code, Hresult result = kOk) {
    if (exists) events.push_back({static_cast<long>(code), result});
  }
  // Filters that take the clip's sound, or are left unconnected, in the graph as it stands.
  int AudioFilters() const {
    return static_cast<int>(std::count_if(filters.begin(), filters.end(),
                                          [](const GraphFilter& f) { return f.takesAudio; }));
  }
  int Unconnected() const {
    return static_cast<int>(std::count_if(filters.begin(), filters.end(),
                                          [](const GraphFilter& f) { return !f.connected; }));
  }

 private:
  void Need(const wchar_t* call) {
    if (!exists) ADD_FAILURE() << "graph call " << ::testing::PrintToString(std::wstring(call))
                               << " without a graph";
  }
  Hresult Result(const std::wstring& call) const {
    const bool control = call == L"Run" || call == L"Stop" || call == L"SeekToStart";
    if (control && brokenGraph == graphsMade) return static_cast<Hresult>(0x8004025B);
    const auto found = results.find(call);
    return found == results.end() ? kOk : found->second;
  }
  Hresult Build(const std::wstring& call) {
    const Hresult result = Result(call);
    if (result >= 0) filters = platformLeaves;
    return result;
  }
};

class GraphPlayerTest : public ::testing::Test {
 protected:
  FakeGraph graph;
  GraphPlayer player{graph, graph, 96, 96};

  // The show's load on a 1024 x 768 screen (twips at 96 DPI).
  void Load(bool mute) {
    player.SetMute(mute);
    player.Move(0, 0, 15360, 11520);
    player.SetDeviceType(kMpegVideoDevice);
    player.SetFileName(kClip);
    player.SetCommand(kPlayCommand);
    player.SetVisible(true);
  }

  // The timer fires only if it runs, as the platform's does.
  static void FireRestartTimer(FakeGraph& platform, GraphPlayer& target, milliseconds now) {
    if (!platform.restartTimer) return;
    platform.restartTimer.reset();
    target.OnRestartTimer(now);
  }
  void FireRestartTimer(milliseconds now) { FireRestartTimer(graph, player, now); }

  void Complete(milliseconds now) {
    graph.Post(GraphEventCode::Complete);
    player.OnGraphEvents(now);
  }
};

TEST_F(GraphPlayerTest, MutedGraphKeepsNoAudioFilterAndNothingLeftUnconnected) {
  // A decoder that the splitter pulled in for its sound, or a filter tried on the way, wherever the
  // platform lists it.
  const std::vector<std::vector<GraphFilter>> leftovers = {
      {kSource, kSplitter, kVideoDecoder, kRenderer},
      {kAudioDecoder, kSource, kSplitter, kRenderer, kLeftOver},
      {kLeftOver, kSource, kSplitter, kRenderer, kAudioDecoder},
      {kSource, kAudioDecoder, kAudioRenderer, kSplitter, kRenderer},
  };
  for (const auto& leaves : leftovers) {
    FakeGraph platform;
    platform.platformLeaves = leaves;
    GraphPlayer muted(platform, platform, 96, 96);
    muted.SetMute(true);
    muted.SetFileName(kClip);
    muted.SetCommand(kPlayCommand);
    EXPECT_TRUE(platform.running) << leaves.size();
    EXPECT_EQ(platform.AudioFilters(), 0) << leaves.front().name;
    EXPECT_EQ(platform.Unconnected(), 0) << leaves.front().name;
    EXPECT_FALSE(platform.volume) << "a graph without sound has no volume";
    muted.SetMute(false);
    EXPECT_FALSE(platform.volume) << "a graph without sound stays without";
  }

  Load(true);
  EXPECT_TRUE(graph.running && graph.attached && graph.visible);
  EXPECT_EQ(graph.pictureSize, (PixelSize{1024, 768}));
  EXPECT_EQ(graph.message, L"");
}

TEST_F(GraphPlayerTest, GraphWithSoundKeepsItsAudioAtFullVolumeAndMutesByVolume) {
  graph.platformLeaves = {kLeftOver, kSource, kSplitter, kRenderer, kAudioDecoder, kAudioRenderer};
  Load(false);
  EXPECT_TRUE(graph.running);
  EXPECT_EQ(graph.AudioFilters(), 2);
  EXPECT_EQ(graph.Unconnected(), 0);
  EXPECT_EQ(graph.volume, 0L);
  player.SetMute(true);
  EXPECT_EQ(graph.volume, -10000L);
  player.SetMute(false);
  EXPECT_EQ(graph.volume, 0L);

  // Partial success, and a clip without sound whose volume cannot be set, still play.
  FakeGraph partial;
  partial.results[L"RenderFile"] = 0x00040258;
  partial.results[L"SetVolume"] = kNotImplemented;
  GraphPlayer loud(partial, partial, 96, 96);
  loud.SetFileName(kClip);
  loud.SetCommand(kPlayCommand);
  EXPECT_TRUE(partial.running);
  EXPECT_EQ(partial.message, L"");
}

TEST_F(GraphPlayerTest, StopKeepsTheGraphAtTheStartAndPlayRunsItFromThere) {
  Load(true);
  player.SetCommand(kStopCommand);
  player.SetCommand(kStopCommand);
  EXPECT_FALSE(graph.running);
  EXPECT_TRUE(graph.atStart) << "stopped is back at the start, never paused";
  player.SetCommand(kPlayCommand);
  EXPECT_TRUE(graph.running);
  player.SetCommand(kPlayCommand);  // starts over: the fake checks that the clip is at its start
  EXPECT_EQ(graph.runs, 3);
  EXPECT_EQ(graph.graphsMade, 1) << "never rebuilt";
  player.SetCommand(0);
  EXPECT_TRUE(graph.running) << "no such command";
}

TEST_F(GraphPlayerTest, ClipStartsOverWhenItEndsButNeverMoreOftenThanTwiceASecond) {
  Load(true);
  Complete(20000ms);
  EXPECT_EQ(graph.runs, 2);

  // Ends that come at once again, as from a very short clip: one restart each half second.
  graph.Post(GraphEventCode::Complete);
  graph.events.push_back({0x0D, kOk});  // the clock changed: nothing to do
  player.OnGraphEvents(20150ms);
  Complete(20200ms);
  EXPECT_EQ(graph.runs, 2);
  EXPECT_EQ(graph.restartTimer, 350ms);
  FireRestartTimer(20500ms);
  EXPECT_EQ(graph.runs, 3);
  Complete(21000ms);
  EXPECT_EQ(graph.runs, 4);
  EXPECT_EQ(graph.graphsMade, 1);
}

TEST_F(GraphPlayerTest, RestartPendingAcrossStopPlayOrNewFileNeverComes) {
  for (const int step : {0, 1, 2}) {
    FakeGraph platform;
    GraphPlayer looping(platform, platform, 96, 96);
    looping.SetMute(true);
    looping.SetFileName(kClip);
    looping.SetCommand(kPlayCommand);
    platform.Post(GraphEventCode::Complete);
    looping.OnGraphEvents(1000ms);
    platform.Post(GraphEventCode::Complete);
    looping.OnGraphEvents(1100ms);
    ASSERT_TRUE(platform.restartTimer);
    if (step == 0) looping.SetCommand(kStopCommand);
    if (step == 1) looping.SetCommand(kPlayCommand);
    if (step == 2) looping.SetFileName(L"C:\\other.mpg");
    EXPECT_FALSE(platform.restartTimer) << step;
    FireRestartTimer(platform, looping, 1500ms);
    EXPECT_EQ(platform.running, step == 1) << step;
    EXPECT_EQ(platform.exists, step != 2) << step;
  }

  // A new play counts afresh: its first end restarts at once.
  Load(true);
  Complete(1000ms);
  player.SetCommand(kStopCommand);
  player.SetCommand(kPlayCommand);
  Complete(1100ms);
  EXPECT_EQ(graph.runs, 4);
}

TEST_F(GraphPlayerTest, RestingMutedStopsTheGraphAndWithSoundLetsItGo) {
  Load(true);
  Complete(1000ms);
  graph.Post(GraphEventCode::Complete);
  player.OnGraphEvents(1100ms);
  player.Rest();
  EXPECT_FALSE(graph.running);
  EXPECT_FALSE(graph.restartTimer);
  EXPECT_TRUE(graph.exists) << "kept for the next play";
  player.SetCommand(kPlayCommand);
  EXPECT_TRUE(graph.running);
  EXPECT_EQ(graph.graphsMade, 1);

  FakeGraph platform;
  GraphPlayer loud(platform, platform, 96, 96);
  loud.SetFileName(kClip);
  loud.SetCommand(kPlayCommand);
  loud.Rest();
  EXPECT_FALSE(platform.exists) << "its sound renderer holds the sound device";
  loud.Rest();
  loud.SetCommand(kStopCommand);
  loud.SetCommand(kPlayCommand);
  EXPECT_TRUE(platform.running);
  EXPECT_EQ(platform.volume, 0L);
  EXPECT_EQ(platform.graphsMade, 2);
}

TEST_F(GraphPlayerTest, KeptGraphThatFailsOrWhoseFileChangedGivesWayToANewOne) {
  // After a sleep, say, the kept graph no longer runs: a new one plays.
  Load(true);
  player.SetCommand(kStopCommand);
  graph.brokenGraph = graph.graphsMade;
  player.SetCommand(kPlayCommand);
  EXPECT_TRUE(graph.running);
  EXPECT_EQ(graph.graphsMade, 2);
  // One that fails as well says why.
  player.SetCommand(kStopCommand);
  graph.results[L"Run"] = kNotImplemented;
  player.SetCommand(kPlayCommand);
  EXPECT_FALSE(graph.exists);
  EXPECT_EQ(graph.message, kCannotPlay + L"The platform's words.");
  graph.results.clear();
  player.SetCommand(kPlayCommand);
  EXPECT_TRUE(graph.running);
  EXPECT_EQ(graph.message, L"");

  // The file was cut short during the logo phase: the next play builds anew, says why it fails,
  // and tries again at each play.
  player.SetCommand(kStopCommand);
  const int made = graph.graphsMade;
  graph.stamp = ClipStamp{0, 43};
  graph.results[L"RenderSourceToExistingRenderers"] = kCannotRender;
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(graph.graphsMade, made + 1);
  EXPECT_EQ(graph.message, kCannotPlay + L"Not a clip the system can play.");
  player.SetCommand(kStopCommand);
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(graph.graphsMade, made + 2);

  // Changed while it played: the next end builds anew instead of starting the old graph over.
  graph.results.clear();
  player.SetCommand(kPlayCommand);
  graph.stamp = std::nullopt;
  graph.results[L"AddSource"] = kFileNotFound;
  Complete(5000ms);
  EXPECT_EQ(graph.message, kCannotPlay + L"File not found.");
  EXPECT_FALSE(graph.exists);
}

TEST_F(GraphPlayerTest, ClipThatCannotBePlayedIsGivenUpAtAnyStepWithItsReason) {
  const struct {
    const wchar_t* step;
    Hresult result;
    bool mute;
  } steps[] = {
      {L"AddSource", kFileNotFound, true},
      {L"RenderFile", kPathNotFound, false},
      {L"RenderSourceToExistingRenderers", kCannotRender, true},
      {L"RemoveFilter", kAccessDenied, true},
      {L"AttachToControl", kNotImplemented, false},
      {L"Run", kNotImplemented, true},
  };
  for (const auto& s : steps) {
    FakeGraph failing;
    failing.platformLeaves.push_back(kLeftOver);
    failing.results[s.step] = s.result;
    GraphPlayer failingPlayer(failing, failing, 96, 96);
    failingPlayer.SetMute(s.mute);
    failingPlayer.SetFileName(kClip);
    EXPECT_NO_THROW(failingPlayer.SetCommand(kPlayCommand));
    EXPECT_FALSE(failing.exists) << s.step;
    EXPECT_EQ(failing.message.rfind(kCannotPlay, 0), 0u) << s.step;
    // Nothing built, so these have nothing to tell a graph; the fake fails any call.
    failingPlayer.SetMute(!s.mute);
    failingPlayer.Move(0, 0, 7680, 5760);
    failingPlayer.SetCommand(kStopCommand);
    failingPlayer.Rest();
    failingPlayer.OnGraphEvents(1000ms);
    failingPlayer.OnRestartTimer(1000ms);
  }

  // Nothing to see, and a system without its media engine.
  graph.rendererConnects = false;
  Load(true);
  EXPECT_EQ(graph.message, kCannotPlay + L"No picture in the clip.");
  graph.results[L"Create"] = kClassNotRegistered;
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(graph.message, EngineMissingLine(kClip));
  EXPECT_NE(graph.message.find(L"media engine"), std::wstring::npos);

  // Failures while playing: an error from the graph, with its code or without one, a loop that
  // cannot seek.
  graph.results.clear();
  graph.rendererConnects = true;
  graph.platformText = L"";
  player.SetCommand(kPlayCommand);
  graph.Post(GraphEventCode::ErrorAbort, static_cast<Hresult>(0x8004022E));
  graph.Post(GraphEventCode::Complete);
  player.OnGraphEvents(5000ms);
  EXPECT_EQ(graph.message, kCannotPlay + L"Error 0x8004022E.");
  player.SetCommand(kPlayCommand);
  graph.Post(GraphEventCode::StreamErrorStopped, kOk);
  player.OnGraphEvents(6000ms);
  EXPECT_EQ(graph.message, kCannotPlay + L"Error 0x80004005.");
  player.SetCommand(kPlayCommand);
  graph.results[L"SeekToStart"] = kNotImplemented;
  Complete(7000ms);
  EXPECT_FALSE(graph.exists);
  EXPECT_EQ(graph.message, kCannotPlay + L"Error 0x80004001.");
}

TEST(FailureLine, CommonReasonsInTheProgramsOwnWordsOthersInThePlatformsOrAsTheirCode) {
  const struct {
    std::uint32_t code;
    std::wstring platformText;
    std::wstring reason;
  } rows[] = {
      {0x80070002, L"x", L"File not found."},
      {0x80070003, L"x", L"File not found."},
      {0x80070005, L"Error: 0x80070005", L"Access denied."},
      {0x00040257, L"Error: 0x40257", L"No picture in the clip."},
      {0x80040217, L"", L"Not a clip the system can play."},
      {0x80040218, L"Error: 0x80040218", L"Not a clip the system can play."},
      {0x80040265, L"", L"Not a clip the system can play."},
      {0x80040241, L"", L"Not a clip the system can play."},
      {0x8004022E, L"  The stream ended early.\r\n", L"The stream ended early."},
      {0x80070020, L" \r\n\t", L"Error 0x80070020."},
      {0x0000000A, L"", L"Error 0x0000000A."},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(FailureLine(L"C:\\t.mpg", static_cast<Hresult>(row.code), row.platformText),
              L"Cannot play C:\\t.mpg: " + row.reason)
        << std::hex << row.code;
  }
  EXPECT_EQ(FailureLine(L"C:\\t.mpg", kClassNotRegistered, L"x"), EngineMissingLine(L"C:\\t.mpg"));
}

TEST_F(GraphPlayerTest, NewFileReleasesTheGraphAndTheNextPlayBuildsItAnew) {
  Load(true);
  player.SetFileName(kClip);
  EXPECT_TRUE(graph.exists) << "the same file keeps its graph";
  player.SetFileName(L"C:\\other.mpg");
  EXPECT_FALSE(graph.exists);
  player.OnGraphEvents(1000ms);  // the old graph's last word, already on its way
}

TEST_F(GraphPlayerTest, MoveConvertsEachAxisAndKeepsThePictureOnTheWholeControl) {
  Load(true);
  player.Move(1080, 1020, 1695, 1335);
  EXPECT_EQ(graph.area, (PixelRect{72, 68, 113, 89}));
  EXPECT_EQ(graph.pictureSize, (PixelSize{113, 89}));
  player.Move(-150, 0, 0, 1500);
  EXPECT_EQ(graph.area, (PixelRect{-10, 0, 0, 100}));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  player.Move(nan, -1e30f, 1e30f, std::numeric_limits<float>::infinity());
  EXPECT_EQ(graph.area, (PixelRect{0, -32767, 32767, 32767}));

  GraphPlayer highDpi(graph, graph, 144, 120);
  highDpi.Move(1440, 1440, 15360, 11520);
  EXPECT_EQ(graph.area, (PixelRect{144, 120, 1536, 960}));
}

TEST_F(GraphPlayerTest, DestroyingThePlayerReleasesTheGraph) {
  FakeGraph other;
  {
    GraphPlayer playing(other, other, 96, 96);
    playing.SetFileName(kClip);
    playing.SetCommand(kPlayCommand);
    ASSERT_TRUE(other.exists);
  }
  EXPECT_FALSE(other.exists);
}

}  // namespace
}  // namespace torva
