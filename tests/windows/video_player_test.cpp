// The video control in a window of the test itself: the sample clip's picture moves over the whole
// control, stops, rests and comes back, the control's own mouse and key handling survive the
// picture's window inside it, and a missing, broken or soundless clip leaves its line on screen
// instead of ending anything.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "startup/twips.h"
#include "tests/windows/saver_process.h"
#include "startup/com_apartment_win32.h"
#include "startup/program_win32.h"
#include "video/graph_video_player_win32.h"

namespace torva::testing {
namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;

bool WaitUntil(const std::function<bool()>& condition) {
  for (const DWORD start = GetTickCount(); !condition(); PumpFor(20)) {
    if (GetTickCount() - start > kPatience) return false;
  }
  return true;
}

int ScreenDpi(int index) {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, index);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// The window's client area, 32 bits a pixel, top row first.
std::vector<unsigned char> Pixels(HWND window) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const HDC windowDc = GetDC(window);
  const HDC memory = CreateCompatibleDC(windowDc);
  const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, kWidth, kHeight, windowDc, 0, 0, SRCCOPY);
  const auto* first = static_cast<const unsigned char*>(bits);
  std::vector<unsigned char> pixels(first, first + kWidth * kHeight * 4);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, windowDc);
  return pixels;
}

int WhitePixels(HWND window) {
  const std::vector<unsigned char> pixels = Pixels(window);
  int white = 0;
  for (std::size_t i = 0; i < pixels.size(); i += 4) {
    if (pixels[i] > 200 && pixels[i + 1] > 200 && pixels[i + 2] > 200) ++white;
  }
  return white;
}

// Whether the picture changes within a second: a clip that plays shows a new frame every 40 ms.
bool Moves(HWND window) {
  const std::vector<unsigned char> before = Pixels(window);
  for (int read = 0; read < 10; ++read) {
    PumpFor(100);
    if (Pixels(window) != before) return true;
  }
  return false;
}

std::wstring TextOfWindow(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
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
    video = std::make_unique<GraphVideoPlayer>(program, host, *this);
  }
  ~VideoPlayerTest() override {
    video.reset();
    DestroyWindow(host);
  }

  // As the show does it, with the control at (40, 30) in the host.
  void Start(const std::wstring& clip, bool sound = false) {
    const int dpiX = ScreenDpi(LOGPIXELSX);
    const int dpiY = ScreenDpi(LOGPIXELSY);
    video->SetSound(sound);
    video->Move(PixelsToTwips(40, dpiX), PixelsToTwips(30, dpiY), PixelsToTwips(kWidth, dpiX),
                PixelsToTwips(kHeight, dpiY));
    video->SetClip(clip);
    video->Play();
    video->SetVisible(true);
  }

  // The graph's window that shows the picture, once it is there.
  HWND Picture() const { return FindWindowExW(video->hwnd(), nullptr, nullptr, nullptr); }

  void OnVideoClick() override { ++clicks; }
  void OnVideoMouseMove(ScreenPoint where) override { moves.push_back(where); }

  static LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<VideoPlayerTest*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_KEYDOWN) ++self->hostKeyDowns;
    return DefWindowProcW(window, message, wParam, lParam);
  }

  Program program;
  const ComApartment com{COINIT_APARTMENTTHREADED};
  const std::wstring sampleClip = BuildDirectory() + L"\\torva.mpg";
  ProgramDirectory directory;  // outlives the control, which may hold a clip in it open
  HWND host = nullptr;
  std::unique_ptr<GraphVideoPlayer> video;
  int clicks = 0;
  std::vector<ScreenPoint> moves;
  int hostKeyDowns = 0;
};

