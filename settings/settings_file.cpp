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
    case FileStatus::AccessDenied:
    case FileStatus::ReadOnly: return ErrorCode::PathFileAccessError;
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
  // The folder or the file refuses the write: no new file may be made beside it, or it is marked
  // read-only. Anything else (a full disk, a file held open) would fail in the user's folder too,
  // or is over soon.
  bool refused = false;
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
  if (status != FileStatus::Ok) return {status, status == FileStatus::AccessDenied};
  const FileStatus replaced = files.Replace(temporary, path);
  if (replaced == FileStatus::Ok) return {};
  files.Remove(temporary);
  // Where a new file could be made beside it, access denied to the swap itself is another
  // program holding the file open without letting it be replaced: the file is in use.
  if (replaced == FileStatus::AccessDenied) return {FileStatus::SharingViolation, false};
  return {replaced, replaced == FileStatus::ReadOnly};
}

void ReplaceOrThrow(FileSystem& files, const std::wstring& path, const std::string& content) {
  if (const Failure failure = Replace(files, path, content); failure.status != FileStatus::Ok) {
    throw RuntimeError(ErrorFor(failure.status), path);
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

namespace {

bool HasOwnFile(FileSystem& files, const SettingsFiles& where) {
  return !where.user.empty() && files.Exists(where.user);
}

}  // namespace

bool ReadSoundSetting(FileSystem& files, const SettingsFiles& where) {
  return ReadSoundSetting(files, HasOwnFile(files, where) ? where.user : where.beside);
}

bool ReadSoundSettingToEdit(FileSystem& files, const SettingsFiles& where) {
  if (!HasOwnFile(files, where)) return ReadSoundSetting(files, where.beside);
  try {
    return ReadSoundSetting(files, where.user);
  } catch (const RuntimeError&) {
  }
  try {
    return ReadSoundSetting(files, where.beside);
  } catch (const RuntimeError&) {
    return false;
  }
}

void WriteSoundSetting(FileSystem& files, const SettingsFiles& where, bool soundOn) {
  const std::string content = FormatSoundSetting(soundOn);
  if (HasOwnFile(files, where)) {
    ReplaceOrThrow(files, where.user, content);
    return;
  }
  const Failure beside = Replace(files, where.beside, content);
  if (beside.status == FileStatus::Ok) return;
  if (!beside.refused || where.user.empty()) throw RuntimeError(ErrorFor(beside.status), where.beside);
  const std::wstring folder = FolderOf(where.user);
  if (const FileStatus created = files.CreateFolder(folder);
      created != FileStatus::Ok && created != FileStatus::AlreadyExists) {
    throw RuntimeError(ErrorFor(created), folder);
  }
  ReplaceOrThrow(files, where.user, content);
}

}  // namespace torva
