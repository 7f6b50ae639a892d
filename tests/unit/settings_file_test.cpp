// Reading and replacing the settings file: the user's setting is never lost or half-written, and
// every failure is reported with the file it concerns.
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "settings/sound_setting.h"
#include "startup/runtime_error.h"

namespace torva {
namespace {

const std::wstring kPath = L"C:\\Saver\\torva.txt";

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// An in-memory disk whose next write or replace can be made to fail. Directories only take names;
// a file can be created only in one of them, and not in one that is read-only.
class FakeFileSystem final : public FileSystem {
 public:
  std::map<std::wstring, std::string> files;
  std::set<std::wstring> directories = {FolderOf(kPath)};
  std::set<std::wstring> readOnly;  // files and directories
  std::optional<FileStatus> readFailure, writeFailure, replaceFailure, createFailure;
  bool everyNameTaken = false;
  std::vector<std::wstring> written;  // every name a new file was asked for, in turn
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
    written.push_back(path);
    if (everyNameTaken || Exists(path)) return FileStatus::AlreadyExists;
    if (!directories.count(FolderOf(path))) return FileStatus::PathNotFound;
    if (readOnly.count(FolderOf(path))) return FileStatus::AccessDenied;
    if (writeFailure) return *writeFailure;
    files[path] = std::string(bytes);
    return FileStatus::Ok;
  }
  FileStatus Replace(const std::wstring& source, const std::wstring& target) override {
    if (replaceFailure) return *replaceFailure;
    if (readOnly.count(target)) return FileStatus::ReadOnly;
    files[target] = files.at(source);
    files.erase(source);
    return FileStatus::Ok;
  }
  void Remove(const std::wstring& path) override { files.erase(path); }
  bool Exists(const std::wstring& path) override { return files.count(path) || directories.count(path); }
  FileStatus CreateFolder(const std::wstring& path) override {
    if (createFailure) return *createFailure;
    if (Exists(path)) return FileStatus::AlreadyExists;
    if (!directories.count(FolderOf(path))) return FileStatus::PathNotFound;
    directories.insert(path);
    return FileStatus::Ok;
  }
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

TEST(ReadSoundSetting, ReadsTheFileAtThePathOrReportsWhyItCannot) {
  FakeFileSystem disk;
  disk.files[kPath] = FormatSoundSetting(true);
  EXPECT_TRUE(ReadSoundSetting(disk, kPath));
  disk.files[kPath] = "x\r\n01\r\n";
  EXPECT_FALSE(ReadSoundSetting(disk, kPath));

  const struct {
    const char* content;  // none: no such file
    std::optional<FileStatus> failure;
    ErrorCode expected;
  } rows[] = {
      {nullptr, {}, ErrorCode::FileNotFound},
      {"Sound Config file for torva screensaver\r\n", {}, ErrorCode::InputPastEndOfFile},
      {"header\n", {}, ErrorCode::InputPastEndOfFile},
      {"h\r\n1\r\n", FileStatus::SharingViolation, ErrorCode::PermissionDenied},
      {"h\r\n1\r\n", FileStatus::AccessDenied, ErrorCode::PathFileAccessError},
      {"h\r\n1\r\n", FileStatus::PathNotFound, ErrorCode::PathNotFound},
      {"h\r\n1\r\n", FileStatus::IoError, ErrorCode::DeviceIoError},
  };
  for (const auto& row : rows) {
    FakeFileSystem broken;
    if (row.content) broken.files[kPath] = row.content;
    broken.readFailure = row.failure;
    EXPECT_EQ(CodeOf([&] { ReadSoundSetting(broken, kPath); }), row.expected) << static_cast<int>(row.expected);
  }
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
  // One that ends right at the limit may go on past it: what follows is not read.
  disk.files[kPath] = "h\n" + std::string(kSettingsReadLimit - 3, ' ') + "1\n";
  EXPECT_EQ(CodeOf([&] { ReadSoundSetting(disk, kPath); }), ErrorCode::OutOfStringSpace);
}

// What the user keeps beside the settings file, under a name the program tries or any other, and a
// directory in the way, are passed over and left exactly as they were.
TEST(WriteSoundSetting, NamesAlreadyTakenArePassedOverAndLeftAlone) {
  FakeFileSystem disk;
  const std::map<std::wstring, std::string> theirs = {
      {kPath + L".new", "mine"}, {kPath + L".1.tmp", "mine too"}};
  disk.files = theirs;
  disk.files[kPath] = FormatSoundSetting(true);
  disk.directories.insert(kPath + L".2.tmp");
  WriteSoundSetting(disk, kPath, false);
  auto expected = theirs;
  expected[kPath] = FormatSoundSetting(false);
  EXPECT_EQ(disk.files, expected);
}

std::wstring Temporary(int n) { return kPath + L"." + std::to_wstring(n) + L".tmp"; }

// A hundred names are tried, each once and in turn: the hundredth is still taken when free, and
// when it is not, no hundred and first is tried.
TEST(WriteSoundSetting, TriesAHundredNamesThenReportsTheLastAndChangesNothing) {
  FakeFileSystem disk;
  disk.files[kPath] = FormatSoundSetting(true);
  for (int n = 1; n < 100; ++n) disk.directories.insert(Temporary(n));
  WriteSoundSetting(disk, kPath, false);
  EXPECT_EQ(disk.written.size(), 100u);
  EXPECT_EQ(disk.files, (std::map<std::wstring, std::string>{{kPath, FormatSoundSetting(false)}}));

  disk.everyNameTaken = true;
  disk.written.clear();
  EXPECT_EQ(CodeOf([&] { WriteSoundSetting(disk, kPath, true); }), ErrorCode::FileAlreadyExists);
  std::vector<std::wstring> hundred;
  for (int n = 1; n <= 100; ++n) hundred.push_back(Temporary(n));
  EXPECT_EQ(disk.written, hundred);
  EXPECT_EQ(disk.files, (std::map<std::wstring, std::string>{{kPath, FormatSoundSetting(false)}}));
}

struct WriteFailureCase {
  bool failOnWrite;
  FileStatus status;
  ErrorCode expected;
};

class WriteSoundSettingFailure : public testing::TestWithParam<WriteFailureCase> {};

// Whether the new copy cannot be written or the settings file cannot be replaced, the report names
// the settings file, the one the user knows, never the copy.
TEST_P(WriteSoundSettingFailure, KeepsTheOldFileLeavesNothingBehindAndNamesTheSettingsFile) {
  FakeFileSystem disk;
  const std::string old = "Sound Config file for torva screensaver\r\n1\r\n";
  disk.files[kPath] = old;
  (GetParam().failOnWrite ? disk.writeFailure : disk.replaceFailure) = GetParam().status;

  EXPECT_EQ(CodeOf([&] { WriteSoundSetting(disk, kPath, false); }), GetParam().expected);
  EXPECT_EQ(disk.files, (std::map<std::wstring, std::string>{{kPath, old}}));
}

INSTANTIATE_TEST_SUITE_P(Steps, WriteSoundSettingFailure, testing::Values(
    WriteFailureCase{true, FileStatus::DiskFull, ErrorCode::DiskFull},
    WriteFailureCase{true, FileStatus::AccessDenied, ErrorCode::PathFileAccessError},
    WriteFailureCase{true, FileStatus::PathNotFound, ErrorCode::PathNotFound},
    WriteFailureCase{false, FileStatus::SharingViolation, ErrorCode::PermissionDenied},
    // Denied at the swap, after the copy beside it was made: another program holds the file.
    WriteFailureCase{false, FileStatus::AccessDenied, ErrorCode::PermissionDenied},
    WriteFailureCase{false, FileStatus::ReadOnly, ErrorCode::PathFileAccessError},
    WriteFailureCase{false, FileStatus::IoError, ErrorCode::DeviceIoError}));


// A copy installed for every user: the program's folder refuses a standard user's writes, so each
// user's choice goes to a file of their own, which from then on is the one read and rewritten.
const std::wstring kUserData = L"C:\\Users\\me\\AppData\\Roaming";
const SettingsFiles kWhere = SettingsFilesFor(kPath, kUserData);
const std::wstring kUserFile = kUserData + L"\\Torva\\torva.txt";

FakeFileSystem DiskWithUserData() {
  FakeFileSystem disk;
  disk.directories.insert(kUserData);
  disk.files[kPath] = FormatSoundSetting(false);
  return disk;
}

TEST(ReadSoundSetting, TheUsersOwnFileCountsOnceItExists) {
  FakeFileSystem disk = DiskWithUserData();
  EXPECT_FALSE(ReadSoundSetting(disk, kWhere)) << "no file of their own: the one beside the program";
  disk.files[kUserFile] = FormatSoundSetting(true);
  EXPECT_TRUE(ReadSoundSetting(disk, kWhere));
  EXPECT_FALSE(ReadSoundSetting(disk, SettingsFilesFor(kPath, L"")));
  // A broken file of their own is reported, not passed over for the program's; the dialog, which
  // must open to mend it, shows the program's setting instead, or off without one.
  disk.files[kUserFile] = "";
  EXPECT_EQ(CodeOf([&] { ReadSoundSetting(disk, kWhere); }, kUserFile), ErrorCode::InputPastEndOfFile);
  disk.files[kPath] = FormatSoundSetting(true);
  EXPECT_TRUE(ReadSoundSettingToEdit(disk, kWhere));
  disk.files.erase(kPath);
  EXPECT_FALSE(ReadSoundSettingToEdit(disk, kWhere));
  disk.files.erase(kUserFile);
  EXPECT_EQ(CodeOf([&] { ReadSoundSettingToEdit(disk, kWhere); }), ErrorCode::FileNotFound);
}

struct PlaceCase {
  const char* name;
  std::function<void(FakeFileSystem&)> arrange;
  std::map<std::wstring, std::string> expected;  // every file afterwards
};

class WriteSoundSettingPlace : public testing::TestWithParam<PlaceCase> {};

TEST_P(WriteSoundSettingPlace, WritesExactlyOneFileAndLeavesNothingElse) {
  FakeFileSystem disk = DiskWithUserData();
  GetParam().arrange(disk);
  WriteSoundSetting(disk, kWhere, true);
  EXPECT_EQ(disk.files, GetParam().expected);
}

const std::string kOn = FormatSoundSetting(true);
const std::string kOff = FormatSoundSetting(false);

INSTANTIATE_TEST_SUITE_P(Settings, WriteSoundSettingPlace, testing::Values(
    PlaceCase{"BesideTheProgramWhereItsFolderTakesWrites", [](FakeFileSystem&) {},
              {{kPath, kOn}}},
    PlaceCase{"BesideTheProgramWhereThereWasNone",
              [](FakeFileSystem& disk) { disk.files.erase(kPath); }, {{kPath, kOn}}},
    PlaceCase{"TheUsersOwnWhereItExists",
              [](FakeFileSystem& disk) {
                disk.directories.insert(FolderOf(kUserFile));
                disk.files[kUserFile] = kOff;
              },
              {{kPath, kOff}, {kUserFile, kOn}}},
    PlaceCase{"TheUsersOwnWhereTheProgramsFolderIsReadOnly",
              [](FakeFileSystem& disk) { disk.readOnly.insert(FolderOf(kPath)); },
              {{kPath, kOff}, {kUserFile, kOn}}},
    PlaceCase{"TheUsersOwnWhereTheProgramsFileIsReadOnly",
              [](FakeFileSystem& disk) { disk.readOnly.insert(kPath); },
              {{kPath, kOff}, {kUserFile, kOn}}},
    PlaceCase{"TheUsersOwnInTheFolderThatIsThere",
              [](FakeFileSystem& disk) {
                disk.readOnly.insert(FolderOf(kPath));
                disk.directories.insert(FolderOf(kUserFile));
              },
              {{kPath, kOff}, {kUserFile, kOn}}}),
    [](const testing::TestParamInfo<PlaceCase>& param) { return param.param.name; });

struct RefusalCase {
  const char* name;
  std::function<void(FakeFileSystem&)> arrange;
  SettingsFiles where;
  ErrorCode expected;
  std::wstring failed;
};

class WriteSoundSettingRefusal : public testing::TestWithParam<RefusalCase> {};

// Only a folder or file that refuses the write moves the setting to the user's own file; anything
// else is reported as it always was, naming the file that failed, and changes nothing.
TEST_P(WriteSoundSettingRefusal, IsReportedNamingTheFileAndChangesNothing) {
  FakeFileSystem disk = DiskWithUserData();
  GetParam().arrange(disk);
  const auto before = disk.files;
  const auto foldersBefore = disk.directories;
  EXPECT_EQ(CodeOf([&] { WriteSoundSetting(disk, GetParam().where, true); }, GetParam().failed),
            GetParam().expected);
  EXPECT_EQ(disk.files, before);
  EXPECT_EQ(disk.directories, foldersBefore);
}

INSTANTIATE_TEST_SUITE_P(Settings, WriteSoundSettingRefusal, testing::Values(
    RefusalCase{"DiskFullBesideTheProgram",
                [](FakeFileSystem& disk) { disk.writeFailure = FileStatus::DiskFull; },
                kWhere, ErrorCode::DiskFull, kPath},
    RefusalCase{"ProgramFileHeldOpen",
                [](FakeFileSystem& disk) { disk.replaceFailure = FileStatus::SharingViolation; },
                kWhere, ErrorCode::PermissionDenied, kPath},
    RefusalCase{"ProgramFileHeldOpenAsWindowsSaysIt",
                [](FakeFileSystem& disk) { disk.replaceFailure = FileStatus::AccessDenied; },
                kWhere, ErrorCode::PermissionDenied, kPath},
    RefusalCase{"ReadOnlyFolderAndNoFolderForTheUsersData",
                [](FakeFileSystem& disk) { disk.readOnly.insert(FolderOf(kPath)); },
                SettingsFilesFor(kPath, L""), ErrorCode::PathFileAccessError, kPath},
    RefusalCase{"ReadOnlyFolderAndTheUsersDataFolderGone",
                [](FakeFileSystem& disk) {
                  disk.readOnly.insert(FolderOf(kPath));
                  disk.directories.erase(kUserData);
                },
                kWhere, ErrorCode::PathNotFound, FolderOf(kUserFile)},
    RefusalCase{"TheUsersOwnFileReadOnly",
                [](FakeFileSystem& disk) {
                  disk.directories.insert(FolderOf(kUserFile));
                  disk.files[kUserFile] = kOff;
                  disk.readOnly.insert(kUserFile);
                },
                kWhere, ErrorCode::PathFileAccessError, kUserFile}),
    [](const testing::TestParamInfo<RefusalCase>& param) { return param.param.name; });

}  // namespace
}  // namespace torva
