// The video control's decisions: when the clip's graph is built, kept, rested and built anew, how
// the clip starts over, and what the control says when it cannot play. The platform's graph is
// asked in the program's own terms (ClipGraph); no window, COM or graph call here.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "startup/twips.h"

namespace torva {

// Why a clip cannot be played, as the platform's graph found it.
enum class ClipFault { FileNotFound, AccessDenied, NoPicture, NotAClip, NoMediaEngine, Other };

struct ClipProblem {
  ClipProblem(ClipFault why, std::uint32_t resultCode = 0, std::wstring words = {})
      : fault(why), code(resultCode), platformText(std::move(words)) {}
  ClipFault fault;
  // For Other: the platform's result code, and its own words for it where it has any.
  std::uint32_t code;
  std::wstring platformText;
};

// The line the control shows for a clip that cannot be played: "Cannot play <path>: <reason>".
std::wstring FailureLine(const std::wstring& path, const ClipProblem& problem);

// The clip file as it stands, to tell whether it changed under a graph that was kept.
struct ClipStamp {
  std::uint64_t size = 0;
  std::uint64_t lastWrite = 0;
  friend bool operator==(const ClipStamp&, const ClipStamp&) = default;
};

// What a running graph reports: a problem that stopped it, or else the clip's end.
struct GraphEvent {
  std::optional<ClipProblem> problem;
};

// The platform's media graph for one clip at a time, drawing into the control's window. There is a
// graph from a Build that succeeded until Release; every call but Build and StampOf needs one.
// Calls that can fail give the problem, or nothing when they worked.
class ClipGraph {
 public:
  virtual ~ClipGraph() = default;
  // A graph of the clip at `path`, stopped at its start, its picture over `size` of the control:
  // with its sound at full volume, or with no sound branch at all. A failure leaves no graph.
  virtual std::optional<ClipProblem> Build(const std::wstring& path, bool withSound,
                                           PixelSize size) = 0;
  virtual std::optional<ClipProblem> RunFromStart() = 0;
  virtual std::optional<ClipProblem> StopAtStart() = 0;
  // Stopped, with the graph kept but its sound renderer gone, so that nothing holds the sound
  // device; TakeSoundBack puts a new one where it was. Both do nothing for a graph without sound.
  virtual std::optional<ClipProblem> LetGoOfSound() = 0;
  virtual std::optional<ClipProblem> TakeSoundBack() = 0;
  virtual void Fit(PixelSize size) = 0;
  // The next event that the graph has posted to the control, if any.
  virtual std::optional<GraphEvent> NextEvent() = 0;
  virtual void Release() = 0;
  // The file's size and time of its last change; nothing when it cannot be read.
  virtual std::optional<ClipStamp> StampOf(const std::wstring& path) = 0;
};

// The control's own child window, under the graph's picture.
class VideoSurface {
 public:
  virtual ~VideoSurface() = default;
  virtual void MoveTo(const PixelRect& area) = 0;
  // One line centred in the window, white on black; an empty text clears it.
  virtual void ShowMessage(const std::wstring& text) = 0;
  // One-shot: OnRestartTimer comes after `delay` unless stopped first.
  virtual void StartRestartTimer(std::chrono::milliseconds delay) = 0;
  virtual void StopRestartTimer() = 0;
};

// The shortest time between two starts of a clip that keeps ending: a clip shorter than this (or a
// graph that reports its end at once) starts over at most this often instead of thousands of times
// a second.
inline constexpr std::chrono::milliseconds kMinRestartInterval{500};

// One clip, one graph: built at the first play and kept, since building one costs far more than
// running it again, and a graph torn down may leave things behind (as Wine's do; see the notes in
// graph_video_player_win32.cpp). A kept graph that fails to start again, or whose file changed since it was built, gives way to a
// new one. A clip that cannot be played never throws: the control names the file and the reason,
// and every later play tries again. The operations are VideoControl's; showing and hiding the
// control is its window's own business.
class GraphPlayer final {
 public:
  // The screen's pixels per inch across and down, for Move's twips.
  GraphPlayer(ClipGraph& graph, VideoSurface& surface, int dpiX, int dpiY);
  ~GraphPlayer();
  GraphPlayer(const GraphPlayer&) = delete;
  GraphPlayer& operator=(const GraphPlayer&) = delete;

  // Counts from the next graph built.
  void SetSound(bool on);
  void SetClip(const std::wstring& path);
  void Play();
  void Stop();
  void Rest();
  void Close();
  void Move(float left, float top, float width, float height);

  // The graph has posted events; `now` is any steady clock's reading.
  void OnGraphEvents(std::chrono::milliseconds now);
  void OnRestartTimer(std::chrono::milliseconds now);

 private:
  enum class State {
    Empty,    // no graph: none built yet, or the clip changed
    Failed,   // no graph, and the control says why the last try failed
    Stopped,  // a graph, stopped at the clip's start
    Resting,  // a graph, stopped at the start, that let go of the sound device
    Playing,  // running, and starting over whenever the clip ends
    WaitingToStartOver,  // it ended too soon after its last start; the restart timer runs
  };

  bool HasGraph() const;
  bool StartKeptGraph();
  void BuildAndRun();
  void StartOver(std::chrono::milliseconds now);
  bool ClipChanged();
  // True when there was no problem; otherwise the graph goes and the control says why.
  bool Succeeded(const std::optional<ClipProblem>& problem);
  void Fail(const ClipProblem& problem);
  void ReleaseGraph();
  void Become(State next);

  ClipGraph& graph_;
  VideoSurface& surface_;
  int dpiX_;
  int dpiY_;

  bool soundOn_ = false;
  std::wstring clip_;
  PixelRect area_;

  State state_ = State::Empty;
  std::optional<ClipStamp> builtFrom_;  // the clip file as it stood when the graph was built
  std::optional<std::chrono::milliseconds> lastStartOver_;  // since the last Play
};

}  // namespace torva
