// The settings dialog started with "/C" as the host starts it: its real controls, what reaches the
// settings file, and how the process ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "tests/windows/saver_process.h"

#include "resources/resource.h"

namespace torva::testing {
namespace {

bool IsConfigDialog(HWND window) {
  return ClassNameOf(window) == L"#32770" && TextOf(window) == L"Torva Video Screensaver";
}

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

bool IsChecked(HWND dialog, int id) {
  return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// A program directory holding `settings` as torva.txt, and the dialog open on it.
struct OpenDialog {
  explicit OpenDialog(const std::string& settings) {
    directory.Write(L"torva.txt", settings);
    saver.emplace(directory, L"/c");
    dialog = saver->WaitForWindow(IsConfigDialog, kPatience);
  }
  HWND Control(int id) const { return GetDlgItem(dialog, id); }

  ProgramDirectory directory;
  std::optional<SaverProcess> saver;
  HWND dialog = nullptr;
};

std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
  std::sort(names.begin(), names.end());
  return names;
}

struct LoadCase {
  const char* secondLine;
  bool soundOn;
};

class ConfigDialogLoad : public ::testing::TestWithParam<LoadCase> {};

TEST_P(ConfigDialogLoad, SelectsExactlyTheOptionThatTheFileHolds) {
  OpenDialog open(std::string("Sound Config file for torva screensaver\r\n") + GetParam().secondLine +
                  "\r\n");
  ASSERT_TRUE(open.dialog) << "no settings dialog";
  EXPECT_EQ(IsChecked(open.dialog, IDC_SOUND_ON), GetParam().soundOn);
  EXPECT_EQ(IsChecked(open.dialog, IDC_SOUND_OFF), !GetParam().soundOn);
  PostMessageW(open.dialog, WM_CLOSE, 0, 0);
  EXPECT_EQ(open.saver->WaitForExit(kPatience), DWORD{0});
}

INSTANTIATE_TEST_SUITE_P(Settings, ConfigDialogLoad, ::testing::Values(
    LoadCase{"1", true}, LoadCase{"0", false}, LoadCase{"2", false}, LoadCase{"01", false},
    LoadCase{"1 ", false}));

TEST(ConfigDialog, OpensCentredAtItsSizeWithTheFocusOnOk) {
  OpenDialog open(kSoundOn);
  ASSERT_TRUE(open.dialog) << "no settings dialog";

  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  RECT client{};
  GetClientRect(open.dialog, &client);
  EXPECT_EQ(client.right, MulDiv(376, dpi, 96));
  EXPECT_EQ(client.bottom, MulDiv(425, dpi, 96));

  RECT frame{};
  GetWindowRect(open.dialog, &frame);
  EXPECT_NEAR(frame.left + frame.right, GetSystemMetrics(SM_CXSCREEN), 1);
  EXPECT_NEAR(frame.top + frame.bottom, GetSystemMetrics(SM_CYSCREEN), 1);

  const LONG style = GetWindowLongW(open.dialog, GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME) << "the border must not resize";
  EXPECT_TRUE(style & WS_SYSMENU) << "a close box";
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  // Known difference: Wine does not answer WM_GETICON from another process (the send fails), so
  // there the icon is only checked on a screenshot.
  if (!RunningUnderWine()) {
    EXPECT_TRUE(SendMessageW(open.dialog, WM_GETICON, ICON_BIG, 0)) << "the brand-mark icon";
    EXPECT_TRUE(SendMessageW(open.dialog, WM_GETICON, ICON_SMALL, 0)) << "the brand-mark icon";
  }
  for (const int id : {IDC_SOUND_ON, IDC_SOUND_OFF}) {
    EXPECT_EQ(GetWindowLongW(open.Control(id), GWL_STYLE) & BS_TYPEMASK, BS_AUTORADIOBUTTON);
    EXPECT_TRUE(IsWindowEnabled(open.Control(id)));
  }
  EXPECT_FALSE(IsWindowVisible(open.Control(IDC_SET_BY_ORGANISATION))) << "no organisation has set the sound";

  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(open.dialog, nullptr), &thread));
  EXPECT_EQ(thread.hwndFocus, open.Control(IDC_OK));

  PostMessageW(open.dialog, WM_CLOSE, 0, 0);
  EXPECT_EQ(open.saver->WaitForExit(kPatience), DWORD{0});
}

TEST(ConfigDialog, OkWritesTheChosenOptionByteExactlyAndEnds) {
  struct Choice {
    const char* before;
    int option;
    const char* after;
  };
  for (const Choice& choice : {Choice{kSoundOn, IDC_SOUND_OFF, kSoundOff},
                               Choice{kSoundOff, IDC_SOUND_ON, kSoundOn}}) {
    OpenDialog open(choice.before);
    ASSERT_TRUE(open.dialog) << "no settings dialog";
    SendMessageW(open.Control(choice.option), BM_CLICK, 0, 0);
    PostMessageW(open.Control(IDC_OK), BM_CLICK, 0, 0);
    EXPECT_EQ(open.saver->WaitForExit(kPatience), DWORD{0});
    EXPECT_EQ(open.directory.Read(L"torva.txt"), choice.after);
    EXPECT_EQ(Sorted(open.directory.FileNames()), (std::vector<std::wstring>{L"torva.scr", L"torva.txt"}))
        << "nothing left beside the settings file";
  }
}

