// The video control in a window of the test itself: the sample clip plays stretched over the
// control and starts over when it ends, the control's own mouse and key handling survive MCI's
// window inside it, and a missing clip leaves a message on screen instead of ending anything.
#include <windows.h>

#include <gtest/gtest.h>
#include <mmsystem.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "startup/twips.h"
#include "tests/windows/saver_process.h"
#include "video/mci_player.h"
#include "video/mci_video_player_win32.h"

namespace torva::testing {
namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;

// MCI's answer about our clip ("status mode", "where destination"...), or "error N".
std::wstring Ask(const std::wstring& verb, const std::wstring& item) {
  wchar_t text[128] = {};
  const std::wstring command = verb + L" " + kMciAlias + L" " + item;
  const MCIERROR error = mciSendStringW(command.c_str(), text, 128, nullptr);
  return error ? L"error " + std::to_wstring(error) : text;
}

bool IsPlaying() { return Ask(L"status", L"mode") == L"playing"; }

bool WaitUntil(const std::function<bool()>& condition) {
  for (const DWORD start = GetTickCount(); !condition(); PumpFor(20)) {
    if (GetTickCount() - start > 10000) return false;
  }
  return true;
}

int ScreenDpi(int index) {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, index);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// Pixels of the window's client area that are nearly white.
int WhitePixels(HWND window) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const HDC windowDc = GetDC(window);
  const HDC memory = CreateCompatibleDC(windowDc);
  const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, kWidth, kHeight, windowDc, 0, 0, SRCCOPY);
  int white = 0;
  for (const auto* p = static_cast<const unsigned char*>(bits), *end = p + kWidth * kHeight * 4;
       p < end; p += 4) {
    if (p[0] > 200 && p[1] > 200 && p[2] > 200) ++white;
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, windowDc);
  return white;
}

// A top-level window that stands in for the show's, the control in it, and what reaches them.
class VideoPlayerTest : public ::testing::Test, public VideoControlEvents {
 protected:
  VideoPlayerTest() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &HostProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = L"TorvaVideoTestHost";
    RegisterClassW(&windowClass);
    host = CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"", WS_POPUP | WS_VISIBLE,
                           0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetForegroundWindow(host);
    video = std::make_unique<MciVideoPlayer>(host, *this);
  }
  ~VideoPlayerTest() override {
    video.reset();
    DestroyWindow(host);
  }

  // As the show does it, with the control at (40, 30) in the host.
  void Start(const std::wstring& clip) {
    const int dpiX = ScreenDpi(LOGPIXELSX);
    const int dpiY = ScreenDpi(LOGPIXELSY);
    video->SetMute(true);
    video->Move(PixelsToTwips(40, dpiX), PixelsToTwips(30, dpiY), PixelsToTwips(kWidth, dpiX),
                PixelsToTwips(kHeight, dpiY));
    video->SetDeviceType(kMpegVideoDevice);
    video->SetFileName(clip);
    video->SetCommand(kPlayCommand);
    video->SetVisible(true);
  }

  void OnVideoClick() override { ++clicks; }
  void OnVideoMouseMove(ScreenPoint where) override { moves.push_back(where); }

  static LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<VideoPlayerTest*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_KEYDOWN) ++self->hostKeyDowns;
    return DefWindowProcW(window, message, wParam, lParam);
  }

  const std::wstring sampleClip = BuildDirectory() + L"\\torva.mpg";
  ProgramDirectory directory;  // outlives the control, which may hold a clip in it open
  HWND host = nullptr;
  std::unique_ptr<MciVideoPlayer> video;
  int clicks = 0;
  std::vector<ScreenPoint> moves;
  int hostKeyDowns = 0;
};

