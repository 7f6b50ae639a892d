// Start-up as the host starts the saver: each switch gets exactly its mode, and a failure gets a
// report that names the file before the process ends with a non-zero code.
#include <gtest/gtest.h>

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

TEST(Startup, PreviewHandleBeyond32BitsReportsOverflowWithTheText) {
  ProgramDirectory directory;
  SaverProcess saver(directory, L"/p 99999999999");
  const HWND box = WaitForMessageBox(saver);
  ASSERT_TRUE(box) << "no error report";
  const std::wstring text = MessageBoxText(box);
  EXPECT_NE(text.find(L"Overflow"), std::wstring::npos) << ::testing::PrintToString(text);
  EXPECT_NE(text.find(L"99999999999"), std::wstring::npos) << ::testing::PrintToString(text);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(saver.WaitForExit(kPatience), DWORD{6});
}

}  // namespace
}  // namespace torva::testing
