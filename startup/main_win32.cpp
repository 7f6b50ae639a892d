// The program's entry point: read the switch the host started us with and start that one mode.
#include <windows.h>

#include "preview/preview_window_win32.h"
#include "settings/config_dialog_win32.h"
#include "show/saver_window_win32.h"
#include "startup/command_line.h"
#include "startup/error_report_win32.h"
#include "startup/message_loop_win32.h"
#include "startup/system_library_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace torva;
  LoadLibrariesFromSystemOnly();
  PrepareErrorReports();
  return RunGuarded(nullptr, [] {
    const Command command = ParseCommand(CommandTail(GetCommandLineW()));
    switch (command.mode) {
      case Mode::Preview: StartPreview(command.hostWindow); break;
      case Mode::Settings: StartSettings(); break;
      case Mode::Show: StartShow(); break;
      case Mode::Password:
        MessageBoxW(nullptr, kPasswordMessage, kPasswordTitle, MB_OK | MB_ICONINFORMATION);
        return 0;
      case Mode::None: return 0;
    }
    // Each mode's window ends the loop when it goes, so the process never outlives its windows.
    return RunMessageLoop();
  });
}
