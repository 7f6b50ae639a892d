// The preview as the display settings use it: embedded in a pane of another process, never
// outliving that pane, and its picture drawn as it should be.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "preview/preview_window_win32.h"
#include "tests/windows/saver_process.h"

#include "resources/resource.h"

namespace torva::testing {
namespace {

// torva_preview_host started on a copy of the saver, read up to its "ready" line.
class PreviewHost {
 public:
  PreviewHost(const ProgramDirectory& directory, const wchar_t* scenario) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    go_ = CreateEventW(&inheritable, TRUE, FALSE, nullptr);
    HANDLE outputWrite = nullptr;
    CreatePipe(&output_, &outputWrite, &inheritable, 0);
    SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);

    std::wstring commandLine = L"\"" + BuildDirectory() + L"\\torva_preview_host.exe\" \"" +
                               directory.File(L"torva.scr") + L"\" " +
                               std::to_wstring(reinterpret_cast<std::uintptr_t>(go_)) + L" " + scenario;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outputWrite;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &host_)) {
      ADD_FAILURE() << "cannot start torva_preview_host.exe, error " << GetLastError();
    }
    CloseHandle(outputWrite);
    ReadUntil("ready");
    if (facts.count("saver-pid")) {
      saver_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                           static_cast<DWORD>(std::stoul(facts["saver-pid"])));
    }
  }

  ~PreviewHost() {
    for (HANDLE process : {saver_, host_.hProcess}) {
      if (process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 99);
    }
    for (HANDLE handle : {saver_, host_.hProcess, host_.hThread, go_, output_}) {
      if (handle) CloseHandle(handle);
    }
  }

  // Lets the host go on with its scenario; then waits for it to end and reads what it printed.
  void Go() {
    SetEvent(go_);
    EXPECT_EQ(WaitForSingleObject(host_.hProcess, kPatience), WAIT_OBJECT_0) << "the host hangs";
    ReadUntil("");
  }

  // The saver's exit code, or nothing if it is still running after `milliseconds`.
  std::optional<DWORD> WaitForSaverExit(DWORD milliseconds) {
    if (!saver_ || WaitForSingleObject(saver_, milliseconds) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(saver_, &code);
    return code;
  }

  std::map<std::string, std::string> facts;

 private:
  // Reads lines until `last` (or, with an empty `last`, all that the ended host wrote). Polls the
  // pipe rather than blocking on it, so a host that dies early fails the test instead of hanging it.
  void ReadUntil(const std::string& last) {
    const DWORD start = GetTickCount();
    for (;;) {
      const auto end = pending_.find('\n');
      if (end != std::string::npos) {
        const std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        if (!last.empty() && line == last) return;
        const auto space = line.find(' ');
        facts[line.substr(0, space)] = space == std::string::npos ? "" : line.substr(space + 1);
        continue;
      }
      DWORD available = 0;
      if (!PeekNamedPipe(output_, nullptr, 0, nullptr, &available, nullptr)) return;
      if (available > 0) {
        std::string buffer(available, '\0');
        DWORD read = 0;
        if (!ReadFile(output_, buffer.data(), available, &read, nullptr)) return;
        pending_.append(buffer, 0, read);
        continue;
      }
      if (WaitForSingleObject(host_.hProcess, 0) == WAIT_OBJECT_0 || GetTickCount() - start > kPatience) {
        return;
      }
      PumpFor(10);
    }
  }

  HANDLE go_ = nullptr;
  HANDLE output_ = nullptr;
  HANDLE saver_ = nullptr;
  PROCESS_INFORMATION host_{};
  std::string pending_;
};

void ExpectEmbedded(PreviewHost& host) {
  ASSERT_EQ(host.facts["child"], "1") << "no window of the saver inside the pane";
  EXPECT_EQ(host.facts["parent-is-pane"], "1");
  EXPECT_EQ(host.facts["child-style"], "1");
  EXPECT_EQ(host.facts["width"], "152");
  EXPECT_EQ(host.facts["height"], "112");
  EXPECT_EQ(host.facts["left"], "0");
  EXPECT_EQ(host.facts["top"], "0");
  EXPECT_EQ(host.facts["caption-is-form1"], "1");
  ASSERT_EQ(host.facts["host-foreground-before"], "1") << "the host's window was never in the foreground";
  EXPECT_EQ(host.facts["host-still-foreground"], "1") << "the preview took the foreground from the host";
}

TEST(Preview, FillsThePaneAndEndsWhenThePaneIsDestroyed) {
  ProgramDirectory directory;
  PreviewHost host(directory, L"destroy");
  ExpectEmbedded(host);
  host.Go();
  EXPECT_EQ(host.facts["saver-ended"], "1");
  EXPECT_EQ(host.WaitForSaverExit(kPatience), DWORD{0});
}

