// The program's life: running, reporting a failure, ending.
#include "startup/program_life.h"

namespace torva {

void ProgramLife::End(int exitCode) {
  if (state_ != State::Running) return;
  state_ = State::Ending;
  exitCode_ = exitCode;
}

bool ProgramLife::BeginReport(int exitCode) {
  if (state_ != State::Running) return false;
  state_ = State::Reporting;
  exitCode_ = exitCode;
  return true;
}

void ProgramLife::EndReport() {
  if (state_ == State::Reporting) state_ = State::Ending;
}

}  // namespace torva
