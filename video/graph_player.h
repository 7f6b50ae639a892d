// The video control's decisions over the platform's media graph: which filters and pins make up the
// graph, when it is built and kept, how it loops, stops and starts again, and what a failure shows.
// No window, COM or graph call here.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "startup/twips.h"
#include "video/video_control.h"

namespace torva {

// The platform's 32-bit result code (negative for a failure).
using Hresult = std::int32_t;

// The result codes that change what the player does or says; every other failure is shown with
// the platform's own text for it.
inline constexpr Hresult kOk = 0;
inline constexpr Hresult kFileNotFound = static_cast<Hresult>(0x80070002);  // from ERROR_FILE_NOT_FOUND
inline constexpr Hresult kPathNotFound = static_cast<Hresult>(0x80070003);  // from ERROR_PATH_NOT_FOUND
inline constexpr Hresult kAccessDenied = static_cast<Hresult>(0x80070005);  // from ERROR_ACCESS_DENIED
// A success code of the graph, but the show has nothing to show without its picture.
inline constexpr Hresult kVideoNotRendered = 0x00040257;
// The graph's class is not registered: the system has no media engine to build one with.
inline constexpr Hresult kClassNotRegistered = static_cast<Hresult>(0x80040154);

// The line the control shows for a clip that cannot be played: "Cannot play <path>: <reason>".
// The common reasons are the program's own short words; `platformText` is the platform's text for
// the code, shown for the others, and the code itself stands in where the platform has none.
std::wstring FailureLine(const std::wstring& path, Hresult result, const std::wstring& platformText);
// The same for a graph that could not even be made: the engine itself is missing or broken.
std::wstring EngineMissingLine(const std::wstring& path);

// One filter of a built graph, as far as the shape of the graph is concerned, by the name that the
// graph keeps unique among its filters.
struct GraphFilter {
  std::wstring name;
  bool connected = false;   // at least one of its pins is connected
  bool takesAudio = false;  // one of its input pins is connected to audio
};

// The clip file as it stands, to tell whether it changed under a graph that was kept.
struct ClipStamp {
  std::uint64_t size = 0;
  std::uint64_t lastWrite = 0;
  friend bool operator==(const ClipStamp&, const ClipStamp&) = default;
};

// The events of a running graph that the player answers (EC_* in the platform's headers).
enum class GraphEventCode : long { Complete = 0x01, ErrorAbort = 0x03, StreamErrorStopped = 0x06 };

struct GraphEvent {
  long code = 0;
  Hresult result = kOk;  // the first parameter, which for errors is their result code
};

// One media graph at a time, drawing into the control's window. Every call but Create, ErrorText
// and StampOf concerns the graph that Create made, and is an error without one: after Release, or
// after a Create that failed, there is none until the next Create succeeds.
class FilterGraph {
 public:
  virtual ~FilterGraph() = default;
  // A new, empty graph holding only the video renderer.
  virtual Hresult Create() = 0;
  virtual Hresult AddSource(const std::wstring& path) = 0;
  // Renders each output of the source to the renderers already in the graph, with whatever the
  // platform puts between them; an output that no renderer there takes stays unconnected.
  virtual Hresult RenderSourceToExistingRenderers() = 0;
  // Adds the file and renders every stream it holds, using the video renderer already there.
  virtual Hresult RenderFile(const std::wstring& path) = 0;
  virtual bool RendererConnected() = 0;
  virtual std::vector<GraphFilter> Filters() = 0;
  virtual Hresult RemoveFilter(const std::wstring& name) = 0;
  // The renderer's picture becomes a child window over the whole control, passing its mouse and
  // key messages on to the control; the graph's events are posted to the control.
  virtual Hresult AttachToControl(PixelSize size) = 0;
  virtual void FitToControl(PixelSize size) = 0;
  virtual Hresult UseDefaultClock() = 0;
  // In hundredths of a decibel: 0 is full volume, -10000 silence.
  virtual Hresult SetVolume(long volume) = 0;
  virtual Hresult Run() = 0;
  virtual Hresult Stop() = 0;
  virtual Hresult SeekToStart() = 0;
  virtual std::optional<GraphEvent> NextEvent() = 0;
  // Stops the graph if it runs, gives the picture's window back and releases everything.
  virtual void Release() = 0;
  // The platform's text for the result code, or nothing.
  virtual std::wstring ErrorText(Hresult result) = 0;
  // The file's size and time of its last change; nothing when it cannot be read.
  virtual std::optional<ClipStamp> StampOf(const std::wstring& path) = 0;
};

// The control's own child window, under the graph's picture.
class VideoSurface {
 public:
  virtual ~VideoSurface() = default;
  virtual void SetVisible(bool visible) = 0;
  virtual void MoveTo(const PixelRect& area) = 0;
  // One line centred in the window, white on black; an empty text clears it.
  virtual void ShowMessage(const std::wstring& text) = 0;
  // One-shot: OnRestartTimer comes after `delay` unless stopped first.
  virtual void StartRestartTimer(std::chrono::milliseconds delay) = 0;
  virtual void StopRestartTimer() = 0;
};

// The shortest time between two restarts of a clip that keeps ending: a clip shorter than this (or
// a graph that reports its end at once) restarts at most this often instead of thousands of times
// a second.
inline constexpr std::chrono::milliseconds kMinRestartInterval{500};

// One clip, one graph: built at the first play and kept until the clip changes, since under Wine
// every graph torn down leaves memory, threads and handles behind. A kept graph that fails to start
// again, or whose file changed since it was built, gives way to a new one. A clip that cannot be
// played never throws: the surface names the file and the reason, and every later play tries again.
class GraphPlayer final : public VideoControl {
 public:
  // The screen's pixels per inch across and down, for Move's twips.
  GraphPlayer(FilterGraph& graph, VideoSurface& surface, int dpiX, int dpiY);
  ~GraphPlayer() override;
  GraphPlayer(const GraphPlayer&) = delete;
  GraphPlayer& operator=(const GraphPlayer&) = delete;