TEST_F(VideoPlayerTest, SampleClipMovesOverTheWholeControlStopsAndGoesWithIt) {
  EXPECT_EQ(GetAncestor(video->hwnd(), GA_PARENT), host);
  EXPECT_FALSE(IsWindowVisible(video->hwnd())) << "created hidden";
  Start(sampleClip);
  ASSERT_TRUE(WaitUntil([&] { return Picture() && IsWindowVisible(Picture()); }))
      << "no picture window in the control";
  const HWND picture = Picture();
  EXPECT_EQ(GetWindowLongPtrW(picture, GWL_STYLE) & (WS_CHILD | WS_CLIPSIBLINGS | WS_POPUP),
            WS_CHILD | WS_CLIPSIBLINGS);
  RECT client;
  GetClientRect(video->hwnd(), &client);
  EXPECT_EQ(client.right, kWidth);
  EXPECT_EQ(client.bottom, kHeight);
  RECT area;
  GetWindowRect(picture, &area);
  MapWindowPoints(nullptr, video->hwnd(), reinterpret_cast<POINT*>(&area), 2);
  EXPECT_EQ(area.left, 0);
  EXPECT_EQ(area.top, 0);
  EXPECT_EQ(area.right, kWidth);
  EXPECT_EQ(area.bottom, kHeight);
  EXPECT_TRUE(Moves(picture)) << "the picture stands still";

  // Hide, stop, play and hide again, as the show does it at each logo phase.
  video->SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(picture));
  video->Stop();
  PumpFor(300);
  video->SetVisible(true);
  EXPECT_FALSE(Moves(picture)) << "a stopped clip goes on";
  video->Play();
  EXPECT_TRUE(Moves(picture)) << "the clip did not come back";
  EXPECT_EQ(Picture(), picture) << "the same graph plays again";

  // Display and colour changes reach the picture's window, which keeps playing.
  video->ForwardOwnerMessage(host, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  video->ForwardOwnerMessage(host, WM_SYSCOLORCHANGE, 0, 0);
  video->ForwardOwnerMessage(host, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(host), 0);
  EXPECT_TRUE(Moves(picture)) << "the clip stopped on a display change";

  // At rest the graph stands still and is kept; the next play runs it from the start.
  video->Rest();
  PumpFor(300);
  EXPECT_FALSE(Moves(picture)) << "the clip goes on at rest";
  video->Play();
  EXPECT_TRUE(Moves(picture));
  EXPECT_EQ(Picture(), picture);

  video.reset();
  EXPECT_FALSE(IsWindow(picture)) << "the picture must go with the control";
}

TEST_F(VideoPlayerTest, MouseOverThePictureAndKeysAreTheControlsOwn) {
  Start(sampleClip);
  ASSERT_TRUE(WaitUntil([&] { return Picture() && IsWindowVisible(Picture()); }));
  POINT centre{kWidth / 2, kHeight / 2};
  ClientToScreen(video->hwnd(), &centre);

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

  // Wherever the focus is inside the control, the keys reach the host.
  for (const HWND focus : {video->hwnd(), Picture()}) {
    const int before = hostKeyDowns;
    SetFocus(focus);
    input[0] = input[1] = INPUT{};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = VK_SPACE;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
    EXPECT_TRUE(WaitUntil([&] { return hostKeyDowns == before + 1; }))
        << "the host saw " << hostKeyDowns - before << " with the focus on " << focus;
  }
}

TEST_F(VideoPlayerTest, MissingOrBrokenClipLeavesItsLineAndALaterPlayStillPlays) {
  const std::wstring clip = directory.File(L"torva.mpg");
  Start(clip);
  EXPECT_TRUE(IsWindowVisible(video->hwnd()));
  EXPECT_EQ(TextOfWindow(video->hwnd()), L"Cannot play " + clip + L": File not found.");
  EXPECT_TRUE(WaitUntil([&] { return WhitePixels(video->hwnd()) > 50; })) << "no text in the control";

  // A file that is there but holds no clip: the platform's own words for why.
  directory.Write(L"torva.mpg", std::string(100000, '\x5A'));
  video->Play();
  const std::wstring broken = TextOfWindow(video->hwnd());
  const std::wstring prefix = L"Cannot play " + clip + L": ";
  EXPECT_EQ(broken.rfind(prefix, 0), 0u) << ::testing::PrintToString(broken);
  EXPECT_GT(broken.size(), prefix.size() + 4) << ::testing::PrintToString(broken);
  EXPECT_EQ(broken.find(L"File not found"), std::wstring::npos);
  EXPECT_FALSE(Picture()) << "a failed graph leaves no window behind";

  // Each play tries again: here the clip has been put right in the meantime.
  video->Stop();
  DeleteFileW(clip.c_str());
  directory.CopyFromBuild(L"torva.mpg");
  video->Play();
  EXPECT_TRUE(WaitUntil([&] { return Picture() && IsWindowVisible(Picture()); }));
  EXPECT_EQ(TextOfWindow(video->hwnd()), L"");
}

TEST_F(VideoPlayerTest, ClipOfSoundAloneSaysSoWithTheSoundOnAndOff) {
  // The sample's sound without its picture, which the build makes beside the clip.
  const std::wstring clip = BuildDirectory() + L"\\sound_only.mpg";
  if (GetFileAttributesW(clip.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no ffmpeg";
  for (const bool sound : {false, true}) {
    video = std::make_unique<GraphVideoPlayer>(program, host, *this);
    Start(clip, sound);
    EXPECT_EQ(TextOfWindow(video->hwnd()), L"Cannot play " + clip + L": No picture in the clip.")
        << sound;
  }
}

}  // namespace
}  // namespace torva::testing