TEST_F(VideoPlayerTest, SampleClipPlaysStretchedOverTheControlAndClosesWithIt) {
  EXPECT_EQ(GetAncestor(video->hwnd(), GA_PARENT), host);
  EXPECT_FALSE(IsWindowVisible(video->hwnd())) << "created hidden";
  Start(sampleClip);
  EXPECT_TRUE(WaitUntil(IsPlaying)) << ::testing::PrintToString(Ask(L"status", L"mode"));
  EXPECT_TRUE(IsWindowVisible(video->hwnd()));
  RECT client;
  GetClientRect(video->hwnd(), &client);
  EXPECT_EQ(client.right, kWidth);
  EXPECT_EQ(client.bottom, kHeight);
  EXPECT_EQ(Ask(L"where", L"destination"), L"0 0 400 300");

  // Sound on, hide, stop, play and close, all on a playing clip: none of it may hang.
  video->SetMute(false);
  video->SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(video->hwnd()));
  video->SetCommand(kStopCommand);
  EXPECT_EQ(Ask(L"status", L"mode"), L"stopped");
  video->SetCommand(kPlayCommand);
  EXPECT_TRUE(WaitUntil(IsPlaying));
  video.reset();
  EXPECT_EQ(Ask(L"status", L"mode").rfind(L"error", 0), 0u) << "the clip must close with it";
}

TEST_F(VideoPlayerTest, ClipThatEndsStartsOverFromItsBeginning) {
  Start(sampleClip);
  ASSERT_TRUE(WaitUntil(IsPlaying));
  const int length = std::stoi(Ask(L"status", L"length"));

  // Half a second before the end, with the end reported to the control as for its own play.
  mciSendStringW((std::wstring(L"stop ") + kMciAlias).c_str(), nullptr, 0, nullptr);
  const std::wstring nearEnd = std::wstring(L"play ") + kMciAlias + L" from " +
                               std::to_wstring(length - 500) + L" notify";
  ASSERT_EQ(mciSendStringW(nearEnd.c_str(), nullptr, 0, video->hwnd()), 0u);
  EXPECT_TRUE(WaitUntil([] {
    return IsPlaying() && std::stoi(Ask(L"status", L"position")) < 2000;
  })) << ::testing::PrintToString(Ask(L"status", L"mode") + L" at " + Ask(L"status", L"position"));
}

TEST_F(VideoPlayerTest, MouseOverThePictureAndKeysAreTheControlsOwn) {
  Start(sampleClip);
  ASSERT_TRUE(WaitUntil(IsPlaying));
  POINT centre{kWidth / 2, kHeight / 2};
  ClientToScreen(video->hwnd(), &centre);
  EXPECT_EQ(WindowFromPoint(centre), video->hwnd()) << "MCI's window must not take the mouse";

  SetCursorPos(centre.x, centre.y);
  EXPECT_TRUE(WaitUntil([&] { return !moves.empty() && moves.back() == ScreenPoint{centre.x, centre.y}; }))
      << "no mouse move at the pointer's screen position";

  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &input[0], sizeof input[0]);
  PumpFor(50);
  EXPECT_EQ(clicks, 0) << "a click is the press and the release";
  SendInput(1, &input[1], sizeof input[1]);
  EXPECT_TRUE(WaitUntil([&] { return clicks == 1; }));

  SetFocus(video->hwnd());
  ASSERT_EQ(GetFocus(), video->hwnd());
  input[0] = input[1] = INPUT{};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = VK_SPACE;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof input[0]);
  EXPECT_TRUE(WaitUntil([&] { return hostKeyDowns == 1; })) << "the host saw " << hostKeyDowns;
}

TEST_F(VideoPlayerTest, MissingClipLeavesAMessageAndALaterClipStillPlays) {
  Start(directory.File(L"torva.mpg"));
  EXPECT_TRUE(IsWindowVisible(video->hwnd()));
  EXPECT_TRUE(WaitUntil([&] { return WhitePixels(video->hwnd()) > 50; }))
      << "no text in the control";

  // Each play tries again: here the clip has appeared in the meantime.
  video->SetCommand(kStopCommand);
  directory.CopyFromBuild(L"torva.mpg");
  video->SetCommand(kPlayCommand);
  EXPECT_TRUE(WaitUntil(IsPlaying));
}

}  // namespace
}  // namespace torva::testing
