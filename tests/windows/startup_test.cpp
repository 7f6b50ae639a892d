// Start-up as the host starts the saver: each switch gets exactly its mode, and a failure gets a
// report that names the file before the process ends with a non-zero code.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/windows/saver_process.h"

namespace torva::testing {
namespace {

HWND WaitForMessageBox(const SaverProcess& saver) {
  return saver.WaitForWindow(IsMessageBox, kPatience);
}

TEST(Startup, PasswordSwitchShowsOnlyItsMessageAndEndsWhenItIsClosed) {
  ProgramDirectory directory;
  SaverProcess saver(directory, L"/a");
  const HWND box = WaitForMessageBox(saver);
  ASSERT_TRUE(box) << "no message box";
  EXPECT_EQ(TextOf(box), L"Password Information");
  EXPECT_EQ(MessageBoxText(box), L"No password is necessary.");
  EXPECT_EQ(saver.VisibleWindows(), std::vector<HWND>{box}) << "the box must be the only window";
  EXPECT_TRUE(GetDlgItem(box, IDOK)) << "an OK button";
  EXPECT_FALSE(GetDlgItem(box, IDCANCEL)) << "only an OK button";

  EXPECT_TRUE(saver.IsRunning());
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(saver.WaitForExit(kPatience), DWORD{0});
}

TEST(Startup, UnknownOrMissingSwitchEndsAtOnceWithoutAnyWindow) {
  ProgramDirectory directory;
  directory.Write(L"torva.txt", kSoundOff);
  for (const wchar_t* arguments : {L"", L"/X", L"S", L"-s", L"/"}) {
    SaverProcess saver(directory, arguments);
    EXPECT_EQ(saver.WaitForExit(kPatience), DWORD{0}) << "arguments: " << ::testing::PrintToString(std::wstring(arguments));
    EXPECT_TRUE(saver.VisibleWindows().empty());
  }
}

struct ErrorCase {
  const wchar_t* arguments;
  std::optional<std::string> settings;  // nothing: no settings file at all
  const wchar_t* error;
  DWORD exitCode;
};

class StartupReports : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(StartupReports, TheErrorWithTheFileAndEndsNonZero) {
  ProgramDirectory directory;
  if (GetParam().settings) directory.Write(L"torva.txt", *GetParam().settings);
  SaverProcess saver(directory, GetParam().arguments);
  const HWND box = WaitForMessageBox(saver);
  ASSERT_TRUE(box) << "no error report";
  EXPECT_EQ(TextOf(box), L"Torva");
  const std::wstring text = MessageBoxText(box);
  EXPECT_NE(text.find(GetParam().error), std::wstring::npos) << ::testing::PrintToString(text);
  EXPECT_NE(text.find(directory.File(L"torva.txt")), std::wstring::npos) << ::testing::PrintToString(text);

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(saver.WaitForExit(kPatience), GetParam().exitCode);
}

INSTANTIATE_TEST_SUITE_P(Settings, StartupReports, ::testing::Values(
    ErrorCase{L"/s", std::nullopt, L"File not found", 53},
    ErrorCase{L"/c", std::nullopt, L"File not found", 53},
    ErrorCase{L"/S", "Sound Config file for torva screensaver\r\n", L"Input past end of file", 62},
    ErrorCase{L"/c", "", L"Input past end of file", 62}));

// However long the text after "/p", the report fits a small screen and still says what failed:
// the text is cut in its middle, on one line, and the error's name and number stay.
TEST(Startup, PreviewHandleBeyond32BitsReportsOverflowWithTheTextInABoxThatFitsTheScreen) {
  struct Case {
    std::wstring handle;
    std::wstring head, tail;  // how the quoted text must start and end
    bool cut;
  };
  std::wstring lines = L"1\n2\n3\n";
  for (int n = 0; n < 2000; ++n) lines += L"0\n";
  for (const Case& c : {Case{L"99999999999", L"99999999999", L"99999999999", false},
                        Case{L"12345" + std::wstring(30000, L'0') + L"67890", L"12345", L"67890", true},
                        Case{lines + L"7\n8\n9", L"1 2 3", L"7 8 9", true}}) {
    ProgramDirectory directory;
    SaverProcess saver(directory, L"/p " + c.handle);
    const HWND box = WaitForMessageBox(saver);
    ASSERT_TRUE(box) << "no error report";
    const std::wstring text = MessageBoxText(box);
    std::vector<std::wstring> shown;
    for (std::size_t start = 0, end = 0; end != std::wstring::npos; start = end + 1) {
      end = text.find(L'\n', start);
      shown.push_back(text.substr(start, end - start));
    }
    ASSERT_EQ(shown.size(), 4u) << ::testing::PrintToString(text.substr(0, 80));
    EXPECT_EQ(shown[0], L"Overflow:");
    EXPECT_EQ(shown[1].rfind(c.head, 0), 0u) << ::testing::PrintToString(shown[1]);
    EXPECT_EQ(shown[1].substr(shown[1].size() - std::min(shown[1].size(), c.tail.size())), c.tail)
        << ::testing::PrintToString(shown[1]);
    EXPECT_EQ(shown[1].find(L'…') != std::wstring::npos, c.cut) << ::testing::PrintToString(shown[1]);
    EXPECT_EQ(shown[3], L"Run-time error 6");
    RECT rect{};
    GetWindowRect(box, &rect);
    EXPECT_LE(rect.right - rect.left, 800);
    EXPECT_LE(rect.bottom - rect.top, 600);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(saver.WaitForExit(kPatience), DWORD{6});
  }
}

}  // namespace
}  // namespace torva::testing
