// The settings dialog frmConfig, started by "/C".
#pragma once

namespace torva {

// Reads the setting, then shows the settings dialog, modeless and without an owner; returns at
// once. A missing or short settings file is reported before anything appears.
void StartSettings();

}  // namespace torva
