// The video control in a window of the test itself: the sample clip plays stretched over the
// control and starts over when it ends, the control's own mouse and key handling survive MCI's
// window inside it, and a missing clip leaves a message on screen instead of ending anything.
#include <windows.h>

#include <gtest/gtest.h>
#include <mmsystem.h>

#include <functional>
#include <string>
#include <vector>

#include "startup/twips.h"
#include "tests/windows/saver_process.h"
#include "video/mci_player.h"
#include "video/mci_video_player_win32.h"

namespace torva::testing {
namespace {

constexpr DWORD kPatience = 10000;
constexpr int kWidth = 400;
constexpr int kHeight = 300;
const std::wstring kAlias = kMciAlias;

// MCI's answer about our clip ("status" or "where"), or "error N".
std::wstring Ask(const std::wstring& verb, const std::wstring& item) {
  wchar_t text[128] = {};
  const std::wstring command = verb + L" " + kAlias + L" " + item;
  const MCIERROR error =
      mciSendStringW(command.c_str(), text, static_cast<UINT>(std::size(text)), nullptr);
  return error ? L"error " + std::to_wstring(error) : text;
}

std::wstring Status(const std::wstring& item) { return Ask(L"status", item); }

bool IsOpen() { return Status(L"mode").rfind(L"error", 0) != 0; }

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds = kPatience) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > milliseconds) return false;
    PumpFor(20);
  }
  return true;
}

struct Recorder final : VideoControlEvents {
  int clicks = 0;
  std::vector<ScreenPoint> moves;
  void OnVideoClick() override { ++clicks; }
  void OnVideoMouseMove(ScreenPoint where) override { moves.push_back(where); }
};

// A top-level window standing in for the show's: it counts the key presses it is sent.
class HostWindow {
 public:
  HostWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = L"TorvaVideoTestHost";
    RegisterClassW(&windowClass);
    hwnd_ = CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"Video host",
                            WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 640, 480, nullptr,
                            nullptr, windowClass.hInstance, this);
    SetForegroundWindow(hwnd_);
    PumpFor(0);
  }
  ~HostWindow() { DestroyWindow(hwnd_); }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  int keyDowns = 0;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_KEYDOWN) ++self->keyDowns;
    return DefWindowProcW(window, message, wParam, lParam);
  }

  HWND hwnd_ = nullptr;
};

int ScreenDpi(int index) {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, index);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// The control at (40, 30) in the host, kWidth x kHeight pixels, given in twips as the show does.
void Place(VideoControl& video) {
  const int dpiX = ScreenDpi(LOGPIXELSX);
  const int dpiY = ScreenDpi(LOGPIXELSY);
  video.Move(PixelsToTwips(40, dpiX), PixelsToTwips(30, dpiY), PixelsToTwips(kWidth, dpiX),
             PixelsToTwips(kHeight, dpiY));
}

void Start(VideoControl& video, const std::wstring& clip) {
  video.SetMute(true);
  Place(video);
  video.SetDeviceType(kMpegVideoDevice);
  video.SetFileName(clip);
  video.SetCommand(kPlayCommand);
  video.SetVisible(true);
}

std::wstring SampleClip() { return BuildDirectory() + L"\\torva.mpg"; }

// Pixels of the window's client area that are nearly white.
int WhitePixels(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const HDC windowDc = GetDC(window);
  const HDC memory = CreateCompatibleDC(windowDc);
  const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, client.right, client.bottom, windowDc, 0, 0, SRCCOPY);
  int white = 0;
  const auto* pixel = static_cast<const unsigned char*>(bits);
  for (long i = 0; i < static_cast<long>(client.right) * client.bottom; ++i, pixel += 4) {
    if (pixel[0] > 200 && pixel[1] > 200 && pixel[2] > 200) ++white;
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, windowDc);
  return white;
}

void SendMouse(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

POINT CentreOf(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  POINT centre{client.right / 2, client.bottom / 2};
  ClientToScreen(window, &centre);
  return centre;
}

TEST(VideoPlayer, SampleClipPlaysStretchedOverTheControlAndClosesWithIt) {
  HostWindow host;
  Recorder events;
  {
    MciVideoPlayer video(host.hwnd(), events);
    EXPECT_EQ(GetAncestor(video.hwnd(), GA_PARENT), host.hwnd());
    EXPECT_FALSE(IsWindowVisible(video.hwnd())) << "created hidden";
    Start(video, SampleClip());

    EXPECT_TRUE(WaitUntil([] { return Status(L"mode") == L"playing"; }))
        << "mode " << ::testing::PrintToString(Status(L"mode"));
    EXPECT_TRUE(IsWindowVisible(video.hwnd()));
    RECT client;
    GetClientRect(video.hwnd(), &client);
    EXPECT_EQ(client.right, kWidth);
    EXPECT_EQ(client.bottom, kHeight);
    EXPECT_EQ(Ask(L"where", L"destination"),
              L"0 0 " + std::to_wstring(kWidth) + L" " + std::to_wstring(kHeight));
    // Sound on, hide, stop, play and finally close, all on a playing clip: none of it may hang.
    video.SetMute(false);
    video.SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(video.hwnd()));
    video.SetCommand(kStopCommand);
    EXPECT_EQ(Status(L"mode"), L"stopped");
    video.SetCommand(kPlayCommand);
    EXPECT_TRUE(WaitUntil([] { return Status(L"mode") == L"playing"; }));
  }
  EXPECT_FALSE(IsOpen()) << "the clip must be closed with the control";
}

