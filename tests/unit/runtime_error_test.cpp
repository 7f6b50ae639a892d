// The error report is all a user sees of a failure: it must say what failed, on what, and with
// which number, and fit on the screen however long the text it quotes.
#include "startup/runtime_error.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

// Every character 10 pixels wide, so a subject of 48 characters just fits.
int TenEach(std::wstring_view text) { return static_cast<int>(text.size()) * 10; }

struct ReportCase {
  ErrorCode code;
  const wchar_t* expected;
};

class FormatErrorReportSays : public testing::TestWithParam<ReportCase> {};

TEST_P(FormatErrorReportSays, TheErrorTheSubjectAndTheNumberOnTheirOwnLines) {
  EXPECT_EQ(FormatErrorReport(RuntimeError(GetParam().code, L"C:\\Saver\\torva.txt"), TenEach),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(EveryError, FormatErrorReportSays, testing::Values(
    ReportCase{ErrorCode::Overflow, L"Overflow:\nC:\\Saver\\torva.txt\n\nRun-time error 6"},
    ReportCase{ErrorCode::OutOfMemory, L"Out of memory:\nC:\\Saver\\torva.txt\n\nRun-time error 7"},
    ReportCase{ErrorCode::OutOfStringSpace, L"Out of string space:\nC:\\Saver\\torva.txt\n\nRun-time error 14"},
    ReportCase{ErrorCode::InternalError, L"Internal error:\nC:\\Saver\\torva.txt\n\nRun-time error 51"},
    ReportCase{ErrorCode::FileNotFound, L"File not found:\nC:\\Saver\\torva.txt\n\nRun-time error 53"},
    ReportCase{ErrorCode::DeviceIoError, L"Device I/O error:\nC:\\Saver\\torva.txt\n\nRun-time error 57"},
    ReportCase{ErrorCode::FileAlreadyExists, L"File already exists:\nC:\\Saver\\torva.txt\n\nRun-time error 58"},
    ReportCase{ErrorCode::DiskFull, L"Disk full:\nC:\\Saver\\torva.txt\n\nRun-time error 61"},
    ReportCase{ErrorCode::InputPastEndOfFile, L"Input past end of file:\nC:\\Saver\\torva.txt\n\nRun-time error 62"},
    ReportCase{ErrorCode::PermissionDenied, L"Permission denied:\nC:\\Saver\\torva.txt\n\nRun-time error 70"},
    ReportCase{ErrorCode::PathFileAccessError, L"Path/File access error:\nC:\\Saver\\torva.txt\n\nRun-time error 75"},
    ReportCase{ErrorCode::PathNotFound, L"Path not found:\nC:\\Saver\\torva.txt\n\nRun-time error 76"}));

TEST(FormatErrorReport, CutsALongSubjectInItsMiddleOnOneLineAndKeepsNameAndNumber) {
  const std::wstring digits = L"12345" + std::wstring(30000, L'0') + L"67890";
  EXPECT_EQ(FormatErrorReport(RuntimeError(ErrorCode::Overflow, digits), TenEach),
            L"Overflow:\n12345" + std::wstring(19, L'0') + L"…" + std::wstring(18, L'0') +
                L"67890\n\nRun-time error 6");
  EXPECT_EQ(FormatErrorReport(RuntimeError(ErrorCode::Overflow, L"1\n2\r\n3\t4"), TenEach),
            L"Overflow:\n1 2  3 4\n\nRun-time error 6");

  const auto onePixelEach = [](std::wstring_view text) { return static_cast<int>(text.size()); };
  const std::wstring widest(480, L'x');
  EXPECT_EQ(FormatErrorReport(RuntimeError(ErrorCode::Overflow, widest), onePixelEach),
            L"Overflow:\n" + widest + L"\n\nRun-time error 6");
  EXPECT_NE(FormatErrorReport(RuntimeError(ErrorCode::Overflow, widest + L"x"), onePixelEach).find(L'…'),
            std::wstring::npos) << "one pixel too wide";
}

// Put together in a fixed buffer, for when nothing may be allocated: the same lines as any
// report, the library's words on one line and cut to a length, the number always last.
TEST(FormatFixedReport, SaysTheErrorTheLibrarysWordsAndTheNumberWithoutAllocating) {
  EXPECT_STREQ(FormatFixedReport(ErrorCode::OutOfMemory, nullptr).text, L"Out of memory\n\nRun-time error 7");
  EXPECT_STREQ(FormatFixedReport(ErrorCode::InternalError, "vector::_M_realloc_insert").text,
               L"Internal error:\nvector::_M_realloc_insert\n\nRun-time error 51");
  EXPECT_STREQ(FormatFixedReport(ErrorCode::InternalError, "a\nb\xE9").text,
               L"Internal error:\na b\u00E9\n\nRun-time error 51");
  const std::string longest(kFixedSubjectLength, 'x');
  EXPECT_EQ(std::wstring(FormatFixedReport(ErrorCode::PathFileAccessError, (longest + "y").c_str()).text),
            L"Path/File access error:\n" + std::wstring(kFixedSubjectLength, L'x') + L"…\n\nRun-time error 75");
  EXPECT_EQ(std::wstring(FormatFixedReport(ErrorCode::PathFileAccessError, longest.c_str()).text),
            L"Path/File access error:\n" + std::wstring(kFixedSubjectLength, L'x') + L"\n\nRun-time error 75");
  EXPECT_STREQ(FormatFixedReport(static_cast<ErrorCode>(95), "").text, L"Unknown error\n\nRun-time error 95");
  EXPECT_STREQ(FormatFixedReport(static_cast<ErrorCode>(100), "").text, L"Unknown error\n\nRun-time error 100");
}

TEST(ShortenInMiddle, KeepsWhatFitsAndCutsOnlyWhatDoesNot) {
  const std::wstring fits(48, L'x');
  EXPECT_EQ(ShortenInMiddle(fits, 480, TenEach), fits);
  EXPECT_EQ(ShortenInMiddle(fits + L"y", 480, TenEach), std::wstring(24, L'x') + L"…" + std::wstring(22, L'x') + L"y");
  EXPECT_EQ(ShortenInMiddle(L"abc", 5, TenEach), L"…");

  // Wide characters take more room: fewer of them stay.
  const auto wideW = [](std::wstring_view text) {
    int width = 0;
    for (const wchar_t c : text) width += c == L'W' ? 30 : 10;
    return width;
  };
  EXPECT_EQ(ShortenInMiddle(L"WWWWWWWWWWabc", 100, wideW), L"WW…bc");
}

// U+10000 and U+10FFFF, the first and the last character beyond the BMP, as their UTF-16 halves;
// U+D7FF and U+E000, the BMP's characters either side of the halves' range.
const std::wstring kFirstPair = L"\xD800\xDC00";
const std::wstring kLastPair = L"\xDBFF\xDFFF";
const std::wstring kBelowHalves = L"\xD7FF";
const std::wstring kAboveHalves = L"\xE000";

struct CutCase {
  std::wstring text;
  int maxWidth;
  std::wstring expected;
};

class ShortenInMiddleCuts : public testing::TestWithParam<CutCase> {};

// A character made of two halves is kept whole or dropped whole, whichever side of the cut it
// is on; every other character counts as one.
TEST_P(ShortenInMiddleCuts, BesideCharactersOutsideTheBmpNeverThroughThem) {
  EXPECT_EQ(ShortenInMiddle(GetParam().text, GetParam().maxWidth, TenEach), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Pairs, ShortenInMiddleCuts, testing::Values(
    CutCase{kFirstPair + L"abcdef" + kLastPair, 20, L"…"},
    CutCase{kLastPair + L"abcdef" + kFirstPair, 20, L"…"},
    CutCase{kFirstPair + L"abcdef" + kLastPair, 50, kFirstPair + L"…" + kLastPair},
    CutCase{L"a" + kFirstPair + L"bcdefgh", 40, L"a…gh"},
    CutCase{L"abcdefg" + kLastPair + L"h", 50, L"abc…h"},
    CutCase{L"a" + kBelowHalves + L"bcdefh" + kAboveHalves + L"g", 50,
            L"a" + kBelowHalves + L"…" + kAboveHalves + L"g"}));

}  // namespace
}  // namespace torva
