// Reading and replacing the settings file.
#include "settings/settings_file.h"

#include <utility>

#include "settings/sound_setting.h"
#include "startup/runtime_error.h"

namespace torva {
namespace {

ErrorCode ErrorFor(FileStatus status) {
  switch (status) {
    case FileStatus::NotFound: return ErrorCode::FileNotFound;
    case FileStatus::PathNotFound: return ErrorCode::PathNotFound;
    case FileStatus::AccessDenied: return ErrorCode::PathFileAccessError;
    case FileStatus::SharingViolation: return ErrorCode::PermissionDenied;
    case FileStatus::DiskFull: return ErrorCode::DiskFull;
    case FileStatus::AlreadyExists: return ErrorCode::FileAlreadyExists;
    case FileStatus::Ok:
    case FileStatus::IoError: break;
  }
  return ErrorCode::DeviceIoError;
}

// Names beside the settings file tried in turn for its new content. Each is taken only if nothing
// has it, so a user's own file, a leftover of a crash or a directory of that name is passed over;
// this many of them all taken is no accident.
constexpr int kTemporaryNames = 100;

std::wstring TemporaryPathFor(const std::wstring& path, int attempt) {
  return path + L"." + std::to_wstring(attempt) + L".tmp";
}

struct Failure {
  FileStatus status = FileStatus::Ok;
  std::wstring file;  // the one that failed
};

// The new content goes to a fresh name beside `path` and is swapped in; a failure leaves `path`
// as it was and nothing of ours behind.
Failure Replace(FileSystem& files, const std::wstring& path, const std::string& content) {
  std::wstring temporary;
  FileStatus status = FileStatus::AlreadyExists;
  for (int attempt = 1; attempt <= kTemporaryNames && status == FileStatus::AlreadyExists; ++attempt) {
    temporary = TemporaryPathFor(path, attempt);
    status = files.WriteNew(temporary, content);
  }
  if (status != FileStatus::Ok) return {status, temporary};
  if (const FileStatus replaced = files.Replace(temporary, path); replaced != FileStatus::Ok) {
    files.Remove(temporary);
    return {replaced, path};
  }
  return {};
}

void ReplaceOrThrow(FileSystem& files, const std::wstring& path, const std::string& content) {
  if (const Failure failure = Replace(files, path, content); failure.status != FileStatus::Ok) {
    throw RuntimeError(ErrorFor(failure.status), failure.file);
  }
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

}  // namespace

SettingsFiles SettingsFilesFor(std::wstring beside, const std::wstring& userData) {
  SettingsFiles where{std::move(beside), {}};
  if (!userData.empty()) where.user = userData + L"\\Torva\\" + kSettingsFileName;
  return where;
}

bool ReadSoundSetting(FileSystem& files, const std::wstring& path) {
  std::string start;
  // One byte beyond the limit tells whether the file goes on.
  if (const FileStatus status = files.ReadStart(path, kSettingsReadLimit + 1, start); status != FileStatus::Ok) {
    throw RuntimeError(ErrorFor(status), path);
  }
  const bool wholeFile = start.size() <= kSettingsReadLimit;
  if (!wholeFile) start.resize(kSettingsReadLimit);
  switch (ReadSoundSettingStart(start, wholeFile)) {
    case SoundSettingRead::SoundOn: return true;
    case SoundSettingRead::SoundOff: return false;
    case SoundSettingRead::TooFewFields: throw RuntimeError(ErrorCode::InputPastEndOfFile, path);
    case SoundSettingRead::FieldsTooLong: break;
  }
  // The platform's own error for a text too long to be read into a string.
  throw RuntimeError(ErrorCode::OutOfStringSpace, path);
}

void WriteSoundSetting(FileSystem& files, const std::wstring& path, bool soundOn) {
  ReplaceOrThrow(files, path, FormatSoundSetting(soundOn));
}

bool ReadSoundSetting(FileSystem& files, const SettingsFiles& where) {
  const bool own = !where.user.empty() && files.Exists(where.user);
  return ReadSoundSetting(files, own ? where.user : where.beside);
}

void WriteSoundSetting(FileSystem& files, const SettingsFiles& where, bool soundOn) {
  const std::string content = FormatSoundSetting(soundOn);
  if (!where.user.empty() && files.Exists(where.user)) {
    ReplaceOrThrow(files, where.user, content);
    return;
  }
  const Failure beside = Replace(files, where.beside, content);
  if (beside.status == FileStatus::Ok) return;
  if (beside.status != FileStatus::AccessDenied || where.user.empty()) {
    throw RuntimeError(ErrorFor(beside.status), beside.file);
  }
  const std::wstring folder = FolderOf(where.user);
  if (const FileStatus created = files.CreateFolder(folder);
      created != FileStatus::Ok && created != FileStatus::AlreadyExists) {
    throw RuntimeError(ErrorFor(created), folder);
  }
  ReplaceOrThrow(files, where.user, content);
}

}  // namespace torva
