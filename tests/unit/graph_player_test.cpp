// The video control's graph: its shape with and without sound, stop and restart, the endless loop
// that must not spin on a clip that keeps ending at once, rest, and clips that cannot be played or
// change under a kept graph, which must never end or block the show.
#include "video/graph_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
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
// seek put it, which must be the start. The picture's window is the surface.
class FakeGraph final : public FilterGraph, public VideoSurface {
 public:
  // What the platform does with the next calls.
  std::map<std::wstring, Hresult> results;  // by call name; S_OK otherwise
  std::vector<GraphFilter> platformLeaves{kSource, kSplitter, kVideoDecoder, kRenderer};
  bool rendererConnects = true;
  std::wstring platformText = L"The platform's words.\r\n";
  std::optional<ClipStamp> stamp = ClipStamp{1673216, 42};
  std::optional<int> brokenGraph;  // by number: it refuses to stop, seek and run

  // What the player made of it.
  bool exists = false, running = false, atStart = true, attached = false, defaultClock = false;
  int graphsMade = 0, runs = 0;
  std::wstring source;  // the file the graph was built from
  std::vector<GraphFilter> filters;
  PixelSize pictureSize;
  std::optional<long> volume;
  std::deque<GraphEvent> events;
  std::optional<milliseconds> restartTimer;
  bool visible = false;
  PixelRect area;
  std::wstring message;

  Hresult Create() override {
    if (exists) ADD_FAILURE() << "a second graph while one exists";
    const Hresult result = Result(L"Create");
    if (result < 0) return result;
    exists = true;
    ++graphsMade;
    filters = {{kRenderer.name, false, false}};
    running = attached = defaultClock = false;
    atStart = true;
    volume.reset();
    return result;
  }
  Hresult AddSource(const std::wstring& path) override {
    return Call(L"AddSource", [&] { source = path; });
  }
  Hresult RenderSourceToExistingRenderers() override {
    return Call(L"RenderSourceToExistingRenderers", [&] { filters = platformLeaves; });
  }
  Hresult RenderFile(const std::wstring& path) override {
    return Call(L"RenderFile", [&] {
      source = path;
      filters = platformLeaves;
    });
  }
  bool RendererConnected() override { return Call(L"RendererConnected") >= 0 && rendererConnects; }
  std::vector<GraphFilter> Filters() override {
    Call(L"Filters");
    return filters;
  }
  Hresult RemoveFilter(const std::wstring& name) override {
    return Call(L"RemoveFilter", [&] { std::erase_if(filters, [&](auto& f) { return f.name == name; }); });
  }
  Hresult AttachToControl(PixelSize size) override {
    return Call(L"AttachToControl", [&] {
      attached = true;
      pictureSize = size;
    });
  }
  void FitToControl(PixelSize size) override { Call(L"FitToControl", [&] { pictureSize = size; }); }
  Hresult UseDefaultClock() override { return Call(L"UseDefaultClock", [&] { defaultClock = true; }); }
  Hresult SetVolume(long newVolume) override { return Call(L"SetVolume", [&] { volume = newVolume; }); }
  Hresult Run() override {
    EXPECT_TRUE(atStart) << "the clip runs on from where it stopped";
    return Call(L"Run", [&] {
      running = true;
      atStart = false;
      ++runs;
    });
  }
  Hresult Stop() override { return Call(L"Stop", [&] { running = false; }); }
  Hresult SeekToStart() override {
    EXPECT_FALSE(running) << "sought while running";
    return Call(L"SeekToStart", [&] { atStart = true; });
  }
  std::optional<GraphEvent> NextEvent() override {
    if (Call(L"NextEvent") < 0 || events.empty()) return std::nullopt;
    const GraphEvent event = events.front();
    events.pop_front();
    return event;
  }
  void Release() override {
    Call(L"Release");
    exists = running = attached = false;
    filters.clear();
    events.clear();
  }
  std::wstring ErrorText(Hresult) override { return platformText; }
  std::optional<ClipStamp> StampOf(const std::wstring&) override { return stamp; }

  void SetVisible(bool isVisible) override { visible = isVisible; }
  void MoveTo(const PixelRect& newArea) override { area = newArea; }
  void ShowMessage(const std::wstring& text) override { message = text; }
  void StartRestartTimer(milliseconds delay) override { restartTimer = delay; }
  void StopRestartTimer() override { restartTimer.reset(); }

