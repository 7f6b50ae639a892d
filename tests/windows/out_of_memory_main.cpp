// For the end-to-end runs: the running show's process runs out of memory, then hears of a display
// change, as when a monitor wakes, which makes it look at the monitors again and so allocate.
//
//   torva_out_of_memory
//     Exits 0 when done, 1 when there is no show window or its process cannot be changed.
#include <windows.h>

#include "tests/windows/out_of_memory.h"

int wmain() {
  const HWND show = FindWindowW(L"TorvaShow", nullptr);
  if (!show) return 1;
  DWORD processId = 0;
  GetWindowThreadProcessId(show, &processId);
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                         PROCESS_VM_OPERATION, FALSE, processId);
  if (!process || !torva::testing::RunOutOfMemory(process)) return 1;
  CloseHandle(process);
  PostMessageW(show, WM_DISPLAYCHANGE, 32, MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
  return 0;
}
