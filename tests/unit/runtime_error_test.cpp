// The error report is all a user sees of a failure: it must say what failed and on what.
#include "startup/runtime_error.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

TEST(FormatErrorReport, NamesTheErrorTheSubjectAndTheNumber) {
  const std::wstring text =
      FormatErrorReport(RuntimeError(ErrorCode::FileNotFound, L"C:\\Saver\\torva.txt"));
  EXPECT_NE(text.find(L"File not found"), std::wstring::npos) << testing::PrintToString(text);
  EXPECT_NE(text.find(L"C:\\Saver\\torva.txt"), std::wstring::npos);
  EXPECT_NE(text.find(L"53"), std::wstring::npos);
}

TEST(DescribeError, EveryErrorHasItsOwnWording) {
  const ErrorCode all[] = {ErrorCode::Overflow, ErrorCode::OutOfMemory, ErrorCode::InternalError,
                           ErrorCode::FileNotFound, ErrorCode::DeviceIoError,
                           ErrorCode::DiskFull, ErrorCode::InputPastEndOfFile,
                           ErrorCode::PermissionDenied, ErrorCode::PathFileAccessError,
                           ErrorCode::PathNotFound};
  for (ErrorCode a : all) {
    EXPECT_STRNE(DescribeError(a), L"Unknown error");
    for (ErrorCode b : all) {
      if (a != b) {
        EXPECT_STRNE(DescribeError(a), DescribeError(b));
      }
    }
  }
}

}  // namespace
}  // namespace torva
