// The host decides the mode by the switch it passes; reading it wrong runs the wrong mode or none.
#include "startup/command_line.h"

#include <gtest/gtest.h>

#include "startup/runtime_error.h"

namespace torva {

void PrintTo(const Command& command, std::ostream* out) {
  *out << "mode " << static_cast<int>(command.mode) << " host " << command.hostWindow;
}

namespace {

struct CommandCase {
  const wchar_t* tail;
  Command expected;
};

class ParseCommandSelects : public testing::TestWithParam<CommandCase> {};

TEST_P(ParseCommandSelects, TheMode) {
  EXPECT_EQ(ParseCommand(GetParam().tail), GetParam().expected)
      << "tail: " << testing::PrintToString(std::wstring(GetParam().tail));
}

INSTANTIATE_TEST_SUITE_P(Show, ParseCommandSelects, testing::Values(
    CommandCase{L"/s", {Mode::Show}}, CommandCase{L"/S", {Mode::Show}},
    CommandCase{L"   /s   ", {Mode::Show}}, CommandCase{L"/SAVE", {Mode::Show}},
    CommandCase{L"/s 1234", {Mode::Show}}));

INSTANTIATE_TEST_SUITE_P(Settings, ParseCommandSelects, testing::Values(
    CommandCase{L"/c", {Mode::Settings}}, CommandCase{L"/C", {Mode::Settings}},
    CommandCase{L"/c:1234", {Mode::Settings}}, CommandCase{L"/c 99999999999", {Mode::Settings}}));

INSTANTIATE_TEST_SUITE_P(Password, ParseCommandSelects, testing::Values(
    CommandCase{L"/a", {Mode::Password}}, CommandCase{L"/A 1234", {Mode::Password}}));

INSTANTIATE_TEST_SUITE_P(Preview, ParseCommandSelects, testing::Values(
    CommandCase{L"/p 1234", {Mode::Preview, 1234}}, CommandCase{L"/P:1234", {Mode::Preview, 1234}},
    CommandCase{L"/p", {Mode::Preview, 0}}, CommandCase{L"/p ", {Mode::Preview, 0}},
    CommandCase{L"/pX1234", {Mode::Preview, 1234}}, CommandCase{L"/p  12 34", {Mode::Preview, 1234}},
    CommandCase{L"/p 0x10", {Mode::Preview, 0}}, CommandCase{L"/p &h10", {Mode::Preview, 16}},
    CommandCase{L"/p 1234.5", {Mode::Preview, 1234}}, CommandCase{L"/p 1235.5", {Mode::Preview, 1236}},
    CommandCase{L"/p -5", {Mode::Preview, -5}}, CommandCase{L"/p 2147483647", {Mode::Preview, 2147483647}},
    CommandCase{L"/p hwnd", {Mode::Preview, 0}}));

INSTANTIATE_TEST_SUITE_P(NothingToDo, ParseCommandSelects, testing::Values(
    CommandCase{L"", {Mode::None}}, CommandCase{L"   ", {Mode::None}}, CommandCase{L"/X", {Mode::None}},
    CommandCase{L"S", {Mode::None}}, CommandCase{L"-s", {Mode::None}}, CommandCase{L"/", {Mode::None}},
    CommandCase{L"s/", {Mode::None}}));

TEST(ParseCommand, PreviewHandleBeyond32BitsIsOverflowNamingTheHandleText) {
  try {
    ParseCommand(L"/p 4294967296");
    FAIL() << "no overflow";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.code(), ErrorCode::Overflow);
    EXPECT_EQ(error.subject(), L"4294967296");
  }
}

TEST(CommandTail, DropsTheProgramNameQuotedOrNot) {
  EXPECT_EQ(CommandTail(L"torva.scr /s"), L"/s");
  EXPECT_EQ(CommandTail(L"\"C:\\Program Files\\torva.scr\" /p 42"), L"/p 42");
  EXPECT_EQ(CommandTail(L"C:\\WINDOWS\\torva.scr\t /c:1234"), L"/c:1234");
  EXPECT_EQ(CommandTail(L"\"C:\\a b\\torva.scr\""), L"");
  EXPECT_EQ(CommandTail(L"torva.scr"), L"");
  EXPECT_EQ(CommandTail(L""), L"");
}

}  // namespace
}  // namespace torva
