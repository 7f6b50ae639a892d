// The video control's graph: its shape with and without sound, stop and restart, the endless loop
// that must not spin on a clip that keeps ending at once, and clips that cannot be played, which
// must never end or block the show.
#include "video/graph_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace torva {
namespace {

using namespace std::chrono_literals;

const std::wstring kClip = L"C:\\Program Files\\Saver\\torva.mpg";
constexpr Hresult kCannotConnect = static_cast<Hresult>(0x80040217);

using Log = std::vector<std::wstring>;

std::wstring Hex(Hresult result) {
  wchar_t text[16];
  std::swprintf(text, 16, L"0x%08X", static_cast<unsigned>(result));
  return text;
}

std::wstring Message(const std::wstring& reason) {
  return L"[message Cannot play " + kClip + L": " + reason + L"]";
}

// The graph and the window in one log, in the order the player used them. A call fails with the
// result set for its name; queries are answered from the fields below and not logged.
class FakeGraph final : public FilterGraph, public VideoSurface {
 public:
  Log log;
  std::map<std::wstring, Hresult> results;
  std::vector<PinKind> outputs{PinKind::Stream};
  std::vector<GraphFilter> filters{{true, false}, {true, false}, {true, false}};
  bool rendererConnected = true;
  std::deque<GraphEvent> events;

  Hresult Create() override { return Act(L"Create"); }
  Hresult AddSource(const std::wstring& path) override { return Act(L"AddSource", path); }
  std::vector<PinKind> SourceOutputs() override { return outputs; }
  Hresult ConnectToRenderer(std::size_t output) override {
    return Act(L"ConnectToRenderer", std::to_wstring(output));
  }
  Hresult RenderFile(const std::wstring& path) override { return Act(L"RenderFile", path); }
  bool RendererConnected() override { return rendererConnected; }
  std::vector<GraphFilter> Filters() override { return filters; }
  Hresult RemoveFilter(std::size_t index) override {
    return Act(L"RemoveFilter", std::to_wstring(index));
  }
  Hresult AttachToControl(PixelSize size) override { return Act(L"AttachToControl", Size(size)); }
  void FitToControl(PixelSize size) override { Act(L"FitToControl", Size(size)); }
  Hresult UseDefaultClock() override { return Act(L"UseDefaultClock"); }
  Hresult SetVolume(long volume) override { return Act(L"SetVolume", std::to_wstring(volume)); }
  Hresult Run() override { return Act(L"Run"); }
  Hresult Stop() override { return Act(L"Stop"); }
  Hresult SeekToStart() override { return Act(L"SeekToStart"); }
  std::optional<GraphEvent> NextEvent() override {
    if (events.empty()) return std::nullopt;
    const GraphEvent event = events.front();
    events.pop_front();
    return event;
  }
  void Release() override {
    log.push_back(L"Release");
    events.clear();
  }
  std::wstring ErrorText(Hresult result) override { return L"text of " + Hex(result) + L"\r\n"; }

  void SetVisible(bool visible) override { log.push_back(visible ? L"[show]" : L"[hide]"); }
  void MoveTo(const PixelRect& a) override {
    log.push_back(L"[move " + std::to_wstring(a.left) + L" " + std::to_wstring(a.top) + L" " +
                  Size({a.width, a.height}) + L"]");
  }
  void ShowMessage(const std::wstring& text) override { log.push_back(L"[message " + text + L"]"); }
  void StartRestartTimer(std::chrono::milliseconds delay) override {
    log.push_back(L"[timer " + std::to_wstring(delay.count()) + L"]");
  }
  void StopRestartTimer() override { log.push_back(L"[no timer]"); }

  void Post(GraphEventCode code, Hresult result = kOk) {
    events.push_back({static_cast<long>(code), result});
  }
  Log Take() { return std::exchange(log, {}); }

