// The C++ runtime's failure paths, replaced for the shipped program. The library's own throw
// helpers build their exceptions with its narrow-string and formatting code, and its terminate
// handler demangles type names onto a console that a GUI program does not have: together about
// 150 KB, more than half as much again as the whole program. Here the helpers throw exceptions
// that carry the library's words and nothing else, which reach the report at the edge of the event
// handler like any other (Program::Run), and the terminate handler reports without allocating.
// Linked into torva.scr alone, as an object, so that these definitions are chosen before the
// library's; a second definition would fail the link.
#include <windows.h>

#include <cxxabi.h>

#include <exception>
#include <new>

#include "startup/program_win32.h"

namespace torva {
namespace {

// Thrown in place of the library's logic errors: the same words, no string object behind them.
class LibraryError final : public std::exception {
 public:
  explicit LibraryError(const char* what) noexcept : what_(what) {}
  const char* what() const noexcept override { return what_; }

 private:
  const char* what_;  // the library passes literals
};

}  // namespace
}  // namespace torva

namespace __gnu_cxx {

// std::terminate ends here only when an exception escapes where nothing catches it (a callback of
// the system's, a destructor) or a second one is thrown while the first unwinds.
void __verbose_terminate_handler() {
  using torva::ErrorCode;
  using torva::ReportLastResort;
  if (abi::__cxa_current_exception_type()) {
    try {
      throw;
    } catch (const torva::RuntimeError& error) {
      ReportLastResort(error.code(), nullptr);
    } catch (const std::bad_alloc&) {
      ReportLastResort(ErrorCode::OutOfMemory, nullptr);
    } catch (const std::exception& error) {
      ReportLastResort(ErrorCode::InternalError, error.what());
    } catch (...) {
    }
  }
  ReportLastResort(ErrorCode::InternalError, "unexpected end");
}

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
// A container or string asked to grow beyond what can be addressed: as good as out of memory.
void __throw_length_error(const char*) { throw bad_alloc(); }
void __throw_logic_error(const char* what) { throw torva::LibraryError(what); }
void __throw_out_of_range(const char* what) { throw torva::LibraryError(what); }
void __throw_out_of_range_fmt(const char* what, ...) { throw torva::LibraryError(what); }
void __throw_invalid_argument(const char* what) { throw torva::LibraryError(what); }
void __throw_bad_function_call() { throw torva::LibraryError("empty function called"); }

}  // namespace std
