// The full-screen show.
#pragma once

namespace torva {

// Creates the saver window, runs its load and shows it; returns at once, the show runs in the
// message loop. When a show is already running, ends the process at once without a word.
void StartShow();

}  // namespace torva
