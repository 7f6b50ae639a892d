// Reading and replacing the settings file through a narrow file-system interface, so that every
// failure path is tested without touching a disk.
#pragma once

#include <string>
#include <string_view>

namespace torva {

// What went wrong with a file operation, already sorted into what the report distinguishes.
enum class FileStatus {
  Ok,
  NotFound,       // the file does not exist
  PathNotFound,   // its directory does not exist
  AccessDenied,   // read-only file or directory, or no rights
  SharingViolation,  // another program holds it open
  DiskFull,
  IoError,        // anything else the device reported
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual FileStatus ReadAll(const std::wstring& path, std::string& content) = 0;
  // Creates or truncates `path`, writes `bytes` and flushes them to the disk before closing.
  virtual FileStatus WriteFlushed(const std::wstring& path, std::string_view bytes) = 0;
  // Replaces `target` by `source` in one step: afterwards `target` is wholly the old or the new file.
  virtual FileStatus Replace(const std::wstring& source, const std::wstring& target) = 0;
  virtual void Remove(const std::wstring& path) = 0;
};

// Throws RuntimeError naming `path`: FileNotFound when it is missing, InputPastEndOfFile when it
// holds fewer than two fields, and the matching error when it cannot be read.
bool ReadSoundSetting(FileSystem& files, const std::wstring& path);

// Writes the new content beside the file and swaps it in, so that a failure at any step leaves the
// old file as it was and no temporary file behind. Throws RuntimeError naming `path`.
void WriteSoundSetting(FileSystem& files, const std::wstring& path, bool soundOn);

// Where the new content is written before it replaces `path`.
std::wstring TemporaryPathFor(const std::wstring& path);

}  // namespace torva
