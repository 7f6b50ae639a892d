// Reading and replacing the settings file through a narrow file-system interface, so that every
// failure path is tested without touching a disk.
#pragma once

#include <string>
#include <string_view>

namespace torva {

// What went wrong with a file operation, already sorted into what the report distinguishes.
enum class FileStatus {
  Ok,
  AlreadyExists,  // something of that name is there already
  NotFound,       // the file does not exist
  PathNotFound,   // its directory does not exist
  AccessDenied,   // no rights, or (where a file is replaced) the file held open by another program
  ReadOnly,       // a file marked read-only
  SharingViolation,  // another program holds it open
  DiskFull,
  IoError,        // anything else the device reported
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The file's first `maxBytes` bytes, or all of it when it is shorter; never more.
  virtual FileStatus ReadStart(const std::wstring& path, std::size_t maxBytes, std::string& content) = 0;
  // Creates `path` only when nothing of that name exists (AlreadyExists otherwise), writes `bytes`
  // and flushes them to the disk before closing. A failure after creating it removes it again.
  virtual FileStatus WriteNew(const std::wstring& path, std::string_view bytes) = 0;
  // Replaces `target` by `source` in one step: afterwards `target` is wholly the old or the new file.
  // ReadOnly for a target marked read-only, which is refused rather than replaced.
  virtual FileStatus Replace(const std::wstring& source, const std::wstring& target) = 0;
  virtual void Remove(const std::wstring& path) = 0;
  // Whether anything, file or directory, has that name.
  virtual bool Exists(const std::wstring& path) = 0;
  // Creates the directory `path` in an existing parent; AlreadyExists when it is there.
  virtual FileStatus CreateFolder(const std::wstring& path) = 0;
};

// Where the setting lives. A copy installed for every user sits in a folder that only administrators
// may change, so each user may need a settings file of their own: it lives in the folder the system
// keeps for the user's application data, and once it exists it is the one that counts.
struct SettingsFiles {
  std::wstring beside;  // torva.txt beside the program
  std::wstring user;    // <user's application data>\Torva\torva.txt; empty where there is no such folder
};

// `userData` is the user's application data folder as the system names it, or empty.
SettingsFiles SettingsFilesFor(std::wstring beside, const std::wstring& userData);

// Reads no more than the file's first kSettingsReadLimit bytes. Throws RuntimeError naming `path`:
// FileNotFound when it is missing, InputPastEndOfFile when it holds fewer than two fields,
// OutOfStringSpace when those run past the limit, and the matching error when it cannot be read.
bool ReadSoundSetting(FileSystem& files, const std::wstring& path);

// Writes the new content to a file of a fresh name beside the file and swaps it in, so that a
// failure at any step leaves the old file as it was and nothing of ours behind; a file that was
// there before under any other name is never touched. Throws RuntimeError naming `path`, the file
// the user knows, whichever step failed.
void WriteSoundSetting(FileSystem& files, const std::wstring& path, bool soundOn);

// The user's own file if it exists, else the one beside the program; throws as above, naming the
// file it read.
bool ReadSoundSetting(FileSystem& files, const SettingsFiles& where);

// The same for the settings dialog, which must open to mend a user's own file that cannot be read
// (an empty one, say): it then shows the setting beside the program, or off, and its OK replaces
// the broken file. Throws only where the show would for the file beside the program.
bool ReadSoundSettingToEdit(FileSystem& files, const SettingsFiles& where);

// Rewrites the user's own file if it exists. Otherwise rewrites the one beside the program, and only
// where that folder or file refuses the write (no rights to create a file there, or the file marked
// read-only) writes the user's own instead, creating its folder, without a word. Every other
// failure throws as above: a file that another program holds open is in use, not refused, and the
// setting stays where it is. Each file is replaced in the same never half-written way.
void WriteSoundSetting(FileSystem& files, const SettingsFiles& where, bool soundOn);

}  // namespace torva
