// The show's three timers, and timers that behave the way the cycle relies on (an enabled flag and
// an interval, each change taking effect at once) built over a plain start/stop timer.
#pragma once

#include <array>
#include <chrono>

namespace torva {

enum class TimerId {
  Timer_loop,  // one tick of a video phase
  Timer1,      // the wait between the last tick and the switch to the logo
  Timer2,      // how long the logo stays
};

inline constexpr std::chrono::milliseconds kTimerLoopInterval{1000};
inline constexpr std::chrono::milliseconds kTimer1Interval{2000};
inline constexpr std::chrono::milliseconds kTimer2Interval{5000};
// Ticks of Timer_loop in one video phase before the switch to the logo is armed.
inline constexpr int kTicksPerVideoPhase = 40;

// What the show does with a timer. Each starts disabled with interval 0.
class Timers {
 public:
  virtual ~Timers() = default;
  virtual void SetEnabled(TimerId timer, bool enabled) = 0;
  virtual void SetInterval(TimerId timer, std::chrono::milliseconds interval) = 0;
};

// A timer of the platform that fires every `interval` from Start until Stop; starting a running
// timer starts its interval over.
class TimerDriver {
 public:
  virtual ~TimerDriver() = default;
  virtual void Start(TimerId timer, std::chrono::milliseconds interval) = 0;
  virtual void Stop(TimerId timer) = 0;
};

// A timer runs exactly while it is enabled with an interval above 0. Enabling it, or setting the
// interval of an enabled one, starts a full interval from that moment, so the show's one-shot
// habit (disable first, re-arm at the end) gives phases of exact length.
class ShowTimers final : public Timers {
 public:
  explicit ShowTimers(TimerDriver& driver) : driver_(driver) {}

  void SetEnabled(TimerId timer, bool enabled) override;
  void SetInterval(TimerId timer, std::chrono::milliseconds interval) override;

  // Whether a tick of `timer` that reaches the window should run its handler: a tick that was
  // already queued when the timer was disabled must not.
  bool Fires(TimerId timer) const;

 private:
  struct State {
    bool enabled = false;
    std::chrono::milliseconds interval{0};
  };

  State& StateOf(TimerId timer) { return states_[static_cast<std::size_t>(timer)]; }
  void Apply(TimerId timer);

  TimerDriver& driver_;
  std::array<State, 3> states_{};
};

}  // namespace torva
