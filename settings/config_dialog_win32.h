// The settings dialog.
#pragma once

namespace torva {

// Shows the settings dialog, modeless and without an owner; returns at once.
void StartSettings();

}  // namespace torva