// The new content goes to a file of a fresh name beside the settings file: what the user keeps
// there, even under a name the program might have chosen, and a directory in its way stay as they were.
TEST(ConfigDialog, OkLeavesEveryOtherFileAsItWas) {
  OpenDialog open(kSoundOn);
  ASSERT_TRUE(open.dialog) << "no settings dialog";
  open.directory.Write(L"torva.txt.new", "mine\r\n");
  open.directory.Write(L"torva.txt.1.tmp", "mine too\r\n");
  const std::wstring inTheWay = open.directory.File(L"torva.txt.2.tmp");
  ASSERT_TRUE(CreateDirectoryW(inTheWay.c_str(), nullptr));

  SendMessageW(open.Control(IDC_SOUND_OFF), BM_CLICK, 0, 0);
  PostMessageW(open.Control(IDC_OK), BM_CLICK, 0, 0);
  EXPECT_EQ(open.saver->WaitForExit(kPatience), DWORD{0});
  EXPECT_EQ(open.directory.Read(L"torva.txt"), kSoundOff);
  EXPECT_EQ(open.directory.Read(L"torva.txt.new"), "mine\r\n");
  EXPECT_EQ(open.directory.Read(L"torva.txt.1.tmp"), "mine too\r\n");
  EXPECT_EQ(Sorted(open.directory.FileNames()),
            (std::vector<std::wstring>{L"torva.scr", L"torva.txt", L"torva.txt.1.tmp", L"torva.txt.new"}));
  EXPECT_TRUE(RemoveDirectoryW(inTheWay.c_str())) << "the directory is gone or not empty";
}

TEST(ConfigDialog, ClosingAnyOtherWayWritesNothingAndEnds) {
  struct Way {
    const char* name;
    UINT message;
    WPARAM wParam;
  };
  const std::string unusual = "Sound Config file for torva screensaver\r\n 1\r\n";
  for (const Way& way : {Way{"close message", WM_CLOSE, 0}, Way{"close box", WM_SYSCOMMAND, SC_CLOSE}}) {
    OpenDialog open(unusual);
    ASSERT_TRUE(open.dialog) << "no settings dialog";
    SendMessageW(open.Control(IDC_SOUND_OFF), BM_CLICK, 0, 0);
    PostMessageW(open.dialog, way.message, way.wParam, 0);
    EXPECT_EQ(open.saver->WaitForExit(kPatience), DWORD{0}) << way.name;
    EXPECT_EQ(open.directory.Read(L"torva.txt"), unusual) << way.name;
  }
}

HWND FocusOf(HWND dialog) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread);
  return thread.hwndFocus;
}

bool Eventually(const std::function<bool()>& condition) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > kPatience) return false;
    PumpFor(10);
  }
  return true;
}

