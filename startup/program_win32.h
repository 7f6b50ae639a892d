// The program's life on Windows, one per process: the message loop, the one way to end it, and
// the run-time error report, shown once with everything else stopped.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <new>

#include "startup/program_life.h"
#include "startup/runtime_error.h"

namespace torva {

// Made first thing in the process, it lives until the process ends. Every event handler of every
// window runs through Run; the mode's owner runs the loop and, after it, takes down what the mode
// holds, in one order and with no handler of ours on the stack.
class Program {
 public:
  Program();
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Runs an event handler of `window` (none for the start-up), unless a report is up or the end
  // was asked for. An exception that escapes it is reported, once, and ends the program with its
  // number: exceptions must not unwind through the system's own frames. True when the handler ran
  // to its end.
  template <class Handler>
  bool Run(HWND window, Handler&& handler) noexcept {
    if (!life_.RunsEvents()) return false;
    try {
      handler();
      return true;
    } catch (const RuntimeError& error) {
      Report(error, window);
    } catch (const std::bad_alloc&) {
      ReportFixed(ErrorCode::OutOfMemory, nullptr, window);
    } catch (const std::exception& error) {
      ReportFixed(ErrorCode::InternalError, error.what(), window);
    } catch (...) {
      ReportFixed(ErrorCode::InternalError, "unknown exception", window);
    }
    return false;
  }

  // What the mode stops while a report is up, such as the show's timers and clip. It must not
  // throw; nothing is stopped once it is cleared (empty).
  void StopForReportsWith(std::function<void()> stop) { stopForReport_ = std::move(stop); }

  // The one way to end: the loop stops once the handler that asked returns, and no event of ours
  // runs after it.
  void End(int exitCode);
  bool Ended() const { return life_.Ended(); }
  int exitCode() const { return life_.exitCode(); }

  // Runs the thread's messages until the end is asked for; returns the exit code.
  int RunMessageLoop();

  // Dispatches the messages already waiting in this thread's queue, then returns, so that the
  // current handler continues with other handlers having run nested inside it.
  void LetPendingEventsRun();

  // The C++ runtime's last resort (memory has run out in operator new, or std::terminate): the
  // report without allocating, then the process ends at once, since the frames below cannot be
  // returned to.
  [[noreturn]] void ReportAndTerminate(ErrorCode code, const char* what) noexcept;

 private:
  void Report(const RuntimeError& error, HWND window) noexcept;
  void ReportFixed(ErrorCode code, const char* what, HWND window) noexcept;
  bool BeginReport(ErrorCode code) noexcept;
  void EndReport() noexcept;

  ProgramLife life_;
  std::function<void()> stopForReport_;
};

// What the C++ runtime's failure handlers call; without a Program alive it reports all the same.
[[noreturn]] void ReportLastResort(ErrorCode code, const char* what) noexcept;

}  // namespace torva