  // Decides the shape of the graph, so it counts from the next graph built: a graph already built
  // with sound takes the new volume at once, one built without sound stays silent.
  void SetMute(bool mute) override;
  // The platform finds its filters by the clip's content; the type is kept for the interface only.
  void SetDeviceType(const std::wstring& deviceType) override;
  void SetFileName(const std::wstring& path) override;
  void SetCommand(int command) override;
  void SetVisible(bool visible) override;
  void Move(float left, float top, float width, float height) override;
  // Stopped; a graph with sound is released, since its sound renderer holds the sound device even
  // while stopped. The next play starts the clip from its start, building what it needs.
  void Rest() override;

  // The graph has posted events; `now` is any steady clock's reading.
  void OnGraphEvents(std::chrono::milliseconds now);
  void OnRestartTimer(std::chrono::milliseconds now);

 private:
  void Play();
  bool StartKeptGraph();
  void BuildAfreshAndRun();
  void Stop();
  bool Build();
  bool BuildWithoutSound();
  bool BuildWithSound();
  void RemoveStrayFilters();
  void Restart(std::chrono::milliseconds now);
  bool ClipChanged();
  void CancelRestart();
  // True for a success; a failure releases the graph, shows why and gives false.
  bool SucceededOrGiveUp(Hresult result);
  void Fail(Hresult result);
  void ShowFailure(const std::wstring& line);
  void ReleaseGraph();
  void ClearMessage();

  FilterGraph& graph_;
  VideoSurface& surface_;
  int dpiX_;
  int dpiY_;

  bool mute_ = false;
  std::wstring fileName_;
  PixelRect area_;

  bool built_ = false;
  std::optional<ClipStamp> builtFrom_;  // the clip file as it stood when the graph was built
  bool withSound_ = false;  // the graph has an audio branch
  bool running_ = false;    // the last command was play, so the clip starts over when it ends
  bool restartPending_ = false;
  std::optional<std::chrono::milliseconds> lastRestart_;
  bool messageShown_ = false;
};

}  // namespace torva
