// Timers with an enabled flag and an interval, over a plain start/stop timer.
#include "show/show_timers.h"

namespace torva {

void ShowTimers::SetEnabled(TimerId timer, bool enabled) {
  State& state = StateOf(timer);
  // Enabling an enabled timer changes nothing; only the step from disabled starts it afresh.
  if (state.enabled == enabled) return;
  state.enabled = enabled;
  Apply(timer);
}

void ShowTimers::SetInterval(TimerId timer, std::chrono::milliseconds interval) {
  StateOf(timer).interval = interval;
  Apply(timer);
}

bool ShowTimers::Fires(TimerId timer) const {
  const State& state = states_[static_cast<std::size_t>(timer)];
  return state.enabled && state.interval.count() > 0;
}

void ShowTimers::Apply(TimerId timer) {
  const State& state = StateOf(timer);
  if (Fires(timer)) {
    driver_.Start(timer, state.interval);
  } else {
    driver_.Stop(timer);
  }
}

}  // namespace torva
