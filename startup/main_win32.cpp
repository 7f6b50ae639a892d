// The program's entry point: read the switch the host started us with and run that one mode.
#include <windows.h>

#include "preview/preview_window_win32.h"
#include "settings/config_dialog_win32.h"
#include "show/saver_window_win32.h"
#include "startup/command_line.h"
#include "startup/program_win32.h"
#include "startup/system_library_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace torva;
  LoadLibrariesFromSystemOnly();
  Program program;
  // Each mode returns once its loop has ended and what it held is taken down; a failure on the
  // way has been reported, and the exit code is its number.
  program.Run(nullptr, [&program] {
    const Command command = ParseCommand(CommandTail(GetCommandLineW()));
    switch (command.mode) {
      case Mode::Preview: RunPreview(program, command.hostWindow); break;
      case Mode::Settings: RunSettings(program); break;
      case Mode::Show: RunShow(program); break;
      case Mode::Password:
        MessageBoxW(nullptr, kPasswordMessage, kPasswordTitle, MB_OK | MB_ICONINFORMATION);
        break;
      case Mode::None: break;
    }
  });
  return program.exitCode();
}
