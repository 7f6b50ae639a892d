// The thread's message loop, and letting the events already waiting run in the middle of a handler.
#pragma once

namespace torva {

// Runs until a window posts the quit message; dialogs get their keyboard navigation.
int RunMessageLoop();

// Dispatches the messages already waiting in this thread's queue, then returns, so that the current
// handler continues with other handlers having run nested inside it.
void LetPendingEventsRun();

}  // namespace torva
