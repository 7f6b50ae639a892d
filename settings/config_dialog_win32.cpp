// The settings dialog (not built yet: reads the setting so a broken file is reported, then ends).
#include "settings/config_dialog_win32.h"

#include <windows.h>

#include "settings/win32_file_system.h"

namespace torva {

void StartSettings() {
  ReadProgramSoundSetting();
  PostQuitMessage(0);
}

}  // namespace torva