TEST(VideoPlayer, ClipThatEndsStartsOverFromItsBeginning) {
  HostWindow host;
  Recorder events;
  MciVideoPlayer video(host.hwnd(), events);
  Start(video, SampleClip());
  ASSERT_TRUE(WaitUntil([] { return Status(L"mode") == L"playing"; }));
  const int length = std::stoi(Status(L"length"));
  ASSERT_GT(length, 2000);

  // Half a second before the end, with the end reported to the control as its own play would be.
  mciSendStringW((L"stop " + kAlias).c_str(), nullptr, 0, nullptr);
  const std::wstring nearEnd = L"play " + kAlias + L" from " + std::to_wstring(length - 500) + L" notify";
  ASSERT_EQ(mciSendStringW(nearEnd.c_str(), nullptr, 0, video.hwnd()), 0u);
  EXPECT_TRUE(WaitUntil([] {
    const std::wstring position = Status(L"position");
    return Status(L"mode") == L"playing" && std::stoi(position) > 0 && std::stoi(position) < 2000;
  })) << "mode " << ::testing::PrintToString(Status(L"mode")) << ", position "
      << ::testing::PrintToString(Status(L"position"));
}

TEST(VideoPlayer, MouseOverThePictureAndKeysAreTheControlsOwn) {
  HostWindow host;
  Recorder events;
  MciVideoPlayer video(host.hwnd(), events);
  Start(video, SampleClip());
  ASSERT_TRUE(WaitUntil([] { return Status(L"mode") == L"playing"; }));

  const POINT centre = CentreOf(video.hwnd());
  EXPECT_EQ(WindowFromPoint(centre), video.hwnd()) << "MCI's window must not take the mouse";

  events.moves.clear();
  SetCursorPos(centre.x, centre.y);
  EXPECT_TRUE(WaitUntil([&] {
    for (const ScreenPoint& move : events.moves) {
      if (move == ScreenPoint{centre.x, centre.y}) return true;
    }
    return false;
  })) << "no mouse move at the pointer's screen position";

  SendMouse(MOUSEEVENTF_LEFTDOWN);
  PumpFor(50);
  EXPECT_EQ(events.clicks, 0) << "a click is the press and the release";
  SendMouse(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(WaitUntil([&] { return events.clicks == 1; }));

  // Pressed over the control, released outside it: no click.
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  PumpFor(50);
  SetCursorPos(5, 5);
  SendMouse(MOUSEEVENTF_LEFTUP);
  PumpFor(200);
  EXPECT_EQ(events.clicks, 1);

  SetFocus(video.hwnd());
  ASSERT_EQ(GetFocus(), video.hwnd());
  INPUT keys[2] = {};
  for (INPUT& key : keys) {
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = VK_SPACE;
  }
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof keys[0]);
  EXPECT_TRUE(WaitUntil([&] { return host.keyDowns == 1; }))
      << "the key must reach the host window; it saw " << host.keyDowns;
}

TEST(VideoPlayer, MissingClipLeavesAMessageAndALaterClipStillPlays) {
  ProgramDirectory directory;
  HostWindow host;
  Recorder events;
  MciVideoPlayer video(host.hwnd(), events);
  Start(video, directory.File(L"torva.mpg"));
  UpdateWindow(video.hwnd());
  EXPECT_TRUE(IsWindow(video.hwnd()));
  EXPECT_TRUE(IsWindowVisible(video.hwnd()));
  EXPECT_FALSE(IsOpen());
  EXPECT_TRUE(WaitUntil([&] { return WhitePixels(video.hwnd()) > 50; }))
      << "no text in the control; white pixels: " << WhitePixels(video.hwnd());

  // Each play tries again: here the clip has appeared in the meantime.
  video.SetCommand(kStopCommand);
  directory.CopyFromBuild(L"torva.mpg");
  video.SetCommand(kPlayCommand);
  EXPECT_TRUE(WaitUntil([] { return Status(L"mode") == L"playing"; }));
}

}  // namespace
}  // namespace torva::testing
