// The settings file's operations on a real Windows file system.
#include "settings/win32_file_system.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>

#include "settings/sound_policy_win32.h"
#include "settings/sound_setting.h"
#include "startup/program_directory_win32.h"
#include "startup/system_library_win32.h"

namespace torva {
namespace {

FileStatus StatusFromLastError() {
  switch (GetLastError()) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return FileStatus::AlreadyExists;
    case ERROR_FILE_NOT_FOUND: return FileStatus::NotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH: return FileStatus::PathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return FileStatus::AccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return FileStatus::SharingViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FileStatus::DiskFull;
    default: return FileStatus::IoError;
  }
}

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (valid()) CloseHandle(handle_);
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  // Closing can fail on a network share after a deferred write; that is a failed write too.
  bool Close() {
    const bool closed = CloseHandle(handle_) != FALSE;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

}  // namespace

FileStatus Win32FileSystem::ReadStart(const std::wstring& path, std::size_t maxBytes, std::string& content) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return StatusFromLastError();
  content.clear();
  char buffer[4096];
  while (content.size() < maxBytes) {
    const DWORD wanted = static_cast<DWORD>(std::min(sizeof buffer, maxBytes - content.size()));
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer, wanted, &read, nullptr)) return StatusFromLastError();
    if (read == 0) break;
    content.append(buffer, read);
  }
  return FileStatus::Ok;
}

FileStatus Win32FileSystem::WriteNew(const std::wstring& path, std::string_view bytes) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const FileStatus status = StatusFromLastError();
    // Some file systems refuse a name held by a directory, or by a file about to be deleted, as
    // access denied rather than as taken.
    if (status == FileStatus::AccessDenied && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
      return FileStatus::AlreadyExists;
    }
    return status;
  }
  DWORD written = 0;
  FileStatus status = FileStatus::Ok;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size() || !FlushFileBuffers(file.get())) {
    status = StatusFromLastError();
  }
  if (!file.Close() && status == FileStatus::Ok) status = StatusFromLastError();
  // Ours alone, since it was created just now: a half-written one goes.
  if (status != FileStatus::Ok) DeleteFileW(path.c_str());
  return status;
}

FileStatus Win32FileSystem::Replace(const std::wstring& source, const std::wstring& target) {
  // A read-only settings file is refused here rather than silently replaced, as opening it for
  // writing would be.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return FileStatus::ReadOnly;
  }
  // Windows answers ERROR_ACCESS_DENIED here also when another program holds the target open
  // without delete sharing (Wine answers ERROR_SHARING_VIOLATION); both come back as what they say.
  if (!MoveFileExW(source.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return StatusFromLastError();
  }
  return FileStatus::Ok;
}

void Win32FileSystem::Remove(const std::wstring& path) { DeleteFileW(path.c_str()); }

bool Win32FileSystem::Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

FileStatus Win32FileSystem::CreateFolder(const std::wstring& path) {
  return CreateDirectoryW(path.c_str(), nullptr) ? FileStatus::Ok : StatusFromLastError();
}

namespace {

// The user's roaming application data folder, as the system knows it (also where it is redirected).
// Not the APPDATA variable, which whoever starts the program may set to anything. The shell is
// let go of again at once: it brings a dozen libraries that a show of hours need not carry.
std::wstring UserDataFolder() {
  const SystemLibrary shell(L"shell32.dll");
  const auto knownFolderPath = shell.Function<decltype(&SHGetKnownFolderPath)>("SHGetKnownFolderPath");
  PWSTR path = nullptr;
  if (!knownFolderPath || FAILED(knownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &path))) {
    CoTaskMemFree(path);
    return {};
  }
  std::wstring folder(path);
  CoTaskMemFree(path);
  return folder;
}

SettingsFiles ProgramSettingsFiles() {
  return SettingsFilesFor(ProgramFile(kSettingsFileName), UserDataFolder());
}

}  // namespace

bool ReadProgramSoundSetting() {
  // Where the organisation has set the sound, that rules and the file is not read: nor needed.
  if (const std::optional<bool> set = ReadSoundSetByOrganisation()) return *set;
  Win32FileSystem files;
  return ReadSoundSetting(files, ProgramSettingsFiles());
}

bool ReadProgramSoundSettingToEdit() {
  Win32FileSystem files;
  return ReadSoundSettingToEdit(files, ProgramSettingsFiles());
}

void WriteProgramSoundSetting(bool soundOn) {
  Win32FileSystem files;
  WriteSoundSetting(files, ProgramSettingsFiles(), soundOn);
}

}  // namespace torva
