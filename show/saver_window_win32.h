// The full-screen show.
#pragma once

namespace torva {

class Program;

// Runs the show until it ends, then takes it down. When a show is already running, returns at
// once without a word.
void RunShow(Program& program);

}  // namespace torva
