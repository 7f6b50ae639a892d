// Reading and replacing the settings file: the user's setting is never lost or half-written, and
// every failure is reported with the file it concerns.
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "settings/sound_setting.h"
#include "startup/runtime_error.h"

namespace torva {
namespace {

const std::wstring kPath = L"C:\\Saver\\torva.txt";

// An in-memory disk whose next write or replace can be made to fail.
class FakeFileSystem final : public FileSystem {
 public:
  std::map<std::wstring, std::string> files;
  std::optional<FileStatus> readFailure, writeFailure, replaceFailure;
  bool writeLeavesPartialFile = false;

  FileStatus ReadAll(const std::wstring& path, std::string& content) override {
    if (readFailure) return *readFailure;
    const auto found = files.find(path);
    if (found == files.end()) return FileStatus::NotFound;
    content = found->second;
    return FileStatus::Ok;
  }
  FileStatus WriteFlushed(const std::wstring& path, std::string_view bytes) override {
    if (writeFailure) {
      if (writeLeavesPartialFile) files[path] = std::string(bytes.substr(0, 3));
      return *writeFailure;
    }
    files[path] = std::string(bytes);
    return FileStatus::Ok;
  }
  FileStatus Replace(const std::wstring& source, const std::wstring& target) override {
    if (replaceFailure) return *replaceFailure;
    files[target] = files.at(source);
    files.erase(source);
    return FileStatus::Ok;
  }
  void Remove(const std::wstring& path) override { files.erase(path); }
};

ErrorCode CodeOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.subject(), kPath) << "the report must name the settings file";
    return error.code();
  }
  ADD_FAILURE() << "no error";
  return ErrorCode::Overflow;
}

TEST(ReadSoundSetting, ReadsTheFileAtThePath) {
  FakeFileSystem disk;
  disk.files[kPath] = FormatSoundSetting(true);
  EXPECT_TRUE(ReadSoundSetting(disk, kPath));
  disk.files[kPath] = "x\r\n01\r\n";
  EXPECT_FALSE(ReadSoundSetting(disk, kPath));
}

TEST(ReadSoundSetting, MissingFileIsFileNotFound) {
  FakeFileSystem disk;
  EXPECT_EQ(CodeOf([&] { ReadSoundSetting(disk, kPath); }), ErrorCode::FileNotFound);
}

TEST(ReadSoundSetting, HeaderOnlyIsInputPastEndOfFile) {
  FakeFileSystem disk;
  disk.files[kPath] = "Sound Config file for torva screensaver\r\n";
  EXPECT_EQ(CodeOf([&] { ReadSoundSetting(disk, kPath); }), ErrorCode::InputPastEndOfFile);
}

TEST(ReadSoundSetting, UnreadableFileIsReportedByKind) {
  FakeFileSystem disk;
  disk.files[kPath] = FormatSoundSetting(true);
  disk.readFailure = FileStatus::SharingViolation;
  EXPECT_EQ(CodeOf([&] { ReadSoundSetting(disk, kPath); }), ErrorCode::PermissionDenied);
  disk.readFailure = FileStatus::AccessDenied;
  EXPECT_EQ(CodeOf([&] { ReadSoundSetting(disk, kPath); }), ErrorCode::PathFileAccessError);
  disk.readFailure = FileStatus::PathNotFound;
  EXPECT_EQ(CodeOf([&] { ReadSoundSetting(disk, kPath); }), ErrorCode::PathNotFound);
  disk.readFailure = FileStatus::IoError;
  EXPECT_EQ(CodeOf([&] { ReadSoundSetting(disk, kPath); }), ErrorCode::DeviceIoError);
}

TEST(WriteSoundSetting, ReplacesTheFileWithExactlyTheNewBytesAndLeavesNothingElse) {
  FakeFileSystem disk;
  disk.files[kPath] = FormatSoundSetting(true);
  WriteSoundSetting(disk, kPath, false);
  EXPECT_EQ(disk.files, (std::map<std::wstring, std::string>{{kPath, "Sound Config file for torva screensaver\r\n0\r\n"}}));
}

TEST(WriteSoundSetting, CreatesAMissingFile) {
  FakeFileSystem disk;
  WriteSoundSetting(disk, kPath, true);
  EXPECT_EQ(disk.files.at(kPath), FormatSoundSetting(true));
}

struct WriteFailureCase {
  bool failOnWrite;
  FileStatus status;
  ErrorCode expected;
};

class WriteSoundSettingFailure : public testing::TestWithParam<WriteFailureCase> {};

TEST_P(WriteSoundSettingFailure, KeepsTheOldFileRemovesTheTemporaryAndReports) {
  FakeFileSystem disk;
  const std::string old = "Sound Config file for torva screensaver\r\n1\r\n";
  disk.files[kPath] = old;
  disk.writeLeavesPartialFile = true;
  (GetParam().failOnWrite ? disk.writeFailure : disk.replaceFailure) = GetParam().status;

  EXPECT_EQ(CodeOf([&] { WriteSoundSetting(disk, kPath, false); }), GetParam().expected);
  EXPECT_EQ(disk.files, (std::map<std::wstring, std::string>{{kPath, old}}));
}

INSTANTIATE_TEST_SUITE_P(Steps, WriteSoundSettingFailure, testing::Values(
    WriteFailureCase{true, FileStatus::DiskFull, ErrorCode::DiskFull},
    WriteFailureCase{true, FileStatus::AccessDenied, ErrorCode::PathFileAccessError},
    WriteFailureCase{true, FileStatus::PathNotFound, ErrorCode::PathNotFound},
    WriteFailureCase{false, FileStatus::SharingViolation, ErrorCode::PermissionDenied},
    WriteFailureCase{false, FileStatus::AccessDenied, ErrorCode::PathFileAccessError},
    WriteFailureCase{false, FileStatus::IoError, ErrorCode::DeviceIoError}));

}  // namespace
}  // namespace torva
