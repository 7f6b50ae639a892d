// What the full-screen show does: a video phase and a logo phase in turn, at rest while nobody can
// see it, ended by user activity. Decided here and carried out by the window through the narrow
// interfaces below.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "video/video_control.h"

namespace torva {

// The clip runs this long from its start, then the logo shows this long on black, in turn.
inline constexpr std::chrono::milliseconds kVideoPhaseLength{42'000};
inline constexpr std::chrono::milliseconds kLogoPhaseLength{5'000};

// The logo picture, on black. Positions and sizes in twips.
class Logo {
 public:
  virtual ~Logo() = default;
  virtual void SetVisible(bool visible) = 0;
  virtual void Move(float left, float top) = 0;
  virtual float Width() const = 0;
  virtual float Height() const = 0;
};

// One timer for the end of the current phase.
class PhaseTimer {
 public:
  virtual ~PhaseTimer() = default;
  // OnTimer comes once, `delay` from now, unless cancelled or started again first.
  virtual void Start(std::chrono::milliseconds delay) = 0;
  virtual void Cancel() = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Hands `address` to the shell's "open" verb on behalf of the show window.
  virtual void OpenWebAddress(const wchar_t* address) = 0;
};

// What the show asks of the program it runs in.
class ProgramControl {
 public:
  virtual ~ProgramControl() = default;
  // Sound on or off from the settings file; throws RuntimeError when the file is missing or short.
  virtual bool ReadSoundSetting() = 0;
  virtual void LetPendingEventsRun() = 0;
  // Asks for the end of the program: no event of the show runs after the current one. Every caller
  // makes this its last step.
  virtual void End() = 0;
};

struct ShowParts {
  VideoControl& video;
  Logo& logo;
  PhaseTimer& timer;
  Shell& shell;
  ProgramControl& program;
};

// The screen in twips, as the window measures it.
struct ScreenSize {
  float width = 0;
  float height = 0;
};

// Times (`now`) are readings of any steady clock.
class SaverShow {
 public:
  enum class Phase { Video, Logo };

  // `clipPath` is the clip beside the program.
  SaverShow(const ShowParts& parts, ScreenSize screen, std::wstring clipPath);

  // Reads the setting and starts the first video phase; `pointer` is where the mouse pointer is.
  void Start(ScreenPoint pointer, std::chrono::milliseconds now);
  // The phase timer went off; a tick that was on its way when the timer was stopped or started
  // again is told apart by the time.
  void OnTimer(std::chrono::milliseconds now);

  // Activity: each kind counts on its own and ends the show at its own threshold.
  void OnKeyDown();
  void OnMouseDown();
  void OnMouseMove(ScreenPoint where);
  void OnVideoClick();
  void OnVideoMouseMove(ScreenPoint where);

  // A click on the visible logo opens the product's web address and ends the show.
  void OnLogoClick();

  // The display configuration changed: the screen is now `screen`, and the pointer, which the
  // system may have moved onto it, rests at `pointer`.
  void OnDisplayChange(ScreenSize screen, ScreenPoint pointer);

  // The display's state as the system reports it: 0 off, 1 on, 2 dimmed, which counts as on, and
  // so does a value it may add later (a show that plays on costs power, one that rests by mistake
  // shows a still picture). While the display is off, or while the computer sleeps, the show rests: no timer runs, and the clip stops and lets go of the sound device. Once
  // a person can see it again, the phase it rested in starts afresh, once: the clip from its start
  // for a whole video phase, or the logo for its whole time. Activity counts throughout, as ever.
  void OnDisplayState(unsigned long state, std::chrono::milliseconds now);
  void OnSuspend();
  // The computer woke. A wake timer or maintenance wakes it with nobody there and the display
  // staying off: the show rests on (also without a suspend before it, whatever the sleep did to
  // the clip) until a person's wake, or the display coming on, says somebody is there.
  void OnWake(bool personPresent, std::chrono::milliseconds now);

  // A run-time error is being reported: the phase and the clip stop behind the report.
  void StopForReport();

  Phase phase() const { return phase_; }
  bool resting() const { return displayOff_ || asleep_; }

 private:
  void SwitchToVideo(std::chrono::milliseconds now);
  void SwitchToLogo(std::chrono::milliseconds now);
  void EndPhaseAfter(std::chrono::milliseconds length, std::chrono::milliseconds now);
  void StopPhase();
  void FollowRest(bool wasResting, std::chrono::milliseconds now);
  void CentreLogo();
  void Count(std::int16_t& counter, int threshold);
  // Whether the pointer has really moved since it was last seen.
  bool PointerMoved(ScreenPoint where);

  ShowParts parts_;
  ScreenSize screen_;
  std::wstring clipPath_;

  Phase phase_ = Phase::Video;
  std::optional<std::chrono::milliseconds> phaseEnd_;  // none while the show rests or is stopped
  bool logoShown_ = false;                // once shown, the logo stays, under the video in its phases
  bool displayOff_ = false;
  bool asleep_ = false;  // from a sleep until a person is known to be there

  // Activity since the window was created; never reset, so a second key press an hour after
  // the first still ends the show.
  std::int16_t keyDowns_ = 0;
  std::int16_t mouseDowns_ = 0;
  std::int16_t mouseMoves_ = 0;
  std::int16_t videoClicks_ = 0;
  std::int16_t videoMouseMoves_ = 0;
  ScreenPoint lastPointer_;
};

}  // namespace torva