 private:
  static std::wstring Size(PixelSize size) {
    return std::to_wstring(size.width) + L"x" + std::to_wstring(size.height);
  }
  Hresult Act(const std::wstring& name, const std::wstring& argument = L"") {
    log.push_back(argument.empty() ? name : name + L" " + argument);
    const auto result = results.find(name);
    return result == results.end() ? kOk : result->second;
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
};

TEST_F(GraphPlayerTest, MutedGraphConnectsOnlyThePictureToTheRendererAndHasNoSound) {
  Load(true);
  EXPECT_EQ(graph.Take(), (Log{L"[move 0 0 1024x768]", L"Create", L"AddSource " + kClip,
                               L"ConnectToRenderer 0", L"AttachToControl 1024x768",
                               L"UseDefaultClock", L"Run", L"[show]"}));
  player.SetMute(false);
  EXPECT_TRUE(graph.Take().empty()) << "a graph without sound stays without";

  // Which output of the source carries the picture.
  const struct {
    std::vector<PinKind> outputs;
    std::wstring connected;
  } cases[] = {
      {{PinKind::Audio, PinKind::Video}, L"ConnectToRenderer 1"},
      {{PinKind::Stream, PinKind::Other, PinKind::Video}, L"ConnectToRenderer 2"},
      {{PinKind::Audio, PinKind::Stream}, L"ConnectToRenderer 1"},
      {{PinKind::Audio, PinKind::Other}, Message(L"text of 0x00040257")},
      {{}, Message(L"text of 0x00040257")},
  };
  for (const auto& c : cases) {
    FakeGraph other;
    other.outputs = c.outputs;
    GraphPlayer muted(other, other, 96, 96);
    muted.SetMute(true);
    muted.SetFileName(kClip);
    muted.SetCommand(kPlayCommand);
    const Log log = other.Take();
    EXPECT_EQ(std::count(log.begin(), log.end(), c.connected), 1) << c.connected;
  }
}

TEST_F(GraphPlayerTest, GraphWithSoundRendersTheWholeClipAtFullVolumeAndMutesByVolume) {
  Load(false);
  EXPECT_EQ(graph.Take(), (Log{L"[move 0 0 1024x768]", L"Create", L"RenderFile " + kClip,
                               L"AttachToControl 1024x768", L"UseDefaultClock", L"SetVolume 0",
                               L"Run", L"[show]"}));
  player.SetMute(true);
  player.SetMute(false);
  EXPECT_EQ(graph.Take(), (Log{L"SetVolume -10000", L"SetVolume 0"}));

  // Partial success and a clip without sound, whose volume cannot be set, still play.
  FakeGraph partial;
  partial.results[L"RenderFile"] = 0x00040258;
  partial.results[L"SetVolume"] = static_cast<Hresult>(0x80004001);
  GraphPlayer loud(partial, partial, 96, 96);
  loud.SetFileName(kClip);
  loud.SetCommand(kPlayCommand);
  EXPECT_EQ(partial.Take().back(), L"Run");
}

TEST_F(GraphPlayerTest, FiltersLeftUnconnectedGoAndWithoutSoundSoDoesAnythingTakingAudio) {
  graph.filters = {{true, false}, {true, true}, {false, false}, {true, false}};
  player.SetMute(true);
  player.SetFileName(kClip);
  player.SetCommand(kPlayCommand);
  const Log muted = graph.Take();
  EXPECT_EQ(Log(muted.begin() + 3, muted.begin() + 5),
            (Log{L"RemoveFilter 1", L"RemoveFilter 2"}));

  FakeGraph loud;
  loud.filters = graph.filters;
  GraphPlayer withSound(loud, loud, 96, 96);
  withSound.SetFileName(kClip);
  withSound.SetCommand(kPlayCommand);
  EXPECT_EQ(loud.Take()[2], L"RemoveFilter 2");
}

TEST_F(GraphPlayerTest, StopSeeksBackAndPlayRunsTheSameGraphFromTheStart) {
  Load(true);
  graph.Take();
  player.SetCommand(kStopCommand);
  player.SetCommand(kStopCommand);
  EXPECT_EQ(graph.Take(), (Log{L"Stop", L"SeekToStart"})) << "never paused, never rebuilt";
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(graph.Take(), Log{L"Run"});
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(graph.Take(), (Log{L"Stop", L"SeekToStart", L"Run"}));
  player.SetCommand(0);
  EXPECT_TRUE(graph.Take().empty()) << "no such command";
}

TEST_F(GraphPlayerTest, ClipStartsOverWhenItEndsButNeverMoreOftenThanTwiceASecond) {
  const Log restart{L"Stop", L"SeekToStart", L"Run"};
  Load(true);
  graph.Take();
  graph.Post(GraphEventCode::Complete);
  player.OnGraphEvents(20000ms);
  EXPECT_EQ(graph.Take(), restart);

  // Ends that come at once again, as from a very short clip: one restart each half second.
  graph.Post(GraphEventCode::Complete);
  graph.events.push_back({0x0D, kOk});  // the clock changed: nothing to do
  player.OnGraphEvents(20150ms);
  graph.Post(GraphEventCode::Complete);
  player.OnGraphEvents(20200ms);
  EXPECT_EQ(graph.Take(), Log{L"[timer 350]"});
  player.OnRestartTimer(20500ms);
  EXPECT_EQ(graph.Take(), restart);
  player.OnRestartTimer(20600ms);
  EXPECT_TRUE(graph.Take().empty()) << "the timer is one-shot";
  graph.Post(GraphEventCode::Complete);
  player.OnGraphEvents(21000ms);
  EXPECT_EQ(graph.Take(), restart);

  // A stop cancels a pending restart, and ends queued before it start nothing.
  graph.Post(GraphEventCode::Complete);
  player.OnGraphEvents(21100ms);
  player.SetCommand(kStopCommand);
  graph.Post(GraphEventCode::Complete);
  player.OnGraphEvents(30000ms);
  player.OnRestartTimer(30000ms);
  EXPECT_EQ(graph.Take(), (Log{L"[timer 400]", L"[no timer]", L"Stop", L"SeekToStart"}));

  // A new play counts afresh: its first end restarts at once.
  player.SetCommand(kPlayCommand);
  graph.Post(GraphEventCode::Complete);
  player.OnGraphEvents(30100ms);
  EXPECT_EQ(graph.Take(), (Log{L"Run", L"Stop", L"SeekToStart", L"Run"}));
}

TEST_F(GraphPlayerTest, MissingClipSaysFileNotFoundWithItsPathAndEveryPlayTriesAgain) {
  graph.results[L"AddSource"] = kFileNotFound;
  EXPECT_NO_THROW(Load(true));
  EXPECT_EQ(graph.Take(), (Log{L"[move 0 0 1024x768]", L"Create", L"AddSource " + kClip,
                               L"Release", Message(L"File not found."), L"[show]"}));

  // Nothing is built, so these have nothing to tell the graph.
  player.SetMute(false);
  player.Move(0, 0, 7680, 5760);
  player.SetCommand(kStopCommand);
  player.OnGraphEvents(1000ms);
  EXPECT_EQ(graph.Take(), Log{L"[move 0 0 512x384]"});

  graph.results[L"AddSource"] = kPathNotFound;
  player.SetMute(true);
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(graph.Take().back(), Message(L"File not found."));
  graph.results.clear();
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(graph.Take(), (Log{L"Create", L"AddSource " + kClip, L"ConnectToRenderer 0",
                               L"AttachToControl 512x384", L"UseDefaultClock", L"[message ]",
                               L"Run"}));

  FakeGraph loud;
  loud.results[L"RenderFile"] = kFileNotFound;
  GraphPlayer withSound(loud, loud, 96, 96);
  withSound.SetFileName(kClip);
  withSound.SetCommand(kPlayCommand);
  EXPECT_EQ(loud.Take().back(), Message(L"File not found."));
}

TEST_F(GraphPlayerTest, ClipThatCannotBePlayedIsGivenUpWithThePlatformsTextForItsCode) {
  for (const wchar_t* step : {L"Create", L"ConnectToRenderer", L"AttachToControl", L"Run"}) {
    FakeGraph failing;
    failing.results[step] = kCannotConnect;
    GraphPlayer failingPlayer(failing, failing, 96, 96);
    failingPlayer.SetMute(true);
    failingPlayer.SetFileName(kClip);
    failingPlayer.SetCommand(kPlayCommand);
    const Log log = failing.Take();
    EXPECT_EQ(log.back(), Message(L"text of 0x80040217")) << step;
    EXPECT_EQ(log[log.size() - 2] == L"Release", std::wstring(step) != L"Create") << step;
  }
  graph.rendererConnected = false;
  player.SetFileName(kClip);
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(graph.Take().back(), Message(L"text of 0x00040257")) << "nothing to see";

  // Failures while playing: an error from the graph, a loop that cannot seek.
  graph.rendererConnected = true;
  player.SetCommand(kPlayCommand);
  graph.Post(GraphEventCode::ErrorAbort, static_cast<Hresult>(0x8004022F));
  graph.Post(GraphEventCode::Complete);
  player.OnGraphEvents(5000ms);
  EXPECT_EQ(graph.Take().back(), Message(L"text of 0x8004022F"));
  player.SetCommand(kPlayCommand);
  graph.Post(GraphEventCode::StreamErrorStopped, kOk);
  player.OnGraphEvents(6000ms);
  EXPECT_EQ(graph.Take().back(), Message(L"text of 0x80004005"));
  player.SetCommand(kPlayCommand);
  graph.results[L"SeekToStart"] = static_cast<Hresult>(0x80004001);
  graph.Post(GraphEventCode::Complete);
  player.OnGraphEvents(7000ms);
  EXPECT_EQ(graph.Take().back(), Message(L"text of 0x80004001"));
}

TEST_F(GraphPlayerTest, NewFileReleasesTheGraphAndTheNextPlayBuildsItAnew) {
  Load(true);
  player.SetFileName(kClip);
  graph.Take();
  player.SetFileName(L"C:\\other.mpg");
  EXPECT_EQ(graph.Take(), Log{L"Release"});
  graph.Post(GraphEventCode::Complete);  // the old graph's last word
  player.OnGraphEvents(1000ms);
  EXPECT_TRUE(graph.Take().empty());
  player.SetCommand(kPlayCommand);
  EXPECT_EQ(graph.Take()[1], L"AddSource C:\\other.mpg");
}

TEST_F(GraphPlayerTest, MoveConvertsEachAxisAndKeepsThePictureOnTheWholeControl) {
  Load(true);
  graph.Take();
  player.Move(1080, 1020, 1695, 1335);
  player.Move(-150, 0, 0, 1500);
  EXPECT_EQ(graph.Take(), (Log{L"[move 72 68 113x89]", L"FitToControl 113x89",
                               L"[move -10 0 0x100]", L"FitToControl 0x100"}));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  player.Move(nan, -1e30f, 1e30f, std::numeric_limits<float>::infinity());
  EXPECT_EQ(graph.Take().front(), L"[move 0 -32767 32767x32767]");

  GraphPlayer highDpi(graph, graph, 144, 120);
  highDpi.Move(1440, 1440, 15360, 11520);
  EXPECT_EQ(graph.Take(), Log{L"[move 144 120 1536x960]"});
}

TEST_F(GraphPlayerTest, DestroyingThePlayerReleasesTheGraph) {
  FakeGraph other;
  {
    GraphPlayer playing(other, other, 96, 96);
    playing.SetFileName(kClip);
    playing.SetCommand(kPlayCommand);
    other.Take();
  }
  EXPECT_EQ(other.Take(), Log{L"Release"});
}

}  // namespace
}  // namespace torva