  void Post(GraphEventCode code, Hresult result = kOk) {
    if (exists) events.push_back({static_cast<long>(code), result});
  }
  auto AudioFilters() const { return std::ranges::count(filters, true, &GraphFilter::takesAudio); }
  auto Unconnected() const { return std::ranges::count(filters, false, &GraphFilter::connected); }

 private:
  Hresult Result(const std::wstring& call) const {
    const bool control = call == L"Run" || call == L"Stop" || call == L"SeekToStart";
    if (control && brokenGraph == graphsMade) return static_cast<Hresult>(0x8004025B);
    const auto found = results.find(call);
    return found == results.end() ? kOk : found->second;
  }
  // A call on the graph, which does `effect` where it succeeds.
  Hresult Call(const std::wstring& call, const std::function<void()>& effect = [] {}) {
    if (!exists) ADD_FAILURE() << "graph call " << ::testing::PrintToString(call) << " without a graph";
    const Hresult result = Result(call);
    if (result >= 0) effect();
    return result;
  }
};

// The player with its platform, on a 1024 x 768 screen unless told the DPI.
struct Rig {
  explicit Rig(int dpiX = 96, int dpiY = 96) : player(graph, graph, dpiX, dpiY) {}

  // The show's load (twips at 96 DPI).
  void Load(bool mute) {
    player.SetMute(mute);
    player.Move(0, 0, 15360, 11520);
    player.SetDeviceType(kMpegVideoDevice);
    player.SetFileName(kClip);
    player.SetCommand(kPlayCommand);
    player.SetVisible(true);
  }
  void Complete(milliseconds now) {
    graph.Post(GraphEventCode::Complete);
    player.OnGraphEvents(now);
  }
  // The restart timer fires only while it runs, as the platform's does.
  void FireRestartTimer(milliseconds now) {
    if (!graph.restartTimer) return;
    graph.restartTimer.reset();
    player.OnRestartTimer(now);
  }

  FakeGraph graph;
  GraphPlayer player;
};

TEST(GraphPlayer, MutedGraphHoldsThePictureAloneAndOneWithSoundItsAudioAtFullVolume) {
  // A decoder that the splitter pulled in for its sound, or a filter tried on the way, wherever the
  // platform lists it.
  const struct {
    bool mute;
    std::vector<GraphFilter> leaves;
  } rows[] = {
      {true, {kSource, kSplitter, kVideoDecoder, kRenderer}},
      {true, {kAudioDecoder, kSource, kSplitter, kRenderer, kLeftOver}},
      {true, {kLeftOver, kSource, kSplitter, kRenderer, kAudioDecoder}},
      {true, {kSource, kAudioDecoder, kAudioRenderer, kSplitter, kRenderer}},
      {false, {kLeftOver, kSource, kSplitter, kRenderer, kAudioDecoder, kAudioRenderer}},
  };
  for (const auto& row : rows) {
    Rig rig;
    rig.graph.platformLeaves = row.leaves;
    rig.Load(row.mute);
    const FakeGraph& graph = rig.graph;
    const std::wstring& first = row.leaves.front().name;
    EXPECT_TRUE(graph.running && graph.attached && graph.visible && graph.defaultClock) << first;
    EXPECT_EQ(graph.source, kClip);
    EXPECT_EQ(graph.pictureSize, (PixelSize{1024, 768}));
    EXPECT_EQ(graph.message, L"");
    EXPECT_EQ(graph.AudioFilters(), row.mute ? 0 : 2) << first;
    EXPECT_EQ(graph.Unconnected(), 0) << first;
    // Muted by its volume, as long as it has sound; a graph without stays without.
    EXPECT_EQ(graph.volume, row.mute ? std::nullopt : std::optional(0L)) << first;
    rig.player.SetMute(!row.mute);
    EXPECT_EQ(graph.volume, row.mute ? std::nullopt : std::optional(-10000L)) << first;
    rig.player.SetMute(row.mute);
    EXPECT_EQ(graph.volume, row.mute ? std::nullopt : std::optional(0L)) << first;
  }

  // Partial success, and a clip without sound whose volume cannot be set, still play.
  Rig partial;
  partial.graph.results = {{L"RenderFile", 0x00040258}, {L"SetVolume", kNotImplemented}};
  partial.Load(false);
  EXPECT_TRUE(partial.graph.running);
  EXPECT_EQ(partial.graph.message, L"");
}

