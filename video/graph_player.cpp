// The video control's graph: its shape, its loop, and its fallback for clips that cannot be played.
#include "video/graph_player.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cwctype>
#include <iterator>

namespace torva {
namespace {

constexpr int kFallbackDpi = 96;
// Window coordinates beyond this are meaningless (and SetWindowPos clamps them anyway).
constexpr int kMaxPixels = 32767;

constexpr long kFullVolume = 0;
constexpr long kSilence = -10000;

// E_FAIL, for an error event that carries no failure code of its own.
constexpr Hresult kUnspecifiedFailure = static_cast<Hresult>(0x80004005);

// What the graph answers for a file that holds no clip it can play: no filter takes the file, or
// none makes a picture of what it holds (VFW_E_* in the platform's headers).
constexpr Hresult kNotAPlayableClip[] = {
    static_cast<Hresult>(0x80040206),  // no types
    static_cast<Hresult>(0x80040207),  // no acceptable types
    static_cast<Hresult>(0x80040217),  // cannot connect
    static_cast<Hresult>(0x80040218),  // cannot render
    static_cast<Hresult>(0x8004022A),  // type not accepted
    static_cast<Hresult>(0x8004022F),  // invalid file format
    static_cast<Hresult>(0x80040240),  // unknown file type
    static_cast<Hresult>(0x80040241),  // cannot load source filter
    static_cast<Hresult>(0x80040243),  // file too short
    static_cast<Hresult>(0x80040255),  // no decompressor
    static_cast<Hresult>(0x8004025D),  // unsupported video
    static_cast<Hresult>(0x80040265),  // unsupported stream
};

bool IsFailure(Hresult result) { return result < 0; }

std::wstring Trimmed(const std::wstring& text) {
  const auto blank = [](wchar_t c) { return std::iswspace(static_cast<std::wint_t>(c)) != 0; };
  const auto first = std::find_if_not(text.begin(), text.end(), blank);
  const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
  return first < last ? std::wstring(first, last) : std::wstring();
}

std::wstring CodeText(Hresult result) {
  std::wstring text = L"Error 0x";
  for (int shift = 28; shift >= 0; shift -= 4) {
    text += L"0123456789ABCDEF"[(static_cast<std::uint32_t>(result) >> shift) & 0xF];
  }
  return text + L".";
}

std::wstring Reason(Hresult result, const std::wstring& platformText) {
  if (result == kFileNotFound || result == kPathNotFound) return L"File not found.";
  if (result == kAccessDenied) return L"Access denied.";
  if (result == kVideoNotRendered) return L"No picture in the clip.";
  if (std::find(std::begin(kNotAPlayableClip), std::end(kNotAPlayableClip), result) !=
      std::end(kNotAPlayableClip)) {
    return L"Not a clip the system can play.";
  }
  std::wstring text = Trimmed(platformText);
  return text.empty() ? CodeText(result) : text;
}

}  // namespace

std::wstring FailureLine(const std::wstring& path, Hresult result, const std::wstring& platformText) {
  if (result == kClassNotRegistered) return EngineMissingLine(path);
  return L"Cannot play " + path + L": " + Reason(result, platformText);
}

std::wstring EngineMissingLine(const std::wstring& path) {
  return L"Cannot play " + path + L": the system's media engine (DirectShow) cannot be loaded.";
}

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
  // A notice that was on its way when the graph went has no graph left to ask.
  while (built_) {
    const auto event = graph_.NextEvent();
    if (!event) break;
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

void GraphPlayer::Rest() {
  CancelRestart();
  if (!built_) return;
  if (withSound_) {
    ReleaseGraph();
  } else {
    Stop();
  }
}

void GraphPlayer::Play() {
  CancelRestart();
  lastRestart_.reset();
  if (built_ && !ClipChanged() && StartKeptGraph()) return;
  // A kept graph that cannot start again (as after the computer slept), or whose file changed,
  // gives way to a new one, which says why if it fails too.
  BuildAfreshAndRun();
}

void GraphPlayer::BuildAfreshAndRun() {
  ReleaseGraph();
  if (Build() && SucceededOrGiveUp(graph_.Run())) running_ = true;
}

bool GraphPlayer::StartKeptGraph() {
  // Play while playing starts over, as it does after a stop.
  if (running_ && (IsFailure(graph_.Stop()) || IsFailure(graph_.SeekToStart()))) return false;
  if (IsFailure(graph_.Run())) return false;
  running_ = true;
  return true;
}

void GraphPlayer::Stop() {
  CancelRestart();
  if (!running_) return;
  running_ = false;
  // Stopped and back at the start, never paused (under Wine, with the audio renderer in the graph,
  // pause, seek and run hung every time). The graph is kept, so that the next play costs no rebuild.
  if (SucceededOrGiveUp(graph_.Stop())) SucceededOrGiveUp(graph_.SeekToStart());
}

bool GraphPlayer::Build() {
  // Once per clip: the sound setting is read before the first play, so the shape holds for the show.
  withSound_ = !mute_;
  builtFrom_ = graph_.StampOf(fileName_);
  if (IsFailure(graph_.Create())) {
    ShowFailure(EngineMissingLine(fileName_));
    return false;
  }
  built_ = true;
  if (!(withSound_ ? BuildWithSound() : BuildWithoutSound())) return false;
  if (!graph_.RendererConnected()) {
    Fail(kVideoNotRendered);
    return false;
  }
  RemoveStrayFilters();
  if (!built_ || !SucceededOrGiveUp(graph_.AttachToControl({area_.width, area_.height}))) {
    return false;
  }
  // Without the audio renderer the graph has no clock of its own; the platform's default keeps the
  // picture in time. A graph that cannot take one picks its own when it runs, so this is not
  // checked.
  graph_.UseDefaultClock();
  if (withSound_) graph_.SetVolume(kFullVolume);
  ClearMessage();
  return true;
}

bool GraphPlayer::BuildWithoutSound() {
  // Only what leads to the video renderer is connected, and the graph holds no other renderer, so
  // no audio decoder or renderer is kept: an audio renderer, once made, keeps a stream open at the
  // sound server even when removed again.
  return SucceededOrGiveUp(graph_.AddSource(fileName_)) &&
         SucceededOrGiveUp(graph_.RenderSourceToExistingRenderers());
}

bool GraphPlayer::BuildWithSound() {
  // Partial success (the sound, or another stream, could not be rendered) still plays the picture.
  return SucceededOrGiveUp(graph_.RenderFile(fileName_));
}

void GraphPlayer::RemoveStrayFilters() {
  // Filters that the platform tried on the way and left unconnected, and, without sound, anything
  // that takes the clip's sound: the muted graph must hold no audio branch at all. Under Wine none
  // is ever left (its GStreamer splitter decodes both streams itself, and the sound's output stays
  // unconnected). Windows' MPEG-1 splitter offers its sound still coded, and its documentation says
  // only that the graph "may" back out of a path that leads to no renderer: a decoder tried for
  // the sound could stay, connected to the splitter and to nothing else.
  for (const GraphFilter& filter : graph_.Filters()) {
    const bool stray = !filter.connected || (!withSound_ && filter.takesAudio);
    if (stray && !SucceededOrGiveUp(graph_.RemoveFilter(filter.name))) return;
  }
}

void GraphPlayer::Restart(std::chrono::milliseconds now) {
  lastRestart_ = now;
  if (ClipChanged()) {
    BuildAfreshAndRun();
    return;
  }
  // Stopped before the seek, not sought while running: under Wine a graph with the audio renderer
  // that is sought after its end plays nothing more and then hangs in its next stop.
  if (SucceededOrGiveUp(graph_.Stop()) && SucceededOrGiveUp(graph_.SeekToStart())) {
    SucceededOrGiveUp(graph_.Run());
  }
}

bool GraphPlayer::ClipChanged() {
  // Under Wine a file can be cut short under the graph that reads it (a program that writes it
  // anew); that graph then never ends its stream, and stopping it again soon after it ran hung
  // for good. Where the file cannot be read either time, nothing is known to have changed.
  return graph_.StampOf(fileName_) != builtFrom_;
}

bool GraphPlayer::SucceededOrGiveUp(Hresult result) {
  if (!IsFailure(result)) return true;
  Fail(result);
  return false;
}

void GraphPlayer::Fail(Hresult result) {
  ReleaseGraph();
  ShowFailure(FailureLine(fileName_, result, graph_.ErrorText(result)));
}

void GraphPlayer::ShowFailure(const std::wstring& line) {
  surface_.ShowMessage(line);
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
