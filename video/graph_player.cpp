// The video control's states: its graph built, kept, rested and built anew, the clip started over,
// and the line that says why a clip cannot be played.
#include "video/graph_player.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

namespace torva {
namespace {

// Window coordinates beyond this are meaningless (and SetWindowPos clamps them anyway).
constexpr int kMaxPixels = 32767;

std::wstring Trimmed(const std::wstring& text) {
  const auto blank = [](wchar_t c) { return std::iswspace(static_cast<std::wint_t>(c)) != 0; };
  const auto first = std::find_if_not(text.begin(), text.end(), blank);
  const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
  return first < last ? std::wstring(first, last) : std::wstring();
}

std::wstring CodeText(std::uint32_t code) {
  std::wstring text = L"Error 0x";
  for (int shift = 28; shift >= 0; shift -= 4) text += L"0123456789ABCDEF"[(code >> shift) & 0xF];
  return text + L".";
}

std::wstring Reason(const ClipProblem& problem) {
  switch (problem.fault) {
    case ClipFault::FileNotFound: return L"File not found.";
    case ClipFault::AccessDenied: return L"Access denied.";
    case ClipFault::NoPicture: return L"No picture in the clip.";
    case ClipFault::NotAClip: return L"Not a clip the system can play.";
    case ClipFault::NoMediaEngine: return L"the system's media engine (DirectShow) cannot be loaded.";
    case ClipFault::Other: break;
  }
  const std::wstring text = Trimmed(problem.platformText);
  return text.empty() ? CodeText(problem.code) : text;
}

}  // namespace

std::wstring FailureLine(const std::wstring& path, const ClipProblem& problem) {
  return L"Cannot play " + path + L": " + Reason(problem);
}

GraphPlayer::GraphPlayer(ClipGraph& graph, VideoSurface& surface, int dpiX, int dpiY)
    : graph_(graph), surface_(surface), dpiX_(UsableDpi(dpiX)), dpiY_(UsableDpi(dpiY)) {}

GraphPlayer::~GraphPlayer() { ReleaseGraph(); }

void GraphPlayer::SetSound(bool on) { soundOn_ = on; }

void GraphPlayer::SetClip(const std::wstring& path) {
  if (path == clip_) return;
  ReleaseGraph();
  // The line that said why the file before could not be played goes with it.
  Become(State::Empty);
  clip_ = path;
}

void GraphPlayer::Play() {
  lastStartOver_.reset();
  if (HasGraph() && !ClipChanged() && StartKeptGraph()) return;
  // A kept graph that cannot start again (as after the computer slept), or whose file changed,
  // gives way to a new one, which says why if it fails too.
  BuildAndRun();
}

void GraphPlayer::Stop() {
  if (state_ != State::Playing && state_ != State::WaitingToStartOver) return;
  if (Succeeded(graph_.StopAtStart())) Become(State::Stopped);
}

void GraphPlayer::Close() { ReleaseGraph(); }

void GraphPlayer::Rest() {
  if (!HasGraph() || state_ == State::Resting) return;
  // Only the sound renderer goes: it holds the sound device even while stopped, and the graph is
  // worth keeping. Where it cannot go alone, the whole graph goes.
  if (graph_.LetGoOfSound().has_value()) {
    ReleaseGraph();
  } else {
    Become(State::Resting);
  }
}

void GraphPlayer::Move(float left, float top, float width, float height) {
  const auto toPixels = [](float twips, int dpi) {
    if (std::isnan(twips)) return 0;
    const float limit = static_cast<float>(kMaxPixels) * kTwipsPerInch / static_cast<float>(dpi);
    return TwipsToPixels(std::clamp(twips, -limit, limit), dpi);
  };
  area_ = {toPixels(left, dpiX_), toPixels(top, dpiY_), std::max(0, toPixels(width, dpiX_)),
           std::max(0, toPixels(height, dpiY_))};
  surface_.MoveTo(area_);
  if (HasGraph()) graph_.Fit({area_.width, area_.height});
}

void GraphPlayer::OnGraphEvents(std::chrono::milliseconds now) {
  // A notice that was on its way when the graph went has no graph left to ask.
  while (HasGraph()) {
    const std::optional<GraphEvent> event = graph_.NextEvent();
    if (!event) return;
    if (event->problem) {
      Fail(*event->problem);
    } else if (state_ != State::Playing) {
      // An end queued before a stop, or while waiting to start over, asks for nothing more.
    } else if (lastStartOver_ && now - *lastStartOver_ < kMinRestartInterval) {
      Become(State::WaitingToStartOver);
      surface_.StartRestartTimer(kMinRestartInterval - (now - *lastStartOver_));
    } else {
      StartOver(now);
    }
  }
}

void GraphPlayer::OnRestartTimer(std::chrono::milliseconds now) {
  // A tick that the timer posted before it was stopped still arrives.
  if (state_ == State::WaitingToStartOver) StartOver(now);
}

bool GraphPlayer::HasGraph() const { return state_ != State::Empty && state_ != State::Failed; }

bool GraphPlayer::StartKeptGraph() {
  if (state_ == State::Resting && graph_.TakeSoundBack().has_value()) return false;
  if (graph_.RunFromStart().has_value()) return false;
  Become(State::Playing);
  return true;
}

void GraphPlayer::BuildAndRun() {
  ReleaseGraph();
  builtFrom_ = graph_.StampOf(clip_);
  if (!Succeeded(graph_.Build(clip_, soundOn_, {area_.width, area_.height}))) return;
  Become(State::Stopped);
  if (Succeeded(graph_.RunFromStart())) Become(State::Playing);
}

void GraphPlayer::StartOver(std::chrono::milliseconds now) {
  lastStartOver_ = now;
  if (ClipChanged()) {
    BuildAndRun();
  } else if (Succeeded(graph_.RunFromStart())) {
    Become(State::Playing);
  }
}

bool GraphPlayer::ClipChanged() {
  // A graph reads the file as it was built from it: one rewritten or cut short under it is another
  // clip, which may never end. Where the file cannot be read either time, nothing is known to have
  // changed.
  return graph_.StampOf(clip_) != builtFrom_;
}

bool GraphPlayer::Succeeded(const std::optional<ClipProblem>& problem) {
  if (problem) Fail(*problem);
  return !problem;
}

void GraphPlayer::Fail(const ClipProblem& problem) {
  ReleaseGraph();
  Become(State::Failed);
  surface_.ShowMessage(FailureLine(clip_, problem));
}

void GraphPlayer::ReleaseGraph() {
  if (!HasGraph()) return;
  graph_.Release();
  Become(State::Empty);
}

void GraphPlayer::Become(State next) {
  if (state_ == State::Failed && next != State::Failed) surface_.ShowMessage(L"");
  if (state_ == State::WaitingToStartOver) surface_.StopRestartTimer();
  state_ = next;
}

}  // namespace torva
