// The show's phases, its rest and its activity watch.
#include "show/saver_show.h"

#include <utility>

#include "startup/product.h"

namespace torva {
namespace {

using std::chrono::milliseconds;

constexpr int kKeyDownsToEnd = 2;
constexpr int kMouseEventsToEnd = 3;

// GUID_CONSOLE_DISPLAY_STATE's value for a display that is off.
// https://learn.microsoft.com/windows/win32/power/power-setting-guids
constexpr unsigned long kDisplayOff = 0;

}  // namespace

SaverShow::SaverShow(const ShowParts& parts, ScreenSize screen, std::wstring clipPath)
    : parts_(parts), screen_(screen), clipPath_(std::move(clipPath)) {}

void SaverShow::Start(ScreenPoint pointer, milliseconds now) {
  lastPointer_ = pointer;
  // A broken settings file ends the program here, before the video or the window appears.
  parts_.video.SetSound(parts_.program.ReadSoundSetting());
  parts_.video.Move(0, 0, screen_.width, screen_.height);
  parts_.video.SetClip(clipPath_);
  parts_.video.Play();
  parts_.program.LetPendingEventsRun();
  parts_.video.SetVisible(true);
  EndPhaseAfter(kVideoPhaseLength, now);
}

void SaverShow::OnTimer(milliseconds now) {
  if (!phaseEnd_) return;
  if (now < *phaseEnd_) {
    // Early, or a tick of a timer since started again: the phase runs its whole length.
    parts_.timer.Start(*phaseEnd_ - now);
    return;
  }
  if (phase_ == Phase::Video) {
    SwitchToLogo(now);
  } else {
    SwitchToVideo(now);
  }
}

void SaverShow::SwitchToVideo(milliseconds now) {
  phase_ = Phase::Video;
  parts_.video.Play();
  // The logo stays visible underneath: the video covers the whole screen above it.
  parts_.video.SetVisible(true);
  EndPhaseAfter(kVideoPhaseLength, now);
}

void SaverShow::SwitchToLogo(milliseconds now) {
  phase_ = Phase::Logo;
  parts_.video.SetVisible(false);
  parts_.video.Stop();
  parts_.logo.SetVisible(true);
  logoShown_ = true;
  CentreLogo();
  EndPhaseAfter(kLogoPhaseLength, now);
}

void SaverShow::EndPhaseAfter(milliseconds length, milliseconds now) {
  phaseEnd_ = now + length;
  parts_.timer.Start(length);
}

void SaverShow::StopPhase() {
  phaseEnd_.reset();
  parts_.timer.Cancel();
}

void SaverShow::OnDisplayState(unsigned long state, milliseconds now) {
  const bool wasResting = resting();
  displayOff_ = state == kDisplayOff;
  // A display that comes on has somebody in front of it, also after a wake with nobody there.
  if (!displayOff_) asleep_ = false;
  FollowRest(wasResting, now);
}

void SaverShow::OnSuspend() {
  const bool wasResting = resting();
  asleep_ = true;
  FollowRest(wasResting, {});
}

void SaverShow::OnWake(bool personPresent, milliseconds now) {
  const bool wasResting = resting();
  asleep_ = !personPresent;
  FollowRest(wasResting, now);
}

void SaverShow::FollowRest(bool wasResting, milliseconds now) {
  if (resting() == wasResting) return;
  if (resting()) {
    // The phase stops rather than running on in the dark: it would wake the computer for nobody,
    // and a phase taken up in its middle would start the clip out of step with it.
    StopPhase();
    parts_.video.Rest();
  } else if (phase_ == Phase::Logo) {
    EndPhaseAfter(kLogoPhaseLength, now);
  } else {
    SwitchToVideo(now);
  }
}

void SaverShow::StopForReport() {
  StopPhase();
  // Not only stopped: the report may end the process at once, and a media engine's threads can
  // fault while the process is ended under them (seen under Wine), which changes the exit code.
  parts_.video.Close();
}

void SaverShow::CentreLogo() {
  // Single precision throughout, so the offsets match to the last bit; on a screen smaller than
  // the logo they come out negative and the logo is cut evenly on both sides.
  const float left = (screen_.width - parts_.logo.Width()) / 2.0f;
  const float top = (screen_.height - parts_.logo.Height()) / 2.0f;
  parts_.logo.Move(left, top);
}

void SaverShow::OnKeyDown() { Count(keyDowns_, kKeyDownsToEnd); }

void SaverShow::OnMouseDown() { Count(mouseDowns_, kMouseEventsToEnd); }

void SaverShow::OnMouseMove(ScreenPoint where) {
  if (PointerMoved(where)) Count(mouseMoves_, kMouseEventsToEnd);
}

void SaverShow::OnVideoClick() { Count(videoClicks_, kMouseEventsToEnd); }

void SaverShow::OnVideoMouseMove(ScreenPoint where) {
  if (PointerMoved(where)) Count(videoMouseMoves_, kMouseEventsToEnd);
}

void SaverShow::OnLogoClick() {
  // The logo is seen, so the clip is hidden and stopped already.
  StopPhase();
  parts_.shell.OpenWebAddress(kProductWebAddress);
  // Gives the shell's hand-off the messages it may still need before the process goes.
  parts_.program.LetPendingEventsRun();
  parts_.program.End();
}

void SaverShow::OnDisplayChange(ScreenSize screen, ScreenPoint pointer) {
  screen_ = screen;
  parts_.video.Move(0, 0, screen_.width, screen_.height);
  if (logoShown_) CentreLogo();
  // The system moves the pointer when its old place is gone, and windows move under it: neither
  // is the user, and counting them would end the show after a few changes, such as a monitor that
  // drops off the desktop whenever it sleeps.
  lastPointer_ = pointer;
}

void SaverShow::Count(std::int16_t& counter, int threshold) {
  ++counter;
  if (counter >= threshold) parts_.program.End();
}

bool SaverShow::PointerMoved(ScreenPoint where) {
  // The system also sends a mouse move when a window appears, hides or is shown under a pointer
  // that stands still, as at every switch between video and logo; counting those would end the
  // show after a few phases with nobody at the computer.
  // https://devblogs.microsoft.com/oldnewthing/20031001-00/?p=42343
  if (where == lastPointer_) return false;
  lastPointer_ = where;
  return true;
}

}  // namespace torva
