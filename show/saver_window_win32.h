// The full-screen show.
#pragma once

namespace torva {

// Creates and shows the saver window; returns at once, the show runs in the message loop.
void StartShow();

}  // namespace torva
