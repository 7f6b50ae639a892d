// The show window as other programs see it: what it covers, what it carries, and that the process
// goes with it.
#include <gtest/gtest.h>

#include "tests/windows/saver_process.h"

namespace torva::testing {
namespace {

bool IsShowWindow(HWND window) { return TextOf(window) == L"Form1" && !IsMessageBox(window); }

// A show started from a program directory of its own, muted, and its window once it is there.
struct RunningShow {
  RunningShow() {
    directory.Write(L"torva.txt", kSoundOff);
    directory.CopyFromBuild(L"torva.mpg");
    saver.emplace(directory, L"/s");
    window = saver->WaitForWindow(IsShowWindow, kPatience);
  }

  ProgramDirectory directory;
  std::optional<SaverProcess> saver;
  HWND window = nullptr;
};

TEST(Show, WindowIsABorderlessTopmostPopupOverTheScreenWithTheLogoHiddenInside) {
  RunningShow running;
  const HWND show = running.window;
  ASSERT_TRUE(show) << "no show window";
  SaverProcess& saver = *running.saver;

  RECT rect;
  GetWindowRect(show, &rect);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
  const LONG_PTR style = GetWindowLongPtrW(show, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER)) << std::hex << style;
  EXPECT_TRUE(GetWindowLongPtrW(show, GWL_EXSTYLE) & WS_EX_TOPMOST);
  // Wine answers neither GetClassLongPtr nor WM_GETICON for another process's window, so icon
  // and cursors are not checked here (the end-to-end run reads the icon from the X window).

  const HWND logo = FindWindowExW(show, nullptr, L"TorvaLogo", nullptr);
  ASSERT_TRUE(logo) << "no logo window";
  EXPECT_FALSE(IsWindowVisible(logo)) << "hidden until the first switch";
  RECT logoRect;
  GetWindowRect(logo, &logoRect);
  EXPECT_EQ(logoRect.left, 188);
  EXPECT_EQ(logoRect.top, 192);
  EXPECT_EQ(logoRect.right - logoRect.left, 388);
  EXPECT_EQ(logoRect.bottom - logoRect.top, 293);

  // The logo lies below the video, which covers it whenever both are shown.
  EXPECT_EQ(GetWindow(logo, GW_HWNDNEXT), nullptr);
  EXPECT_TRUE(saver.IsRunning());
}

TEST(Show, ProcessEndsWithItsWindowHoweverTheWindowIsClosed) {
  RunningShow running;
  const HWND show = running.window;
  ASSERT_TRUE(show) << "no show window";
  SaverProcess& saver = *running.saver;
  PostMessageW(show, WM_CLOSE, 0, 0);
  EXPECT_EQ(saver.WaitForExit(kPatience), DWORD{0});
}

// The system asks the foreground window to start the saver when the user has been idle; the running
// show is the saver, so the request must not reach the default handling, whatever the four low
// bits that the system keeps for itself hold. Known difference: under Wine the default handling
// of the plain command does nothing visible, but with the low bit set it opens Wine's About box,
// a window of the saver's process that shows the request got through; on Windows it would start
// the chosen saver.
TEST(Show, KeepsTheSystemsRequestToStartASaverFromTheDefaultHandling) {
  RunningShow running;
  const HWND show = running.window;
  ASSERT_TRUE(show) << "no show window";
  SaverProcess& saver = *running.saver;
  for (const WPARAM command : {WPARAM{SC_SCREENSAVE}, WPARAM{SC_SCREENSAVE | 1}}) {
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutW(show, WM_SYSCOMMAND, command, 0, SMTO_NORMAL, 2000, &result))
        << "the show is still busy with the request " << std::hex << command;
  }
  EXPECT_EQ(saver.VisibleWindows(), std::vector<HWND>{show});
  EXPECT_TRUE(saver.IsRunning());
}

}  // namespace
}  // namespace torva::testing
