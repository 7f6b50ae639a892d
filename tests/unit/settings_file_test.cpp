// Reading and replacing the settings file: the user's setting is never lost or half-written, and
// every failure is reported with the file it concerns.
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "settings/sound_setting.h"
#include "startup/runtime_error.h"

namespace torva {
namespace {

const std::wstring kPath = L"C:\\Saver\\torva.txt";

// An in-memory disk whose next write or replace can be made to fail. Directories only take names.
class FakeFileSystem final : public FileSystem {
 public:
  std::map<std::wstring, std::string> files;
  std::set<std::wstring> directories;
  std::optional<FileStatus> readFailure, writeFailure, replaceFailure;
  bool everyNameTaken = false;
  std::size_t mostAskedToRead = 0;

  FileStatus ReadStart(const std::wstring& path, std::size_t maxBytes, std::string& content) override {
    mostAskedToRead = std::max(mostAskedToRead, maxBytes);
    if (readFailure) return *readFailure;
    const auto found = files.find(path);
    if (found == files.end()) return FileStatus::NotFound;
    content = found->second.substr(0, maxBytes);
    return FileStatus::Ok;
  }
  FileStatus WriteNew(const std::wstring& path, std::string_view bytes) override {
    if (everyNameTaken || files.count(path) || directories.count(path)) return FileStatus::AlreadyExists;
    if (writeFailure) return *writeFailure;
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

// The error that `action` throws; the report must name `subject`, the file that failed.
ErrorCode CodeOf(const std::function<void()>& action, const std::wstring& subject = kPath) {
  try {
    action();
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.subject(), subject) << "the report must name the file that failed";
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

// However long the file, no more than a few kilobytes of it are read: the two lines decide alone,
// and a file whose two fields do not fit in that is reported, not guessed at.
TEST(ReadSoundSetting, ReadsOnlyTheStartOfALongFile) {
  FakeFileSystem disk;
  disk.files[kPath] = FormatSoundSetting(true) + std::string(1 << 20, 'x');
  EXPECT_TRUE(ReadSoundSetting(disk, kPath));
  disk.files[kPath] = "Sound Config file for torva screensaver\r\n\"1\"" + std::string(1 << 20, '\0');
  EXPECT_TRUE(ReadSoundSetting(disk, kPath)) << "the quotes close the field";
  disk.files[kPath] = std::string(kSettingsReadLimit, 'h') + "\r\n1\r\n";
  EXPECT_EQ(CodeOf([&] { ReadSoundSetting(disk, kPath); }), ErrorCode::OutOfStringSpace);
  EXPECT_LE(disk.mostAskedToRead, kSettingsReadLimit + 1);

  // Up to the limit exactly, the file is read whole.
  disk.files[kPath] = std::string(kSettingsReadLimit - 3, 'h') + "\r\n1";
  EXPECT_TRUE(ReadSoundSetting(disk, kPath));
  disk.files[kPath] += "2";
  EXPECT_EQ(CodeOf([&] { ReadSoundSetting(disk, kPath); }), ErrorCode::OutOfStringSpace)
      << "its second field may go on past the limit";
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

// What the user keeps beside the settings file, under a name the program tries or any other, and a
// directory in the way, are passed over and left exactly as they were.
TEST(WriteSoundSetting, NamesAlreadyTakenArePassedOverAndLeftAlone) {
  FakeFileSystem disk;
  const std::map<std::wstring, std::string> theirs = {
      {kPath + L".new", "mine"}, {kPath + L".1.tmp", "mine too"}};
  disk.files = theirs;
  disk.files[kPath] = FormatSoundSetting(true);
  disk.directories = {kPath + L".2.tmp"};
  WriteSoundSetting(disk, kPath, false);
  auto expected = theirs;
  expected[kPath] = FormatSoundSetting(false);
  EXPECT_EQ(disk.files, expected);
}

TEST(WriteSoundSetting, EveryNameTakenIsReportedAndChangesNothing) {
  FakeFileSystem disk;
  disk.files[kPath] = FormatSoundSetting(true);
  disk.everyNameTaken = true;
  try {
    WriteSoundSetting(disk, kPath, false);
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.code(), ErrorCode::FileAlreadyExists);
    EXPECT_EQ(error.subject().rfind(kPath + L".", 0), 0u) << "a name beside the settings file";
  }
  EXPECT_EQ(disk.files, (std::map<std::wstring, std::string>{{kPath, FormatSoundSetting(true)}}));
}

struct WriteFailureCase {
  bool failOnWrite;
  FileStatus status;
  ErrorCode expected;
};

class WriteSoundSettingFailure : public testing::TestWithParam<WriteFailureCase> {};

// A new file that cannot be written is named in the report, a settings file that cannot be
// replaced likewise: the user learns which one is in the way.
TEST_P(WriteSoundSettingFailure, KeepsTheOldFileLeavesNothingBehindAndNamesTheFileThatFailed) {
  FakeFileSystem disk;
  const std::string old = "Sound Config file for torva screensaver\r\n1\r\n";
  disk.files[kPath] = old;
  (GetParam().failOnWrite ? disk.writeFailure : disk.replaceFailure) = GetParam().status;

  const std::wstring failed = GetParam().failOnWrite ? kPath + L".1.tmp" : kPath;
  EXPECT_EQ(CodeOf([&] { WriteSoundSetting(disk, kPath, false); }, failed), GetParam().expected);
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