TEST(GraphPlayer, StopKeepsTheGraphAtTheStartAndPlayRunsItFromThere) {
  Rig rig;
  rig.Load(true);
  rig.graph.Post(GraphEventCode::Complete);  // the end, still queued when the stop comes
  rig.player.SetCommand(kStopCommand);
  rig.player.SetCommand(kStopCommand);
  rig.player.OnGraphEvents(1000ms);
  EXPECT_FALSE(rig.graph.running);
  EXPECT_TRUE(rig.graph.atStart) << "stopped is back at the start, never paused";
  rig.player.SetCommand(kPlayCommand);
  EXPECT_TRUE(rig.graph.running);
  rig.player.SetCommand(kPlayCommand);  // starts over: the fake checks that the clip is at its start
  EXPECT_EQ(rig.graph.runs, 3);
  EXPECT_EQ(rig.graph.graphsMade, 1) << "never rebuilt";
  rig.player.SetCommand(0);
  EXPECT_TRUE(rig.graph.running) << "no such command";
}

TEST(GraphPlayer, ClipStartsOverWhenItEndsButNeverMoreOftenThanTwiceASecond) {
  Rig rig;
  rig.Load(true);
  rig.Complete(20000ms);
  EXPECT_EQ(rig.graph.runs, 2);

  // Ends that come at once again, as from a very short clip: one restart each half second.
  rig.graph.Post(GraphEventCode::Complete);
  rig.graph.events.push_back({0x0D, kOk});  // the clock changed: nothing to do
  rig.player.OnGraphEvents(20150ms);
  rig.Complete(20200ms);
  EXPECT_EQ(rig.graph.runs, 2);
  EXPECT_EQ(rig.graph.restartTimer, 350ms);
  rig.FireRestartTimer(20500ms);
  EXPECT_EQ(rig.graph.runs, 3);
  rig.Complete(21000ms);
  EXPECT_EQ(rig.graph.runs, 4);
  EXPECT_EQ(rig.graph.graphsMade, 1);
}

TEST(GraphPlayer, RestartPendingAcrossStopPlayOrNewFileNeverComes) {
  for (const int step : {0, 1, 2}) {
    Rig rig;
    rig.Load(true);
    rig.Complete(1000ms);
    rig.Complete(1100ms);
    ASSERT_TRUE(rig.graph.restartTimer);
    if (step == 0) rig.player.SetCommand(kStopCommand);
    if (step == 1) rig.player.SetCommand(kPlayCommand);
    if (step == 2) rig.player.SetFileName(L"C:\\other.mpg");
    EXPECT_FALSE(rig.graph.restartTimer) << step;
    // A tick the timer posted before it was stopped still arrives: stopping leaves it queued.
    const int runs = rig.graph.runs;
    rig.player.OnRestartTimer(1500ms);
    EXPECT_EQ(rig.graph.runs, runs) << step;
    EXPECT_EQ(rig.graph.running, step == 1) << step;
    EXPECT_EQ(rig.graph.exists, step != 2) << step;
    if (step == 2) continue;
    // A new play counts afresh: its first end restarts the clip at once.
    rig.player.SetCommand(kPlayCommand);
    rig.Complete(1200ms);
    EXPECT_EQ(rig.graph.runs, runs + 2) << step;
  }
}

TEST(GraphPlayer, RestingMutedStopsTheGraphAndWithSoundLetsItGo) {
  Rig muted;
  muted.Load(true);
  muted.Complete(1000ms);
  muted.Complete(1100ms);
  muted.player.Rest();
  EXPECT_FALSE(muted.graph.running);
  EXPECT_FALSE(muted.graph.restartTimer);
  EXPECT_TRUE(muted.graph.exists) << "kept for the next play";
  muted.player.SetCommand(kPlayCommand);
  EXPECT_TRUE(muted.graph.running);
  EXPECT_EQ(muted.graph.graphsMade, 1);

  Rig loud;
  loud.Load(false);
  loud.player.Rest();
  EXPECT_FALSE(loud.graph.exists) << "its sound renderer holds the sound device";
  loud.player.Rest();
  loud.player.SetCommand(kStopCommand);
  loud.player.SetCommand(kPlayCommand);
  EXPECT_TRUE(loud.graph.running);
  EXPECT_EQ(loud.graph.volume, 0L);
  EXPECT_EQ(loud.graph.graphsMade, 2);
}

