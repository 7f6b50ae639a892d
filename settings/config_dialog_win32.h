// The settings dialog, started by "/C".
#pragma once

namespace torva {

class Program;

// Reads the setting, shows the settings dialog, modeless and without an owner, and runs it until
// it ends; then takes it down. A missing or short settings file is reported before anything
// appears.
void RunSettings(Program& program);

}  // namespace torva