TEST(Preview, EndsWhenTheHostExitsWithoutDestroyingThePane) {
  ProgramDirectory directory;
  PreviewHost host(directory, L"exit");
  ExpectEmbedded(host);
  host.Go();
  EXPECT_EQ(host.WaitForSaverExit(kPatience), DWORD{0}) << "the preview outlives its host";
}

std::wstring PreviewOf(HWND window) {
  return L"/p " + std::to_wstring(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(window)));
}

// No handle, a handle of no window, the desktop (which never goes away) and a window nobody sees
// (as "/p 1 2 3", read as 123, may happen to name): none of them is a pane to draw in.
TEST(Preview, WithoutAPaneEndsAtOnceShowingNothing) {
  ProgramDirectory directory;
  const HWND hidden = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 152, 112, nullptr, nullptr,
                                      nullptr, nullptr);
  ASSERT_TRUE(hidden);
  for (const std::wstring& arguments : {std::wstring(L"/p"), std::wstring(L"/p 0"),
                                        std::wstring(L"/p:123456789"), PreviewOf(GetDesktopWindow()),
                                        PreviewOf(hidden)}) {
    SaverProcess saver(directory, arguments);
    EXPECT_EQ(saver.WaitForExit(kPatience), DWORD{0}) << ::testing::PrintToString(arguments);
    EXPECT_TRUE(saver.VisibleWindows().empty());
    EXPECT_EQ(GetWindow(hidden, GW_CHILD), nullptr) << "a window put into the hidden one";
  }
  DestroyWindow(hidden);
}

// The picture, drawn in this process with the saver's own bitmap onto a canvas first painted a
// colour that the preview never uses, so that any pixel left unpainted shows.
class PreviewPicture : public ::testing::Test {
 protected:
  static constexpr std::uint32_t kUnpainted = 0x00FF00FF;
  static constexpr std::uint32_t kBlack = 0;

  void SetUp() override {
    module_ = LoadLibraryExW((BuildDirectory() + L"\\torva.scr").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module_);
    picture_ = static_cast<HBITMAP>(LoadImageW(module_, MAKEINTRESOURCEW(IDB_PREVIEW), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_TRUE(picture_);
    BITMAP info{};
    GetObjectW(picture_, sizeof info, &info);
    ASSERT_EQ(info.bmWidth, 155);
    ASSERT_EQ(info.bmHeight, 115);
    expected_ = Pixels(picture_, 155, 115);
  }
  void TearDown() override {
    if (picture_) DeleteObject(picture_);
    if (module_) FreeLibrary(module_);
  }

  static BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
  }

  static std::vector<std::uint32_t> Pixels(HBITMAP bitmap, int width, int height) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    BITMAPINFO info = TopDown32(width, height);
    const HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (auto& pixel : pixels) pixel &= 0x00FFFFFF;
    return pixels;
  }

  std::vector<std::uint32_t> Paint(int width, int height) {
    BITMAPINFO info = TopDown32(width, height);
    void* bits = nullptr;
    const HBITMAP canvas = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, canvas);
    std::fill_n(static_cast<std::uint32_t*>(bits), static_cast<std::size_t>(width) * height, kUnpainted);
    PaintPreview(dc, picture_, width, height);
    GdiFlush();
    SelectObject(dc, previous);
    DeleteDC(dc);
    std::vector<std::uint32_t> pixels = Pixels(canvas, width, height);
    DeleteObject(canvas);
    return pixels;
  }

  // Counts the pixels that differ from the picture (inside it) or from black (outside it).
  int Mismatches(const std::vector<std::uint32_t>& pixels, int width, int height) const {
    int wrong = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint32_t want = (x < 155 && y < 115) ? expected_[y * 155 + x] : kBlack;
        wrong += pixels[static_cast<std::size_t>(y) * width + x] != want;
      }
    }
    return wrong;
  }

  HMODULE module_ = nullptr;
  HBITMAP picture_ = nullptr;
  std::vector<std::uint32_t> expected_;
};

TEST_F(PreviewPicture, IsThePictureAtTheTopLeftAndBlackBeyondIt) {
  ASSERT_NE(std::count(expected_.begin(), expected_.end(), kBlack), static_cast<long>(expected_.size()))
      << "an all-black picture would prove nothing";
  EXPECT_EQ(Mismatches(Paint(200, 150), 200, 150), 0);
}

TEST_F(PreviewPicture, IsCroppedInASmallerPane) {
  EXPECT_EQ(Mismatches(Paint(152, 112), 152, 112), 0);
  EXPECT_EQ(Mismatches(Paint(40, 200), 40, 200), 0);
}

}  // namespace
}  // namespace torva::testing
