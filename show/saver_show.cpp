// The show's start, cycle and activity watch.
#include "show/saver_show.h"

#include <utility>

#include "startup/product.h"

namespace torva {
namespace {

constexpr int kKeyDownsToEnd = 2;
constexpr int kMouseEventsToEnd = 3;

}  // namespace

DisplayPower DisplayPowerFromState(unsigned long state) {
  if (state == 0) return DisplayPower::Off;
  if (state == 2) return DisplayPower::Dimmed;
  return DisplayPower::On;
}

SaverShow::SaverShow(const ShowParts& parts, ScreenSize screen, std::wstring clipPath)
    : parts_(parts), screen_(screen), clipPath_(std::move(clipPath)) {}

void SaverShow::OnLoad(ScreenPoint pointer) {
  lastPointer_ = pointer;
  // A broken settings file ends the program here, before the video or the window appears.
  const bool soundOn = parts_.program.ReadSoundSetting();
  parts_.video.SetSound(soundOn);
  parts_.video.Move(0, 0, screen_.width, screen_.height);
  parts_.video.SetClip(clipPath_);
  parts_.video.Play();
  parts_.program.LetPendingEventsRun();
  parts_.video.SetVisible(true);
  loopCount_ = 0;
  parts_.timers.SetInterval(TimerId::Timer_loop, kTimerLoopInterval);
  parts_.timers.SetEnabled(TimerId::Timer_loop, true);
}

void SaverShow::OnTimer(TimerId timer) {
  switch (timer) {
    case TimerId::Timer_loop: OnTimerLoop(); break;
    case TimerId::Timer1: OnTimer1(); break;
    case TimerId::Timer2: OnTimer2(); break;
  }
}

void SaverShow::OnTimerLoop() {
  parts_.timers.SetEnabled(TimerId::Timer_loop, false);
  ++loopCount_;
  if (loopCount_ == kTicksPerVideoPhase) {
    parts_.timers.SetInterval(TimerId::Timer1, kTimer1Interval);
    parts_.timers.SetEnabled(TimerId::Timer1, true);
  } else {
    parts_.timers.SetEnabled(TimerId::Timer_loop, true);
  }
}

void SaverShow::OnTimer1() {
  parts_.video.SetVisible(false);
  parts_.video.Stop();
  parts_.timers.SetEnabled(TimerId::Timer1, false);
  parts_.logo.SetVisible(true);
  logoShown_ = true;
  logoPhase_ = true;
  CentreLogo();
  // Enabled while its interval may still be 0: it starts counting when the interval is set.
  parts_.timers.SetEnabled(TimerId::Timer2, true);
  parts_.timers.SetInterval(TimerId::Timer2, kTimer2Interval);
}

void SaverShow::OnTimer2() {
  parts_.timers.SetEnabled(TimerId::Timer2, false);
  logoPhase_ = false;
  StartVideoPhase();
}

void SaverShow::StartVideoPhase() {
  parts_.video.Play();
  // The logo stays visible underneath: the video covers the whole screen above it.
  parts_.video.SetVisible(true);
  loopCount_ = 0;
  parts_.timers.SetEnabled(TimerId::Timer_loop, true);
}

void SaverShow::OnDisplayPower(DisplayPower power) {
  const bool off = power == DisplayPower::Off;
  if (off == displayOff_) return;
  displayOff_ = off;
  if (off) {
    Rest();
  } else if (!asleep_) {
    StartPhaseAfresh();
  }
}

void SaverShow::OnSuspend() {
  asleep_ = true;
  Rest();
}

void SaverShow::OnResume() {
  asleep_ = false;
  if (!displayOff_) StartPhaseAfresh();
}

void SaverShow::Rest() {
  // The rhythm stops rather than running on in the dark: it would wake the computer each second
  // for nobody, and a phase taken up in its middle would start the clip out of step with it.
  StopTimers();
  parts_.video.Rest();
}

void SaverShow::StartPhaseAfresh() {
  StopTimers();
  if (logoPhase_) {
    parts_.timers.SetEnabled(TimerId::Timer2, true);
  } else {
    StartVideoPhase();
  }
}

void SaverShow::StopTimers() {
  for (const TimerId timer : {TimerId::Timer_loop, TimerId::Timer1, TimerId::Timer2}) {
    parts_.timers.SetEnabled(timer, false);
  }
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
  parts_.video.SetVisible(false);
  parts_.video.Stop();
  parts_.timers.SetEnabled(TimerId::Timer1, false);
  parts_.timers.SetEnabled(TimerId::Timer2, false);
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
