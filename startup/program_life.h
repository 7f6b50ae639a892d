// How the program's life goes, whichever mode runs: it runs its events until something asks it to
// end, with an exit code; a failure is reported once, with no event run while the report is up,
// and the program then ends with the report's number.
#pragma once

namespace torva {

class ProgramLife {
 public:
  // Asks for the end. The first request's code stands: a key press on another monitor while a
  // report is up, or a second close, changes nothing.
  void End(int exitCode);

  // Whether a failure is to be reported now: only the first one, and not once the end is under
  // way. Afterwards no event runs, and the exit code is the failure's.
  bool BeginReport(int exitCode);

  // The report is closed: the program ends with its number.
  void EndReport();

  // Events reach the mode's handlers only while it runs: not while a report is up, nor once the
  // end was asked for.
  bool RunsEvents() const { return state_ == State::Running; }
  bool Ended() const { return state_ == State::Ending; }
  int exitCode() const { return exitCode_; }

 private:
  enum class State { Running, Reporting, Ending };
  State state_ = State::Running;
  int exitCode_ = 0;
};

}  // namespace torva
