// Reading and replacing the settings file.
#include "settings/settings_file.h"

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

}  // namespace

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
  const std::string content = FormatSoundSetting(soundOn);
  std::wstring temporary;
  FileStatus status = FileStatus::AlreadyExists;
  for (int attempt = 1; attempt <= kTemporaryNames && status == FileStatus::AlreadyExists; ++attempt) {
    temporary = TemporaryPathFor(path, attempt);
    status = files.WriteNew(temporary, content);
  }
  if (status != FileStatus::Ok) throw RuntimeError(ErrorFor(status), temporary);
  if (const FileStatus replaced = files.Replace(temporary, path); replaced != FileStatus::Ok) {
    files.Remove(temporary);
    throw RuntimeError(ErrorFor(replaced), path);
  }
}

}  // namespace torva