TEST(GraphPlayer, KeptGraphThatFailsOrWhoseFileChangedGivesWayToANewOne) {
  // After a sleep, say, the kept graph no longer runs: a new one plays.
  Rig rig;
  FakeGraph& graph = rig.graph;
  rig.Load(true);
  rig.player.SetCommand(kStopCommand);
  graph.brokenGraph = graph.graphsMade;
  rig.player.SetCommand(kPlayCommand);
  EXPECT_TRUE(graph.running);
  EXPECT_EQ(graph.graphsMade, 2);
  // Nor when, playing, it cannot go back to the start.
  graph.results[L"SeekToStart"] = kNotImplemented;
  rig.player.SetCommand(kPlayCommand);
  EXPECT_TRUE(graph.running);
  EXPECT_EQ(graph.graphsMade, 3);
  // One that fails as well says why.
  graph.results = {{L"Run", kNotImplemented}};
  rig.player.SetCommand(kPlayCommand);
  EXPECT_FALSE(graph.exists);
  EXPECT_EQ(graph.message, kCannotPlay + L"The platform's words.");
  graph.results.clear();
  rig.player.SetCommand(kPlayCommand);
  EXPECT_TRUE(graph.running);
  EXPECT_EQ(graph.message, L"");

  // Changed while it played: the next end builds anew instead of starting the old graph over, and
  // the new one loops in its turn.
  graph.stamp = ClipStamp{1673217, 43};
  int made = graph.graphsMade;
  const int runs = graph.runs;
  rig.Complete(5000ms);
  rig.Complete(6000ms);
  EXPECT_EQ(graph.graphsMade, made + 1);
  EXPECT_EQ(graph.runs, runs + 2);

  // Cut short during the logo phase: the next play builds anew, says why it fails, and tries
  // again at each play.
  rig.player.SetCommand(kStopCommand);
  made = graph.graphsMade;
  graph.stamp = ClipStamp{0, 44};
  graph.results[L"RenderSourceToExistingRenderers"] = kCannotRender;
  rig.player.SetCommand(kPlayCommand);
  EXPECT_EQ(graph.graphsMade, made + 1);
  EXPECT_EQ(graph.message, kCannotPlay + L"Not a clip the system can play.");
  rig.player.SetCommand(kStopCommand);
  rig.player.SetCommand(kPlayCommand);
  EXPECT_EQ(graph.graphsMade, made + 2);

  // Gone while it played: the next end says so.
  graph.results.clear();
  rig.player.SetCommand(kPlayCommand);
  graph.stamp = std::nullopt;
  graph.results[L"AddSource"] = kFileNotFound;
  rig.Complete(9000ms);
  EXPECT_EQ(graph.message, kCannotPlay + L"File not found.");
  EXPECT_FALSE(graph.exists);
}

