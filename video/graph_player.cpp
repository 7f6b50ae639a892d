// The video control's graph: its shape, its loop, and its fallback for clips that cannot be played.
#include "video/graph_player.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

namespace torva {
namespace {

constexpr int kFallbackDpi = 96;
// Window coordinates beyond this are meaningless (and SetWindowPos clamps them anyway).
constexpr int kMaxPixels = 32767;

constexpr long kFullVolume = 0;
constexpr long kSilence = -10000;

// E_FAIL, for an error event that carries no failure code of its own.
constexpr Hresult kUnspecifiedFailure = static_cast<Hresult>(0x80004005);

bool IsFailure(Hresult result) { return result < 0; }

std::wstring WithoutTrailingSpace(std::wstring text) {
  while (!text.empty() && std::iswspace(text.back())) text.pop_back();
  return text;
}

}  // namespace

GraphPlayer::GraphPlayer(FilterGraph& graph, VideoSurface& surface, int dpiX, int dpiY)
    : graph_(graph),
      surface_(surface),
      dpiX_(dpiX > 0 ? dpiX : kFallbackDpi),
      dpiY_(dpiY > 0 ? dpiY : kFallbackDpi) {}

GraphPlayer::~GraphPlayer() { ReleaseGraph(); }

void GraphPlayer::SetMute(bool mute) {
  mute_ = mute;
  // A clip without sound has no volume to set; it is silent anyway.
  if (built_ && withSound_) graph_.SetVolume(mute ? kSilence : kFullVolume);
}

void GraphPlayer::SetDeviceType(const std::wstring&) {}

void GraphPlayer::SetFileName(const std::wstring& path) {
  if (path == fileName_) return;
  ReleaseGraph();
  fileName_ = path;
  ClearMessage();
}

void GraphPlayer::SetCommand(int command) {
  // Other values are no commands of this control and change nothing.
  if (command == kPlayCommand) Play();
  if (command == kStopCommand) Stop();
}

void GraphPlayer::SetVisible(bool visible) { surface_.SetVisible(visible); }

void GraphPlayer::Move(float left, float top, float width, float height) {
  const auto toPixels = [](float twips, int dpi) {
    if (std::isnan(twips)) return 0;
    const float limit = static_cast<float>(kMaxPixels) * kTwipsPerInch / static_cast<float>(dpi);
    return TwipsToPixels(std::clamp(twips, -limit, limit), dpi);
  };
  area_ = {toPixels(left, dpiX_), toPixels(top, dpiY_), std::max(0, toPixels(width, dpiX_)),
           std::max(0, toPixels(height, dpiY_))};
  surface_.MoveTo(area_);
  if (built_) graph_.FitToControl({area_.width, area_.height});
}

void GraphPlayer::OnGraphEvents(std::chrono::milliseconds now) {
  // After a failure the graph is gone and has no more events.
  while (const auto event = graph_.NextEvent()) {
    switch (static_cast<GraphEventCode>(event->code)) {
      case GraphEventCode::Complete:
        // An end that was queued before a stop is no reason to start again.
        if (!running_ || restartPending_) break;
        if (lastRestart_ && now - *lastRestart_ < kMinRestartInterval) {
          restartPending_ = true;
          surface_.StartRestartTimer(kMinRestartInterval - (now - *lastRestart_));
        } else {
          Restart(now);
        }
        break;
      case GraphEventCode::ErrorAbort:
      case GraphEventCode::StreamErrorStopped:
        Fail(IsFailure(event->result) ? event->result : kUnspecifiedFailure);
        break;
    }
  }
}

void GraphPlayer::OnRestartTimer(std::chrono::milliseconds now) {
  if (!restartPending_) return;
  restartPending_ = false;
  if (running_) Restart(now);
}

void GraphPlayer::Play() {
  CancelRestart();
  lastRestart_.reset();
  if (!built_ && !Build()) return;
  // Play while playing starts over, as it does after a stop.
  if (running_ && !(Succeeded(graph_.Stop()) && Succeeded(graph_.SeekToStart()))) return;
  if (!Succeeded(graph_.Run())) return;
  running_ = true;
}

void GraphPlayer::Stop() {
  CancelRestart();
  if (!running_) return;
  running_ = false;
  // Stopped and back at the start, never paused: with the audio renderer in the graph, pause, seek
  // and run hung every time under Wine. The graph is kept, so that the next play costs no rebuild.
  if (Succeeded(graph_.Stop())) Succeeded(graph_.SeekToStart());
}

bool GraphPlayer::Build() {
  // Once per clip: the sound setting is read before the first play, so the shape holds for the show.
  withSound_ = !mute_;
  if (!Succeeded(graph_.Create())) return false;
  built_ = true;
  if (!(withSound_ ? BuildWithSound() : BuildWithoutSound())) return false;
  if (!graph_.RendererConnected()) {
    Fail(kVideoNotRendered);
    return false;
  }
  RemoveStrayFilters();
  if (!built_ || !Succeeded(graph_.AttachToControl({area_.width, area_.height}))) return false;
  // Without the audio renderer the graph has no clock of its own; the platform's default keeps the
  // picture in time. A graph that cannot take one picks its own when it runs, so this is not
  // checked.
  graph_.UseDefaultClock();
  if (withSound_) graph_.SetVolume(kFullVolume);
  ClearMessage();
  return true;
}

bool GraphPlayer::BuildWithoutSound() {
  // Only the picture is connected, so no audio decoder or renderer is ever created: an audio
  // renderer, once made, keeps a stream open at the sound server even when removed again.
  if (!Succeeded(graph_.AddSource(fileName_))) return false;
  const std::vector<PinKind> outputs = graph_.SourceOutputs();
  // A source that splits the clip itself offers its picture as such; a plain file reader offers
  // one stream, which the platform splits on the way, leaving the sound's output unconnected.
  auto chosen = std::find(outputs.begin(), outputs.end(), PinKind::Video);
  if (chosen == outputs.end()) chosen = std::find(outputs.begin(), outputs.end(), PinKind::Stream);
  if (chosen == outputs.end()) {
    Fail(kVideoNotRendered);
    return false;
  }
  return Succeeded(graph_.ConnectToRenderer(static_cast<std::size_t>(chosen - outputs.begin())));
}

bool GraphPlayer::BuildWithSound() {
  // Partial success (the sound, or another stream, could not be rendered) still plays the picture.
  return Succeeded(graph_.RenderFile(fileName_));
}

void GraphPlayer::RemoveStrayFilters() {
  // Filters that the platform tried on the way and left unconnected, and, without sound, anything
  // that takes the clip's sound: the muted graph must hold no audio branch at all.
  const std::vector<GraphFilter> filters = graph_.Filters();
  for (std::size_t i = 0; i < filters.size(); ++i) {
    const bool stray = !filters[i].connected || (!withSound_ && filters[i].takesAudio);
    if (stray && !Succeeded(graph_.RemoveFilter(i))) return;
  }
}

void GraphPlayer::Restart(std::chrono::milliseconds now) {
  lastRestart_ = now;
  // Stopped before the seek, not sought while running: under Wine a graph with the audio renderer
  // that is sought after its end plays nothing more and then hangs in its next stop.
  if (Succeeded(graph_.Stop()) && Succeeded(graph_.SeekToStart())) Succeeded(graph_.Run());
}

bool GraphPlayer::Succeeded(Hresult result) {
  if (!IsFailure(result)) return true;
  Fail(result);
  return false;
}

void GraphPlayer::Fail(Hresult result) {
  ReleaseGraph();
  const std::wstring reason = result == kFileNotFound || result == kPathNotFound
                                  ? L"File not found."
                                  : WithoutTrailingSpace(graph_.ErrorText(result));
  surface_.ShowMessage(L"Cannot play " + fileName_ + L": " + reason);
  messageShown_ = true;
}

void GraphPlayer::CancelRestart() {
  if (restartPending_) surface_.StopRestartTimer();
  restartPending_ = false;
}

void GraphPlayer::ReleaseGraph() {
  CancelRestart();
  if (!built_) return;
  graph_.Release();
  built_ = false;
  running_ = false;
}

void GraphPlayer::ClearMessage() {
  if (!messageShown_) return;
  surface_.ShowMessage(L"");
  messageShown_ = false;
}

}  // namespace torva
