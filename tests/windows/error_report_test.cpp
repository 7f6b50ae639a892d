// The run-time error report in front of the window whose event failed, and the error path of the
// C++ runtime driven in the shipped program: its allocations fail from outside, as when memory has
// run out.
#include <gtest/gtest.h>

#include "tests/windows/out_of_memory.h"
#include "tests/windows/saver_process.h"

#include "resources/resource.h"

namespace torva::testing {
namespace {

constexpr wchar_t kOutOfMemoryReport[] = L"Out of memory\n\nRun-time error 7";

// Whether `upper` lies above `lower` in the z-order of the desktop.
bool IsAbove(HWND upper, HWND lower) {
  for (HWND below = GetWindow(upper, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT)) {
    if (below == lower) return true;
  }
  return false;
}

TEST(ErrorReport, OutOfMemoryOnTheDialogsOkIsReportedByTheDialogAndChangesNothing) {
  ProgramDirectory directory;
  directory.Write(L"torva.txt", kSoundOn);
  SaverProcess saver(directory, L"/c");
  const HWND dialog = saver.WaitForWindow(
      [](HWND window) { return TextOf(window) == L"Torva Video Screensaver"; }, kPatience);
  ASSERT_TRUE(dialog) << "no settings dialog";
  SendMessageW(GetDlgItem(dialog, IDC_SOUND_OFF), BM_CLICK, 0, 0);

  ASSERT_TRUE(RunOutOfMemory(saver.handle()));
  // Posted: the report is modal, so a sent click would not return until it is closed.
  PostMessageW(GetDlgItem(dialog, IDC_OK), BM_CLICK, 0, 0);
  const HWND box = saver.WaitForWindow(IsMessageBox, kPatience);
  ASSERT_TRUE(box) << "no error report";
  EXPECT_EQ(MessageBoxText(box), kOutOfMemoryReport);
  EXPECT_EQ(GetWindow(box, GW_OWNER), dialog) << "the report must be the dialog's";

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(saver.WaitForExit(kPatience), DWORD{7});
  EXPECT_EQ(directory.Read(L"torva.txt"), kSoundOn);
}

// A display change makes the show look at the monitors again, which allocates.
TEST(ErrorReport, OutOfMemoryDuringTheShowIsReportedInFrontOfTheTopmostShowWindow) {
  ProgramDirectory directory;
  directory.Write(L"torva.txt", kSoundOff);
  directory.CopyFromBuild(L"torva.mpg");
  SaverProcess saver(directory, L"/s");
  const HWND show = saver.WaitForWindow([](HWND window) { return ClassNameOf(window) == L"TorvaShow"; },
                                        kPatience);
  ASSERT_TRUE(show) << "no show window";

  ASSERT_TRUE(RunOutOfMemory(saver.handle()));
  PostMessageW(show, WM_DISPLAYCHANGE, 32,
               MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
  const HWND box = saver.WaitForWindow(IsMessageBox, kPatience);
  ASSERT_TRUE(box) << "no error report";
  EXPECT_EQ(MessageBoxText(box), kOutOfMemoryReport);
  EXPECT_EQ(GetWindow(box, GW_OWNER), show);
  EXPECT_TRUE(GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) << "owned by a topmost window";
  EXPECT_TRUE(IsAbove(box, show));

  // The mouse and keys on another monitor reach the show window as these do: while the report is
  // up they end nothing, and the program ends with the report's number.
  for (int x = 10; x < 50; x += 10) PostMessageW(show, WM_MOUSEMOVE, 0, MAKELPARAM(x, x));
  PostMessageW(show, WM_KEYDOWN, VK_SPACE, 0);
  PostMessageW(show, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_FALSE(saver.WaitForExit(500)) << "ended behind its report";
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(saver.WaitForExit(kPatience), DWORD{7});
}

}  // namespace
}  // namespace torva::testing
