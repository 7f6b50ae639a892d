// Recording fakes of what the show drives, and a simulated clock that fires its timers, so tests
// can follow the show through minutes of phases in no time and read back every call it made.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "show/saver_show.h"
#include "startup/runtime_error.h"

namespace torva::testing {

using std::chrono::milliseconds;

inline const char* NameOf(TimerId timer) {
  constexpr const char* kNames[] = {"Timer_loop", "Timer1", "Timer2"};
  return kNames[static_cast<int>(timer)];
}

inline std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Every call of every fake, in order, as readable text.
class CallLog {
 public:
  template <class... Parts>
  void Add(const Parts&... parts) {
    std::ostringstream line;
    line << std::boolalpha;
    (line << ... << parts);
    calls_.push_back(line.str());
  }
  const std::vector<std::string>& calls() const { return calls_; }
  void Clear() { calls_.clear(); }

 private:
  std::vector<std::string> calls_;
};

class FakeVideo final : public VideoControl {
 public:
  explicit FakeVideo(CallLog& log) : log_(log) {}
  void SetSound(bool on) override { log_.Add("video.SetSound(", on, ")"); }
  void SetClip(const std::wstring& path) override { log_.Add("video.SetClip(", Narrow(path), ")"); }
  void Play() override {
    log_.Add("video.Play");
    playing = true;
    resting = false;
  }
  void Stop() override {
    log_.Add("video.Stop");
    playing = false;
    resting = false;
  }
  void SetVisible(bool isVisible) override {
    log_.Add("video.SetVisible(", isVisible, ")");
    visible = isVisible;
  }
  void Move(float left, float top, float width, float height) override {
    log_.Add("video.Move(", left, ",", top, ",", width, ",", height, ")");
  }
  void Rest() override {
    log_.Add("video.Rest");
    playing = false;
    resting = true;
  }

  bool visible = false;
  bool playing = false;
  bool resting = false;

 private:
  CallLog& log_;
};

class FakeLogo final : public Logo {
 public:
  explicit FakeLogo(CallLog& log) : log_(log) {}
  void SetVisible(bool isVisible) override {
    log_.Add("logo.SetVisible(", isVisible, ")");
    visible = isVisible;
  }
  void Move(float newLeft, float newTop) override {
    log_.Add("logo.Move(", newLeft, ",", newTop, ")");
    left = newLeft;
    top = newTop;
  }
  float Width() const override { return width; }
  float Height() const override { return height; }

  bool visible = false;
  float left = 2820, top = 2880;
  float width = 5820, height = 4395;  // 388 x 293 pixels at 96 DPI

 private:
  CallLog& log_;
};

class FakeShell final : public Shell {
 public:
  explicit FakeShell(CallLog& log) : log_(log) {}
  void OpenWebAddress(const wchar_t* address) override { log_.Add("shell.Open(", Narrow(address), ")"); }

 private:
  CallLog& log_;
};

class FakeProgram final : public Program {
 public:
  explicit FakeProgram(CallLog& log) : log_(log) {}
  bool ReadSoundSetting() override {
    log_.Add("program.ReadSoundSetting");
    if (readError) throw RuntimeError(*readError, L"C:\\saver\\torva.txt");
    return soundOn;
  }
  void LetPendingEventsRun() override { log_.Add("program.LetPendingEventsRun"); }
  void End() override {
    log_.Add("program.End");
    ended = true;
  }

  bool soundOn = false;
  std::optional<ErrorCode> readError;
  bool ended = false;

 private:
  CallLog& log_;
};

// Logs the show's timer calls and passes them on to the real timer behaviour.
class RecordingTimers final : public Timers {
 public:
  RecordingTimers(CallLog& log, Timers& inner) : log_(log), inner_(inner) {}
  void SetEnabled(TimerId timer, bool enabled) override {
    log_.Add(NameOf(timer), ".SetEnabled(", enabled, ")");
    inner_.SetEnabled(timer, enabled);
  }
  void SetInterval(TimerId timer, milliseconds interval) override {
    log_.Add(NameOf(timer), ".SetInterval(", interval.count(), ")");
    inner_.SetInterval(timer, interval);
  }

 private:
  CallLog& log_;
  Timers& inner_;
};

// Periodic platform timers on a simulated clock; handlers take no time.
class FakeClock final : public TimerDriver {
 public:
  void Start(TimerId timer, milliseconds interval) override {
    running_[timer] = Running{now_ + interval, interval};
  }
  void Stop(TimerId timer) override { running_.erase(timer); }

  bool IsRunning(TimerId timer) const { return running_.count(timer) > 0; }
  bool AnyRunning() const { return !running_.empty(); }
  milliseconds now() const { return now_; }

  // The next tick at or before `until`, with the clock moved to it; nothing when there is none.
  std::optional<TimerId> NextTick(milliseconds until) {
    std::optional<TimerId> next;
    for (const auto& [timer, running] : running_) {
      if (running.due <= until && (!next || running.due < running_.at(*next).due)) next = timer;
    }
    if (!next) {
      now_ = until;
      return std::nullopt;
    }
    Running& running = running_.at(*next);
    now_ = running.due;
    running.due += running.interval;
    return next;
  }

 private:
  struct Running {
    milliseconds due;
    milliseconds interval;
  };
  milliseconds now_{0};
  std::map<TimerId, Running> running_;
};

// The show with all its parts faked, on a 1024 x 768 screen at 96 DPI unless told otherwise.
struct ShowRig {
  explicit ShowRig(ScreenSize screen = {15360, 11520})
      : show({video, logo, recordingTimers, shell, program}, screen, L"C:\\saver\\torva.mpg") {}

  void Load(ScreenPoint pointer = {512, 384}) { show.OnLoad(pointer); }

  // Runs every tick up to `when` after the load, each through the window's check.
  void RunUntil(milliseconds when) {
    while (const auto timer = clock.NextTick(when)) {
      if (timers.Fires(*timer)) show.OnTimer(*timer);
    }
  }
  void RunFor(milliseconds span) { RunUntil(clock.now() + span); }

  // What the screen shows: the video covers the logo whenever it is visible.
  std::string OnScreen() const {
    if (video.visible) return "video";
    return logo.visible ? "logo" : "black";
  }

  CallLog log;
  FakeVideo video{log};
  FakeLogo logo{log};
  FakeShell shell{log};
  FakeProgram program{log};
  FakeClock clock;
  ShowTimers timers{clock};
  RecordingTimers recordingTimers{log, timers};
  SaverShow show;
};

}  // namespace torva::testing
