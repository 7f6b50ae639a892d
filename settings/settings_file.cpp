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
    case FileStatus::Ok:
    case FileStatus::IoError: break;
  }
  return ErrorCode::DeviceIoError;
}

}  // namespace

std::wstring TemporaryPathFor(const std::wstring& path) { return path + L".new"; }

bool ReadSoundSetting(FileSystem& files, const std::wstring& path) {
  std::string content;
  if (const FileStatus status = files.ReadAll(path, content); status != FileStatus::Ok) {
    throw RuntimeError(ErrorFor(status), path);
  }
  const auto soundOn = ParseSoundSetting(content);
  if (!soundOn) throw RuntimeError(ErrorCode::InputPastEndOfFile, path);
  return *soundOn;
}

void WriteSoundSetting(FileSystem& files, const std::wstring& path, bool soundOn) {
  const std::wstring temporary = TemporaryPathFor(path);
  FileStatus status = files.WriteFlushed(temporary, FormatSoundSetting(soundOn));
  if (status == FileStatus::Ok) status = files.Replace(temporary, path);
  if (status != FileStatus::Ok) {
    files.Remove(temporary);
    throw RuntimeError(ErrorFor(status), path);
  }
}

}  // namespace torva
