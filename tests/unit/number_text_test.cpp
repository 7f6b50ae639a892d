// The handle after "/p" is read with the platform's number rules; a wrong reading embeds the
// preview in the wrong window or ends the program with a false overflow report.
#include "startup/number_text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "startup/runtime_error.h"

namespace torva {
namespace {

struct NumberCase {
  const wchar_t* text;
  double expected;
};

class ReadNumberReads : public testing::TestWithParam<NumberCase> {};

TEST_P(ReadNumberReads, TheLeadingNumber) {
  EXPECT_EQ(ReadNumber(GetParam().text), GetParam().expected) << "text: " << testing::PrintToString(std::wstring(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Decimal, ReadNumberReads, testing::Values(
    NumberCase{L"1234", 1234}, NumberCase{L"  1234  ", 1234}, NumberCase{L"0", 0},
    NumberCase{L"-17", -17}, NumberCase{L"+17", 17}, NumberCase{L"12.75", 12.75},
    NumberCase{L".5", 0.5}, NumberCase{L"-.5", -0.5}, NumberCase{L"7.", 7},
    NumberCase{L"1615198", 1615198}));

INSTANTIATE_TEST_SUITE_P(BlanksInside, ReadNumberReads, testing::Values(
    NumberCase{L" 1 2 3 4", 1234}, NumberCase{L"1\t2\n3", 123}, NumberCase{L"- 4 2", -42},
    NumberCase{L"1 . 5", 1.5}, NumberCase{L"1 E 3", 1000}));

INSTANTIATE_TEST_SUITE_P(Exponent, ReadNumberReads, testing::Values(
    NumberCase{L"1E3", 1000}, NumberCase{L"1e3", 1000}, NumberCase{L"2.5E-1", 0.25},
    NumberCase{L"1D2", 100}, NumberCase{L"3E+2", 300}, NumberCase{L"4E", 4},
    NumberCase{L"4E-", 4}, NumberCase{L"1E-400", 0}));

INSTANTIATE_TEST_SUITE_P(StopsAtFirstForeignCharacter, ReadNumberReads, testing::Values(
    NumberCase{L"24 and 57", 24}, NumberCase{L"12:34", 12}, NumberCase{L"1.2.3", 1.2},
    NumberCase{L"5-3", 5}, NumberCase{L"9x", 9}));

INSTANTIATE_TEST_SUITE_P(NoNumberIsZero, ReadNumberReads, testing::Values(
    NumberCase{L"", 0}, NumberCase{L"   ", 0}, NumberCase{L"abc", 0}, NumberCase{L"-", 0},
    NumberCase{L".", 0}, NumberCase{L"+-1", 0}, NumberCase{L"E5", 0}, NumberCase{L"&", 0},
    NumberCase{L"&X10", 0}, NumberCase{L"$12", 0}));

INSTANTIATE_TEST_SUITE_P(HexAndOctal, ReadNumberReads, testing::Values(
    NumberCase{L"&H10", 16}, NumberCase{L"&h1f", 31}, NumberCase{L"&HFF zz", 255},
    NumberCase{L"&H7FFF", 32767}, NumberCase{L"&HFFFF", -1}, NumberCase{L"&H8000", -32768},
    NumberCase{L"&H10000", 65536}, NumberCase{L"&H7FFFFFFF", 2147483647},
    NumberCase{L"&HFFFFFFFF", -1}, NumberCase{L"&H80000000", -2147483648.0},
    NumberCase{L"&O17", 15}, NumberCase{L"&o178", 15}, NumberCase{L"&H", 0},
    NumberCase{L"& H 1 0", 16}, NumberCase{L"&HA", 10}, NumberCase{L"&hBcDeF", 0xBCDEF},
    NumberCase{L"&HAG", 10}, NumberCase{L"&H1:", 1}, NumberCase{L"&H2@", 2}));

TEST(ReadNumber, HexBeyond32BitsIsOverflowNamingTheText) {
  try {
    ReadNumber(L"&H100000000");
    FAIL() << "no overflow";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.code(), ErrorCode::Overflow);
    EXPECT_EQ(error.subject(), L"&H100000000");
  }
}

TEST(ReadNumber, DecimalBeyondDoubleRangeIsOverflow) {
  EXPECT_THROW(ReadNumber(L"1E400"), RuntimeError);
  EXPECT_THROW(ReadNumber(L"-9D999"), RuntimeError);
}

struct RoundCase {
  double value;
  std::int32_t expected;
};

class RoundToInt32Rounds : public testing::TestWithParam<RoundCase> {};

TEST_P(RoundToInt32Rounds, HalvesToEven) {
  EXPECT_EQ(RoundToInt32(GetParam().value, L"x"), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Values, RoundToInt32Rounds, testing::Values(
    RoundCase{0.5, 0}, RoundCase{1.5, 2}, RoundCase{2.5, 2}, RoundCase{3.5, 4},
    RoundCase{-0.5, 0}, RoundCase{-1.5, -2}, RoundCase{-2.5, -2}, RoundCase{2.4999, 2},
    RoundCase{2.5001, 3}, RoundCase{-2.6, -3}, RoundCase{2147483647.0, 2147483647},
    RoundCase{2147483647.4, 2147483647}, RoundCase{-2147483648.0, -2147483648LL},
    RoundCase{-2147483648.5, -2147483648LL}));

TEST(RoundToInt32, OnePastEitherLimitIsOverflowNamingTheSubject) {
  for (double value : {2147483648.0, 2147483647.5, -2147483649.0, -2147483648.6, 1e300}) {
    try {
      RoundToInt32(value, L"the text");
      ADD_FAILURE() << "no overflow for " << value;
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.code(), ErrorCode::Overflow);
      EXPECT_EQ(error.subject(), L"the text");
    }
  }
}

}  // namespace
}  // namespace torva
