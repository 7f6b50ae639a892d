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

// The result codes that change what the player does; every other failure is shown with the
// platform's own text for it.
inline constexpr Hresult kOk = 0;
inline constexpr Hresult kFileNotFound = static_cast<Hresult>(0x80070002);  // from ERROR_FILE_NOT_FOUND
inline constexpr Hresult kPathNotFound = static_cast<Hresult>(0x80070003);  // from ERROR_PATH_NOT_FOUND
// A success code of the graph, but the show has nothing to show without its picture.
inline constexpr Hresult kVideoNotRendered = 0x00040257;

// What a pin carries, from the major type of the media it offers.
enum class PinKind { Video, Audio, Stream, Other };

// One filter of a built graph, as far as the shape of the graph is concerned.
struct GraphFilter {
  bool connected = false;   // at least one of its pins is connected
  bool takesAudio = false;  // one of its input pins is connected to audio
};

// The events of a running graph that the player answers (EC_* in the platform's headers).
enum class GraphEventCode : long { Complete = 0x01, ErrorAbort = 0x03, StreamErrorStopped = 0x06 };

struct GraphEvent {
  long code = 0;
  Hresult result = kOk;  // the first parameter, which for errors is their result code
};

// One media graph at a time, drawing into the control's window. Every call but Create and
// ErrorText concerns the graph that Create made; after Release there is none.
class FilterGraph {
 public:
  virtual ~FilterGraph() = default;
  // A new, empty graph holding only the video renderer.
  virtual Hresult Create() = 0;
  virtual Hresult AddSource(const std::wstring& path) = 0;
  virtual std::vector<PinKind> SourceOutputs() = 0;
  // Connects that output of the source to the video renderer, with whatever the platform needs to
  // put between them; the source's other outputs stay as they are.
  virtual Hresult ConnectToRenderer(std::size_t sourceOutput) = 0;
  // Adds the file and renders every stream it holds, using the video renderer already there.
  virtual Hresult RenderFile(const std::wstring& path) = 0;
  virtual bool RendererConnected() = 0;
  virtual std::vector<GraphFilter> Filters() = 0;
  // `index` into the last answer of Filters().
  virtual Hresult RemoveFilter(std::size_t index) = 0;
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
  // The platform's text for the result code.
  virtual std::wstring ErrorText(Hresult result) = 0;
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
// every graph torn down leaves memory, threads and handles behind. A clip that cannot be played
// never throws: the surface names the file and the reason, and every later play tries again.
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

  // The graph has posted events; `now` is any steady clock's reading.
  void OnGraphEvents(std::chrono::milliseconds now);
  void OnRestartTimer(std::chrono::milliseconds now);

 private:
  void Play();
  void Stop();
  bool Build();
  bool BuildWithoutSound();
  bool BuildWithSound();
  void RemoveStrayFilters();
  void Restart(std::chrono::milliseconds now);
  void CancelRestart();
  bool Succeeded(Hresult result);
  void Fail(Hresult result);
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
  bool withSound_ = false;  // the graph has an audio branch
  bool running_ = false;    // the last command was play, so the clip starts over when it ends
  bool restartPending_ = false;
  std::optional<std::chrono::milliseconds> lastRestart_;
  bool messageShown_ = false;
};

}  // namespace torva