void Press(WORD key, bool shift = false) {
  std::vector<INPUT> inputs;
  auto add = [&](WORD virtualKey, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = flags;
    inputs.push_back(input);
  };
  if (shift) add(VK_SHIFT, 0);
  add(key, 0);
  add(key, KEYEVENTF_KEYUP);
  if (shift) add(VK_SHIFT, KEYEVENTF_KEYUP);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Real key presses through the system's input: Tab into the group, an arrow key to the other
// option, Enter there (which must not save) and Esc (the dialog has no cancel button, so nothing
// happens), back to OK and Space on it.
TEST(ConfigDialog, KeyboardWorksAsInAnyDialog) {
  OpenDialog open(kSoundOn);
  ASSERT_TRUE(open.dialog) << "no settings dialog";
  SetForegroundWindow(open.dialog);
  ASSERT_TRUE(Eventually([&] { return GetForegroundWindow() == open.dialog; }));

  Press(VK_TAB);
  ASSERT_TRUE(Eventually([&] { return FocusOf(open.dialog) == open.Control(IDC_SOUND_ON); }))
      << "Tab goes to the selected option";
  Press(VK_DOWN);
  ASSERT_TRUE(Eventually([&] { return FocusOf(open.dialog) == open.Control(IDC_SOUND_OFF); }));
  EXPECT_TRUE(IsChecked(open.dialog, IDC_SOUND_OFF)) << "the arrow key selects as it moves";
  EXPECT_FALSE(IsChecked(open.dialog, IDC_SOUND_ON));

  Press(VK_RETURN);
  Press(VK_ESCAPE);
  Press(VK_TAB, true);
  ASSERT_TRUE(Eventually([&] { return FocusOf(open.dialog) == open.Control(IDC_OK); }))
      << "Esc must leave the dialog open";
  EXPECT_TRUE(open.saver->IsRunning()) << "Enter on an option must not save and end";
  EXPECT_EQ(open.directory.Read(L"torva.txt"), kSoundOn);

  Press(VK_SPACE);
  EXPECT_EQ(open.saver->WaitForExit(kPatience), DWORD{0});
  EXPECT_EQ(open.directory.Read(L"torva.txt"), kSoundOff);
}

// Makes `file` 3 GB long, the rest holding zeros (a sparse file: quick, and no room taken).
void GrowTo3Gb(const std::wstring& file) {
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size{};
  size.QuadPart = 3LL << 30;
  EXPECT_TRUE(SetFilePointerEx(handle, size, nullptr, FILE_BEGIN) && SetEndOfFile(handle));
  CloseHandle(handle);
}

// Only the start of the settings file is read: its two lines followed by anything read as those
// lines do, and a first field that goes on and on is reported rather than read into memory.
TEST(ConfigDialog, AHugeSettingsFileIsReadOnlyAtItsStart) {
  {
    ProgramDirectory directory;
    directory.Write(L"torva.txt", kSoundOn);
    GrowTo3Gb(directory.File(L"torva.txt"));
    SaverProcess saver(directory, L"/c");
    const HWND dialog = saver.WaitForWindow(IsConfigDialog, kPatience);
    ASSERT_TRUE(dialog) << "no settings dialog";
    EXPECT_TRUE(IsChecked(dialog, IDC_SOUND_ON));
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(saver.WaitForExit(kPatience), DWORD{0});
  }
  ProgramDirectory directory;
  directory.Write(L"torva.txt", "");
  GrowTo3Gb(directory.File(L"torva.txt"));
  SaverProcess saver(directory, L"/c");
  const HWND box = saver.WaitForWindow(IsMessageBox, kPatience);
  ASSERT_TRUE(box) << "no error report";
  const std::wstring text = MessageBoxText(box);
  EXPECT_EQ(text.rfind(L"Out of string space:\n", 0), 0u) << ::testing::PrintToString(text);
  EXPECT_NE(text.find(directory.File(L"torva.txt")), std::wstring::npos) << ::testing::PrintToString(text);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(saver.WaitForExit(kPatience), DWORD{14});
}

// A copy in a folder that the user may not change (the installer's copy for every user): the
// choice goes, without a word, to a settings file of the user's own, which the next start reads.
TEST(ConfigDialog, ReadOnlySettingsFileMovesTheChoiceToTheUsersOwnFile) {
  OpenDialog open(kSoundOn);
  ASSERT_TRUE(open.dialog) << "no settings dialog";
  const std::wstring file = open.directory.File(L"torva.txt");
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  SendMessageW(open.Control(IDC_SOUND_OFF), BM_CLICK, 0, 0);
  PostMessageW(open.Control(IDC_OK), BM_CLICK, 0, 0);
  EXPECT_EQ(open.saver->WaitForExit(kPatience), DWORD{0}) << "a report, or no end";
  EXPECT_EQ(open.directory.Read(L"torva.txt"), kSoundOn);
  EXPECT_EQ(open.directory.ReadUserFile(L"torva.txt"), kSoundOff);
  EXPECT_EQ(Sorted(open.directory.FileNames()), (std::vector<std::wstring>{L"torva.scr", L"torva.txt"}));

  SaverProcess again(open.directory, L"/c");
  const HWND dialog = again.WaitForWindow(IsConfigDialog, kPatience);
  ASSERT_TRUE(dialog) << "no settings dialog the second time";
  EXPECT_TRUE(IsChecked(dialog, IDC_SOUND_OFF)) << "the user's own file is the one read";
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  EXPECT_EQ(again.WaitForExit(kPatience), DWORD{0});
}

// Any other failure is reported as always, naming the file: here the user's own, read-only.
TEST(ConfigDialog, UnwritableFileIsReportedAndKeepsItsOldBytes) {
  OpenDialog open(kSoundOff);
  ASSERT_TRUE(open.dialog) << "no settings dialog";
  open.directory.WriteUserFile(L"torva.txt", kSoundOn);
  const std::wstring file = open.directory.UserFile(L"torva.txt");
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  SendMessageW(open.Control(IDC_SOUND_OFF), BM_CLICK, 0, 0);
  // Posted: the report is modal, so a sent click would not return until it is closed.
  PostMessageW(open.Control(IDC_OK), BM_CLICK, 0, 0);

  const HWND box = open.saver->WaitForWindow(IsMessageBox, kPatience);
  ASSERT_TRUE(box) << "no error report";
  const std::wstring text = MessageBoxText(box);
  EXPECT_NE(text.find(file), std::wstring::npos) << ::testing::PrintToString(text);
  EXPECT_EQ(GetWindow(box, GW_OWNER), open.dialog) << "the report is the dialog's, in front of it";
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  const auto exitCode = open.saver->WaitForExit(kPatience);
  ASSERT_TRUE(exitCode) << "still running after the report";
  EXPECT_NE(*exitCode, DWORD{0});
  EXPECT_EQ(open.directory.ReadUserFile(L"torva.txt"), kSoundOn);
  EXPECT_EQ(open.directory.Read(L"torva.txt"), kSoundOff);
  EXPECT_EQ(Sorted(open.directory.FileNames()), (std::vector<std::wstring>{L"torva.scr", L"torva.txt"}));
}

}  // namespace
}  // namespace torva::testing