TEST(GraphPlayer, ClipThatCannotBePlayedIsGivenUpAtAnyStepWithItsReason) {
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
    Rig rig;
    rig.graph.platformLeaves.push_back(kLeftOver);
    rig.graph.platformLeaves.push_back(kAudioDecoder);
    rig.graph.results[s.step] = s.result;
    EXPECT_NO_THROW(rig.Load(s.mute));
    EXPECT_FALSE(rig.graph.exists) << s.step;
    EXPECT_EQ(rig.graph.message.rfind(kCannotPlay, 0), 0u) << s.step;
    // Nothing built, so these have nothing to tell a graph; the fake fails any call.
    rig.player.SetMute(!s.mute);
    rig.player.Move(0, 0, 7680, 5760);
    rig.player.SetCommand(kStopCommand);
    rig.player.Rest();
    rig.player.OnGraphEvents(1000ms);
    rig.player.OnRestartTimer(1000ms);
  }

  // Nothing to see, and a system without its media engine.
  Rig rig;
  FakeGraph& graph = rig.graph;
  graph.rendererConnects = false;
  rig.Load(true);
  EXPECT_EQ(graph.message, kCannotPlay + L"No picture in the clip.");
  graph.results[L"Create"] = kClassNotRegistered;
  rig.player.SetCommand(kPlayCommand);
  EXPECT_EQ(graph.message, EngineMissingLine(kClip));

  // Failures while playing: an error from the graph, with its code or without one, a loop that
  // cannot seek.
  graph.results.clear();
  graph.rendererConnects = true;
  graph.platformText = L"";
  rig.player.SetCommand(kPlayCommand);
  graph.Post(GraphEventCode::ErrorAbort, static_cast<Hresult>(0x8004022E));
  graph.Post(GraphEventCode::Complete);
  rig.player.OnGraphEvents(5000ms);
  EXPECT_EQ(graph.message, kCannotPlay + L"Error 0x8004022E.");
  rig.player.SetCommand(kPlayCommand);
  graph.Post(GraphEventCode::StreamErrorStopped, kOk);
  rig.player.OnGraphEvents(6000ms);
  EXPECT_EQ(graph.message, kCannotPlay + L"Error 0x80004005.");
  rig.player.SetCommand(kPlayCommand);
  graph.results[L"SeekToStart"] = kNotImplemented;
  rig.Complete(7000ms);
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
      {0x80040218, L"Error: 0x80040218", L"Not a clip the system can play."},
      {0x8004022E, L"  The stream ended early.\r\n", L"The stream ended early."},
      {0x80070020, L" \r\n\t", L"Error 0x80070020."},
      {0x0000000A, L"", L"Error 0x0000000A."},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(FailureLine(L"C:\\t.mpg", static_cast<Hresult>(row.code), row.platformText),
              L"Cannot play C:\\t.mpg: " + row.reason)
        << std::hex << row.code;
  }
  // Every answer of the graph for a file that holds nothing it can play.
  for (const std::uint32_t code : {0x80040206u, 0x80040207u, 0x80040217u, 0x8004022Au, 0x8004022Fu,
                                   0x80040240u, 0x80040241u, 0x80040243u, 0x80040255u, 0x8004025Du,
                                   0x80040265u}) {
    EXPECT_EQ(FailureLine(L"C:\\t.mpg", static_cast<Hresult>(code), L"x"),
              L"Cannot play C:\\t.mpg: Not a clip the system can play.")
        << std::hex << code;
  }
  EXPECT_EQ(FailureLine(L"C:\\t.mpg", kClassNotRegistered, L"x"), EngineMissingLine(L"C:\\t.mpg"));
  EXPECT_NE(EngineMissingLine(L"C:\\t.mpg").find(L"media engine"), std::wstring::npos);
}

TEST(GraphPlayer, NewFileReleasesTheGraphAndTheNextPlayBuildsItAnew) {
  Rig rig;
  rig.Load(true);
  rig.player.SetFileName(kClip);
  EXPECT_TRUE(rig.graph.exists) << "the same file keeps its graph";
  rig.player.SetFileName(L"C:\\other.mpg");
  EXPECT_FALSE(rig.graph.exists);
  rig.player.OnGraphEvents(1000ms);  // the old graph's last word, already on its way
  rig.player.SetCommand(kPlayCommand);
  EXPECT_TRUE(rig.graph.running);
  EXPECT_EQ(rig.graph.source, L"C:\\other.mpg");

  // The line that said why the file before could not be played goes with it.
  Rig failed;
  failed.graph.results[L"AddSource"] = kFileNotFound;
  failed.Load(true);
  failed.player.SetFileName(L"C:\\other.mpg");
  EXPECT_EQ(failed.graph.message, L"");
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
    rig.Load(true);
    rig.player.Move(row.left, row.top, row.width, row.height);
    EXPECT_EQ(rig.graph.area, row.area) << row.dpiX << " " << row.left;
    EXPECT_EQ(rig.graph.pictureSize, (PixelSize{row.area.width, row.area.height})) << row.left;
  }
}

TEST(GraphPlayer, DestroyingThePlayerReleasesTheGraph) {
  FakeGraph graph;
  {
    GraphPlayer player(graph, graph, 96, 96);
    player.SetFileName(kClip);
    player.SetCommand(kPlayCommand);
    ASSERT_TRUE(graph.exists);
  }
  EXPECT_FALSE(graph.exists);
}

}  // namespace
}  // namespace torva
