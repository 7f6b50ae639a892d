// Running a saver process out of memory from outside, for the tests of its error path.
#pragma once

#include <windows.h>

namespace torva::testing {

// From now on every allocation that the program's own code asks of the C runtime in `process`
// fails, as it does when memory has run out: its imports of malloc, calloc and realloc are pointed
// at a function that returns null. (Neither Wine nor a test can make the heap itself run dry on
// cue: Wine ignores a job's memory limit, and what the program allocates fits in the heap it
// already has.) The system's own libraries in the process allocate as before, so the report can
// still be shown. False when the process's imports cannot be found or changed.
bool RunOutOfMemory(HANDLE process);

}  // namespace torva::testing
