// The C++ runtime's last-resort error paths, replaced for the shipped program. The library's own
// throw helpers build their exceptions from its narrow-string and formatting code, and its
// terminate handler demangles type names onto a console that a GUI program does not have: together
// about a third of the program's size, for errors that no handler of ours catches anyway (an
// exception escaping a handler ends the program). Here each one shows the error report instead,
// which is also the only way a user would ever see it. Linked into torva.scr alone, as an object,
// so that these definitions are chosen before the library's.
#include <windows.h>

#include <string>

#include "startup/error_report_win32.h"
#include "startup/runtime_error.h"

namespace torva {
namespace {

[[noreturn]] void ReportLibraryError(ErrorCode code, const char* what) noexcept {
  std::wstring subject;
  for (const char* c = what; c && *c; ++c) {
    subject += static_cast<wchar_t>(static_cast<unsigned char>(*c));
  }
  ReportAndEnd(RuntimeError(code, subject));
}

}  // namespace
}  // namespace torva

namespace __gnu_cxx {
void __verbose_terminate_handler() {
  torva::ReportLibraryError(torva::ErrorCode::InternalError, "unexpected end");
}
}  // namespace __gnu_cxx

namespace std {

using torva::ErrorCode;
using torva::ReportLibraryError;

void __throw_bad_alloc() { ReportLibraryError(ErrorCode::OutOfMemory, "memory"); }
void __throw_bad_array_new_length() {
  ReportLibraryError(ErrorCode::OutOfMemory, "array length");
}
void __throw_length_error(const char* what) { ReportLibraryError(ErrorCode::OutOfMemory, what); }
void __throw_logic_error(const char* what) { ReportLibraryError(ErrorCode::InternalError, what); }
void __throw_out_of_range(const char* what) { ReportLibraryError(ErrorCode::InternalError, what); }
void __throw_out_of_range_fmt(const char* what, ...) {
  ReportLibraryError(ErrorCode::InternalError, what);
}
void __throw_invalid_argument(const char* what) { ReportLibraryError(ErrorCode::InternalError, what); }
void __throw_bad_function_call() {
  ReportLibraryError(ErrorCode::InternalError, "empty function called");
}

}  // namespace std
