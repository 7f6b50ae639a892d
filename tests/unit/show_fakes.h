// Fakes of what the show drives, each keeping the state the platform would (a stopped clip does not
// play, a cancelled timer does not go off), and a simulated clock, so tests can follow the show
// through hours of phases in no time and look at what the user would see.
#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>

#include "show/saver_show.h"
#include "startup/runtime_error.h"

namespace torva::testing {

using std::chrono::milliseconds;

class FakeVideo final : public VideoControl {
 public:
  void SetSound(bool on) override { sound = on; }
  void SetClip(const std::wstring& path) override { clip = path; }
  void Play() override {
    playing = true;
    resting = false;
    ++plays;
  }
  void Stop() override { playing = false; }
  void Rest() override {
    playing = false;
    resting = true;
  }
  void Close() override {
    playing = false;
    closed = true;
  }
  void SetVisible(bool isVisible) override { visible = isVisible; }
  void Move(float left, float top, float width, float height) override { area = {left, top, width, height}; }

  std::optional<bool> sound;
  std::wstring clip;
  bool playing = false;
  bool resting = false;
  bool closed = false;
  bool visible = false;
  int plays = 0;
  std::array<float, 4> area{};  // left, top, width, height
};

class FakeLogo final : public Logo {
 public:
  void SetVisible(bool isVisible) override { visible = isVisible; }
  void Move(float newLeft, float newTop) override {
    left = newLeft;
    top = newTop;
  }
  float Width() const override { return width; }
  float Height() const override { return height; }

  bool visible = false;
  float left = 2820, top = 2880;
  float width = 5820, height = 4395;  // 388 x 293 pixels at 96 DPI
};

// One-shot, on the rig's clock.
class FakeTimer final : public PhaseTimer {
 public:
  explicit FakeTimer(const milliseconds& now) : now_(now) {}
  void Start(milliseconds delay) override { due = now_ + delay; }
  void Cancel() override { due.reset(); }

  std::optional<milliseconds> due;

 private:
  const milliseconds& now_;
};

class FakeShell final : public Shell {
 public:
  void OpenWebAddress(const wchar_t* address) override { opened = address; }
  std::wstring opened;
};

class FakeProgram final : public ProgramControl {
 public:
  bool ReadSoundSetting() override {
    if (readError) throw RuntimeError(*readError, L"C:\\saver\\torva.txt");
    return soundOn;
  }
  void LetPendingEventsRun() override { ++pendingEventRuns; }
  void End() override {
    ended = true;
    pendingEventRunsAtEnd = pendingEventRuns;
  }

  bool soundOn = false;
  std::optional<ErrorCode> readError;
  int pendingEventRuns = 0;
  bool ended = false;
  int pendingEventRunsAtEnd = 0;
};

// The show with all its parts faked, on a 1024 x 768 screen at 96 DPI unless told otherwise,
// started at 0 on its clock.
struct ShowRig {
  explicit ShowRig(ScreenSize screen = {15360, 11520})
      : show({video, logo, timer, shell, program}, screen, L"C:\\saver\\torva.mpg") {}

  void Start(ScreenPoint pointer = {512, 384}) { show.Start(pointer, now); }

  // Lets the clock run to `when`, the timer going off on its way as the window passes it on.
  void RunUntil(milliseconds when) {
    while (timer.due && *timer.due <= when) {
      now = *timer.due;
      timer.due.reset();
      show.OnTimer(now);
    }
    now = when;
  }
  void RunFor(milliseconds span) { RunUntil(now + span); }

  // What the screen shows: the video covers the logo whenever it is visible.
  std::string OnScreen() const {
    if (video.visible) return "video";
    return logo.visible ? "logo" : "black";
  }

  milliseconds now{0};
  FakeVideo video;
  FakeLogo logo;
  FakeTimer timer{now};
  FakeShell shell;
  FakeProgram program;
  SaverShow show;
};

}  // namespace torva::testing
